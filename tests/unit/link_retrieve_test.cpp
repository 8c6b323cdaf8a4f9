// Retrieving the current file's text.
#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/protocol.h"
#include "link/retrieve.h"
#include "link/stop_request.h"
#include "scripted_port.h"

using namespace scripted;

namespace {

constexpr uint32_t RetrieveBufferSize = 50000;
constexpr uint32_t Untouched = 0xDEAD;
constexpr uint8_t Guard = 0xEE;

std::vector<uint8_t> LengthReply(uint32_t length) {
    return {StatusAccepted, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
}

// The device's side of a retrieve up to the first block.
ScriptedPort& Announce(ScriptedPort& port, uint32_t length) {
    return port.Reply(LengthReply(length)).Reply({StatusAccepted});
}

struct Retrieval {
    ResultCode result;
    uint32_t length = Untouched;
    std::vector<uint8_t> buffer;
    ProgressRecorder progress;
};

// Runs a full retrieve into a buffer of `size` bytes followed by a guard zone,
// so that any write beyond the destination shows.
Retrieval Retrieve(ScriptedPort& port, uint32_t size) {
    Retrieval r;
    r.buffer.assign(size + BlockSize, Guard);
    r.result = RetrieveFile(port, &r.progress, r.buffer.data(), size, &r.length);
    for (size_t i = size; i < r.buffer.size(); ++i) {
        EXPECT_EQ(r.buffer[i], Guard) << "written beyond the destination at " << i;
    }
    return r;
}

TEST(RetrieveFile, BlocksOfFiftyAndTheRest) {
    const auto text = Pattern(120);
    ScriptedPort port;
    Announce(port, 120).Reply({text.begin(), text.begin() + 50})
        .Reply({text.begin() + 50, text.begin() + 100}).Reply({text.begin() + 100, text.end()});

    Retrieval r = Retrieve(port, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultOk);
    EXPECT_EQ(r.length, 120u);
    EXPECT_EQ(port.Written(), Join({Frame(CmdQueryLength), Frame(CmdReadText),
                                    {RequestNextBlock, RequestNextBlock, RequestNextBlock}}));
    EXPECT_EQ(r.progress.begins, std::vector<uint32_t>{120});
    EXPECT_EQ(r.progress.advances, (std::vector<uint32_t>{50, 50, 20}));
    EXPECT_TRUE(std::equal(text.begin(), text.end(), r.buffer.begin()));
    EXPECT_EQ(r.buffer[120], 0);
}

TEST(RetrieveFile, OvershootStaysBeforeTheZeroByte) {
    ScriptedPort port;
    Announce(port, 120).Reply(Pattern(50)).Reply(Pattern(50)).Reply(Pattern(50, 3));
    Retrieval r = Retrieve(port, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultOk);
    EXPECT_EQ(r.length, 120u) << "the announced length, not the bytes received";
    EXPECT_EQ(r.buffer[149], Pattern(50, 3).back());
    EXPECT_EQ(r.buffer[150], 0);
}

TEST(RetrieveFile, LengthOnlyFormSendsNothingMore) {
    for (uint32_t length : {0u, 256u, 0x1234u, 65535u}) {
        ScriptedPort port;
        port.Reply(LengthReply(length));
        uint32_t got = Untouched;
        EXPECT_EQ(RetrieveFile(port, nullptr, nullptr, 0, &got), ResultOk);
        EXPECT_EQ(got, length);
        EXPECT_EQ(port.Written(), Frame(CmdQueryLength));
    }
}

TEST(RetrieveFile, EmptyFileIsNoDataBeforeAnyTransfer) {
    ScriptedPort port;
    port.Reply(LengthReply(0));
    Retrieval r = Retrieve(port, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultNoData);
    EXPECT_EQ(r.length, Untouched);
    EXPECT_EQ(port.Written(), Frame(CmdQueryLength));
    EXPECT_TRUE(r.progress.begins.empty());
}

TEST(RetrieveFile, LengthThatWouldNotFitIsRefusedBeforeTheReadCommand) {
    // 50000 bytes hold 49950 of text, up to 49 of overshoot and the zero byte.
    ScriptedPort tooLong;
    tooLong.Reply(LengthReply(49951)).Reply({StatusAccepted});
    Retrieval r = Retrieve(tooLong, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultBadLength);
    EXPECT_EQ(r.length, Untouched);
    EXPECT_EQ(tooLong.Written(), Frame(CmdQueryLength)) << "no read command for a text that cannot fit";

    ScriptedPort longest;
    Announce(longest, 49950).NeverPause('x');
    r = Retrieve(longest, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultOk);
    EXPECT_EQ(r.buffer[49950], 0);

    ScriptedPort tinyBuffer;
    tinyBuffer.Reply(LengthReply(1));
    EXPECT_EQ(Retrieve(tinyBuffer, BlockSize - 1).result, ResultBadLength);
}

TEST(RetrieveFile, ReadsNeverReachBeyondASmallDestination) {
    // 101 bytes of text in 151: the device sends full blocks, overshooting by 49.
    ScriptedPort port;
    Announce(port, 101).NeverPause('y');
    Retrieval r = Retrieve(port, 151);
    EXPECT_EQ(r.result, ResultOk);
    EXPECT_EQ(r.buffer[150], 0);
}

TEST(RetrieveFile, EmptyCyclesAreRetriedButNotForEver) {
    ScriptedPort gap;
    Announce(gap, 120).Reply(Pattern(50)).Silence(4).Reply(Pattern(50)).Reply(Pattern(20));
    Retrieval r = Retrieve(gap, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultOk) << "four empty cycles in a row are still waited out";
    EXPECT_EQ(r.progress.advances, (std::vector<uint32_t>{50, 0, 0, 0, 0, 50, 20}));

    ScriptedPort stopped;
    Announce(stopped, 120).Reply(Pattern(50));
    r = Retrieve(stopped, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultBadLength);
    EXPECT_EQ(r.length, Untouched);
    EXPECT_EQ(r.progress.advances, (std::vector<uint32_t>{50, 0, 0, 0, 0, 0}));
    EXPECT_EQ(stopped.Writes().size(), 2u + 6u) << "one request per cycle";
    EXPECT_EQ(r.buffer[50], Guard) << "no zero byte after a failed transfer";

    // A silent line's five cycles take nearly a block's time, so the count
    // shows only where the empty reads come back at once.
    ScriptedPort hasty;
    Announce(hasty, 120).Reply(Pattern(50)).EmptyAtOnce(5).Reply(Pattern(50)).Reply(Pattern(20));
    r = Retrieve(hasty, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultBadLength) << "five empty cycles end the transfer, however quick";
    EXPECT_EQ(hasty.Writes().size(), 2u + 6u);
}

// A device that never leaves a cycle empty but never finishes a block either
// (a byte now and then) once held the transfer for hours. A block must be in
// within 4 s of its first request; a device that sends each block in a few
// pieces, well inside that time, is still read to the end.
TEST(RetrieveFile, ABlockNotInWithinItsTimeEndsTheTransfer) {
    for (double gapMs : {250.0, 600.0}) {
        ScriptedPort port;
        Announce(port, 120).Reply(Pattern(50)).Dribble({0x41}, gapMs);
        Retrieval r = Retrieve(port, RetrieveBufferSize);
        EXPECT_EQ(r.result, ResultBadLength) << gapMs << " ms between bytes";
        EXPECT_EQ(r.length, Untouched);
        const size_t requests = port.Writes().size() - 2;
        EXPECT_GE(requests, 2u) << "still one request per read";
        EXPECT_LE(port.ClockMs(), 4000.0 + 20.0) << gapMs << ": within 4 s of the second block's request";
    }

    ScriptedPort pieces;
    Announce(pieces, 120);
    for (int i = 0; i < 5; ++i) pieces.Reply(Pattern(25)).Silence(1);
    Retrieval r = Retrieve(pieces, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultOk) << "blocks in two pieces with an empty cycle between";
    EXPECT_EQ(r.length, 120u);
}

TEST(RetrieveFile, RefusedOrUnansweredReadCommand) {
    ScriptedPort refused;
    refused.Reply(LengthReply(120)).Reply({0xFA});
    Retrieval r = Retrieve(refused, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultBadStatus);
    EXPECT_EQ(refused.Written(), Join({Frame(CmdQueryLength), Frame(CmdReadText)}));
    EXPECT_TRUE(r.progress.begins.empty());

    ScriptedPort badQuery;
    badQuery.Reply({0xFA, 0x00, 0x10});
    EXPECT_EQ(Retrieve(badQuery, RetrieveBufferSize).result, ResultBadStatus);
    EXPECT_EQ(badQuery.Written(), Frame(CmdQueryLength));
}

TEST(RetrieveFile, PortFailuresDuringTheTransfer) {
    ScriptedPort failingRequest;
    Announce(failingRequest, 120).Reply(Pattern(50)).FailWrite(3, 995);
    Retrieval r = Retrieve(failingRequest, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultPortFailure);
    EXPECT_EQ(failingRequest.FailedCallError(), 995u);
    EXPECT_EQ(r.length, Untouched);

    ScriptedPort failingRead;
    Announce(failingRead, 120).Reply(Pattern(50)).FailRead(1167);
    r = Retrieve(failingRead, RetrieveBufferSize);
    EXPECT_EQ(r.result, ResultPortFailure);
    EXPECT_EQ(failingRead.FailedCallError(), 1167u);
    EXPECT_EQ(r.buffer[50], Guard);
}

int stopChecks = 0;

TEST(RetrieveFile, StopIsTakenAtABlockBoundaryAndAsksForNoFurtherBlock) {
    const auto text = Pattern(120);
    ScriptedPort port;
    Announce(port, 120).Reply({text.begin(), text.begin() + 50});
    // The stop is asked for once the first block is in: that block is kept on
    // the line's terms, and no request for the second goes out.
    stopChecks = 0;
    SetStopPoll([] { return ++stopChecks == 2; });
    Retrieval r = Retrieve(port, RetrieveBufferSize);
    SetStopPoll(nullptr);
    ClearStopRequest();
    EXPECT_EQ(r.result, ResultStopped);
    EXPECT_EQ(r.length, Untouched);
    EXPECT_EQ(port.Written(), Join({Frame(CmdQueryLength), Frame(CmdReadText), {RequestNextBlock}}));
    EXPECT_EQ(port.AnswersLeft(), 0u);
}

}  // namespace
