#pragma once
#include <memory>
#include <string>

#include "cli/interrupt.h"
#include "device/outcome.h"
#include "link/byte_port.h"

// The port chosen, opened and a keyboard found on it: what every device
// command starts with. The scope outlives the port, so the whole visit to
// the keyboard runs inside it.
struct Connection {
    DeviceCommandScope scope;
    std::unique_ptr<BytePort> port;
    std::string identity;
};

// Opens the port the user chose and says hello. On failure the message is
// written to standard error and the exit code returned; 0 means connected.
// After an interruption nothing is opened.
int Connect(const std::string& portOption, Connection* connection);

// The port named by --port, else GLIMMERLY_PORT, else Glimmerly's own; empty
// when there is none.
std::string ChoosePort(const std::string& portOption);

// What the outcome means, in the words the user sees.
std::string OutcomeMessage(const Outcome& outcome);

// After an interruption before anything was sent: says so and returns the
// interruption's exit code; 0 when there was none.
int InterruptedBeforeSending();

// Writes the outcome's message to standard error and returns its exit code
// (the interruption's for a stopped one).
int Report(const Outcome& outcome);

// "glimmerly-cli: ..." on standard error.
void Say(const std::string& message);
