#pragma once

// The one rule that picks the port both programs use: the user's own choice,
// when there is one, beats the port the infrared driver records. Either name
// may be empty (none); the result is empty only when both are.
const char* PortInUse(const char* userPort, const char* driverPort);
