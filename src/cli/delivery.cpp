#include "cli/delivery.h"

#include "cli/clipboard.h"
#include "cli/connection.h"
#include "cli/draft_folder.h"
#include "cli/exit_codes.h"
#include "cli/platform.h"
#include "cli/terminal_text.h"
#include "cli/watch_log.h"
#include "device/backup_folder.h"
#include "device/text_forms.h"

namespace {

// The keyboard is told the transfer is over once the command has taken the
// text, but a command that takes its time must not keep the keyboard waiting.
constexpr uint32_t CommandWaitMs = 30000;

}  // namespace

int Delivery::Prepare() {
    if (!options_.folder.empty()) {
        const Outcome made = CreatePcFolders(PathFromUtf8(options_.folder));
        if (!made.Ok()) return Report(made);
    }
    std::string reason;
    if ((options_.clipboard || options_.paste) && !ClipboardReachable(&reason)) {
        Say(reason);
        return ExitUsage;
    }
    if (options_.paste && !PasteKeyTypable(&reason)) {
        LogEvent(reason + "; the text is left on the clipboard");
        canType_ = false;
    }
    return ExitDone;
}

bool Delivery::WriteToFolder(const Arrival& arrival, const std::string& text) {
    PcPath written;
    const Outcome outcome = WriteDraft(PathFromUtf8(options_.folder), UtcTimeNow(), arrival.fileNumber, text, &written);
    if (!outcome.Ok()) LogEvent("not written: " + OutcomeMessage(outcome));
    return outcome.Ok();
}

bool Delivery::RunCommand(const Arrival& arrival, const std::string& text) {
    const EnvironmentAdditions environment = {
        {"GLIMMERLY_FILE", std::to_string(arrival.fileNumber)},
        {"GLIMMERLY_ARRIVAL", std::to_string(arrival.number)},
        {"GLIMMERLY_IDENTITY", Printable(arrival.identity)},
    };
    std::string error;
    std::unique_ptr<ChildProcess> process = ChildProcess::StartShell(options_.command, environment, text, &error);
    if (!process) {
        LogEvent("the command could not be started: " + error);
        return false;
    }
    std::string failure;
    if (!process->Wait(CommandWaitMs, &failure)) {
        LogEvent("the command is still running; going on without it");
        running_.push_back({arrival.number, std::move(process)});
        return true;
    }
    if (!failure.empty()) LogEvent("the command failed: " + failure);
    return failure.empty();
}

bool Delivery::PlaceAndPaste(const std::string& text) {
    std::string failure;
    if (!PlaceOnClipboard(text, &failure)) {
        LogEvent("not placed on the clipboard: " + failure);
        return false;
    }
    if (options_.paste && canType_ && !TypePasteKey(&failure) && !typingRefusalSaid_) {
        LogEvent(failure + "; the text is left on the clipboard");
        typingRefusalSaid_ = true;
    }
    return true;
}

bool Delivery::Deliver(const Arrival& arrival) {
    const std::string text = DeviceToUtf8(arrival.text, NativeLineEnd);
    bool delivered = true;
    if (!options_.folder.empty()) delivered = WriteToFolder(arrival, text) && delivered;
    if (options_.clipboard || options_.paste) delivered = PlaceAndPaste(text) && delivered;
    if (!options_.command.empty()) delivered = RunCommand(arrival, text) && delivered;
    const std::string what = std::to_string(arrival.text.size()) + " characters from file " +
                             std::to_string(arrival.fileNumber);
    LogEvent(delivered ? what + " delivered" : what + ": delivery failed");
    return delivered;
}

void Delivery::CollectFinishedCommands() {
    for (auto it = running_.begin(); it != running_.end();) {
        std::string failure;
        if (!it->process->Wait(0, &failure)) {
            ++it;
            continue;
        }
        const std::string which = "the command of arrival " + std::to_string(it->arrival);
        LogEvent(failure.empty() ? which + " has finished" : which + " failed: " + failure);
        it = running_.erase(it);
    }
}
