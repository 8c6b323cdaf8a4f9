#include "cli/interrupt.h"

#include <windows.h>

#include <atomic>

#include "link/stop_request.h"

namespace {

constexpr int ConsoleInterrupt = 2;  // reported as SIGINT
// Windows ends a process 5 s after a console close; the wait leaves a second
// of that for the process's own end.
constexpr DWORD CloseWaitMs = 4000;
constexpr char StillCleaningUp[] = "glimmerly-cli: still putting the keyboard back; please wait\r\n";

std::atomic<int> interruptSignal{0};
HANDLE cleanupFinished = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        break;
    default:
        return FALSE;
    }
    int none = 0;
    if (!interruptSignal.compare_exchange_strong(none, ConsoleInterrupt)) {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), StillCleaningUp, sizeof StillCleaningUp - 1, &written, nullptr);
    }
    RequestStop();
    // Returning from a close ends the process at once: the main thread gets
    // its time to put the keyboard back first.
    if (event == CTRL_CLOSE_EVENT && cleanupFinished != nullptr) WaitForSingleObject(cleanupFinished, CloseWaitMs);
    return TRUE;
}

}  // namespace

void InstallInterruptHandlers() {
    if (cleanupFinished != nullptr) return;  // once is enough
    cleanupFinished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // A program started in a new process group ignores Ctrl-C unless it asks
    // for it; here it only ever requests a clean stop.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int InterruptSignal() { return interruptSignal.load(); }

int InterruptExitCode() { return 128 + ConsoleInterrupt; }

void InterruptCleanupFinished() {
    if (cleanupFinished != nullptr) SetEvent(cleanupFinished);
}

// A Windows console has no signal for a closed pipe: a failed write is all.
DeviceCommandScope::DeviceCommandScope() {}
DeviceCommandScope::~DeviceCommandScope() {}
