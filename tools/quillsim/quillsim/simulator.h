#pragma once
// The emulated device on a pty: a thread that reads the PC's bytes, feeds them to
// the device model at the pace of a real line, writes the replies paced (or in
// bursts) and records every byte both ways with its time.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "quillsim/device_model.h"
#include "quillsim/pty.h"

namespace quillsim {

inline constexpr uint32_t DefaultBaud = 9600;
inline constexpr uint32_t BitsPerByte = 10;  // start, 8 data, stop
inline constexpr uint32_t BurstPace = 0;     // baud value meaning "no pacing"

struct Options {
    uint32_t baud = DefaultBaud;  // BurstPace: replies go out at once
    std::string linkPath;         // symlink to keep pointed at the pty, if any
};

// A stretch of bytes in one direction with less than RunGapUs between them.
struct TranscriptRun {
    bool fromPc = false;
    int64_t startUs = 0;
    int64_t lastUs = 0;
    std::vector<uint8_t> bytes;
};
inline constexpr int64_t RunGapUs = 2000;

class Simulator {
public:
    explicit Simulator(Options options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool Start(std::string* error);
    void Stop();
    std::string PtyPath() const;

    // One line of the control protocol (README.md); returns the reply line
    // without its line end: "ok ..." or "err ...".
    std::string Control(std::string_view line);

    std::vector<TranscriptRun> Transcript() const;
    std::vector<uint8_t> PcBytes() const;
    std::vector<uint8_t> DeviceBytes() const;
    bool SaveTranscript(const std::string& path) const;

private:
    using Clock = std::chrono::steady_clock;
    struct InByte { uint8_t byte; Clock::time_point lineTime; };
    struct OutByte { uint8_t byte; Clock::time_point due; };

    void Run();
    void ReadInput(Clock::time_point now);
    void ProcessDue(Clock::time_point now);
    void Enqueue(const Reply& reply, Clock::time_point at);
    void EnqueueBytes(const uint8_t* bytes, size_t count, Clock::time_point& base);
    void WriteDue(Clock::time_point now);
    void TimeAbsence(Clock::time_point now);
    void Dribble(Clock::time_point now);
    void RetimeOutput(Clock::time_point now);
    Clock::time_point NextEvent(Clock::time_point now) const;
    void Record(bool fromPc, const uint8_t* bytes, size_t count, Clock::time_point at);
    void ClearTranscript();
    void DoHangup();
    void Wake();
    Clock::duration ByteTime() const;

    // Handlers of the control protocol (control.cpp); called with mutex_ held.
    std::string Dispatch(const std::vector<std::string>& words);
    std::optional<std::string> DispatchDevice(const std::vector<std::string>& words);
    std::optional<std::string> DispatchFault(const std::vector<std::string>& words);
    std::optional<std::string> DispatchRecord(const std::vector<std::string>& words);
    std::string TranscriptLine() const;

    Options options_;
    mutable std::mutex mutex_;
    std::condition_variable hangupDone_;
    std::thread thread_;
    int wakeRead_ = -1, wakeWrite_ = -1;
    bool stop_ = false;
    bool hangupPending_ = false;

    Pty pty_;
    DeviceModel model_;
    std::deque<InByte> inbound_;
    std::deque<OutByte> outbound_;
    Clock::time_point lastInLine_{}, lastArrival_{}, lastOutDue_{};
    bool outputBlocked_ = false;
    bool split_ = false;
    Clock::duration splitGap_;
    bool chatter_ = false;
    Clock::duration dribble_{};  // zero: off; else one byte at a time, this far apart
    Clock::time_point returnAt_ = Clock::time_point::max();  // an absent device comes back

    Clock::time_point origin_;
    std::vector<TranscriptRun> transcript_;
    std::vector<uint8_t> pcBytes_, deviceBytes_;
};

}  // namespace quillsim
