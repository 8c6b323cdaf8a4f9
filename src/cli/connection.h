#pragma once
#include <memory>
#include <string>

#include "device/outcome.h"
#include "link/byte_port.h"

// The port chosen, opened and a keyboard found on it: what every device
// command starts with.
struct Connection {
    std::unique_ptr<BytePort> port;
    std::string identity;
};

// Opens the port the user chose and says hello. On failure the message is
// written to standard error and the exit code returned; 0 means connected.
int Connect(const std::string& portOption, Connection* connection);

// The port named by --port, else GLIMMERLY_PORT, else Glimmerly's own; empty
// when there is none.
std::string ChoosePort(const std::string& portOption);

// What the outcome means, in the words the user sees.
std::string OutcomeMessage(const Outcome& outcome);

// Writes the outcome's message to standard error and returns its exit code.
int Report(const Outcome& outcome);

// "glimmerly-cli: ..." on standard error.
void Say(const std::string& message);
