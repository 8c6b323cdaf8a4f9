#include "quillsim/pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillsim {

namespace {
bool Fail(std::string* error, const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

bool MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}
}  // namespace

bool Pty::Open(std::string* error) {
    Close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) return Fail(error, "posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        Close();
        return Fail(error, "grantpt/unlockpt");
    }
    const char* name = ptsname(master_);
    if (!name) {
        Close();
        return Fail(error, "ptsname");
    }
    slavePath_ = name;
    slaveHold_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0) {
        Close();
        return Fail(error, "open slave");
    }
    // Raw on both ends: no echo, no line editing, no CR/LF translation, no XON/XOFF,
    // so every byte value travels untouched in both directions.
    if (!MakeRaw(slaveHold_) || !MakeRaw(master_)) {
        Close();
        return Fail(error, "cfmakeraw");
    }
    return true;
}

void Pty::Close() {
    if (slaveHold_ >= 0) close(slaveHold_);
    if (master_ >= 0) close(master_);
    slaveHold_ = master_ = -1;
    slavePath_.clear();
}

bool ReplaceSymlink(const std::string& linkPath, const std::string& target, std::string* error) {
    // Build the new link beside the old one and rename it over, so the path never
    // points at nothing while the PC might be opening it.
    std::string temporary = linkPath + ".quillsim-new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) return Fail(error, "symlink");
    if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
        unlink(temporary.c_str());
        return Fail(error, "rename link");
    }
    return true;
}

}  // namespace quillsim
