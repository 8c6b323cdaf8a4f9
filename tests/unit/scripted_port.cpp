#include "scripted_port.h"

#include <algorithm>

#include "link/protocol.h"

using scripted::Answer;

namespace scripted {

std::vector<uint8_t> Frame(uint8_t command) {
    return {CommandPrefix, command};
}

std::vector<uint8_t> Text(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + 1);
    }
    return bytes;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> joined;
    for (const auto& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

}  // namespace scripted

ScriptedPort& ScriptedPort::Reply(std::vector<uint8_t> bytes) {
    script_.push_back(Answer{std::move(bytes)});
    return *this;
}

ScriptedPort& ScriptedPort::Reply(std::initializer_list<uint8_t> bytes) {
    return Reply(std::vector<uint8_t>(bytes));
}

ScriptedPort& ScriptedPort::ReplyAfter(double delayMs, std::vector<uint8_t> bytes) {
    script_.push_back(Answer{std::move(bytes), false, 0, delayMs});
    return *this;
}

ScriptedPort& ScriptedPort::Silence(uint32_t reads) {
    for (uint32_t i = 0; i < reads; ++i) {
        script_.push_back(Answer{});
    }
    return *this;
}

ScriptedPort& ScriptedPort::EmptyAtOnce(uint32_t reads) {
    for (uint32_t i = 0; i < reads; ++i) {
        script_.push_back(Answer{{}, false, 0, 0.0, true});
    }
    return *this;
}

ScriptedPort& ScriptedPort::FailRead(uint32_t error) {
    script_.push_back(Answer{{}, true, error});
    return *this;
}

ScriptedPort& ScriptedPort::NeverPause(uint8_t fill) {
    neverPause_ = true;
    fill_ = fill;
    return *this;
}

ScriptedPort& ScriptedPort::Dribble(std::vector<uint8_t> bytes, double gapMs) {
    dribble_ = std::move(bytes);
    dribbleGapMs_ = gapMs;
    return *this;
}

// Bytes already due wait in the driver; otherwise the read waits for the next
// one or times out. Each byte ends the read 3 ms later unless another follows.
PortTransfer ScriptedPort::DribbleRead(uint8_t* into, uint32_t size) {
    if (dribbleDueMs_ < 0.0) dribbleDueMs_ = clockMs_ + dribbleGapMs_;
    const double timeoutMs = scripted::ReadConstantMs + scripted::ReadMultiplierMs * size;
    if (dribbleDueMs_ > clockMs_ + timeoutMs) {
        clockMs_ += timeoutMs;
        return PortTransfer{true, 0, 0};
    }
    clockMs_ = std::max(clockMs_, dribbleDueMs_);
    uint32_t count = 0;
    while (count < size && dribbleDueMs_ <= clockMs_) {
        into[count++] = dribble_[dribbleNext_];
        dribbleNext_ = (dribbleNext_ + 1) % dribble_.size();
        dribbleDueMs_ += dribbleGapMs_;
    }
    clockMs_ += scripted::IntervalMs;
    return PortTransfer{true, count, 0};
}

ScriptedPort& ScriptedPort::FailWrite(uint32_t writeNumber, uint32_t error) {
    failingWrites_[writeNumber] = error;
    return *this;
}

ScriptedPort& ScriptedPort::ShortWrite(uint32_t writeNumber, uint32_t reported) {
    shortWrites_[writeNumber] = reported;
    return *this;
}

PortTransfer ScriptedPort::Write(const uint8_t* data, uint32_t size) {
    const uint32_t number = writeNumber_++;
    if (auto failing = failingWrites_.find(number); failing != failingWrites_.end()) {
        return PortTransfer{false, 0, failing->second};
    }
    uint32_t count = size;
    if (auto shortened = shortWrites_.find(number); shortened != shortWrites_.end()) {
        count = std::min(size, shortened->second);
    }
    written_.insert(written_.end(), data, data + count);
    writes_.emplace_back(data, data + count);
    clockMs_ += count * scripted::ByteMs;
    return PortTransfer{true, count, 0};
}

PortTransfer ScriptedPort::Read(uint8_t* into, uint32_t size) {
    readSizes_.push_back(size);
    const double emptyReadMs = scripted::ReadConstantMs + scripted::ReadMultiplierMs * size;

    if (next_ >= script_.size()) {
        if (!dribble_.empty()) {
            return DribbleRead(into, size);
        }
        if (!neverPause_) {
            clockMs_ += emptyReadMs;
            return PortTransfer{true, 0, 0};
        }
        std::fill(into, into + size, fill_);
        clockMs_ += size * scripted::ByteMs;
        return PortTransfer{true, size, 0};
    }

    Answer& answer = script_[next_];
    if (answer.fails) {
        ++next_;
        return PortTransfer{false, 0, answer.error};
    }
    if (answer.delayMs >= emptyReadMs) {
        // The answer starts only after this read's timeout.
        answer.delayMs -= emptyReadMs;
        clockMs_ += emptyReadMs;
        return PortTransfer{true, 0, 0};
    }
    // A late answer keeps the read waiting, but no longer than its timeout:
    // bytes that would arrive after it are left for the next read.
    const double waitMs = answer.delayMs;
    answer.delayMs = 0.0;
    const auto inTime = static_cast<size_t>((emptyReadMs - waitMs) / scripted::ByteMs);
    const uint32_t count = static_cast<uint32_t>(std::min({size_t{size}, answer.bytes.size(), inTime}));
    std::copy(answer.bytes.begin(), answer.bytes.begin() + count, into);
    if (count < answer.bytes.size()) {
        // The rest stays on the line for the next read.
        answer.bytes.erase(answer.bytes.begin(), answer.bytes.begin() + count);
    } else {
        ++next_;
    }

    if (count == 0) {
        clockMs_ += answer.atOnce ? 0.0 : emptyReadMs;
    } else if (count < size) {
        clockMs_ += std::min(waitMs + count * scripted::ByteMs + scripted::IntervalMs, emptyReadMs);
    } else {
        clockMs_ += waitMs + count * scripted::ByteMs;
    }
    return PortTransfer{true, count, 0};
}

void ProgressRecorder::ProgressBegin(uint32_t total) {
    begins.push_back(total);
}

void ProgressRecorder::ProgressAdvance(uint32_t count) {
    advances.push_back(count);
}
