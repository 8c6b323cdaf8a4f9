#include "quillsim/device_model.h"

#include <algorithm>

#include "quillsim/wire.h"

namespace quillsim {

namespace {
constexpr uint32_t WordMax = 0xFFFF;

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }
}  // namespace

bool CountedFault::Applies(uint8_t cmd) {
    if (remaining == 0 || (command && *command != cmd)) return false;
    --remaining;
    return true;
}

DeviceModel::DeviceModel() { Reset(); }

void DeviceModel::Reset() {
    state_ = DeviceState{};
    for (uint32_t i = 0; i < wire::FileSlots; ++i) state_.capacity[i] = wire::Capacities[i];
    state_.identity = Bytes(wire::LongIdentity);
    mode_ = Mode::Idle;
    block_.clear();
}

void DeviceModel::Normal() {
    state_.present = true;
    state_.answerBudget = NoLimit;
    state_.absenceMs = NoLimit;
    state_.fellSilent = false;
    state_.badStatus = {};
    state_.surplus = {};
    state_.muted.fill(false);
    state_.fullAfterBlocks = NoLimit;
    state_.overstate = 0;
    state_.garbleBlocks = 0;
    state_.reportFile.reset();
}

void DeviceModel::OnByte(uint8_t byte, std::vector<Reply>& out) {
    if (!state_.present) {
        // An absent device hears nothing, so it cannot be half-way through a frame either.
        mode_ = Mode::Idle;
        return;
    }
    switch (mode_) {
    case Mode::Writing:
        block_.push_back(byte);
        if (block_.size() == wire::BlockBytes) FinishBlock(out);
        return;
    case Mode::Prefix:
        mode_ = Mode::Idle;
        OnCommand(byte, out);
        return;
    case Mode::Reading:
        if (byte == wire::NextBlock) {
            SendNextBlock(out);
            return;
        }
        break;
    case Mode::Idle:
        break;
    }
    // Anything else outside a frame is noise the device ignores, except the prefix.
    if (byte == wire::FramePrefix) mode_ = Mode::Prefix;
}

void DeviceModel::OnQuiet(std::vector<Reply>& out) {
    if (BlockOpen()) FinishBlock(out);
}

void DeviceModel::OnCommand(uint8_t command, std::vector<Reply>& out) {
    ++state_.frameCount[command];
    if (state_.answerBudget == 0) {
        state_.present = false;
        state_.answerBudget = NoLimit;
        state_.fellSilent = true;
        return;
    }
    if (state_.answerBudget != NoLimit) --state_.answerBudget;
    if (state_.muted[command]) return;

    std::vector<uint8_t>& file = state_.files[state_.current];
    if (command == wire::Hello) {
        if (state_.identity) out.push_back({*state_.identity, true});
    } else if (command >= wire::SelectFile1 && command <= wire::SelectFile8) {
        state_.current = command - wire::SelectFile1;
        Answer(command, {wire::Accepted}, out);
    } else if (command == wire::ClearFile) {
        file.clear();
        Answer(command, {wire::Accepted}, out);
    } else if (command == wire::ReadText) {
        mode_ = Mode::Reading;
        readPosition_ = 0;
        Answer(command, {wire::Accepted}, out);
    } else if (command == wire::BeginWrite) {
        mode_ = Mode::Writing;
        block_.clear();
        blocksStored_ = 0;
        Answer(command, {wire::Accepted}, out);
    } else if (command == wire::QueryFile) {
        uint8_t number = state_.reportFile ? *state_.reportFile : uint8_t(state_.current + 1);
        Answer(command, {wire::Accepted, number}, out);
    } else if (command == wire::QueryLength) {
        AnswerWord(command, AnnouncedLength(), out);
    } else if (command == wire::QueryCapacity) {
        AnswerWord(command, state_.capacity[state_.current], out);
    } else if (command == wire::Done) {
        Answer(command, {wire::Accepted, 0}, out);
    }
    // Unknown commands get no answer at all, as a device that does not know them would.
}

void DeviceModel::Answer(uint8_t command, std::vector<uint8_t> bytes, std::vector<Reply>& out) {
    if (state_.badStatus.Applies(command)) bytes[0] = StatusRefused;
    if (state_.surplus.Applies(command)) bytes.push_back(0);
    out.push_back({std::move(bytes), true});
}

void DeviceModel::AnswerWord(uint8_t command, uint32_t value, std::vector<Reply>& out) {
    value = std::min(value, WordMax);
    Answer(command, {wire::Accepted, uint8_t(value >> 8), uint8_t(value & 0xFF)}, out);
}

uint32_t DeviceModel::AnnouncedLength() const {
    return uint32_t(state_.files[state_.current].size()) + state_.overstate;
}

void DeviceModel::SendNextBlock(std::vector<Reply>& out) {
    const std::vector<uint8_t>& file = state_.files[state_.current];
    size_t count = std::min<size_t>(wire::BlockBytes, file.size() - readPosition_);
    if (count == 0) return;  // text used up: the request goes unanswered
    auto first = file.begin() + std::ptrdiff_t(readPosition_);
    out.push_back({{first, first + std::ptrdiff_t(count)}, true});
    readPosition_ += count;
}

void DeviceModel::FinishBlock(std::vector<Reply>& out) {
    std::vector<uint8_t> block;
    block.swap(block_);
    if (block.size() == 1 && block[0] == wire::EndMark) {
        mode_ = Mode::Idle;
        Answer(AckCommand, {wire::Accepted}, out);
        return;
    }
    std::vector<uint8_t>& file = state_.files[state_.current];
    size_t capacity = state_.capacity[state_.current];
    size_t room = file.size() < capacity ? capacity - file.size() : 0;
    size_t stored = std::min(room, block.size());
    bool forcedFull = state_.fullAfterBlocks != NoLimit && blocksStored_ >= state_.fullAfterBlocks;
    if (forcedFull) stored = 0;
    // A flaky memory cell: the block is acknowledged, but not kept as it came.
    if (stored > 0 && state_.garbleBlocks > 0) {
        --state_.garbleBlocks;
        block[0] ^= GarbleMask;
    }
    file.insert(file.end(), block.begin(), block.begin() + std::ptrdiff_t(stored));
    ++blocksStored_;
    if (stored < block.size()) {
        mode_ = Mode::Idle;  // a full file ends the send on the device's side too
        Answer(AckCommand, {wire::Full}, out);
        return;
    }
    Answer(AckCommand, {wire::Accepted}, out);
}

}  // namespace quillsim
