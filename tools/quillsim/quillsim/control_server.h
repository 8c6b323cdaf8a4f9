#pragma once
// The control protocol on a TCP loopback port, so that programs under Wine
// (winsock works there) and scripts can steer the device while it runs.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "quillsim/simulator.h"

namespace quillsim {

class ControlServer {
public:
    explicit ControlServer(Simulator& simulator) : simulator_(simulator) {}
    ~ControlServer() { Stop(); }
    // Listens on 127.0.0.1:port (0 picks a free one); Port() tells which.
    bool Start(uint16_t port, std::string* error);
    void Stop();
    uint16_t Port() const { return port_; }

private:
    void Accept();
    void Serve(int connection);

    Simulator& simulator_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::thread> clients_;
};

}  // namespace quillsim
