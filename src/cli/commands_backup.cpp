// backup, restore and ports.
#include <algorithm>
#include <cctype>
#include <memory>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/exit_codes.h"
#include "cli/platform.h"
#include "cli/progress_bar.h"
#include "cli/terminal_text.h"
#include "device/backup_folder.h"
#include "device/pc_files.h"

namespace {

std::string NumberList(const std::vector<DeviceFile>& files) {
    std::string list;
    for (const DeviceFile& file : files) {
        list += (list.empty() ? "" : ", ") + std::to_string(file.facts.number);
    }
    return list;
}

// A terminal asks the user; anything else needs --yes, so a script never
// replaces files it did not mean to.
int Confirm(const RestoreOptions& options, const LoadedBackup& backup) {
    // The time comes from the folder, which anybody may have written.
    Say("will replace file(s) " + NumberList(backup.files) + " on the keyboard with the backup in " +
        options.folder + (backup.manifest.time.empty() ? "" : " (made " + Printable(backup.manifest.time) + ")"));
    if (options.yes) return ExitDone;
    if (!StdinIsTerminal()) {
        Say("standard input is not a terminal: add --yes to confirm; nothing was sent");
        return ExitUsage;
    }
    WriteStderr("Replace them? [y/N] ");
    std::string answer = ReadTerminalLine();
    if (const int interrupted = InterruptedBeforeSending()) return interrupted;
    std::transform(answer.begin(), answer.end(), answer.begin(), [](unsigned char c) { return std::tolower(c); });
    if (answer == "y" || answer == "yes") return ExitDone;
    Say("not confirmed; nothing was sent");
    return ExitUsage;
}

// What a restore that did not finish left in each file, and where the files
// it replaced are kept.
void TellWhatWasLeft(const RestoreReport& report) {
    bool touched = false;
    for (const FileFate& fate : report.files) touched = touched || fate.kind != FateKind::NotTouched;
    if (touched) {
        for (const FileFate& fate : report.files) Say(FateLine(fate));
    } else {
        Say("no file was changed");
    }
    if (!report.keptCopy.Empty()) Say("the files as they were before are kept in " + PathText(report.keptCopy));
}

}  // namespace

int RunBackup(const GlobalOptions& global, const std::string& folder) {
    const PcPath path = PathFromUtf8(folder);
    // A folder that is in the way is found before the keyboard is disturbed.
    std::string reason;
    switch (InspectPcPath(path, &reason)) {
    case PcPathState::Occupied: Say(folder + " exists and is not an empty folder"); return ExitUsage;
    case PcPathState::Unusable: Say("cannot use " + folder + ": " + reason); return ExitPcFile;
    case PcPathState::Missing:
    case PcPathState::EmptyFolder: break;
    }
    Connection connection;
    if (const int failed = Connect(global.port, &connection)) return failed;
    Manifest manifest;
    Outcome outcome;
    {
        std::unique_ptr<ProgressBar> bar = StderrIsTerminal() ? std::make_unique<ProgressBar>() : nullptr;
        outcome = BackupDevice(*connection.port, bar.get(), path, connection.identity, &manifest);
    }
    if (outcome.kind == FailureKind::Stopped) {
        Say("interrupted; what the backup had written to " + folder + " was removed");
        return InterruptExitCode();
    }
    if (!outcome.Ok()) {
        const int code = Report(outcome);
        if (outcome.kind != FailureKind::Usage) Say("the backup in " + folder + " is incomplete (no manifest.json)");
        return code;
    }
    uint32_t bytes = 0;
    for (const ManifestEntry& entry : manifest.files) bytes += entry.facts.length;
    Say("backed up " + std::to_string(manifest.files.size()) + " files (" + std::to_string(bytes) +
        " characters) to " + folder);
    return ExitDone;
}

int RunRestore(const GlobalOptions& global, const RestoreOptions& options) {
    LoadedBackup backup;
    Outcome outcome = LoadBackup(PathFromUtf8(options.folder), options.files, &backup);
    if (!outcome.Ok()) return Report(outcome);
    if (backup.files.empty()) {
        Say("the backup lists no files; nothing to restore");
        return ExitPcFile;
    }
    if (const int declined = Confirm(options, backup)) return declined;

    RestorePlan plan;
    if (!options.noKeep) {
        outcome = KeptCopiesRoot(&plan.keepRoot);
        if (!outcome.Ok()) return Report(outcome);
    }
    Connection connection;
    if (const int failed = Connect(global.port, &connection)) return failed;
    plan.identity = connection.identity;
    RestoreReport report;
    {
        std::unique_ptr<ProgressBar> bar = StderrIsTerminal() ? std::make_unique<ProgressBar>() : nullptr;
        plan.kept = [&bar, &backup](const PcPath& kept) {
            if (bar) bar->Finish();
            Say("kept file(s) " + NumberList(backup.files) + " as the keyboard held them in " + PathText(kept));
        };
        outcome = RestoreDevice(*connection.port, bar.get(), backup, plan, &report);
    }
    if (!outcome.Ok()) {
        const int code = Report(outcome);
        TellWhatWasLeft(report);
        return code;
    }
    Say("restored and verified file(s) " + NumberList(backup.files));
    return ExitDone;
}

int RunPorts() {
    std::string text;
    for (const PortListing& port : ListSerialPorts()) {
        text += port.name + (port.detail.empty() ? "" : "  " + port.detail) + "\n";
    }
    if (text.empty()) Say("the system lists no serial ports");
    return WriteStdout(text, true) ? ExitDone : ExitPcFile;
}
