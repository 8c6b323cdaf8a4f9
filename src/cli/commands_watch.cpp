// watch: waits for the keyboard and delivers its current file at each arrival.
#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/delivery.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/platform.h"
#include "cli/terminal_text.h"
#include "cli/watch_log.h"
#include "device/watch.h"

namespace {

constexpr uint32_t MsPerSecond = 1000;

// The watch's events as lines on standard error, and its deliveries.
class WatchOnPort final : public WatchEvents {
public:
    WatchOnPort(std::string port, int intervalSeconds, Delivery& delivery)
        : port_(std::move(port)), every_(" every " + std::to_string(intervalSeconds) + " s"), delivery_(delivery) {}

    PortOpening OpenPort() override {
        PortOpenFailure failure;
        PortOpening opening;
        opening.port = OpenSerialPort(port_, &failure);
        opening.reason = failure.reason;
        opening.hint = failure.hint;
        opening.noAccess = failure.noAccess;
        return opening;
    }

    void Searching() override { LogEvent("searching for the keyboard on " + port_ + every_); }
    void PortUnavailable(const PortOpening& opening) override {
        const std::string hint = opening.hint.empty() ? "" : " (" + opening.hint + ")";
        const std::string then = opening.noAccess ? "" : "; trying again" + every_;
        LogEvent("cannot open " + port_ + ": " + opening.reason + hint + then);
    }
    void PortFailed(uint32_t systemError) override {
        LogEvent("port lost: " + port_ + ": " + SystemErrorText(systemError) + "; opening it again" + every_);
    }
    void PortBack() override { LogEvent("port back: " + port_); }
    void Connected(const std::string& identity) override { LogEvent("connected: " + Printable(identity)); }
    void Gone() override { LogEvent("gone: the keyboard stopped answering"); }
    void NoCurrentFile() override { LogEvent("the keyboard did not say which file is current; nothing fetched"); }
    void EmptyFile(int fileNumber) override {
        LogEvent("file " + std::to_string(fileNumber) + " is empty; nothing delivered");
    }
    void RetrieveFailed(const Outcome& outcome) override { LogEvent("retrieve failed: " + OutcomeMessage(outcome)); }
    bool Deliver(const Arrival& arrival) override { return delivery_.Deliver(arrival); }
    void Idle() override { delivery_.CollectFinishedCommands(); }

private:
    std::string port_;
    std::string every_;
    Delivery& delivery_;
};

int ExitCodeOf(WatchEnd end) {
    switch (end) {
    case WatchEnd::Stopped:
    case WatchEnd::Delivered: return ExitDone;
    case WatchEnd::Failed: return ExitDevice;
    case WatchEnd::NoAccess: return ExitPortOpen;
    }
    return ExitDevice;
}

}  // namespace

int RunWatch(const GlobalOptions& global, const WatchOptions& options) {
    if (!options.delivery.Any()) {
        Say("watch needs somewhere to deliver the text: --output DIR, --exec CMD, --clipboard or --paste");
        return ExitUsage;
    }
    const std::string port = ChoosePort(global.port);
    if (port.empty()) {
        Say(NoPortAdvice());
        return ExitUsage;
    }
    Delivery delivery(options.delivery);
    if (const int failed = delivery.Prepare()) return failed;

    // A stop (the handlers are installed at start-up) ends the watch cleanly:
    // a retrieve in flight ends at its block boundary and the keyboard is told
    // the transfer is over.
    WatchSettings settings;
    settings.intervalMs = static_cast<uint32_t>(options.intervalSeconds) * MsPerSecond;
    settings.once = options.once;
    WatchOnPort events(port, options.intervalSeconds, delivery);
    const WatchEnd end = WatchKeyboard(settings, events);
    if (end == WatchEnd::Stopped) LogEvent("stopped");
    return ExitCodeOf(end);
}
