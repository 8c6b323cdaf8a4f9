#include "quillsim_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int ReceiveChunk = 65536;
constexpr DWORD ReplyTimeoutMs = 30000;  // generous: a reply is normally immediate

bool StartWinsock() {
    static bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// "127.0.0.1:40123" into an address.
bool ControlAddress(sockaddr_in& address) {
    const char* control = std::getenv("QUILLSIM_CONTROL");
    if (!control) return false;
    std::string text = control;
    size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(text.c_str() + colon + 1)));
    return inet_pton(AF_INET, text.substr(0, colon).c_str(), &address.sin_addr) == 1;
}

bool SendAll(SOCKET s, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        int n = send(s, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// The data after "ok " of a reply, or empty.
std::string Data(const std::string& reply) { return reply.size() > 3 ? reply.substr(3) : std::string(); }

}  // namespace

std::string QuillsimCommand(const std::string& line) {
    sockaddr_in address;
    if (!StartWinsock() || !ControlAddress(address)) return "err connect";
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return "err connect";
    DWORD timeout = ReplyTimeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string reply = "err connect";
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && SendAll(s, line + "\n")) {
        std::string received;
        char buffer[ReceiveChunk];
        for (;;) {
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received.append(buffer, static_cast<size_t>(n));
            size_t end = received.find('\n');
            if (end != std::string::npos) {
                reply = received.substr(0, end);
                break;
            }
        }
    }
    closesocket(s);
    return reply;
}

bool QuillsimOk(const std::string& line) { return QuillsimCommand(line).rfind("ok", 0) == 0; }
bool QuillsimAvailable() { return std::getenv("QUILLSIM_CONTROL") && QuillsimOk("ping"); }

std::string QuillsimPortName() {
    const char* port = std::getenv("QUILLSIM_PORT");
    return port ? port : "COM7";
}

bool QuillsimReset() { return QuillsimOk("reset"); }
bool QuillsimSetFile(int file, const std::string& bytes) {
    return QuillsimOk("file " + std::to_string(file) + " " + QuillsimHex(bytes));
}
bool QuillsimSetCurrent(int file) { return QuillsimOk("current " + std::to_string(file)); }
std::string QuillsimReadFile(int file) {
    return QuillsimUnhex(Data(QuillsimCommand("get-file " + std::to_string(file))));
}
bool QuillsimSetIdentity(const std::string& kind) { return QuillsimOk("identity " + kind); }
bool QuillsimSetIdentityText(const std::string& bytes) { return QuillsimOk("identity hex " + QuillsimHex(bytes)); }
bool QuillsimSetPresent(bool present) { return QuillsimOk(present ? "present 1" : "present 0"); }
bool QuillsimMisbehave(const std::string& line) { return QuillsimOk(line); }
std::string QuillsimPcBytes() { return QuillsimUnhex(Data(QuillsimCommand("pc-bytes"))); }
std::string QuillsimDeviceBytes() { return QuillsimUnhex(Data(QuillsimCommand("dev-bytes"))); }
bool QuillsimClearTranscript() { return QuillsimOk("clear-transcript"); }

std::vector<QuillsimRun> QuillsimTranscript() {
    std::vector<QuillsimRun> runs;
    std::string data = Data(QuillsimCommand("transcript"));
    size_t position = 0;
    while (position < data.size()) {
        size_t end = data.find(' ', position);
        if (end == std::string::npos) end = data.size();
        std::string run = data.substr(position, end - position);
        size_t colon = run.find(':');
        if (run.size() > 1 && colon != std::string::npos)
            runs.push_back({run[0] == 'P', std::atoll(run.substr(1, colon - 1).c_str()),
                            QuillsimUnhex(run.substr(colon + 1))});
        position = end + 1;
    }
    return runs;
}

int QuillsimCount(uint8_t command) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", command);
    return std::atoi(Data(QuillsimCommand(std::string("count ") + hex)).c_str());
}

std::string QuillsimHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

std::string QuillsimUnhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(HexDigit(hex[i]) << 4 | HexDigit(hex[i + 1]));
    return bytes;
}
