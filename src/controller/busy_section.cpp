#include "controller/busy_section.h"

#include "controller/session.h"

BusyScope::BusyScope(BusyRelease order) : order_(order) {
    WaitForSingleObject(InstanceMutex, INFINITE);
    BusyFlag = 1;
}

BusyScope::~BusyScope() {
    if (order_ == BusyRelease::MutexFirst) {
        ReleaseMutex(InstanceMutex);
        BusyFlag = 0;
    } else {
        BusyFlag = 0;
        ReleaseMutex(InstanceMutex);
    }
}
