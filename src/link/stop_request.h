#pragma once

// One request to stop the transfer in flight, for the whole process.
//
// A person stops a transfer with Ctrl-C, SIGTERM or a closed console (the
// command line) or Esc (the window). None of them may cut a transfer off in
// the middle of a block: the keyboard would be left in write mode or with a
// half-answered read. So they only set this request, and the link and the
// device core look at it where stopping is safe (a block boundary, between
// commands) and then take the keyboard back to command mode.
//
// RequestStop is async-signal-safe and may be called from any thread.

// Asks the transfer in flight to stop at its next safe point.
void RequestStop() noexcept;

// True once a stop was requested (by RequestStop, or by the poll below).
bool StopRequested() noexcept;

// Forgets the request, before the next command starts afresh.
void ClearStopRequest() noexcept;

// The window has no signal: its Esc is read from the key state at each safe
// point instead. A poll that answers true sets the request. Null removes it.
using StopPoll = bool (*)();
void SetStopPoll(StopPoll poll) noexcept;
