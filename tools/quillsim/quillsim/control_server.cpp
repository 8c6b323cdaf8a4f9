#include "quillsim/control_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace quillsim {

namespace {
constexpr int Backlog = 8;
constexpr int AcceptPollMs = 100;  // how soon Stop() is noticed
constexpr size_t ReadChunk = 65536;

bool SendAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}
}  // namespace

bool ControlServer::Start(uint16_t port, std::string* error) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, Backlog) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (error) *error = std::string("control port: ") + std::strerror(errno);
        return false;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Accept(); });
    return true;
}

void ControlServer::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
}

void ControlServer::Accept() {
    while (!stop_) {
        pollfd fd{listener_, POLLIN, 0};
        if (poll(&fd, 1, AcceptPollMs) <= 0) continue;
        int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        // Each client gets its own thread, so one that stays connected blocks no one;
        // commands still run one at a time under the simulator's lock.
        clients_.emplace_back([this, connection] {
            Serve(connection);
            close(connection);
        });
    }
    for (std::thread& client : clients_) client.join();
    clients_.clear();
}

void ControlServer::Serve(int connection) {
    int yes = 1;
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    std::string pending;
    std::vector<char> buffer(ReadChunk);
    while (!stop_) {
        pollfd fd{connection, POLLIN, 0};
        if (poll(&fd, 1, AcceptPollMs) <= 0) continue;
        ssize_t got = recv(connection, buffer.data(), buffer.size(), 0);
        if (got <= 0) return;
        pending.append(buffer.data(), size_t(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            if (!SendAll(connection, simulator_.Control(line) + "\n")) return;
        }
    }
}

}  // namespace quillsim
