#pragma once

// Ctrl-C, SIGTERM and SIGHUP (on Windows: Ctrl-C, Ctrl-Break and closing the
// console) do not end the process on the spot: they only request a stop, and
// the command in flight takes the keyboard back to command mode before it
// ends. The handlers are installed once, at start-up.
void InstallInterruptHandlers();

// The signal that requested the stop, or 0 when none came. On Windows any
// console event counts as SIGINT (2).
int InterruptSignal();

// The exit status of a command that a signal stopped: 128 + the signal's
// number on Linux, 130 on Windows.
int InterruptExitCode();
