#include "cli/interrupt.h"

#include <windows.h>

#include <atomic>

#include "link/stop_request.h"

namespace {

constexpr int ConsoleInterrupt = 2;  // reported as SIGINT
std::atomic<int> interruptSignal{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        interruptSignal.store(ConsoleInterrupt);
        RequestStop();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void InstallInterruptHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

int InterruptSignal() { return interruptSignal.load(); }

int InterruptExitCode() { return 128 + ConsoleInterrupt; }
