#include "controller/session.h"

// One session per process: the program has a single main window, and every
// handler of that window runs on the thread that created it.
HANDLE PortHandle = INVALID_HANDLE_VALUE;
uint32_t ConnectedFlag = 0;
uint32_t BusyFlag = 0;
uint32_t ClipboardTextFlag = 0;
uint32_t CurrentFile = 0;
uint32_t TransferLength = 0;
uint32_t SendLimit = 0;
HWND MainWindow = nullptr;
UINT_PTR PollTimer = 0;
HANDLE InstanceMutex = nullptr;
