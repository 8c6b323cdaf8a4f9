// The control protocol: one text line in, one reply line out (see README.md).
#include <charconv>
#include <optional>
#include <cstdio>
#include <sstream>

#include "quillsim/wire.h"
#include "quillsim/hex.h"
#include "quillsim/simulator.h"

namespace quillsim {

namespace {
constexpr uint32_t MaxWord = 0xFFFF;
constexpr uint32_t MaxByte = 0xFF;
constexpr uint32_t MaxDribbleMs = 60000;  // a byte a minute is already a dead line

const std::string Ok = "ok";
std::string Err(const std::string& why) { return "err " + why; }

bool Number(const std::string& word, uint32_t& value, uint32_t max = UINT32_MAX) {
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size() && value <= max;
}

bool FileNumber(const std::string& word, uint32_t& index) {
    uint32_t number = 0;
    if (!Number(word, number) || number < 1 || number > wire::FileSlots) return false;
    index = number - 1;
    return true;
}

bool CommandByte(const std::string& word, uint8_t& command) {
    std::vector<uint8_t> bytes;
    if (!FromHex(word, bytes) || bytes.size() != 1) return false;
    command = bytes[0];
    return true;
}

bool Switch(const std::string& word, bool& on) {
    if (word != "0" && word != "1") return false;
    on = word == "1";
    return true;
}

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Counted faults: "COUNT [CMD]".
bool ParseCounted(const std::vector<std::string>& w, CountedFault& fault) {
    CountedFault parsed;
    if (w.size() < 2 || w.size() > 3 || !Number(w[1], parsed.remaining)) return false;
    if (w.size() == 3) {
        uint8_t cmd = 0;
        if (!CommandByte(w[2], cmd)) return false;
        parsed.command = cmd;
    }
    fault = parsed;
    return true;
}
}  // namespace

std::string Simulator::Control(std::string_view line) {
    std::vector<std::string> words = Words(line);
    if (words.empty()) return Err("empty command");
    std::unique_lock lock(mutex_);
    if (words[0] == "hangup") {
        if (!thread_.joinable()) return Err("not running");
        hangupPending_ = true;
        Wake();
        hangupDone_.wait(lock, [this] { return !hangupPending_; });
        return pty_.IsOpen() ? Ok : Err("could not open a new pty");
    }
    std::string reply = Dispatch(words);
    lock.unlock();
    Wake();  // pacing, chatter or stale bytes may have changed what is due
    return reply;
}

std::string Simulator::Dispatch(const std::vector<std::string>& w) {
    for (auto handler : {&Simulator::DispatchDevice, &Simulator::DispatchFault, &Simulator::DispatchRecord})
        if (std::optional<std::string> reply = (this->*handler)(w)) return *reply;
    return Err("unknown or malformed command: " + w[0]);
}

// Files, identity, presence and pacing: the device as it should be.
std::optional<std::string> Simulator::DispatchDevice(const std::vector<std::string>& w) {
    DeviceState& s = model_.State();
    const std::string& op = w[0];
    const size_t n = w.size();
    uint32_t index = 0, value = 0;
    bool on = false;

    if (op == "ping" && n == 1) return Ok;
    if (op == "reset" && n == 1) {
        model_.Reset();
        split_ = chatter_ = false;
        dribble_ = Clock::duration::zero();
        outbound_.clear();
        lastOutDue_ = Clock::time_point{};  // nothing queued: the next reply goes out at once
        ClearTranscript();
        return Ok;
    }
    if (op == "file" && (n == 2 || n == 3) && FileNumber(w[1], index)) {
        std::vector<uint8_t> bytes;
        if (n == 3 && !FromHex(w[2], bytes)) return Err("bad hex");
        s.files[index] = std::move(bytes);
        return Ok;
    }
    if (op == "fill" && n == 3 && FileNumber(w[1], index) && Number(w[2], value)) {
        s.files[index] = SampleText(value);
        return Ok;
    }
    if (op == "get-file" && n == 2 && FileNumber(w[1], index)) return Ok + " " + ToHex(s.files[index]);
    if (op == "capacity" && n == 3 && FileNumber(w[1], index) && Number(w[2], value, MaxWord)) {
        s.capacity[index] = value;
        return Ok;
    }
    if (op == "current" && n == 2 && FileNumber(w[1], index)) {
        s.current = index;
        return Ok;
    }
    if (op == "get-current" && n == 1) return Ok + " " + std::to_string(s.current + 1);
    if (op == "identity" && n == 2 && w[1] == "full") return s.identity = std::vector<uint8_t>(wire::LongIdentity.begin(), wire::LongIdentity.end()), Ok;
    if (op == "identity" && n == 2 && w[1] == "short") return s.identity = std::vector<uint8_t>(wire::ShortIdentity.begin(), wire::ShortIdentity.end()), Ok;
    if (op == "identity" && n == 2 && w[1] == "none") return s.identity.reset(), Ok;
    if (op == "identity" && (n == 2 || n == 3) && w[1] == "hex") {
        std::vector<uint8_t> bytes;
        if (n == 3 && !FromHex(w[2], bytes)) return Err("bad hex");
        s.identity = std::move(bytes);
        return Ok;
    }
    if (op == "present" && n == 2 && Switch(w[1], on)) {
        s.present = on;
        s.answerBudget = NoLimit;
        return Ok;
    }
    if (op == "absent-after" && (n == 2 || n == 3) && Number(w[1], value)) {
        uint32_t absence = NoLimit;
        if (n == 3 && !Number(w[2], absence)) return Err("bad absence");
        s.answerBudget = value;
        s.absenceMs = absence;
        return Ok;
    }
    if (op == "pace" && n == 2 && w[1] == "burst") return options_.baud = BurstPace, Ok;
    if (op == "pace" && n == 2 && Number(w[1], value) && value > 0) return options_.baud = value, Ok;
    if (op == "pty" && n == 1) return Ok + " " + pty_.SlavePath();
    return std::nullopt;
}

// Misbehaviour on request.
std::optional<std::string> Simulator::DispatchFault(const std::vector<std::string>& w) {
    DeviceState& s = model_.State();
    const std::string& op = w[0];
    const size_t n = w.size();
    uint32_t value = 0;
    bool on = false;

    if (op == "normal" && n == 1) {
        model_.Normal();
        split_ = chatter_ = false;
        dribble_ = Clock::duration::zero();
        RetimeOutput(Clock::now());
        return Ok;
    }
    if (op == "badstatus" && ParseCounted(w, s.badStatus)) return Ok;
    if (op == "surplus" && ParseCounted(w, s.surplus)) return Ok;
    if (op == "mute" && n == 3) {
        uint8_t cmd = 0;
        if (!CommandByte(w[1], cmd) || !Switch(w[2], on)) return Err("usage: mute CMD 0|1");
        s.muted[cmd] = on;
        return Ok;
    }
    if (op == "split" && (n == 2 || n == 3) && Switch(w[1], on)) {
        split_ = on;
        if (n == 3) {
            if (!Number(w[2], value)) return Err("bad gap");
            splitGap_ = std::chrono::milliseconds(value);
        }
        return Ok;
    }
    if (op == "full-after" && n == 2 && w[1] == "off") return s.fullAfterBlocks = NoLimit, Ok;
    if (op == "full-after" && n == 2 && Number(w[1], value)) return s.fullAfterBlocks = value, Ok;
    if (op == "stale" && n == 2 && Number(w[1], value)) {
        std::vector<uint8_t> junk(value, StaleByte);
        Enqueue({junk, false}, Clock::now());
        return Ok;
    }
    if (op == "chatter" && n == 2 && Switch(w[1], on)) return chatter_ = on, Ok;
    if (op == "dribble" && n == 2 && Number(w[1], value, MaxDribbleMs))
        return dribble_ = std::chrono::milliseconds(value), RetimeOutput(Clock::now()), Ok;
    if (op == "garble" && n == 2 && Number(w[1], value)) return s.garbleBlocks = value, Ok;
    if (op == "overstate" && n == 2 && Number(w[1], value, MaxWord)) return s.overstate = value, Ok;
    if (op == "report-file" && n == 2 && w[1] == "off") return s.reportFile.reset(), Ok;
    if (op == "report-file" && n == 2 && Number(w[1], value, MaxByte)) return s.reportFile = uint8_t(value), Ok;
    return std::nullopt;
}

// The transcript, the byte logs and the counters.
std::optional<std::string> Simulator::DispatchRecord(const std::vector<std::string>& w) {
    DeviceState& s = model_.State();
    const std::string& op = w[0];
    const size_t n = w.size();

    if (op == "transcript" && n == 1) return TranscriptLine();
    if (op == "pc-bytes" && n == 1) return Ok + " " + ToHex(pcBytes_);
    if (op == "dev-bytes" && n == 1) return Ok + " " + ToHex(deviceBytes_);
    if (op == "count" && n == 2) {
        uint8_t cmd = 0;
        if (!CommandByte(w[1], cmd)) return Err("bad command byte");
        return Ok + " " + std::to_string(s.frameCount[cmd]);
    }
    if (op == "clear-transcript" && n == 1) return ClearTranscript(), Ok;
    if (op == "save-transcript" && n == 2) {
        mutex_.unlock();  // SaveTranscript takes the lock itself
        bool saved = SaveTranscript(w[1]);
        mutex_.lock();
        return saved ? Ok : Err("cannot write " + w[1]);
    }
    return std::nullopt;
}

std::string Simulator::TranscriptLine() const {
    std::string line = Ok;
    for (const TranscriptRun& run : transcript_) {
        line += run.fromPc ? " P" : " D";
        line += std::to_string(run.startUs) + ":" + ToHex(run.bytes);
    }
    return line;
}

}  // namespace quillsim
