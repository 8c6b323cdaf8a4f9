#pragma once
#include <cstdint>
#include "link/byte_port.h"
#include "link/progress.h"
#include "link/result_codes.h"

// Reads the current file's text into `destination` (destinationSize bytes), then
// a zero byte after the last byte received. With no destination, only the length
// is queried. *length receives the announced length, and only on ResultOk.
// Never writes beyond the destination: a length whose text, the last read's
// overshoot and the zero byte would not fit is refused with ResultBadLength
// before the read command is sent. Five cycles in a row that bring nothing, or a
// block not in within 4 s of its first request, end the transfer with ResultBadLength. `progress` may be null for the length-only form.
ResultCode RetrieveFile(BytePort& port, ProgressSink* progress, uint8_t* destination,
                        uint32_t destinationSize, uint32_t* length);
