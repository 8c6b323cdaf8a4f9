#include "device/device_files.h"

#include <algorithm>

#include "device/progress_span.h"
#include "link/exchange.h"
#include "link/hello.h"
#include "link/retrieve.h"
#include "link/send_text.h"
#include "link/stop_request.h"

namespace {

// The device announces lengths as 16-bit values; a buffer for the largest one,
// with the room the retrieve keeps for the last block's overshoot, holds any file.
constexpr uint32_t LargestLength = 0xFFFF;
constexpr uint32_t RetrieveRoom = LargestLength + BlockSize;

void BeginWork(ProgressSink* progress, uint32_t total) {
    if (progress != nullptr) progress->ProgressBegin(total);
}

// Sends the text; on anything but success the fate says how much of it the
// keyboard acknowledged.
Outcome Send(BytePort& port, ProgressSink& progress, int number, std::span<const uint8_t> bytes, bool append,
             FileFate* fate) {
    uint32_t acknowledged = 0;
    const ResultCode sent = SendText(port, progress, bytes.data(), static_cast<uint32_t>(bytes.size()), append,
                                     SendLimitForFile(IndexOf(number)), &acknowledged);
    if (sent == ResultOk) return Success();
    fate->kind = FateKind::PartlyWritten;
    fate->written = acknowledged;
    return DeviceFailure(port, sent, number);
}

// Reads the file back after a write: it must hold `before`'s length of old
// text (none after a replace) followed by exactly `bytes`.
Outcome ReadBack(BytePort& port, ProgressSink& progress, int number, const FileFacts& before,
                 std::span<const uint8_t> bytes, FileFate* fate) {
    std::vector<uint8_t> readBack;
    const Outcome read = ReadCurrentText(port, &progress, &readBack, number);
    if (!read.Ok()) return read;
    const bool whole = readBack.size() == before.length + bytes.size() &&
                       std::equal(bytes.begin(), bytes.end(), readBack.begin() + before.length);
    if (!whole) {
        fate->kind = FateKind::ReadsBackOtherwise;
        return Failure(FailureKind::Mismatch,
                       "file " + std::to_string(number) + " reads back differently from what was written",
                       number);
    }
    fate->kind = FateKind::Verified;
    return Success();
}

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
    // A read stopped at a block boundary may still have bytes on their way: a
    // keyboard that does not keep pace gets a request per read and answers
    // each. Taken for the selection's reply, they would keep the current file
    // from being put back.
    if (StopRequested()) DrainInput(port_);
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
    if (StopRequested()) return Stopped();
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
    FileFacts facts;
    const Outcome outcome = ReadFileFacts(port, number, &facts);
    if (!outcome.Ok()) return outcome;
    return ReadKnownFile(port, progress, facts, file);
}

Outcome ReadKnownFile(BytePort& port, ProgressSink* progress, const FileFacts& facts, DeviceFile* file) {
    if (StopRequested()) return Stopped();
    const ResultCode selected = SelectFile(port, IndexOf(facts.number));
    if (selected != ResultOk) return DeviceFailure(port, selected, facts.number);
    file->facts = facts;
    const Outcome outcome = ReadCurrentText(port, progress, &file->bytes, facts.number);
    if (!outcome.Ok()) return outcome;
    // The retrieve announced the length again; what arrived is what counts.
    file->facts.length = static_cast<uint32_t>(file->bytes.size());
    return Success();
}

uint32_t RoomOf(const FileFacts& facts) {
    return facts.capacityFromTable ? SendLimitForFile(IndexOf(facts.number)) : facts.capacity;
}

Outcome ReplaceFile(BytePort& port, ProgressSink* progress, int number,
                    std::span<const uint8_t> bytes, FileFate* fate) {
    FileFate unused;
    FileFate& told = fate != nullptr ? *fate : unused;
    told = {number, FateKind::NotTouched, 0, static_cast<uint32_t>(bytes.size())};
    if (StopRequested()) return Stopped();
    const ResultCode selected = SelectFile(port, IndexOf(number));
    if (selected != ResultOk) return DeviceFailure(port, selected, number);

    const uint32_t length = static_cast<uint32_t>(bytes.size());
    BeginWork(progress, length + length);
    ProgressSpan share(progress, length + length);
    if (bytes.empty()) {
        // A write that no end-of-text byte closes would leave the device
        // waiting for text; clearing alone empties the file.
        std::array<uint8_t, ReplyBufferSize> reply{};
        const ResultCode cleared = ExchangeCommand(port, CmdClearFile, reply.data(), ReplyLengthClearFile);
        if (cleared != ResultOk) return DeviceFailure(port, cleared, number);
    } else {
        const Outcome sent = Send(port, share, number, bytes, false, &told);
        if (!sent.Ok()) return sent;
    }
    told.kind = FateKind::WrittenUnverified;
    told.written = length;
    return ReadBack(port, share, number, {}, bytes, &told);
}

Outcome AppendToFile(BytePort& port, ProgressSink* progress, const FileFacts& before,
                     std::span<const uint8_t> bytes, FileFate* fate) {
    const int number = before.number;
    FileFate unused;
    FileFate& told = fate != nullptr ? *fate : unused;
    told = {number, FateKind::NotTouched, 0, static_cast<uint32_t>(bytes.size())};
    if (bytes.empty()) {
        told.kind = FateKind::Verified;
        return Success();
    }
    if (StopRequested()) return Stopped();
    const ResultCode selected = SelectFile(port, IndexOf(number));
    if (selected != ResultOk) return DeviceFailure(port, selected, number);

    const uint32_t length = static_cast<uint32_t>(bytes.size());
    const uint32_t work = length + before.length + length;
    BeginWork(progress, work);
    ProgressSpan share(progress, work);
    const Outcome sent = Send(port, share, number, bytes, true, &told);
    if (!sent.Ok()) return sent;
    told.kind = FateKind::WrittenUnverified;
    told.written = length;
    return ReadBack(port, share, number, before, bytes, &told);
}
