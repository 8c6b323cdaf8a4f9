#include "controller/busy_section.h"

#include "controller/session.h"

void EnterBusy() {
    WaitForSingleObject(InstanceMutex, INFINITE);
    BusyFlag = 1;
}

void LeaveBusy() {
    BusyFlag = 0;
    ReleaseMutex(InstanceMutex);
}
