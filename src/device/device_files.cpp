#include "device/device_files.h"

#include <algorithm>

#include "link/exchange.h"
#include "link/retrieve.h"
#include "link/send_text.h"

namespace {

// The device announces lengths as 16-bit values; a buffer for the largest one,
// with the room the retrieve keeps for the last block's overshoot, holds any file.
constexpr uint32_t LargestLength = 0xFFFF;
constexpr uint32_t RetrieveRoom = LargestLength + BlockSize;

Outcome QueryWord(BytePort& port, uint8_t command, int number, uint32_t* value) {
    std::array<uint8_t, ReplyBufferSize> reply{};
    const ResultCode code = ExchangeCommand(port, command, reply.data(), ReplyLengthQueryLength);
    if (code != ResultOk) return DeviceFailure(port, code, number);
    *value = DecodeReplyWord(reply.data());
    return Success();
}

}  // namespace

Outcome DeviceVisit::Begin() {
    const ResultCode code = QueryCurrentFile(port_, &current_);
    if (code != ResultOk) {
        // Nothing was changed yet; ending still tells the device we are done.
        return DeviceFailure(port_, code);
    }
    begun_ = true;
    return Success();
}

Outcome DeviceVisit::End() {
    if (ended_) return Success();
    ended_ = true;
    Outcome outcome;
    if (begun_) {
        const ResultCode selected = SelectFile(port_, current_);
        if (selected != ResultOk) outcome = DeviceFailure(port_, selected, CurrentNumber());
    }
    const ResultCode done = SendDoneCommand(port_);
    if (done != ResultOk && outcome.Ok()) outcome = DeviceFailure(port_, done);
    return outcome;
}

Outcome ReadFileFacts(BytePort& port, int number, FileFacts* facts) {
    const ResultCode selected = SelectFile(port, IndexOf(number));
    if (selected != ResultOk) return DeviceFailure(port, selected, number);
    FileFacts found;
    found.number = number;
    Outcome outcome = QueryWord(port, CmdQueryLength, number, &found.length);
    if (!outcome.Ok()) return outcome;
    if (!QueryWord(port, CmdQueryCapacity, number, &found.capacity).Ok()) {
        // A keyboard that does not report its room still has the room of its model.
        found.capacity = FileCapacity[IndexOf(number)];
        found.capacityFromTable = true;
    }
    *facts = found;
    return Success();
}

Outcome ReadAllFacts(BytePort& port, std::array<FileFacts, FileCount>* facts) {
    for (uint32_t index = 0; index < FileCount; ++index) {
        const Outcome outcome = ReadFileFacts(port, static_cast<int>(index) + 1, &(*facts)[index]);
        if (!outcome.Ok()) return outcome;
    }
    return Success();
}

Outcome ReadCurrentText(BytePort& port, ProgressSink* progress, std::vector<uint8_t>* bytes,
                        int number) {
    std::vector<uint8_t> buffer(RetrieveRoom);
    uint32_t length = 0;
    const ResultCode code = RetrieveFile(port, progress, buffer.data(), RetrieveRoom, &length);
    if (code == ResultNoData) {
        bytes->clear();
        return Success();
    }
    if (code != ResultOk) return DeviceFailure(port, code, number);
    // Bytes the last block brought beyond the length are not part of the text.
    buffer.resize(length);
    *bytes = std::move(buffer);
    return Success();
}

Outcome ReadWholeFile(BytePort& port, ProgressSink* progress, int number, DeviceFile* file) {
    Outcome outcome = ReadFileFacts(port, number, &file->facts);
    if (!outcome.Ok()) return outcome;
    outcome = ReadCurrentText(port, progress, &file->bytes, number);
    if (!outcome.Ok()) return outcome;
    // The retrieve announced the length again; what arrived is what counts.
    file->facts.length = static_cast<uint32_t>(file->bytes.size());
    return Success();
}

Outcome ReadRoom(BytePort& port, int number, uint32_t* room) {
    const ResultCode selected = SelectFile(port, IndexOf(number));
    if (selected != ResultOk) return DeviceFailure(port, selected, number);
    if (!QueryWord(port, CmdQueryCapacity, number, room).Ok()) {
        *room = SendLimitForFile(IndexOf(number));
    }
    return Success();
}

Outcome ReplaceFile(BytePort& port, ProgressSink* progress, int number,
                    std::span<const uint8_t> bytes) {
    const ResultCode selected = SelectFile(port, IndexOf(number));
    if (selected != ResultOk) return DeviceFailure(port, selected, number);

    if (bytes.empty()) {
        // A write that no end-of-text byte closes would leave the device
        // waiting for text; clearing alone empties the file.
        std::array<uint8_t, ReplyBufferSize> reply{};
        const ResultCode cleared = ExchangeCommand(port, CmdClearFile, reply.data(), ReplyLengthClearFile);
        if (cleared != ResultOk) return DeviceFailure(port, cleared, number);
    } else {
        class Quiet final : public ProgressSink {
            void ProgressBegin(uint32_t) override {}
            void ProgressAdvance(uint32_t) override {}
        } quiet;
        const ResultCode sent = SendText(port, progress ? *progress : quiet, bytes.data(),
                                         static_cast<uint32_t>(bytes.size()), false,
                                         SendLimitForFile(IndexOf(number)));
        if (sent != ResultOk) return DeviceFailure(port, sent, number);
    }

    std::vector<uint8_t> readBack;
    const Outcome read = ReadCurrentText(port, nullptr, &readBack, number);
    if (!read.Ok()) return read;
    if (!std::equal(readBack.begin(), readBack.end(), bytes.begin(), bytes.end())) {
        return Failure(FailureKind::Mismatch,
                       "file " + std::to_string(number) + " reads back differently from what was written",
                       number);
    }
    return Success();
}
