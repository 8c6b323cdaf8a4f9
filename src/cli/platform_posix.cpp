#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/platform.h"
#include "cli/stream_reading.h"
#include "link/posix/serial_port.h"
#include "link/posix/serial_port_list.h"

std::unique_ptr<BytePort> OpenSerialPort(const std::string& name, PortOpenFailure* failure) {
    int error = 0;
    std::unique_ptr<BytePort> port = PosixSerialPort::Open(name, &error);
    if (port) return port;
    if (error == PortIsOwnTerminal) {
        failure->reason = "that is the terminal glimmerly-cli runs in; nothing was written to it";
        failure->hint = "`glimmerly-cli ports` lists the serial ports";
        return nullptr;
    }
    failure->reason = std::strerror(error);
    if (error == EWOULDBLOCK || error == EBUSY) {
        failure->hint = "another program (perhaps another glimmerly-cli) holds " + name +
                        "; if the glimmerly-watch service runs, stop it first: systemctl --user stop glimmerly-watch";
    } else if (error == EACCES || error == EPERM) {
        failure->noAccess = true;
        failure->hint = "add yourself to the group that owns " + name +
                        " (usually dialout: sudo usermod -aG dialout $USER, then log in again)";
    } else if (error == ENOENT) {
        failure->hint = "`glimmerly-cli ports` lists the serial ports";
    }
    return nullptr;
}

std::string SystemErrorText(uint32_t error) { return std::strerror(static_cast<int>(error)); }

std::optional<std::string> DefaultPortName() { return std::nullopt; }

std::string NoPortAdvice() {
    return "no port given: use --port PORT or set GLIMMERLY_PORT; `glimmerly-cli ports` lists them";
}

std::vector<PortListing> ListSerialPorts() {
    std::vector<PortListing> ports;
    for (const ListedPosixPort& port : ListPosixSerialPorts()) ports.push_back({port.device, port.stableNames});
    return ports;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

PcPath PathFromUtf8(const std::string& text) { return PcPath(text); }

bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool WriteStdout(const std::string& bytes, bool /*utf8Text*/) {
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    return std::fflush(stdout) == 0 && ok;
}

void WriteStderr(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool ReadStdin(std::vector<uint8_t>* bytes, uint64_t limit) {
    return ReadWholeStream(stdin, bytes, limit);
}

std::string ReadTerminalLine() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}
