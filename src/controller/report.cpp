#include "controller/report.h"

#include <windows.h>

#include "controller/session.h"
#include "controller/window_state.h"
#include "controller/window_texts.h"
#include "link/win/system_message.h"

namespace {

// Room for the fallback wording of a port failure and its error code.
constexpr int FallbackTextSize = 96;
// Room for our captions, as the wide call that shows the system's words takes them.
constexpr int CaptionSize = 32;

void ShowNotice(const char* text) {
    MessageBoxA(MainWindow, text, CaptionNotice, MB_OK | MB_ICONINFORMATION);
}

// The port failure: the error code is the one the port captured at the failing
// call. GetLastError here would read whatever later calls (drawing the progress,
// the window messages) left behind, usually 0, which the system words as success.
void ReportPortFailure(DWORD error) {
    const SystemMessage systemText(error);

    ApplyPortFailureReset(MainWindow);

    if (systemText.Text() != nullptr) {
        wchar_t caption[CaptionSize];
        MultiByteToWideChar(CP_ACP, 0, CaptionError, -1, caption, CaptionSize);
        MessageBoxW(MainWindow, systemText.Text(), caption, MB_OK | MB_ICONWARNING);
        return;
    }
    // The system has no words for this code; the user still learns that the
    // link failed, and the code lets someone look it up.
    char fallback[FallbackTextSize];
    wsprintfA(fallback, "The connection to the Quillatron failed (system error %lu).",
              static_cast<unsigned long>(error));
    MessageBoxA(MainWindow, fallback, CaptionError, MB_OK | MB_ICONWARNING);
}

}  // namespace

void ShowWarning(const char* text) {
    MessageBoxA(MainWindow, text, CaptionError, MB_OK | MB_ICONWARNING);
}

void ReportResult(ResultCode code, uint32_t portError) {
    if (code == ResultOk) {
        return;
    }
    if (GetForegroundWindow() != MainWindow) {
        return;
    }
    switch (code) {
    case ResultPortFailure:
        ReportPortFailure(portError);
        break;
    case ResultNoData:
        ShowNotice(TextNoData);
        break;
    case ResultFileFull:
        ShowNotice(TextFileFull);
        break;
    default:
        ShowWarning(TextUnexpectedReply);
        break;
    }
}
