#include "quillsim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "quillsim/wire.h"

namespace quillsim {

namespace {
using namespace std::chrono_literals;
constexpr auto QuietGap = 2ms;          // silence that ends a send block shorter than 50 bytes
constexpr auto DefaultSplitGap = 20ms;  // well past the PC's 3 ms inter-byte timeout
constexpr auto IdleWake = 100ms;        // nothing to do: look again this often
constexpr auto BlockedRetry = 1ms;      // the pty's input queue was full
constexpr auto BurstChatterGap = 1ms;   // keeps unpaced chatter below the PC's 3 ms gap
constexpr size_t ReadChunk = 4096;

int64_t Micros(std::chrono::steady_clock::duration d) {
    return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
}
}  // namespace

Simulator::Simulator(Options options) : options_(std::move(options)), splitGap_(DefaultSplitGap) {
    origin_ = Clock::now();
}

Simulator::~Simulator() { Stop(); }

bool Simulator::Start(std::string* error) {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        if (error) *error = "pipe2 failed";
        return false;
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    if (!pty_.Open(error)) return false;
    if (!options_.linkPath.empty() && !ReplaceSymlink(options_.linkPath, pty_.SlavePath(), error))
        return false;
    origin_ = Clock::now();
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void Simulator::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable() && wakeRead_ < 0) return;
        stop_ = true;
    }
    Wake();
    if (thread_.joinable()) thread_.join();
    pty_.Close();
    if (!options_.linkPath.empty()) unlink(options_.linkPath.c_str());
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
}

std::string Simulator::PtyPath() const {
    std::lock_guard lock(mutex_);
    return pty_.SlavePath();
}

void Simulator::Wake() {
    if (wakeWrite_ >= 0) {
        uint8_t one = 1;
        [[maybe_unused]] ssize_t ignored = write(wakeWrite_, &one, 1);
    }
}

Simulator::Clock::duration Simulator::ByteTime() const {
    if (options_.baud == BurstPace) return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
        double(BitsPerByte) / double(options_.baud)));
}

void Simulator::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (hangupPending_) DoHangup();
        Clock::time_point now = Clock::now();
        ProcessDue(now);
        WriteDue(Clock::now());
        Clock::time_point next = NextEvent(Clock::now());

        pollfd fds[2] = {{pty_.Master(), short(POLLIN | (outputBlocked_ ? POLLOUT : 0)), 0},
                         {wakeRead_, POLLIN, 0}};
        auto wait = std::max(next - Clock::now(), Clock::duration::zero());
        timespec timeout{time_t(wait / 1s), long((wait % 1s) / 1ns)};
        lock.unlock();
        ppoll(fds, 2, &timeout, nullptr);
        lock.lock();
        if (fds[1].revents & POLLIN) {
            uint8_t drain[64];
            while (read(wakeRead_, drain, sizeof drain) > 0) {}
        }
        if (fds[0].revents & POLLOUT) outputBlocked_ = false;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) ReadInput(Clock::now());
    }
}

void Simulator::ReadInput(Clock::time_point now) {
    uint8_t buffer[ReadChunk];
    for (;;) {
        ssize_t got = read(pty_.Master(), buffer, sizeof buffer);
        if (got <= 0) return;  // EAGAIN, or nothing: our own slave handle keeps EIO away
        Record(true, buffer, size_t(got), now);
        lastArrival_ = now;
        for (ssize_t i = 0; i < got; ++i) {
            // On a real line a byte is only received once its stop bit has passed.
            Clock::time_point line = std::max(now, lastInLine_) + ByteTime();
            lastInLine_ = line;
            inbound_.push_back({buffer[i], line});
        }
    }
}

void Simulator::ProcessDue(Clock::time_point now) {
    std::vector<Reply> replies;
    while (!inbound_.empty() && inbound_.front().lineTime <= now) {
        InByte in = inbound_.front();
        inbound_.pop_front();
        // The device listens for the next request only once its block is out. A
        // request while it still sends is one the PC made after a read ended
        // early; answering it as well would run the blocks back to back.
        if (in.byte == wire::NextBlock && model_.Retrieving() && !outbound_.empty()) continue;
        replies.clear();
        model_.OnByte(in.byte, replies);
        for (const Reply& r : replies) Enqueue(r, in.lineTime);
    }
    if (model_.BlockOpen() && inbound_.empty() && now >= lastInLine_ &&
        now >= lastArrival_ + QuietGap) {
        replies.clear();
        model_.OnQuiet(replies);
        for (const Reply& r : replies) Enqueue(r, std::max(lastInLine_, lastArrival_ + QuietGap));
    }
    TimeAbsence(now);
    Dribble(now);
    if (chatter_ && outbound_.empty()) {
        Clock::time_point base = std::max(now, lastOutDue_);
        if (options_.baud == BurstPace) base += BurstChatterGap;
        uint8_t junk = StaleByte;
        EnqueueBytes(&junk, 1, base);
    }
}

// A device that fell silent on its own comes back after the absence it was given.
void Simulator::TimeAbsence(Clock::time_point now) {
    DeviceState& s = model_.State();
    if (s.fellSilent) {
        s.fellSilent = false;
        returnAt_ = s.absenceMs == NoLimit ? Clock::time_point::max()
                                           : now + std::chrono::milliseconds(s.absenceMs);
    }
    if (s.present) returnAt_ = Clock::time_point::max();
    if (now >= returnAt_) {
        s.present = true;
        returnAt_ = Clock::time_point::max();
    }
}

