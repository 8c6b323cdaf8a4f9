#include "link/exchange.h"

#include <algorithm>
#include <array>

#include "link/protocol.h"

namespace {

constexpr uint32_t HighByteShift = 8;

ResultCode WriteFrame(BytePort& port, uint8_t command) {
    const std::array<uint8_t, 2> frame = {CommandPrefix, command};
    const PortTransfer sent = port.Write(frame.data(), static_cast<uint32_t>(frame.size()));
    if (!sent.ok) {
        return PortFailure(port, sent.error);
    }
    return ResultOk;
}

ResultCode JudgeReply(const uint8_t* reply, uint32_t received, uint32_t n) {
    if (received > n) {
        return ResultBadLength;
    }
    return reply[0] == StatusAccepted ? ResultOk : ResultBadStatus;
}

}  // namespace

ResultCode PortFailure(BytePort& port, uint32_t error) {
    port.NoteFailedCall(error);
    return ResultPortFailure;
}

uint32_t DecodeReplyWord(const uint8_t* reply) {
    return (static_cast<uint32_t>(reply[1]) << HighByteShift) | reply[2];
}

ResultCode ExchangeCommand(BytePort& port, uint8_t command, uint8_t* reply, uint32_t n) {
    if (command != 0) {
        const ResultCode sent = WriteFrame(port, command);
        if (sent != ResultOk) {
            return sent;
        }
    }

    // A reply that arrives in pieces is put together in order, so that it is
    // judged on its own status byte and its data sits where the caller looks.
    // Every read is limited to what is left of the n + 5 bytes the buffer holds.
    const uint32_t capacity = n + ReplySlack;
    uint32_t received = 0;
    for (uint32_t reads = 0; reads < ReplyReads; ++reads) {
        const uint32_t room = capacity - received;
        const PortTransfer got = port.Read(reply + received, room);
        if (!got.ok) {
            return PortFailure(port, got.error);
        }
        received += std::min(got.count, room);
        if (received >= n) {
            return JudgeReply(reply, received, n);
        }
    }
    return ResultBadLength;
}

ResultCode QueryCurrentFile(BytePort& port, uint32_t* index) {
    std::array<uint8_t, ReplyBufferSize> reply{};
    const ResultCode result = ExchangeCommand(port, CmdQueryFile, reply.data(), ReplyLengthQueryFile);
    if (result != ResultOk) {
        return result;
    }
    const uint32_t fileNumber = reply[1];
    if (fileNumber < 1 || fileNumber > FileCount) {
        return ResultBadFile;
    }
    *index = fileNumber - 1;
    return ResultOk;
}

ResultCode SelectFile(BytePort& port, uint32_t index) {
    if (index >= FileCount) {
        return ResultBadFile;
    }
    std::array<uint8_t, ReplyBufferSize> reply{};
    const uint8_t command = static_cast<uint8_t>(CmdSelectFile + index);
    const ResultCode result = ExchangeCommand(port, command, reply.data(), ReplyLengthSelectFile);
    if (result != ResultOk) {
        return result;
    }
    // The device's answer only proves it is still there; which file it names
    // is not compared with the one asked for.
    uint32_t reported = 0;
    return QueryCurrentFile(port, &reported);
}

ResultCode SendDoneCommand(BytePort& port) {
    std::array<uint8_t, ReplyBufferSize> reply{};
    return ExchangeCommand(port, CmdDone, reply.data(), ReplyLengthDone);
}
