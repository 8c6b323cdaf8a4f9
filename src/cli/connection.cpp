#include "cli/connection.h"

#include <cstdlib>

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/platform.h"
#include "device/device_files.h"
#include "device/device_texts.h"
#include "link/hello.h"

namespace {

constexpr const char* PortVariable = "GLIMMERLY_PORT";

std::string DeviceMessage(const Outcome& outcome) {
    if (outcome.code == ResultPortFailure) return SystemErrorText(outcome.portError);
    return DeviceReplyText(outcome.code);
}

// A port that failed the hello is not a keyboard out of reach: the system's
// reason says what to look at.
std::string HelloFailureText(const HelloPortTrouble& trouble) {
    if (trouble.failed) return SystemErrorText(trouble.error);
    if (trouble.written < trouble.asked) {
        return "the port accepted only " + std::to_string(trouble.written) + " of " + std::to_string(trouble.asked) +
               " bytes";
    }
    return TextNoKeyboard;
}

int ExitCodeOf(FailureKind kind) {
    switch (kind) {
    case FailureKind::None: return ExitDone;
    case FailureKind::Device:
    case FailureKind::Mismatch: return ExitDevice;
    case FailureKind::Usage: return ExitUsage;
    case FailureKind::TooLong: return ExitTooLong;
    case FailureKind::PcFile: return ExitPcFile;
    case FailureKind::Stopped: return InterruptExitCode();
    }
    return ExitDevice;
}

}  // namespace

std::string ChoosePort(const std::string& option) {
    if (!option.empty()) return option;
    const char* variable = std::getenv(PortVariable);
    if (variable != nullptr && *variable != '\0') return variable;
    return DefaultPortName().value_or("");
}

std::string OutcomeMessage(const Outcome& outcome) {
    std::string message = outcome.kind == FailureKind::Device ? DeviceMessage(outcome) : outcome.detail;
    if (outcome.kind == FailureKind::Device && outcome.fileNumber != 0) {
        message += " (file " + std::to_string(outcome.fileNumber) + ")";
    }
    return message;
}

void Say(const std::string& message) { WriteStderr("glimmerly-cli: " + message + "\n"); }

int Report(const Outcome& outcome) {
    if (outcome.Ok()) return ExitDone;
    Say(OutcomeMessage(outcome));
    return ExitCodeOf(outcome.kind);
}

int InterruptedBeforeSending() {
    if (InterruptSignal() == 0) return ExitDone;
    Say("interrupted; nothing was sent");
    return InterruptExitCode();
}

int Connect(const std::string& portOption, Connection* connection) {
    if (const int interrupted = InterruptedBeforeSending()) return interrupted;
    const std::string name = ChoosePort(portOption);
    if (name.empty()) {
        Say(NoPortAdvice());
        return ExitUsage;
    }
    PortOpenFailure failure;
    connection->port = OpenSerialPort(name, &failure);
    if (!connection->port) {
        Say("cannot open " + name + ": " + failure.reason);
        if (!failure.hint.empty()) Say(failure.hint);
        return ExitPortOpen;
    }
    const ResultCode drained = DrainInput(*connection->port);
    if (drained != ResultOk) return Report(DeviceFailure(*connection->port, drained));
    HelloPortTrouble trouble;
    if (!IdentifyDevice(*connection->port, &connection->identity, &trouble)) {
        Say(HelloFailureText(trouble) + " (port " + name + ")");
        return ExitDevice;
    }
    return ExitDone;
}
