#include "controller/device_backup_command.h"

#include <string>

#include "controller/busy_section.h"
#include "controller/display_scope.h"
#include "controller/esc_stop.h"
#include "controller/folder_chooser.h"
#include "controller/session.h"
#include "controller/window_state.h"
#include "controller/window_texts.h"
#include "device/backup_folder.h"
#include "device/utf16.h"
#include "link/hello.h"
#include "link/win/serial_port.h"
#include "link/win/system_message.h"
#include "ui/progress_display.h"
#include "ui/window_icons.h"

namespace {

constexpr const wchar_t* CaptionBackup = L"Quillatron Backup";
constexpr const wchar_t* TextChooseBackupParent = L"Choose the folder to put the new backup folder in.";
constexpr const wchar_t* TextChooseBackup = L"Choose a backup folder to restore from.";
constexpr const char* TextBackingUp = "Backing up all files.";
constexpr const char* TextRestoring = "Restoring files.";

std::wstring Ansi(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}

void Tell(HWND window, const std::wstring& text, UINT icon) {
    MessageBoxW(window, text.c_str(), CaptionBackup, MB_OK | icon);
}

// The window's own words for a device failure; the system's for a port failure,
// which also closes the port so that the monitor searches again.
std::wstring Describe(HWND window, const Outcome& outcome) {
    if (outcome.kind != FailureKind::Device) return Utf16FromUtf8(outcome.detail);
    switch (outcome.code) {
    case ResultPortFailure: {
        ApplyPortFailureReset(window);
        const SystemMessage text(outcome.portError);
        return text.Text() != nullptr ? text.Text() : L"The connection to the Quillatron failed.";
    }
    default: return Ansi(DeviceReplyText(outcome.code));
    }
}

// A new folder for each backup, named by the local date and time.
PcPath DatedFolder(const PcPath& parent) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char name[64];
    wsprintfA(name, "Quillatron backup %04u-%02u-%02u %02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    return parent / name;
}

// The keyboard can go while a dialog of ours is open (the poll runs in its
// message loop), so each transfer checks again right before it starts.
bool KeyboardConnected(HWND window) {
    if (ConnectedFlag != 0) return true;
    Tell(window, Ansi(TextNoKeyboard), MB_ICONWARNING);
    return false;
}

// The window's bar counts in 16 bits, and all eight files together can hold
// about twice that: the whole range is scaled down to fit, advancing by the
// scaled difference so that no rounding is lost on the way.
class FittedProgress final : public ProgressSink {
public:
    explicit FittedProgress(ProgressSink& bar) : bar_(bar) {}
    void ProgressBegin(uint32_t total) override {
        divisor_ = total / BarLimit + 1;
        done_ = 0;
        shown_ = 0;
        bar_.ProgressBegin(total / divisor_);
    }
    void ProgressAdvance(uint32_t count) override {
        done_ += count;
        const uint32_t scaled = done_ / divisor_;
        bar_.ProgressAdvance(scaled - shown_);
        shown_ = scaled;
    }

private:
    static constexpr uint32_t BarLimit = 0xFFFF;
    ProgressSink& bar_;
    uint32_t divisor_ = 1;
    uint32_t done_ = 0;
    uint32_t shown_ = 0;
};

// The transfer itself, busy, with the progress bar and the animated icon
// running. It takes minutes, so the status line says how to stop it; the title
// says what runs.
template <typename Work>
Outcome Transfer(HWND window, const char* title, Work work) {
    const BusyScope busy;
    const DisplayScope display(window, WithProgress::Yes);
    SetStatusLine(window, TextPressEscToStop);
    SetWindowTitle(window, title);
    SerialBytePort port(PortHandle);
    WindowProgress bar(window, ProgressIcons);
    FittedProgress progress(bar);
    Outcome outcome;
    {
        EscStopsTransfer esc;
        const ResultCode drained = DrainInput(port);
        outcome = drained == ResultOk ? work(port, progress) : DeviceFailure(port, drained);
    }
    SetStatusLine(window, TextEmpty);
    if (ConnectedFlag != 0) ShowConnectedTitle(window);
    return outcome;
}

bool WasStopped(const Outcome& outcome) { return outcome.kind == FailureKind::Stopped; }

std::wstring FileList(const LoadedBackup& backup) {
    std::wstring list;
    for (const DeviceFile& file : backup.files) {
        if (!list.empty()) list += L", ";
        list += static_cast<wchar_t>(L'0' + file.facts.number);  // 1 to 8
    }
    return list;
}

}  // namespace

