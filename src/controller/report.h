#pragma once
#include <cstdint>
#include "link/result_codes.h"

// Tells the user how a device operation ended, but only while the main window
// is the foreground window: an automatic retrieve types into another program,
// and a box popping up over it would steal the paste. A port failure also drops
// the connection (before the box opens) so that the poll starts searching again.
// A stop the user asked for (ResultStopped) shows nothing here.
// `portError` is the system error of the port call that failed, for a port
// failure (the port keeps it: BytePort::FailedCallError); other codes ignore it.
void ReportResult(ResultCode code, uint32_t portError);

// A warning box owned by the main window, shown whatever window is in front.
void ShowWarning(const char* text);

// A notice box, the same way.
void ShowNotice(const char* text);
