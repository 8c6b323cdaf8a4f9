#pragma once

// A command that talks to the device holds the instance mutex and raises
// BusyFlag for its whole run: the message boxes it may show run a nested
// message loop, and the poll timer must keep off the port meanwhile.
void EnterBusy();
void LeaveBusy();
