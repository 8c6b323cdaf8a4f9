#pragma once
#include <cstdint>
#include "link/byte_port.h"
#include "link/result_codes.h"

// Makes file `index` current on the device and learns its length, so that the
// retrieve is offered only for a file with text; a failed length query reads as
// empty. Returns the selection's result, with the system error of its failed
// port call in *portError (0 when none failed).
ResultCode SwitchDeviceFile(BytePort& port, uint32_t index, uint32_t* length, uint32_t* portError);
