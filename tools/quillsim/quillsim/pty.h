#pragma once
// The pseudo-terminal the PC's COM port points at.
#include <string>

namespace quillsim {

class Pty {
public:
    ~Pty() { Close(); }
    // Opens a new pty in raw mode. quillsim keeps its own descriptor on the slave
    // side so that the PC closing and reopening the port never hangs the pty up.
    bool Open(std::string* error);
    void Close();
    bool IsOpen() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slaveHold_ = -1;
    std::string slavePath_;
};

// Makes `linkPath` a symlink to `target`, replacing whatever was there.
bool ReplaceSymlink(const std::string& linkPath, const std::string& target, std::string* error);

}  // namespace quillsim
