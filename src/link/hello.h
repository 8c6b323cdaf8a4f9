#pragma once
#include "link/byte_port.h"
#include "link/result_codes.h"

// What a hello tells the caller: a device answered, nothing answered (silence or
// another reply), or the port itself failed a write or a read, as a handle whose
// adapter was unplugged does. The caller reopens the port only in the last case.
enum class HelloOutcome { DeviceFound, NoDevice, PortFailed };

// Sends the two-byte hello and reads a reply of up to 30 bytes, reading on while
// what arrived is only the start of an identity. Found when the received bytes
// start with either identity text, compared exactly over its length. Every read
// ends within 1.5 s of the hello's write, whatever the line brings.
HelloOutcome DetectDevice(BytePort& port);

// Reads and throws away waiting input, 10 bytes a read, until a read comes back
// empty. Bounded in time, so that a line that never falls silent cannot hold us:
// it ends within 1.5 s and then returns ResultOk anyway.
ResultCode DrainInput(BytePort& port);
