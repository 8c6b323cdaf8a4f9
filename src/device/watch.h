#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/outcome.h"
#include "link/byte_port.h"

// The keyboard watched on one port, as the window watches it, without the
// window: a hello every interval while nobody answers; on an arrival the
// current file is fetched once and handed over, then the keyboard is told the
// transfer is over; while it stays, the current-file query every interval.
// A port that cannot be opened or that fails is opened afresh every interval.

struct WatchSettings {
    uint32_t intervalMs = 3000;
    bool once = false;  // end after the first arrival
};

// What opening the port gave: a port, or why not.
struct PortOpening {
    std::unique_ptr<BytePort> port;
    std::string reason;     // the system's words
    std::string hint;       // what the user can do about it, or empty
    bool noAccess = false;  // the user may not use the port: trying again cannot help
};

// One arrival's text, exactly as the keyboard holds it.
struct Arrival {
    uint32_t number = 0;  // 1 for the first arrival of this watch, then 2, 3, ...
    std::string identity;
    int fileNumber = 0;   // 1..8
    std::vector<uint8_t> text;
};

// What the watch needs from its caller, and what it tells it.
class WatchEvents {
public:
    virtual ~WatchEvents() = default;
    virtual PortOpening OpenPort() = 0;

    virtual void Searching() = 0;
    virtual void PortUnavailable(const PortOpening& opening) = 0;  // at the start, until it opens
    virtual void PortFailed(uint32_t systemError) = 0;             // an open port stopped working
    virtual void PortBack() = 0;
    virtual void Connected(const std::string& identity) = 0;
    virtual void Gone() = 0;
    virtual void NoCurrentFile() = 0;  // found, but it did not say which file is current
    virtual void EmptyFile(int fileNumber) = 0;
    virtual void RetrieveFailed(const Outcome& outcome) = 0;

    // Hands the text over; false when the delivery failed. The keyboard is
    // told the transfer is over only after this returns.
    virtual bool Deliver(const Arrival& arrival) = 0;

    // Called often while the watch waits, for work of the caller's own
    // (commands still running from an earlier delivery).
    virtual void Idle() {}
};

enum class WatchEnd {
    Stopped,    // a stop was requested
    Delivered,  // once: the text was delivered, or the file was empty
    Failed,     // once: the retrieve or the delivery failed
    NoAccess,   // the port cannot be used by this user at all
};

WatchEnd WatchKeyboard(const WatchSettings& settings, WatchEvents& events);
