#pragma once
#include <cstdint>
#include "link/byte_port.h"
#include "link/progress.h"
#include "link/result_codes.h"

// Writes `count` device bytes into the current file, replacing its text or, when
// `append` is set, adding to it. The text is cut to the room the device reports;
// when it does not report its capacity, to `sendLimit`.
//
// A stop request is taken after the block in flight is acknowledged: the write
// is closed with end-of-text, the file keeps what reached it, and the result is
// ResultStopped. `acknowledged`, when given, receives the number of bytes the
// device acknowledged, whatever the result.
ResultCode SendText(BytePort& port, ProgressSink& progress, const uint8_t* text, uint32_t count,
                    bool append, uint32_t sendLimit, uint32_t* acknowledged = nullptr);

// The fallback room of a send into file `index`: its capacity minus one.
uint32_t SendLimitForFile(uint32_t index);
