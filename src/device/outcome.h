#pragma once
#include <cstdint>
#include <string>

#include "link/byte_port.h"
#include "link/result_codes.h"

// What a whole-device operation ended with. The kinds are the classes of
// failure a caller has to tell apart (the command line maps them to its exit
// codes); the device's own result code and the port's system error travel
// with them, taken at the failing call.
enum class FailureKind {
    None,
    Device,     // the device or the port failed; see `code` and `portError`
    Mismatch,   // a file read back differs from what was written
    TooLong,    // the text does not fit the file's room
    PcFile,     // a file on the PC cannot be read or written, or a backup is damaged
    Usage,      // the caller asked for something that cannot be done as asked
    Stopped,    // a person asked to stop; the keyboard was put back in command mode
};

struct Outcome {
    FailureKind kind = FailureKind::None;
    ResultCode code = ResultOk;
    uint32_t portError = 0;
    int fileNumber = 0;  // 1..8 when the failure concerns one file, else 0
    std::string detail;

    bool Ok() const { return kind == FailureKind::None; }
};

inline Outcome Success() { return {}; }

// A failed device operation on `port`; the port error is the one that port kept
// from the failing call, taken right away, before a later exchange can replace it.
// A link operation that stopped on request is a Stopped outcome.
Outcome DeviceFailure(const BytePort& port, ResultCode code, int fileNumber = 0);

Outcome Failure(FailureKind kind, std::string detail, int fileNumber = 0);

// The outcome of work that a stop request ended before it was done.
Outcome Stopped();
