#include "cli/interrupt.h"

#include <unistd.h>

#include <csignal>

#include "link/stop_request.h"

namespace {

volatile std::sig_atomic_t interruptSignal = 0;
struct sigaction brokenPipeBefore = {};
int deviceCommands = 0;

constexpr char StillCleaningUp[] = "glimmerly-cli: still putting the keyboard back; please wait\n";

void OnSignal(int signal) {
    if (interruptSignal != 0) {
        // Only async-signal-safe calls here; a failed write has nothing to tell.
        const ssize_t ignored = write(STDERR_FILENO, StillCleaningUp, sizeof StillCleaningUp - 1);
        (void)ignored;
        return;
    }
    interruptSignal = signal;
    RequestStop();
}

void Catch(int signal) {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read of the terminal or of standard input is abandoned,
    // so a confirmation question cannot hold the stop up.
    action.sa_flags = 0;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallInterruptHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    Catch(SIGINT);
    Catch(SIGTERM);
    Catch(SIGHUP);
}

int InterruptSignal() { return interruptSignal; }

int InterruptExitCode() { return 128 + interruptSignal; }

void InterruptCleanupFinished() {}

DeviceCommandScope::DeviceCommandScope() {
    if (deviceCommands++ != 0) return;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &brokenPipeBefore);
}

DeviceCommandScope::~DeviceCommandScope() {
    if (--deviceCommands == 0) sigaction(SIGPIPE, &brokenPipeBefore, nullptr);
}
