#include "cli/interrupt.h"

#include <csignal>

#include "link/stop_request.h"

namespace {

volatile std::sig_atomic_t interruptSignal = 0;

void OnSignal(int signal) {
    if (interruptSignal == 0) interruptSignal = signal;
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
    Catch(SIGINT);
    Catch(SIGTERM);
    Catch(SIGHUP);
}

int InterruptSignal() { return interruptSignal; }

int InterruptExitCode() { return 128 + interruptSignal; }
