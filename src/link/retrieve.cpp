#include "link/retrieve.h"

#include <algorithm>
#include <array>

#include "link/deadline.h"
#include "link/exchange.h"
#include "link/protocol.h"
#include "link/stop_request.h"

namespace {

// A device that keeps answering requests with nothing would hold the window's
// thread for ever; five such cycles in a row (about 3.75 s of silence) mean it
// has stopped sending.
constexpr uint32_t EmptyCycleLimit = 5;

// A device that dribbles (a byte now and then, from noise or a half-blocked
// beam) never leaves a cycle empty, yet a full file would take hours. So each
// block must be in within about the time the empty cycles allow a silent
// device, measured from its first request.
constexpr uint32_t BlockLimitMs = 4000;

// Room for the text, the surplus the last block may bring (up to a block less
// one byte beyond the length) and the closing zero byte.
bool TextFits(uint32_t length, uint32_t destinationSize) {
    return destinationSize >= BlockSize && length <= destinationSize - BlockSize;
}

// Stands in when the caller shows no progress, so the transfer loop needs no checks.
class SilentProgress final : public ProgressSink {
public:
    void ProgressBegin(uint32_t) override {}
    void ProgressAdvance(uint32_t) override {}
};

// Requests blocks until at least `length` bytes are in, then closes the text
// with a zero byte. No read ever reaches past the destination's last byte but one,
// which is kept for that zero. A block is a block's worth of bytes from its first
// request on: a device that keeps pace sends it in one read, one that does not
// gets a request byte per read as before, until the block's time is up. No read
// starts that could end past that time, so the transfer ends within it. A stop
// request ends it before the next block is asked for.
ResultCode ReceiveText(BytePort& port, ProgressSink& progress, uint8_t* destination,
                       uint32_t destinationSize, uint32_t length) {
    const uint32_t textRoom = destinationSize - 1;
    uint32_t received = 0;
    uint32_t emptyCycles = 0;
    uint32_t blockStart = 0;
    Deadline block(port, BlockLimitMs);
    while (received < length) {
        const bool blockDone = received - blockStart >= BlockSize;
        if (blockDone) {
            blockStart = received;
            block.Restart();
        }
        // A stop is taken only where a block is complete, so no reply is left
        // half-read on the line.
        if ((received == 0 || blockDone) && StopRequested()) {
            return ResultStopped;
        }
        const uint32_t ask = std::min(BlockSize, textRoom - received);
        if (!block.ReadFits(ask)) {
            return ResultBadLength;
        }
        const uint8_t request = RequestNextBlock;
        const PortTransfer sent = port.Write(&request, 1);
        if (!sent.ok) {
            return PortFailure(port, sent.error);
        }
        if (!block.ReadFits(ask)) {
            return ResultBadLength;  // the request itself stalled on the line
        }

        const PortTransfer got = port.Read(destination + received, ask);
        if (!got.ok) {
            return PortFailure(port, got.error);
        }
        const uint32_t count = std::min(got.count, ask);
        progress.ProgressAdvance(count);
        received += count;

        emptyCycles = count == 0 ? emptyCycles + 1 : 0;
        if (emptyCycles == EmptyCycleLimit) {
            return ResultBadLength;
        }
    }
    destination[received] = 0;
    return ResultOk;
}

}  // namespace

ResultCode RetrieveFile(BytePort& port, ProgressSink* progress, uint8_t* destination,
                        uint32_t destinationSize, uint32_t* length) {
    std::array<uint8_t, ReplyBufferSize> reply{};
    ResultCode result = ExchangeCommand(port, CmdQueryLength, reply.data(), ReplyLengthQueryLength);
    if (result != ResultOk) {
        return result;
    }
    const uint32_t announced = DecodeReplyWord(reply.data());

    if (destination == nullptr) {
        *length = announced;
        return ResultOk;
    }
    if (announced == 0) {
        return ResultNoData;
    }
    if (!TextFits(announced, destinationSize)) {
        return ResultBadLength;
    }

    result = ExchangeCommand(port, CmdReadText, reply.data(), ReplyLengthReadText);
    if (result != ResultOk) {
        return result;
    }
    SilentProgress silent;
    ProgressSink& shown = progress != nullptr ? *progress : silent;
    shown.ProgressBegin(announced);
    result = ReceiveText(port, shown, destination, destinationSize, announced);
    if (result == ResultOk) {
        *length = announced;
    }
    return result;
}
