#pragma once
// A byte port that plays a device from a script, for tests and the fuzzer.
//
// Each read takes the next scripted answer: some bytes, a silent read, or a
// failed call with an error code. An answer longer than the read asked for
// leaves its rest on the line for the next read, as a real port would. An
// answer may start late, so that a read waits part way for it, or several
// reads time out before it. Once the script runs out the line is silent (or
// never pauses, if asked to).
//
// Every write is recorded; a chosen write (by its number, from 0) can be made
// to fail, or to report fewer bytes than it was given.
//
// The clock is virtual and follows the port's real timeouts: a read that stays
// short ends 3 ms after its last byte, an empty one after 500 + 5 * size ms, and
// each byte takes about 1.04 ms on a 9600-baud line. So a silent device costs a
// test nothing, yet the test can still check how long the program would wait:
// the link reads the same clock through NowMs.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>
#include <vector>

#include "link/byte_port.h"
#include "link/progress.h"

namespace scripted {

inline constexpr double ByteMs = 10.0 / 9.6;  // ten bit times at 9600 baud
inline constexpr double IntervalMs = 3.0;
inline constexpr double ReadConstantMs = 500.0;
inline constexpr double ReadMultiplierMs = 5.0;
inline constexpr uint32_t TimeoutCode = 1460;  // what this port names an expired timeout

struct Answer {
    std::vector<uint8_t> bytes;
    bool fails = false;
    uint32_t error = 0;
    double delayMs = 0.0;  // silence on the line before the first byte
    bool atOnce = false;   // an empty read that does not wait out its timeout
};

// Byte helpers for writing scripts and expectations.
std::vector<uint8_t> Frame(uint8_t command);    // the two bytes of a command frame
std::vector<uint8_t> Text(std::string_view text);
std::vector<uint8_t> Pattern(size_t size, uint8_t seed = 0);  // distinct-looking bytes
std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts);

}  // namespace scripted

class ScriptedPort final : public BytePort {
public:
    // Script the device's answers, one per read.
    ScriptedPort& Reply(std::vector<uint8_t> bytes);
    ScriptedPort& Reply(std::initializer_list<uint8_t> bytes);
    // An answer whose first byte starts `delayMs` after the read that waits
    // for it began; a read whose timeout passes first gets nothing.
    ScriptedPort& ReplyAfter(double delayMs, std::vector<uint8_t> bytes);
    ScriptedPort& Silence(uint32_t reads = 1);
    // Empty reads that return at once, as from a driver that does not keep the
    // read timeouts: only a count of them can end a wait, never the clock.
    ScriptedPort& EmptyAtOnce(uint32_t reads = 1);
    ScriptedPort& FailRead(uint32_t error);
    // After the script: every read gets as many `fill` bytes as it asks for.
    ScriptedPort& NeverPause(uint8_t fill);
    // After the script: the device sends `bytes` over and over, one at a time,
    // each `gapMs` after the one before, the first `gapMs` after the script ran out.
    ScriptedPort& Dribble(std::vector<uint8_t> bytes, double gapMs);

    ScriptedPort& FailWrite(uint32_t writeNumber, uint32_t error);
    ScriptedPort& ShortWrite(uint32_t writeNumber, uint32_t reported);

    PortTransfer Write(const uint8_t* data, uint32_t size) override;
    PortTransfer Read(uint8_t* into, uint32_t size) override;
    uint32_t NowMs() override { return static_cast<uint32_t>(clockMs_); }
    uint32_t TimeoutError() const override { return scripted::TimeoutCode; }

    // Every byte written, in order, and each write on its own.
    const std::vector<uint8_t>& Written() const { return written_; }
    const std::vector<std::vector<uint8_t>>& Writes() const { return writes_; }
    // The size each read asked for, in order.
    const std::vector<uint32_t>& ReadSizes() const { return readSizes_; }
    size_t AnswersLeft() const { return script_.size() - next_; }
    double ClockMs() const { return clockMs_; }

private:
    PortTransfer DribbleRead(uint8_t* into, uint32_t size);

    std::vector<scripted::Answer> script_;
    size_t next_ = 0;
    bool neverPause_ = false;
    uint8_t fill_ = 0;
    std::vector<uint8_t> dribble_;
    size_t dribbleNext_ = 0;
    double dribbleGapMs_ = 0.0;
    double dribbleDueMs_ = -1.0;  // when the next dribbled byte arrives; < 0: not yet set
    std::map<uint32_t, uint32_t> failingWrites_;
    std::map<uint32_t, uint32_t> shortWrites_;
    uint32_t writeNumber_ = 0;
    std::vector<uint8_t> written_;
    std::vector<std::vector<uint8_t>> writes_;
    std::vector<uint32_t> readSizes_;
    double clockMs_ = 0.0;
};

// Records what a transfer reports, for comparison with the expected calls.
class ProgressRecorder final : public ProgressSink {
public:
    void ProgressBegin(uint32_t total) override;
    void ProgressAdvance(uint32_t count) override;

    std::vector<uint32_t> begins;
    std::vector<uint32_t> advances;
};
