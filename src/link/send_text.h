#pragma once
#include <cstdint>
#include "link/byte_port.h"
#include "link/progress.h"
#include "link/result_codes.h"

// Writes `count` device bytes into the current file, replacing its text or, when
// `append` is set, adding to it. The text is cut to the room the device reports;
// when it does not report its capacity, to `sendLimit`.
ResultCode SendText(BytePort& port, ProgressSink& progress, const uint8_t* text, uint32_t count,
                    bool append, uint32_t sendLimit);

// The fallback room of a send into file `index`: its capacity minus one.
uint32_t SendLimitForFile(uint32_t index);
