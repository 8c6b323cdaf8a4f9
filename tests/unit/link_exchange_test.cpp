// The command exchange and the small queries built on it.
#include <gtest/gtest.h>

#include <array>

#include "link/exchange.h"
#include "link/protocol.h"
#include "scripted_port.h"

using namespace scripted;

namespace {

constexpr uint32_t Untouched = 99;

struct FileQueryCase {
    std::vector<uint8_t> reply;
    ResultCode result;
    uint32_t index;
};

TEST(QueryCurrentFile, DecodesTheFileNumberAndRejectsBadReplies) {
    const std::vector<FileQueryCase> cases = {
        {{0xFB, 0x03}, ResultOk, 2},
        {{0xFB, 0x01}, ResultOk, 0},
        {{0xFB, 0x08}, ResultOk, 7},
        {{0xFB, 0x00}, ResultBadFile, Untouched},
        {{0xFB, 0x09}, ResultBadFile, Untouched},
        {{0xFB, 0xFF}, ResultBadFile, Untouched},
        {{0xFA, 0x03}, ResultBadStatus, Untouched},
        {{0xFB, 0x03, 0x01}, ResultBadLength, Untouched},  // surplus, even though accepted
    };
    for (const auto& c : cases) {
        ScriptedPort port;
        port.Reply(c.reply);
        uint32_t index = Untouched;
        EXPECT_EQ(QueryCurrentFile(port, &index), c.result) << testing::PrintToString(c.reply);
        EXPECT_EQ(index, c.index) << testing::PrintToString(c.reply);
        EXPECT_EQ(port.Written(), Frame(CmdQueryFile));
        EXPECT_EQ(port.ReadSizes().front(), ReplyLengthQueryFile + ReplySlack);
    }
}

TEST(DecodeReplyWord, HighByteFirst) {
    const std::array<uint8_t, 3> a = {0xFB, 0x12, 0x34};
    const std::array<uint8_t, 3> b = {0xFB, 0xFF, 0xFF};
    const std::array<uint8_t, 3> c = {0xFB, 0x01, 0x00};
    EXPECT_EQ(DecodeReplyWord(a.data()), 0x1234u);
    EXPECT_EQ(DecodeReplyWord(b.data()), 65535u);
    EXPECT_EQ(DecodeReplyWord(c.data()), 256u);
}

TEST(ExchangeCommand, SilentDeviceGivesBadLengthAfterFiveReads) {
    // Five empty reads of n + 5 bytes: 500 + 5 * (n + 5) ms each.
    const std::array<std::pair<uint32_t, double>, 3> cases = {{{1, 2650.0}, {2, 2675.0}, {3, 2700.0}}};
    for (const auto& [n, waitMs] : cases) {
        ScriptedPort port;
        std::array<uint8_t, ReplyBufferSize> reply{};
        EXPECT_EQ(ExchangeCommand(port, CmdQueryLength, reply.data(), n), ResultBadLength);
        EXPECT_EQ(port.ReadSizes(), std::vector<uint32_t>(ReplyReads, n + ReplySlack));
        EXPECT_GE(port.ClockMs(), waitMs);
        EXPECT_LT(port.ClockMs(), waitMs + 5.0);
    }
}

TEST(ExchangeCommand, SplitReplyIsGatheredInOrder) {
    ScriptedPort port;
    port.Reply({StatusAccepted}).Silence().Reply({0x12}).Reply({0x34});
    std::array<uint8_t, ReplyBufferSize> reply{};
    EXPECT_EQ(ExchangeCommand(port, CmdQueryLength, reply.data(), 3), ResultOk);
    EXPECT_EQ(reply[0], StatusAccepted);
    EXPECT_EQ(DecodeReplyWord(reply.data()), 0x1234u);
    EXPECT_EQ(port.ReadSizes(), (std::vector<uint32_t>{8, 7, 7, 6}))
        << "each read asks only for the room left of the n + 5 bytes";
}

TEST(ExchangeCommand, SplitReplyIsJudgedOnItsOwnStatusByte) {
    ScriptedPort refused;
    refused.Reply({0xFA}).Reply({StatusAccepted});
    std::array<uint8_t, ReplyBufferSize> reply{};
    EXPECT_EQ(ExchangeCommand(refused, CmdDone, reply.data(), 2), ResultBadStatus)
        << "a refused command stays refused whatever its data byte";

    ScriptedPort surplus;
    surplus.Reply({StatusAccepted}).Reply({0x00, 0x78, 0x00});
    EXPECT_EQ(ExchangeCommand(surplus, CmdQueryLength, reply.data(), 3), ResultBadLength);

    ScriptedPort tooFew;
    tooFew.Reply({StatusAccepted}).Silence(4);
    EXPECT_EQ(ExchangeCommand(tooFew, CmdQueryLength, reply.data(), 3), ResultBadLength);
}

TEST(ExchangeCommand, CommandByteZeroOnlyCollectsTheReply) {
    ScriptedPort port;
    port.Reply({StatusAccepted});
    std::array<uint8_t, ReplyBufferSize> reply{};
    EXPECT_EQ(ExchangeCommand(port, 0, reply.data(), 1), ResultOk);
    EXPECT_TRUE(port.Written().empty());
}

TEST(ExchangeCommand, PortFailuresCarryTheirErrorCode) {
    std::array<uint8_t, ReplyBufferSize> reply{};

    ScriptedPort failingWrite;
    failingWrite.FailWrite(0, 31).Reply({StatusAccepted, 0x01});
    EXPECT_EQ(ExchangeCommand(failingWrite, CmdDone, reply.data(), 2), ResultPortFailure);
    EXPECT_EQ(failingWrite.FailedCallError(), 31u);
    EXPECT_TRUE(failingWrite.ReadSizes().empty()) << "no read after a failed write";

    ScriptedPort failingRead;
    failingRead.Reply({StatusAccepted}).FailRead(1167);
    EXPECT_EQ(ExchangeCommand(failingRead, CmdDone, reply.data(), 2), ResultPortFailure);
    EXPECT_EQ(failingRead.FailedCallError(), 1167u);
}

TEST(SelectFile, SendsTheFileNumberThenChecksThePresence) {
    ScriptedPort first;
    first.Reply({StatusAccepted}).Reply({StatusAccepted, 0x05});
    EXPECT_EQ(SelectFile(first, 0), ResultOk) << "the reported file is not compared";
    EXPECT_EQ(first.Written(), Join({Frame(0x01), Frame(CmdQueryFile)}));

    ScriptedPort last;
    last.Reply({StatusAccepted}).Reply({StatusAccepted, 0x08});
    EXPECT_EQ(SelectFile(last, 7), ResultOk);
    EXPECT_EQ(last.Writes().front(), Frame(0x08));
}

TEST(SelectFile, IndexOutOfRangeSendsNothing) {
    for (uint32_t index : {8u, 255u, 0xFFFFFFFFu}) {
        ScriptedPort port;
        EXPECT_EQ(SelectFile(port, index), ResultBadFile) << index;
        EXPECT_TRUE(port.Written().empty()) << index;
    }
}

TEST(SelectFile, FailuresOfEitherStep) {
    ScriptedPort refused;
    refused.Reply({0xFA});
    EXPECT_EQ(SelectFile(refused, 2), ResultBadStatus);
    EXPECT_EQ(refused.Writes().size(), 1u) << "no query after a refused selection";

    ScriptedPort silentQuery;
    silentQuery.Reply({StatusAccepted});
    EXPECT_EQ(SelectFile(silentQuery, 2), ResultBadLength);

    ScriptedPort badNumber;
    badNumber.Reply({StatusAccepted}).Reply({StatusAccepted, 0x00});
    EXPECT_EQ(SelectFile(badNumber, 2), ResultBadFile);
}

TEST(SendDoneCommand, IgnoresTheDataByte) {
    ScriptedPort port;
    port.Reply({StatusAccepted, 0xEE});
    EXPECT_EQ(SendDoneCommand(port), ResultOk);
    EXPECT_EQ(port.Written(), Frame(CmdDone));

    ScriptedPort shortReply;
    shortReply.Reply({StatusAccepted});
    EXPECT_EQ(SendDoneCommand(shortReply), ResultBadLength);
}

}  // namespace
