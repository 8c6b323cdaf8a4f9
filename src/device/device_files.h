#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/file_fate.h"
#include "device/outcome.h"
#include "link/byte_port.h"
#include "link/hello.h"
#include "link/progress.h"
#include "link/protocol.h"

// One file of the device as seen from the PC: numbered 1..8 as the keyboard shows it.
struct FileFacts {
    int number = 0;
    uint32_t length = 0;
    uint32_t capacity = 0;
    bool capacityFromTable = false;  // the device did not answer the capacity query
};

struct DeviceFile {
    FileFacts facts;
    std::vector<uint8_t> bytes;  // exactly `facts.length` device bytes
};

// Why a hello found no keyboard, when the port itself is to blame: a call
// that failed (`error`, the system's code) or a write that took fewer bytes
// than it was given.
struct HelloPortTrouble {
    bool failed = false;
    uint32_t error = 0;
    uint32_t written = 0;
    uint32_t asked = 0;
    bool Any() const { return failed || written < asked; }
};

// Sends the hello and keeps the identity bytes exactly as they arrived.
// False when no keyboard answered with a known identity; `trouble`, when
// given, tells a port that failed from a line that stayed silent.
bool IdentifyDevice(BytePort& port, std::string* identity, HelloPortTrouble* trouble = nullptr);
// The same, with the hello's own outcome: a port that failed keeps the failed
// call's error (see BytePort::FailedCallError).
HelloOutcome GreetDevice(BytePort& port, std::string* identity, HelloPortTrouble* trouble = nullptr);

// A visit to the device: remembers which file is current when it begins and,
// when it ends, makes that file current again and sends the end-of-transfer
// command exactly once, whatever happened in between. The destructor ends a
// visit that was not ended, so an early return cannot skip it.
class DeviceVisit {
public:
    explicit DeviceVisit(BytePort& port) : port_(port) {}
    ~DeviceVisit() { End(); }
    DeviceVisit(const DeviceVisit&) = delete;
    DeviceVisit& operator=(const DeviceVisit&) = delete;

    Outcome Begin();
    // The outcome of putting things back; the first failure of the work itself
    // matters more to a caller, so it is returned separately.
    Outcome End();
    int CurrentNumber() const { return static_cast<int>(current_) + 1; }

private:
    BytePort& port_;
    uint32_t current_ = 0;
    bool begun_ = false;
    bool ended_ = false;
};

// Selects file `number` (1..8) and reads its length and capacity. A capacity
// the device does not report is taken from the built-in table.
Outcome ReadFileFacts(BytePort& port, int number, FileFacts* facts);

// Facts of all eight files, in order.
Outcome ReadAllFacts(BytePort& port, std::array<FileFacts, FileCount>* facts);

// Selects file `number` and retrieves exactly its length of bytes.
Outcome ReadWholeFile(BytePort& port, ProgressSink* progress, int number, DeviceFile* file);

// The same for a file whose facts were read already: selects it and retrieves
// its text, without asking for its facts a second time.
Outcome ReadKnownFile(BytePort& port, ProgressSink* progress, const FileFacts& facts, DeviceFile* file);

// The most bytes a replacing write may put into a file, from its facts: the
// capacity the device reports, or the fallback a send would use when it does not.
uint32_t RoomOf(const FileFacts& facts);

// Replaces the text of file `number` with `bytes` (an empty text by clearing
// the file alone), then reads it back; a difference is a Mismatch. The bytes
// must already be checked: within the room, no end-of-text byte. `progress`
// is begun with the whole work, the write and the read-back; `fate`, when
// given, says what the file holds afterwards, whatever the outcome.
Outcome ReplaceFile(BytePort& port, ProgressSink* progress, int number,
                    std::span<const uint8_t> bytes, FileFate* fate = nullptr);

// Adds `bytes` to the end of a file whose facts were just read, then reads it
// back: the file must be its old length plus the bytes, ending with them. The
// same checks, progress and fate as a replace.
Outcome AppendToFile(BytePort& port, ProgressSink* progress, const FileFacts& before,
                     std::span<const uint8_t> bytes, FileFate* fate = nullptr);

// Reads the current file's text as it is now, exactly its length of bytes.
Outcome ReadCurrentText(BytePort& port, ProgressSink* progress, std::vector<uint8_t>* bytes,
                        int number);

// File numbers 1..8 as file indexes 0..7.
inline uint32_t IndexOf(int number) { return static_cast<uint32_t>(number - 1); }
