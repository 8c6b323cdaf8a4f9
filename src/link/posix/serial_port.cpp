#include "link/posix/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// The read timeouts are the link's own (byte_port.h); the write's are these.
constexpr int WriteMultiplierMs = 5;
constexpr int WriteConstantMs = 1024;

bool ApplyLine(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    // With XON/XOFF on, bytes 0x11 and 0x13 of a file's text would vanish.
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // Reads never wait in the driver: poll does the timing.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// The infrared adapter is powered from these lines, as on Windows; a device
// without modem lines (a pseudo-terminal) refuses, which does no harm.
void RaiseModemLines(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &lines);
}

// The time to the deadline to the nanosecond: poll's whole milliseconds would
// cut the 3 ms interval short by up to one of them.
timespec TimeLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
    constexpr int64_t NanosecondsPerSecond = 1000000000;
    if (left <= 0) return {0, 0};
    return {static_cast<time_t>(left / NanosecondsPerSecond), static_cast<long>(left % NanosecondsPerSecond)};
}

// Waits for `events` until the deadline. 1: ready; 0: timed out; -1: failed,
// errno set (a hang-up or an error on the line counts as EIO).
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const timespec left = TimeLeft(deadline);
        const int ready = ppoll(&p, 1, &left, nullptr);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return ready;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            errno = (p.revents & POLLNVAL) ? EBADF : EIO;
            return -1;
        }
        return 1;
    }
}

PortTransfer Failed(int error) { return {false, 0, static_cast<uint32_t>(error)}; }

// The terminal this process was started from: a port name that leads there is
// a slip, and a hello written into it would land on the user's own screen.
bool IsOwnTerminal(int fd) {
    const pid_t session = tcgetsid(fd);
    return session != -1 && session == getsid(0);
}

// Gives up what Open took, in the reverse order.
void Release(int fd, const termios* before) {
    if (before != nullptr) tcsetattr(fd, TCSANOW, before);
    // The exclusive mode outlives this descriptor; the next program could not open the port.
    ioctl(fd, TIOCNXCL);
    close(fd);
}

}  // namespace

std::unique_ptr<PosixSerialPort> PosixSerialPort::Open(const std::string& path, int* error) {
    // No blocking on the open: a port waiting for carrier would hold us for ever.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    if (IsOwnTerminal(fd)) {
        close(fd);
        *error = PortIsOwnTerminal;
        return nullptr;
    }
    // Two programs on one port would each take the other's replies. The lock
    // keeps out those that ask for it; exclusive mode keeps out every other
    // open (a terminal program, a modem prober) but root's.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = errno;
        close(fd);
        return nullptr;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        *error = errno;
        close(fd);
        return nullptr;
    }
    termios before{};
    if (tcgetattr(fd, &before) != 0 || !ApplyLine(fd)) {
        *error = errno;
        Release(fd, nullptr);
        return nullptr;
    }
    RaiseModemLines(fd);
    return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd, before));
}

PosixSerialPort::~PosixSerialPort() { Release(fd_, &before_); }

PortTransfer PosixSerialPort::Write(const uint8_t* data, uint32_t size) {
    const auto deadline = Clock::now() + Milliseconds(WriteConstantMs + WriteMultiplierMs * int64_t{size});
    uint32_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd_, data + written, size - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return Failed(errno);
        const int ready = WaitFor(fd_, POLLOUT, deadline);
        if (ready < 0) return Failed(errno);
        // Out of time: like a write timeout, a success that moved less.
        if (ready == 0) break;
    }
    return {true, written, 0};
}

PortTransfer PosixSerialPort::Read(uint8_t* into, uint32_t size) {
    const auto total = Clock::now() + Milliseconds(LongestReadMs(size));
    uint32_t got = 0;
    while (got < size) {
        // Once a byte is in, the read also ends when the line is quiet for the interval.
        auto deadline = total;
        if (got > 0) deadline = std::min(total, Clock::now() + Milliseconds(ReadIntervalMs));
        const int ready = WaitFor(fd_, POLLIN, deadline);
        if (ready < 0) return Failed(errno);
        if (ready == 0) break;
        const ssize_t n = read(fd_, into + got, size - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
        } else if (n == 0) {
            // Readable yet nothing to read: the other end has hung up.
            return Failed(EIO);
        } else if (errno != EAGAIN && errno != EINTR) {
            return Failed(errno);
        }
    }
    return {true, got, 0};
}

uint32_t PosixSerialPort::NowMs() {
    const auto since = std::chrono::duration_cast<Milliseconds>(Clock::now().time_since_epoch());
    return static_cast<uint32_t>(since.count());
}

uint32_t PosixSerialPort::TimeoutError() const { return ETIMEDOUT; }
