// Feeds arbitrary device behaviour to the link: whatever the device answers,
// every operation must end with a known result and stay inside its buffers.
//
// Input layout:
//   byte 0  which operation to drive
//   byte 1  its parameter (reply length, file index, destination size, append)
//   byte 2  text count for a send, in fours
//   byte 3  number of a write that fails (0xFF: none)
//   byte 4  number of a write that is reported short
//   byte 5  what that short write reports
//   rest    the device's answers, one per read: a header byte, then that many
//           bytes (header modulo 64; 0 is a silent read); header 0xFF is a
//           failed read. A header with bit 6 set is followed by a delay byte:
//           the answer starts that many 4 ms steps into its read, so that
//           reads wait part way and the time limits are reached.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "link/retrieve.h"
#include "link/send_text.h"
#include "scripted_port.h"

namespace {

constexpr size_t HeaderSize = 6;
constexpr uint8_t FailedReadMark = 0xFF;
constexpr uint8_t NoFailingWrite = 0xFF;
constexpr uint8_t AnswerLengthMask = 0x3F;
constexpr uint8_t DelayedAnswerBit = 0x40;
constexpr double DelayStepMs = 4;
constexpr uint32_t TextCountStep = 4;
constexpr uint32_t FailedReadError = 1167;
constexpr uint32_t FailedWriteError = 31;
// The time limits the link keeps, checked on the port's virtual clock.
constexpr double HelloWriteMs = 2 * scripted::ByteMs;
constexpr double HelloLimitMs = 1500;
constexpr double DrainLimitMs = 1500;

enum Operation : uint8_t {
    DriveExchange,
    DriveQueryFile,
    DriveSelectFile,
    DriveRetrieve,
    DriveLengthOnly,
    DriveSend,
    DriveHelloAndDrain,
    OperationCount
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool OneOf(ResultCode result, std::initializer_list<ResultCode> allowed) {
    for (ResultCode code : allowed) {
        if (result == code) return true;
    }
    return false;
}

void Script(ScriptedPort& port, const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size) {
        const uint8_t header = data[at++];
        if (header == FailedReadMark) {
            port.FailRead(FailedReadError);
            continue;
        }
        double delayMs = 0;
        if ((header & DelayedAnswerBit) && at < size) {
            delayMs = data[at++] * DelayStepMs;
        }
        const size_t length = std::min<size_t>(header & AnswerLengthMask, size - at);
        port.ReplyAfter(delayMs, std::vector<uint8_t>(data + at, data + at + length));
        at += length;
    }
}

// Buffers are allocated at their exact size so that the address sanitizer
// sees the first byte written beyond them.
ResultCode Exchange(ScriptedPort& port, uint8_t parameter) {
    const uint32_t n = 1 + parameter % 3;
    std::unique_ptr<uint8_t[]> reply(new uint8_t[n + ReplySlack]());
    return ExchangeCommand(port, CmdQueryLength, reply.get(), n);
}

ResultCode Retrieve(ScriptedPort& port, uint8_t parameter) {
    const uint32_t size = parameter;
    std::unique_ptr<uint8_t[]> destination(new uint8_t[size ? size : 1]());
    ProgressRecorder progress;
    uint32_t length = 0;
    const ResultCode result = RetrieveFile(port, &progress, destination.get(), size, &length);
    if (result == ResultOk) {
        Check(length + BlockSize <= size);
        uint64_t received = 0;
        for (uint32_t count : progress.advances) received += count;
        Check(received >= length && received < size);
        Check(destination[received] == 0);
    }
    return result;
}

ResultCode Send(ScriptedPort& port, uint8_t parameter, uint8_t countByte) {
    const uint32_t count = countByte * TextCountStep;
    std::unique_ptr<uint8_t[]> text(new uint8_t[count ? count : 1]());
    ProgressRecorder progress;
    const bool append = parameter & 1;
    const uint32_t limit = SendLimitForFile(parameter >> 1 & 7);
    const ResultCode result = SendText(port, progress, text.get(), count, append, limit);
    uint64_t moved = 0;
    for (uint32_t chunk : progress.advances) moved += chunk;
    Check(progress.begins.size() <= 1);
    Check(progress.begins.empty() || moved <= progress.begins.front());
    Check(progress.begins.empty() || progress.begins.front() <= count);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < HeaderSize) {
        return 0;
    }
    ScriptedPort port;
    if (data[3] != NoFailingWrite) {
        port.FailWrite(data[3], FailedWriteError);
    }
    port.ShortWrite(data[4], data[5]);
    Script(port, data + HeaderSize, size - HeaderSize);

    const uint8_t parameter = data[1];
    ResultCode result = ResultOk;
    switch (static_cast<Operation>(data[0] % OperationCount)) {
    case DriveExchange:
        result = Exchange(port, parameter);
        Check(OneOf(result, {ResultOk, ResultPortFailure, ResultBadLength, ResultBadStatus}));
        break;
    case DriveQueryFile: {
        uint32_t index = FileCount;
        result = QueryCurrentFile(port, &index);
        Check((result == ResultOk) == (index < FileCount));
        Check(OneOf(result, {ResultOk, ResultPortFailure, ResultBadLength, ResultBadStatus,
                             ResultBadFile}));
        break;
    }
    case DriveSelectFile:
        result = SelectFile(port, parameter);
        Check(parameter < FileCount || (result == ResultBadFile && port.Written().empty()));
        Check(OneOf(result, {ResultOk, ResultPortFailure, ResultBadLength, ResultBadStatus,
                             ResultBadFile}));
        break;
    case DriveRetrieve:
        result = Retrieve(port, parameter);
        Check(OneOf(result, {ResultOk, ResultPortFailure, ResultBadLength, ResultBadStatus,
                             ResultNoData}));
        break;
    case DriveLengthOnly: {
        uint32_t length = 0;
        result = RetrieveFile(port, nullptr, nullptr, 0, &length);
        // The length-only form asks one question and nothing more.
        Check(port.Writes().size() <= 1);
        Check(OneOf(result, {ResultOk, ResultPortFailure, ResultBadLength, ResultBadStatus}));
        break;
    }
    case DriveSend:
        result = Send(port, parameter, data[2]);
        Check(OneOf(result, {ResultOk, ResultPortFailure, ResultBadLength, ResultBadStatus,
                             ResultFileFull}));
        break;
    case DriveHelloAndDrain: {
        const HelloOutcome outcome = DetectDevice(port);
        const double helloEnd = port.ClockMs();
        Check(helloEnd <= HelloWriteMs + HelloLimitMs);
        Check(outcome != HelloOutcome::DeviceFound || port.ReadSizes().size() >= 1);
        result = DrainInput(port);
        Check(port.ClockMs() - helloEnd <= DrainLimitMs);
        Check(OneOf(result, {ResultOk, ResultPortFailure}));
        break;
    }
    case OperationCount:
        break;
    }
    // A port failure names the call that failed, never a code from nowhere.
    if (result == ResultPortFailure) {
        Check(port.FailedCallError() == FailedReadError ||
              port.FailedCallError() == FailedWriteError ||
              port.FailedCallError() == scripted::TimeoutCode);
    }
    return 0;
}
