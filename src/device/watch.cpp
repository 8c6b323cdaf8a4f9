#include "device/watch.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "device/device_files.h"
#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "link/stop_request.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// Short enough that a stop, or a command that has finished, is noticed at once
// by a person; long enough to cost nothing while the watch waits.
constexpr Milliseconds NapLength{20};

// The drain on a quiet line is one empty read; it starts this long before the
// hello is due, so that the hellos keep to the interval.
constexpr Milliseconds DrainLead{LongestReadMs(DrainChunk)};

class Watcher {
public:
    Watcher(const WatchSettings& settings, WatchEvents& events)
        : interval_(settings.intervalMs), once_(settings.once), events_(events) {}

    WatchEnd Run();

private:
    bool WaitUntil(Clock::time_point when);
    bool OpenIfClosed(bool firstTry);
    void LosePort();
    void MarkPortWorking();
    void LoseKeyboard();
    std::optional<WatchEnd> Search(Clock::time_point helloAt);
    void Poll();
    std::optional<WatchEnd> Arrive(const std::string& identity);
    WatchEnd Fetch(Arrival& arrival);
    void SendDone();

    const Milliseconds interval_;
    const bool once_;
    WatchEvents& events_;
    std::unique_ptr<BytePort> port_;
    bool portDown_ = false;  // said so; waiting to say it is back
    bool connected_ = false;
    bool noAccess_ = false;
    uint32_t arrivals_ = 0;
};

// Waits until `when`, giving the caller its idle work. False when a stop was
// requested meanwhile.
bool Watcher::WaitUntil(Clock::time_point when) {
    for (;;) {
        events_.Idle();
        if (StopRequested()) return false;
        const Clock::time_point now = Clock::now();
        if (now >= when) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(when - now, NapLength));
    }
}

// Only the first try may end the watch: a user without access to the port
// cannot gain it while we wait, but a port that vanishes later (an adapter
// pulled out) may come back.
bool Watcher::OpenIfClosed(bool firstTry) {
    if (port_) return true;
    PortOpening opening = events_.OpenPort();
    if (opening.port) {
        port_ = std::move(opening.port);
        return true;
    }
    if (firstTry && opening.noAccess) noAccess_ = true;
    if (!portDown_ || noAccess_) events_.PortUnavailable(opening);
    portDown_ = true;
    return false;
}

// "Back" only once the port has carried bytes again: a device node that opens
// but fails every call would otherwise come and go at every interval.
void Watcher::MarkPortWorking() {
    if (!portDown_) return;
    portDown_ = false;
    events_.PortBack();
}

void Watcher::LoseKeyboard() {
    if (!connected_) return;
    connected_ = false;
    events_.Gone();
    events_.Searching();
}

// A port that failed is closed; it is opened afresh at the next interval. The
// keyboard cannot be seen meanwhile: the port's loss says so for both.
void Watcher::LosePort() {
    connected_ = false;
    if (!portDown_) events_.PortFailed(port_->FailedCallError());
    portDown_ = true;
    port_.reset();
}

void Watcher::SendDone() {
    if (SendDoneCommand(*port_) == ResultPortFailure) LosePort();
}

// The arrival's text, fetched once and handed over; the keyboard is told the
// transfer is over after the delivery, as the window tells it after the paste,
// and also after a failed or stopped retrieve, so it is never left waiting.
WatchEnd Watcher::Fetch(Arrival& arrival) {
    const Outcome read = ReadCurrentText(*port_, nullptr, &arrival.text, arrival.fileNumber);
    if (!read.Ok() && read.code == ResultPortFailure) {
        LosePort();
        return WatchEnd::Failed;
    }
    WatchEnd end = WatchEnd::Delivered;
    if (!read.Ok() && read.code == ResultStopped) {
        end = WatchEnd::Stopped;
    } else if (!read.Ok()) {
        events_.RetrieveFailed(read);
        end = WatchEnd::Failed;
    } else if (arrival.text.empty()) {
        events_.EmptyFile(arrival.fileNumber);
    } else if (!events_.Deliver(arrival)) {
        end = WatchEnd::Failed;
    }
    SendDone();
    return end;
}

// Nothing when the arrival is not over: the keyboard did not say which file is
// current, so nothing was fetched, and it stays connected until it goes.
std::optional<WatchEnd> Watcher::Arrive(const std::string& identity) {
    connected_ = true;
    Arrival arrival;
    arrival.number = ++arrivals_;
    arrival.identity = identity;
    events_.Connected(identity);
    uint32_t index = 0;
    const ResultCode current = QueryCurrentFile(*port_, &index);
    if (current == ResultPortFailure) {
        LosePort();
        return WatchEnd::Failed;
    }
    if (current != ResultOk) {
        // As the window does: connected, but nothing is fetched without a
        // known file; the next poll decides whether the keyboard is there.
        events_.NoCurrentFile();
        return std::nullopt;
    }
    arrival.fileNumber = static_cast<int>(index) + 1;
    return Fetch(arrival);
}

// The drain clears what a keyboard or the line left in the input, so that the
// hello's reply is read alone.
std::optional<WatchEnd> Watcher::Search(Clock::time_point helloAt) {
    if (DrainInput(*port_) == ResultPortFailure) {
        LosePort();
        return std::nullopt;
    }
    MarkPortWorking();
    if (!WaitUntil(helloAt)) return WatchEnd::Stopped;
    std::string identity;
    const HelloOutcome hello = GreetDevice(*port_, &identity);
    if (hello == HelloOutcome::PortFailed) {
        LosePort();
        return std::nullopt;
    }
    if (hello == HelloOutcome::NoDevice) return std::nullopt;
    const std::optional<WatchEnd> end = Arrive(identity);
    if (end && (*end == WatchEnd::Stopped || once_)) return end;
    return std::nullopt;
}

// While connected the current-file query is the presence check; any failure
// means the keyboard is gone.
void Watcher::Poll() {
    uint32_t index = 0;
    const ResultCode result = QueryCurrentFile(*port_, &index);
    if (result == ResultPortFailure) {
        LosePort();
    } else if (result != ResultOk) {
        LoseKeyboard();
    }
}

WatchEnd Watcher::Run() {
    events_.Searching();
    Clock::time_point tickAt = Clock::now();
    bool firstTry = true;
    for (;;) {
        const bool searching = !connected_;
        if (!WaitUntil(searching ? tickAt - DrainLead : tickAt)) return WatchEnd::Stopped;
        const bool opened = OpenIfClosed(firstTry);
        firstTry = false;
        if (noAccess_) return WatchEnd::NoAccess;
        if (opened && searching) {
            if (const std::optional<WatchEnd> end = Search(tickAt)) return *end;
        } else if (opened) {
            Poll();
        }
        // After a long retrieve the next look is a whole interval away.
        tickAt = std::max(tickAt + interval_, connected_ ? Clock::now() + interval_ : Clock::now());
    }
}

}  // namespace

WatchEnd WatchKeyboard(const WatchSettings& settings, WatchEvents& events) {
    Watcher watcher(settings, events);
    return watcher.Run();
}
