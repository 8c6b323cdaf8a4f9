#include "settings/port_in_use.h"

const char* PortInUse(const char* userPort, const char* driverPort) {
    return userPort[0] != '\0' ? userPort : driverPort;
}
