#pragma once

// Ctrl-C, SIGTERM and SIGHUP (on Windows: Ctrl-C, Ctrl-Break and closing the
// console) do not end the process on the spot: they only request a stop, and
// the command in flight takes the keyboard back to command mode before it
// ends. A second one while that clean-up runs is acknowledged on standard
// error and changes nothing. The handlers are installed once, at start-up,
// without restarting interrupted calls, so that a question waiting for an
// answer or a read of standard input is abandoned at once. main() installs
// them; a later call changes nothing.
void InstallInterruptHandlers();

// The signal that requested the stop, or 0 when none came. On Windows any
// console event counts as SIGINT (2).
int InterruptSignal();

// The exit status of a command that a signal stopped: 128 + the signal's
// number on Linux, 130 on Windows.
int InterruptExitCode();

// Called once the command and its clean-up are over. Windows gives a console
// being closed 5 s: its handler holds the process until this (at most 4 s),
// so that the keyboard is put back before the process is ended.
void InterruptCleanupFinished();

// Held while a device command runs: a reader of standard error that goes away
// (a closed pipe, SIGPIPE) must not end the process before the keyboard is put
// back; such a write fails instead.
class DeviceCommandScope {
public:
    DeviceCommandScope();
    ~DeviceCommandScope();
    DeviceCommandScope(const DeviceCommandScope&) = delete;
    DeviceCommandScope& operator=(const DeviceCommandScope&) = delete;
};
