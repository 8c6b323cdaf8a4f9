#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/pc_files.h"
#include "link/byte_port.h"

// What differs between Windows and Linux for the command line, behind one face.

struct PortOpenFailure {
    std::string reason;  // the system's words
    std::string hint;    // what the user can do about it, or empty
    bool noAccess = false;  // this user may not use the port at all
};

// Opens the serial port by the name the user gave.
std::unique_ptr<BytePort> OpenSerialPort(const std::string& name, PortOpenFailure* failure);

// The system's words for an error code of the port.
std::string SystemErrorText(uint32_t error);

// The port Glimmerly itself uses, read without writing anything; none on Linux.
std::optional<std::string> DefaultPortName();
// What to say when there is no port at all.
std::string NoPortAdvice();

struct PortListing {
    std::string name;
    std::string detail;  // e.g. stable names of the same device
};
std::vector<PortListing> ListSerialPorts();

// The arguments as UTF-8, whatever the platform hands over.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
PcPath PathFromUtf8(const std::string& text);

bool StdinIsTerminal();
bool StderrIsTerminal();
// Text goes to a console through its own wide call, so any character shows;
// to a file or a pipe, and raw bytes anywhere, the bytes go unchanged.
bool WriteStdout(const std::string& bytes, bool utf8Text);
void WriteStderr(const std::string& utf8);
bool ReadStdin(std::vector<uint8_t>* bytes, uint64_t limit);
// One line typed at the terminal, without its line end.
std::string ReadTerminalLine();
