#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <array>
#include <cstdio>
#include <iostream>

#include "cli/platform.h"
#include "cli/stream_reading.h"
#include "device/utf16.h"
#include "link/win/serial_port.h"
#include "link/win/serial_port_list.h"
#include "link/win/system_message.h"
#include "settings/win/settings_reader.h"

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

std::unique_ptr<BytePort> OpenSerialPort(const std::string& name, PortOpenFailure* failure) {
    HANDLE handle = OpenDevicePort(name.c_str());
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        failure->reason = SystemErrorText(error);
        if (error == ERROR_ACCESS_DENIED) {
            failure->hint = "if Glimmerly is running, it holds " + name + ": close it first";
        }
        return nullptr;
    }
    // The port owns its handle for the life of the command.
    class OwnedPort final : public BytePort {
    public:
        explicit OwnedPort(HANDLE handle) : handle_(handle), port_(handle) {}
        ~OwnedPort() override { CloseHandle(handle_); }
        PortTransfer Write(const uint8_t* data, uint32_t size) override { return port_.Write(data, size); }
        PortTransfer Read(uint8_t* into, uint32_t size) override { return port_.Read(into, size); }
        uint32_t NowMs() override { return port_.NowMs(); }
        uint32_t TimeoutError() const override { return port_.TimeoutError(); }

    private:
        HANDLE handle_;
        SerialBytePort port_;
    };
    return std::make_unique<OwnedPort>(handle);
}

std::string SystemErrorText(uint32_t error) {
    const SystemMessage message(error);
    std::string words =
        message.Text() != nullptr ? Utf8FromUtf16(message.Text(), static_cast<int>(message.Length())) : std::string();
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) words.pop_back();
    if (words.empty()) words = "system error " + std::to_string(error);
    return words;
}

// Through the settings' read-only face: the command line never writes to the
// registry, and it picks the port by the window program's own rule.
std::optional<std::string> DefaultPortName() {
    char name[PortNameSize];
    if (!ReadStoredPortInUse(name)) return std::nullopt;
    return std::string(name);
}

std::string NoPortAdvice() {
    return "no port given: use --port PORT or set GLIMMERLY_PORT (Glimmerly has no port stored either); "
           "`glimmerly-cli ports` lists them";
}

// The window's own list, so that both programs offer the same ports.
std::vector<PortListing> ListSerialPorts() {
    SerialPortList listed;
    ::ListSerialPorts(listed);
    std::vector<PortListing> ports;
    for (uint32_t i = 0; i < listed.count; ++i) {
        const SerialPortEntry& port = listed.ports[i];
        // The name Device Manager shows says which port is which; a port
        // known only by the serial map has its driver's device name instead.
        const std::string shown = Utf8FromUtf16(port.shown);
        ports.push_back({port.name, shown != port.name ? shown : std::string(port.device)});
    }
    return ports;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromUtf16(wide[i], lstrlenW(wide[i])));
    LocalFree(wide);
    return arguments;
}

PcPath PathFromUtf8(const std::string& text) { return PcPath(text); }

// The console's own test: the C runtime's _isatty also says yes for NUL.
bool StdinIsTerminal() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }
bool StderrIsTerminal() { return IsConsole(GetStdHandle(STD_ERROR_HANDLE)); }

namespace {
bool WriteTo(DWORD which, FILE* stream, const std::string& bytes, bool utf8Text) {
    HANDLE handle = GetStdHandle(which);
    if (utf8Text && IsConsole(handle)) {
        const std::wstring wide = Utf16FromUtf8(bytes);
        DWORD written = 0;
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    _setmode(_fileno(stream), _O_BINARY);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return std::fflush(stream) == 0 && ok;
}
}  // namespace

bool WriteStdout(const std::string& bytes, bool utf8Text) { return WriteTo(STD_OUTPUT_HANDLE, stdout, bytes, utf8Text); }
void WriteStderr(const std::string& utf8) { WriteTo(STD_ERROR_HANDLE, stderr, utf8, true); }

bool ReadStdin(std::vector<uint8_t>* bytes, uint64_t limit) {
    _setmode(_fileno(stdin), _O_BINARY);
    return ReadWholeStream(stdin, bytes, limit);
}

std::string ReadTerminalLine() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}