LRESULT BackupAllFilesCommand(HWND window) {
    if (!KeyboardConnected(window)) return TRUE;
    const PcPath parent = ChooseFolder(window, TextChooseBackupParent);
    if (parent.Empty()) return TRUE;
    return BackupIntoFolder(window, parent);
}

LRESULT RestoreFilesCommand(HWND window) {
    if (!KeyboardConnected(window)) return TRUE;
    const PcPath folder = ChooseFolder(window, TextChooseBackup);
    if (folder.Empty()) return TRUE;
    return RestoreFromFolder(window, folder);
}

LRESULT BackupIntoFolder(HWND window, const PcPath& parent) {
    if (!KeyboardConnected(window)) return TRUE;
    const PcPath folder = DatedFolder(parent);
    const Outcome outcome = Transfer(window, TextBackingUp, [&](BytePort& port, ProgressSink& progress) {
        std::string identity;
        if (!IdentifyDevice(port, &identity)) return DeviceFailure(port, ResultBadLength);
        return BackupDevice(port, &progress, folder, identity, nullptr);
    });
    if (outcome.Ok()) {
        Tell(window, L"All eight files were backed up to:\n" + Utf16FromUtf8(folder.Text()), MB_ICONINFORMATION);
    } else if (WasStopped(outcome)) {
        Tell(window, L"The backup was stopped with Esc before it was complete. The Quillatron's files are unchanged.",
             MB_ICONINFORMATION);
    } else {
        Tell(window, L"The backup did not finish:\n" + Describe(window, outcome), MB_ICONWARNING);
    }
    return TRUE;
}

LRESULT RestoreFromFolder(HWND window, const PcPath& folder) {
    LoadedBackup backup;
    const Outcome loaded = LoadBackup(folder, {}, &backup);
    if (!loaded.Ok()) {
        Tell(window, L"Nothing was restored:\n" + Describe(window, loaded), MB_ICONWARNING);
        return TRUE;
    }
    const std::wstring question = L"Replace file(s) " + FileList(backup) + L" on the Quillatron with the backup in\n" +
                                  Utf16FromUtf8(folder.Text()) + L"?";
    if (MessageBoxW(window, question.c_str(), CaptionBackup, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return TRUE;
    if (!KeyboardConnected(window)) return TRUE;

    // The files about to be replaced are kept first; without a place for
    // them nothing is written.
    RestorePlan plan;
    const Outcome root = KeptCopiesRoot(&plan.keepRoot);
    if (!root.Ok()) {
        Tell(window, L"Nothing was restored:\n" + Describe(window, root), MB_ICONWARNING);
        return TRUE;
    }
    RestoreReport report;
    const Outcome outcome = Transfer(window, TextRestoring, [&](BytePort& port, ProgressSink& progress) {
        if (!IdentifyDevice(port, &plan.identity)) return DeviceFailure(port, ResultBadLength);
        return RestoreDevice(port, &progress, backup, plan, &report);
    });
    const std::wstring kept = report.keptCopy.Empty() ? std::wstring()
        : L"\n\nThe files as they were before are kept in:\n" + Utf16FromUtf8(report.keptCopy.Text());
    if (outcome.Ok()) {
        Tell(window, L"Restored and verified file(s) " + FileList(backup) + L"." + kept, MB_ICONINFORMATION);
    } else if (WasStopped(outcome)) {
        Tell(window, L"The restore was stopped with Esc.\n\n" + Utf16FromUtf8(FateLines(report.files)) + kept,
             MB_ICONINFORMATION);
    } else {
        Tell(window, L"The restore did not finish:\n" + Describe(window, outcome) + L"\n\n" +
                         Utf16FromUtf8(FateLines(report.files)) + kept, MB_ICONWARNING);
    }
    return TRUE;
}