// A dribbling line: when the device has nothing to send, noise still reaches
// the PC, one byte each dribble interval. The noise is made only when it is due,
// so a reply that is ready by then takes its place.
void Simulator::Dribble(Clock::time_point now) {
    if (dribble_ == Clock::duration::zero() || !outbound_.empty()) return;
    if (now < lastOutDue_ + dribble_) return;
    Clock::time_point base = now;
    uint8_t noise = DribbleNoise;
    EnqueueBytes(&noise, 1, base);
}

// The pace changed: what is still queued goes out from now at the new pace, so
// that switching a dribble off does not leave its bytes trickling for seconds.
void Simulator::RetimeOutput(Clock::time_point now) {
    std::deque<OutByte> pending;
    pending.swap(outbound_);
    lastOutDue_ = now;
    Clock::time_point base = now;
    for (const OutByte& out : pending) EnqueueBytes(&out.byte, 1, base);
}

void Simulator::Enqueue(const Reply& reply, Clock::time_point at) {
    Clock::time_point base = std::max(at, lastOutDue_);
    size_t size = reply.bytes.size();
    if (split_ && reply.splittable && size >= 2) {
        size_t first = size / 2;
        EnqueueBytes(reply.bytes.data(), first, base);
        base += splitGap_;
        EnqueueBytes(reply.bytes.data() + first, size - first, base);
        return;
    }
    EnqueueBytes(reply.bytes.data(), size, base);
}

void Simulator::EnqueueBytes(const uint8_t* bytes, size_t count, Clock::time_point& base) {
    // Each byte reaches the PC when its last bit has gone over the line; while
    // dribbling, no sooner than the interval after the byte before it.
    for (size_t i = 0; i < count; ++i) {
        base += ByteTime();
        if (dribble_ != Clock::duration::zero()) base = std::max(base, lastOutDue_ + dribble_);
        outbound_.push_back({bytes[i], base});
        lastOutDue_ = std::max(lastOutDue_, base);
    }
    lastOutDue_ = std::max(lastOutDue_, base);
}

void Simulator::WriteDue(Clock::time_point now) {
    if (outputBlocked_) return;
    uint8_t buffer[ReadChunk];
    size_t count = 0;
    while (count < outbound_.size() && count < sizeof buffer && outbound_[count].due <= now)
        buffer[count] = outbound_[count].byte, ++count;
    if (count == 0) return;
    ssize_t written = write(pty_.Master(), buffer, count);
    if (written < 0) {
        outputBlocked_ = (errno == EAGAIN);
        return;
    }
    Record(false, buffer, size_t(written), Clock::now());
    outbound_.erase(outbound_.begin(), outbound_.begin() + written);
    if (size_t(written) < count) outputBlocked_ = true;
}

Simulator::Clock::time_point Simulator::NextEvent(Clock::time_point now) const {
    Clock::time_point next = now + IdleWake;
    if (!inbound_.empty()) next = std::min(next, inbound_.front().lineTime);
    if (!outbound_.empty()) next = std::min(next, outputBlocked_ ? now + BlockedRetry : outbound_.front().due);
    if (model_.BlockOpen() && inbound_.empty())
        next = std::min(next, std::max(lastInLine_, lastArrival_ + QuietGap));
    if (chatter_ && outbound_.empty()) next = now;
    if (dribble_ != Clock::duration::zero() && outbound_.empty())
        next = std::min(next, std::max(now, lastOutDue_ + dribble_));
    next = std::min(next, returnAt_);
    return next;
}

void Simulator::Record(bool fromPc, const uint8_t* bytes, size_t count, Clock::time_point at) {
    int64_t t = Micros(at - origin_);
    (fromPc ? pcBytes_ : deviceBytes_).insert((fromPc ? pcBytes_ : deviceBytes_).end(), bytes,
                                              bytes + count);
    if (transcript_.empty() || transcript_.back().fromPc != fromPc ||
        t - transcript_.back().lastUs >= RunGapUs)
        transcript_.push_back({fromPc, t, t, {}});
    TranscriptRun& run = transcript_.back();
    run.bytes.insert(run.bytes.end(), bytes, bytes + count);
    run.lastUs = t;
}

void Simulator::ClearTranscript() {
    origin_ = Clock::now();
    transcript_.clear();
    pcBytes_.clear();
    deviceBytes_.clear();
    model_.State().frameCount.fill(0);
}

void Simulator::DoHangup() {
    hangupPending_ = false;
    inbound_.clear();
    outbound_.clear();
    outputBlocked_ = false;
    std::string error;
    // Closing both our ends hangs the line up under the PC's open handle.
    pty_.Close();
    if (pty_.Open(&error) && !options_.linkPath.empty())
        ReplaceSymlink(options_.linkPath, pty_.SlavePath(), &error);
    if (!error.empty()) std::fprintf(stderr, "quillsim: hangup: %s\n", error.c_str());
    hangupDone_.notify_all();
}

std::vector<TranscriptRun> Simulator::Transcript() const {
    std::lock_guard lock(mutex_);
    return transcript_;
}

std::vector<uint8_t> Simulator::PcBytes() const {
    std::lock_guard lock(mutex_);
    return pcBytes_;
}

std::vector<uint8_t> Simulator::DeviceBytes() const {
    std::lock_guard lock(mutex_);
    return deviceBytes_;
}

bool Simulator::SaveTranscript(const std::string& path) const {
    std::vector<TranscriptRun> runs = Transcript();
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    for (const TranscriptRun& run : runs) {
        std::fprintf(file, "%.6f %s", double(run.startUs) / 1e6, run.fromPc ? "PC " : "DEV");
        for (uint8_t b : run.bytes) std::fprintf(file, " %02X", b);
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

}  // namespace quillsim
