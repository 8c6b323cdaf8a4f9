#include "link/send_text.h"

#include <algorithm>
#include <array>

#include "link/exchange.h"
#include "link/protocol.h"
#include "link/stop_request.h"

namespace {

// A block write that moves nothing means the write timeout ran out with the
// line stalled. Should the device still acknowledge such empty blocks, the send
// would loop for ever; after this many in a row it is treated as a port failure.
constexpr uint32_t StalledWriteLimit = 5;

// The room this send may fill: what the device reports, or the caller's
// fallback when it does not answer the capacity query.
ResultCode WorkOutRoom(BytePort& port, uint8_t* reply, bool append, uint32_t sendLimit,
                       uint32_t* room) {
    if (ExchangeCommand(port, CmdQueryCapacity, reply, ReplyLengthQueryCapacity) != ResultOk) {
        *room = sendLimit;
        return ResultOk;
    }
    const uint32_t capacity = DecodeReplyWord(reply);
    if (!append) {
        *room = capacity;
        return ResultOk;
    }
    const ResultCode result = ExchangeCommand(port, CmdQueryLength, reply, ReplyLengthQueryLength);
    if (result != ResultOk) {
        return result;
    }
    const uint32_t length = DecodeReplyWord(reply);
    *room = length < capacity ? capacity - length : 0;
    return ResultOk;
}

ResultCode OpenForWriting(BytePort& port, uint8_t* reply, bool append) {
    if (!append) {
        const ResultCode result = ExchangeCommand(port, CmdClearFile, reply, ReplyLengthClearFile);
        if (result != ResultOk) {
            return result;
        }
    }
    return ExchangeCommand(port, CmdBeginWrite, reply, ReplyLengthBeginWrite);
}

// A "file full" acknowledgement reaches the exchange as a bad status (one byte)
// or a bad length (with surplus); either way it means the device takes no more.
// An acknowledgement that brings nothing leaves the buffer as the exchange before
// it left it, and every exchange before an acknowledgement succeeded, so its
// first byte is then the accepted status and cannot pass for "file full".
ResultCode CollectAcknowledgement(BytePort& port, uint8_t* reply) {
    const ResultCode result = ExchangeCommand(port, 0, reply, ReplyLengthAcknowledge);
    if (result != ResultOk && reply[0] == StatusFileFull) {
        return ResultFileFull;
    }
    return result;
}

// Sends blocks until all `count` bytes are acknowledged or a stop is requested;
// `sent` counts the bytes the device has acknowledged. A stop is taken only
// between blocks, after the one in flight is acknowledged.
ResultCode SendBlocks(BytePort& port, ProgressSink& progress, uint8_t* reply, const uint8_t* text,
                      uint32_t count, uint32_t& sent) {
    uint32_t stalledWrites = 0;
    while (sent < count) {
        if (StopRequested()) {
            return ResultStopped;
        }
        const uint32_t block = std::min(count - sent, BlockSize);
        const PortTransfer wrote = port.Write(text + sent, block);
        if (!wrote.ok) {
            return PortFailure(port, wrote.error);
        }
        // A short write leaves the rest for the next block.
        const uint32_t moved = std::min(wrote.count, block);
        progress.ProgressAdvance(moved);

        stalledWrites = moved == 0 ? stalledWrites + 1 : 0;
        if (stalledWrites == StalledWriteLimit) {
            return PortFailure(port, port.TimeoutError());
        }
        const ResultCode acknowledged = CollectAcknowledgement(port, reply);
        if (acknowledged != ResultOk) {
            return acknowledged;
        }
        sent += moved;
    }
    return ResultOk;
}

ResultCode SendEndOfText(BytePort& port, uint8_t* reply) {
    const uint8_t end = EndOfText;
    const PortTransfer wrote = port.Write(&end, 1);
    if (!wrote.ok) {
        return PortFailure(port, wrote.error);
    }
    return CollectAcknowledgement(port, reply);
}

}  // namespace

ResultCode SendText(BytePort& port, ProgressSink& progress, const uint8_t* text, uint32_t count,
                    bool append, uint32_t sendLimit, uint32_t* acknowledged) {
    uint32_t unused = 0;
    uint32_t& sent = acknowledged != nullptr ? *acknowledged : unused;
    sent = 0;
    // One buffer serves every exchange of the send, acknowledgements included.
    std::array<uint8_t, ReplyBufferSize> reply{};

    uint32_t room = 0;
    ResultCode result = WorkOutRoom(port, reply.data(), append, sendLimit, &room);
    if (result != ResultOk) {
        return result;
    }
    // Text beyond the room is dropped: the device could not hold it anyway.
    const uint32_t toSend = std::min(count, room);

    result = OpenForWriting(port, reply.data(), append);
    if (result != ResultOk) {
        return result;
    }
    progress.ProgressBegin(toSend);
    if (toSend == 0) {
        // The write is open all the same: without end-of-text the device would
        // store whatever comes next, the end-of-transfer command included, as text.
        return SendEndOfText(port, reply.data());
    }
    result = SendBlocks(port, progress, reply.data(), text, toSend, sent);
    if (result == ResultStopped) {
        // The file keeps what reached it; end-of-text takes the device out of
        // write mode, so the next command is read as a command.
        const ResultCode ended = SendEndOfText(port, reply.data());
        return ended == ResultOk ? ResultStopped : ended;
    }
    if (result != ResultOk) {
        return result;
    }
    return SendEndOfText(port, reply.data());
}

uint32_t SendLimitForFile(uint32_t index) {
    if (index >= FileCount) {
        return 0;
    }
    return FileCapacity[index] - 1u;
}
