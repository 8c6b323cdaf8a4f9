#pragma once
#include <windows.h>
#include <cstdint>

// The session state of the main window, one set per process, touched only on
// the user-interface thread.
extern HANDLE PortHandle;          // INVALID_HANDLE_VALUE while closed
extern uint32_t ConnectedFlag;     // the device answered the hello on PortHandle
extern uint32_t BusyFlag;          // a retrieve, send or file switch is running
extern uint32_t ClipboardTextFlag; // the clipboard held text at the last look
extern uint32_t CurrentFile;       // the device's current file, 0..7
extern uint32_t TransferLength;    // bytes of the text last moved
extern uint32_t SendLimit;         // a send's room when the device does not report it
extern HWND MainWindow;
extern UINT_PTR PollTimer;
extern HANDLE InstanceMutex;

inline constexpr UINT PollTimerId = 3;
inline constexpr UINT PollPeriodMs = 3000;
