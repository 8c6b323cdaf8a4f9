// Sending text into the current file.
#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/protocol.h"
#include "link/send_text.h"
#include "link/stop_request.h"
#include "scripted_port.h"

using namespace scripted;

namespace {

constexpr bool Replace = false;
constexpr bool Append = true;
constexpr uint32_t AnyLimit = 30000;

std::vector<uint8_t> WordReply(uint32_t value) {
    return {StatusAccepted, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

ScriptedPort& Acks(ScriptedPort& port, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        port.Reply({StatusAccepted});
    }
    return port;
}

std::vector<std::vector<uint8_t>> Blocks(const std::vector<uint8_t>& text, size_t count) {
    std::vector<std::vector<uint8_t>> blocks;
    for (size_t at = 0; at < count; at += BlockSize) {
        const size_t end = std::min<size_t>(count, at + BlockSize);
        blocks.emplace_back(text.begin() + at, text.begin() + end);
    }
    return blocks;
}

TEST(SendText, ReplaceSendsBlocksEachAcknowledgedThenEndOfText) {
    const auto text = Pattern(120);
    ScriptedPort port;
    port.Reply(WordReply(3000));
    Acks(port, 2 + 3 + 1);  // clear, begin, three blocks, end
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, text.data(), 120, Replace, AnyLimit), ResultOk);

    std::vector<std::vector<uint8_t>> expected = {Frame(CmdQueryCapacity), Frame(CmdClearFile),
                                                  Frame(CmdBeginWrite)};
    for (auto& block : Blocks(text, 120)) expected.push_back(block);
    expected.push_back({EndOfText});
    EXPECT_EQ(port.Writes(), expected);
    EXPECT_EQ(progress.begins, std::vector<uint32_t>{120});
    EXPECT_EQ(progress.advances, (std::vector<uint32_t>{50, 50, 20}));
    EXPECT_EQ(port.AnswersLeft(), 0u);
}

TEST(SendText, ExactlyOneBlock) {
    const auto text = Pattern(50);
    ScriptedPort port;
    port.Reply(WordReply(3000));
    Acks(port, 4);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, text.data(), 50, Replace, AnyLimit), ResultOk);
    EXPECT_EQ(port.Writes().size(), 3u + 1u + 1u);
    EXPECT_EQ(port.Writes()[3], text);
    EXPECT_EQ(port.Writes()[4], std::vector<uint8_t>{EndOfText});
}

TEST(SendText, AppendIsCutToTheRoomLeft) {
    const auto text = Pattern(50);
    ScriptedPort port;
    port.Reply(WordReply(1000)).Reply(WordReply(990));
    Acks(port, 1 + 1 + 1);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, text.data(), 50, Append, AnyLimit), ResultOk);
    const std::vector<std::vector<uint8_t>> expected = {
        Frame(CmdQueryCapacity), Frame(CmdQueryLength), Frame(CmdBeginWrite),
        {text.begin(), text.begin() + 10}, {EndOfText}};
    EXPECT_EQ(port.Writes(), expected) << "appending never clears the file";
}

TEST(SendText, AppendToAFullFileSendsNoText) {
    for (uint32_t length : {1000u, 1001u, 65535u}) {
        const auto text = Pattern(50);
        ScriptedPort port;
        port.Reply(WordReply(1000)).Reply(WordReply(length)).Reply({StatusAccepted}).Reply({StatusAccepted});
        ProgressRecorder progress;
        EXPECT_EQ(SendText(port, progress, text.data(), 50, Append, AnyLimit), ResultOk);
        EXPECT_EQ(port.Written(), Join({Frame(CmdQueryCapacity), Frame(CmdQueryLength),
                                        Frame(CmdBeginWrite), {EndOfText}}))
            << "the opened write is closed, so nothing after it is stored as text";
        EXPECT_EQ(progress.begins, std::vector<uint32_t>{0});
        EXPECT_TRUE(progress.advances.empty());
    }
}

TEST(SendText, CountZeroClosesTheWriteItOpened) {
    ScriptedPort port;
    port.Reply(WordReply(3000));
    Acks(port, 3);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, nullptr, 0, Replace, AnyLimit), ResultOk);
    EXPECT_EQ(port.Written(),
              Join({Frame(CmdQueryCapacity), Frame(CmdClearFile), Frame(CmdBeginWrite), {EndOfText}}));
    EXPECT_EQ(progress.begins, std::vector<uint32_t>{0});
    EXPECT_TRUE(progress.advances.empty());
}

TEST(SendText, UnansweredCapacityFallsBackToTheLimitInBothModes) {
    const uint32_t limit = SendLimitForFile(7);
    ASSERT_EQ(limit, 8157u);
    const auto text = Pattern(9000);
    const uint32_t blocks = (limit + BlockSize - 1) / BlockSize;

    for (bool append : {Replace, Append}) {
        ScriptedPort port;
        port.Reply({0xFA, 0x00, 0x00});  // capacity query refused
        Acks(port, (append ? 1 : 2) + blocks + 1);
        ProgressRecorder progress;
        EXPECT_EQ(SendText(port, progress, text.data(), 9000, append, limit), ResultOk);
        const auto& writes = port.Writes();
        ASSERT_EQ(writes.size(), (append ? 2u : 3u) + blocks + 1);
        EXPECT_EQ(writes[1], append ? Frame(CmdBeginWrite) : Frame(CmdClearFile))
            << "no length query without a capacity";
        EXPECT_EQ(progress.begins, std::vector<uint32_t>{limit});
        // Text bytes are everything between the frames and the end-of-text byte.
        const size_t frameBytes = append ? 4 : 6;
        EXPECT_EQ(port.Written().size(), frameBytes + limit + 1);
    }

    ScriptedPort silent;  // a capacity query that is not answered at all
    silent.Silence(ReplyReads);
    Acks(silent, 2 + 1 + 1);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(silent, progress, text.data(), 20, Replace, limit), ResultOk);
    EXPECT_EQ(progress.begins, std::vector<uint32_t>{20});
}

TEST(SendLimitForFile, CapacityLessOne) {
    const std::vector<uint32_t> expected = {32414, 16126, 16382, 16126, 16382, 12030, 12286, 8157};
    for (uint32_t index = 0; index < FileCount; ++index) {
        EXPECT_EQ(SendLimitForFile(index), expected[index]) << index;
    }
}

TEST(SendText, FileFullAcknowledgementStopsTheSend) {
    const auto text = Pattern(120);
    struct Case {
        const char* what;
        uint32_t acceptedAcks;  // after clear and begin
        std::vector<uint8_t> fullAck;
        size_t writes;
    };
    const std::vector<Case> cases = {
        {"after the second block", 1, {StatusFileFull}, 3 + 2},
        {"after the second block, with surplus", 1, {StatusFileFull, StatusAccepted}, 3 + 2},
        {"after the end-of-text byte", 3, {StatusFileFull}, 3 + 3 + 1},
    };
    for (const auto& c : cases) {
        ScriptedPort port;
        port.Reply(WordReply(3000));
        Acks(port, 2 + c.acceptedAcks).Reply(c.fullAck);
        ProgressRecorder progress;
        EXPECT_EQ(SendText(port, progress, text.data(), 120, Replace, AnyLimit), ResultFileFull) << c.what;
        EXPECT_EQ(port.Writes().size(), c.writes) << c.what << ": nothing after the full file";
    }
}

TEST(SendText, MissingAcknowledgementIsBadLength) {
    // The last good acknowledgement still sits in the reply buffer; it must not
    // be taken for the missing one.
    const auto text = Pattern(120);
    ScriptedPort port;
    port.Reply(WordReply(3000));
    Acks(port, 2 + 1);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, text.data(), 120, Replace, AnyLimit), ResultBadLength);
    EXPECT_EQ(port.Writes().size(), 3u + 2u);
    // The send keeps no clock: what ends the wait for an acknowledgement is
    // the exchange's count of reads.
    EXPECT_EQ(port.ReadSizes().size(), 4u + ReplyReads) << "five reads for the missing acknowledgement";
}

TEST(SendText, FailuresBeforeTheText) {
    const auto text = Pattern(20);
    ProgressRecorder progress;

    ScriptedPort lengthFails;
    lengthFails.Reply(WordReply(1000)).Reply({0xFA, 0, 0});
    EXPECT_EQ(SendText(lengthFails, progress, text.data(), 20, Append, AnyLimit), ResultBadStatus);
    EXPECT_EQ(lengthFails.Writes().size(), 2u) << "nothing opened when the length is unknown";

    ScriptedPort clearRefused;
    clearRefused.Reply(WordReply(1000)).Reply({0xFA});
    EXPECT_EQ(SendText(clearRefused, progress, text.data(), 20, Replace, AnyLimit), ResultBadStatus);
    EXPECT_EQ(clearRefused.Writes().size(), 2u);

    ScriptedPort beginSilent;
    beginSilent.Reply(WordReply(1000)).Reply({StatusAccepted});
    EXPECT_EQ(SendText(beginSilent, progress, text.data(), 20, Replace, AnyLimit), ResultBadLength);
    EXPECT_EQ(beginSilent.Writes().size(), 3u);
    EXPECT_TRUE(progress.begins.empty());
}

TEST(SendText, PortFailuresCarryTheirErrorCode) {
    const auto text = Pattern(120);
    ProgressRecorder progress;

    ScriptedPort blockFails;
    blockFails.Reply(WordReply(3000));
    Acks(blockFails, 3).FailWrite(4, 1117);
    EXPECT_EQ(SendText(blockFails, progress, text.data(), 120, Replace, AnyLimit), ResultPortFailure);
    EXPECT_EQ(blockFails.FailedCallError(), 1117u);

    ScriptedPort endFails;
    endFails.Reply(WordReply(3000));
    Acks(endFails, 5).FailWrite(6, 1118);
    EXPECT_EQ(SendText(endFails, progress, text.data(), 120, Replace, AnyLimit), ResultPortFailure);
    EXPECT_EQ(endFails.FailedCallError(), 1118u);

    ScriptedPort ackFails;
    ackFails.Reply(WordReply(3000));
    Acks(ackFails, 2).FailRead(1119);
    EXPECT_EQ(SendText(ackFails, progress, text.data(), 120, Replace, AnyLimit), ResultPortFailure);
    EXPECT_EQ(ackFails.FailedCallError(), 1119u);
}

TEST(SendText, ShortWriteLeavesTheRestForTheNextBlock) {
    const auto text = Pattern(60);
    ScriptedPort port;
    port.Reply(WordReply(3000)).ShortWrite(3, 30);
    Acks(port, 2 + 2 + 1);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, text.data(), 60, Replace, AnyLimit), ResultOk);
    EXPECT_EQ(progress.advances, (std::vector<uint32_t>{30, 30}));
    EXPECT_EQ(port.Writes()[4], std::vector<uint8_t>(text.begin() + 30, text.end()));
}

TEST(SendText, StalledLineEndsAsAPortFailure) {
    // Every block write times out having moved nothing, yet something keeps
    // acknowledging: without a bound the send would never end.
    const auto text = Pattern(60);
    ScriptedPort port;
    port.Reply(WordReply(3000));
    for (uint32_t write = 3; write < 20; ++write) port.ShortWrite(write, 0);
    Acks(port, 2 + 20);
    ProgressRecorder progress;
    EXPECT_EQ(SendText(port, progress, text.data(), 60, Replace, AnyLimit), ResultPortFailure);
    EXPECT_EQ(port.FailedCallError(), TimeoutCode) << "the port's own code for an expired timeout";
    EXPECT_EQ(port.Writes().size(), 3u + 5u);
}

// Asks for a stop once `afterAdvances` blocks have gone out.
class StoppingProgress final : public ProgressSink {
public:
    explicit StoppingProgress(uint32_t afterAdvances) : left_(afterAdvances) {}
    void ProgressBegin(uint32_t) override {}
    void ProgressAdvance(uint32_t) override {
        if (--left_ == 0) RequestStop();
    }

private:
    uint32_t left_;
};

TEST(SendText, StopFinishesTheBlockInFlightThenEndsTheWrite) {
    const auto text = Pattern(120);
    ScriptedPort port;
    port.Reply(WordReply(3000));
    Acks(port, 2 + 1 + 1);  // clear, begin, the block in flight, end
    StoppingProgress stopAfterFirstBlock(1);
    uint32_t acknowledged = 0;
    EXPECT_EQ(SendText(port, stopAfterFirstBlock, text.data(), 120, Replace, AnyLimit, &acknowledged),
              ResultStopped);
    ClearStopRequest();
    EXPECT_EQ(acknowledged, 50u) << "the file keeps the block that was acknowledged";
    EXPECT_EQ(port.Writes().back(), std::vector<uint8_t>{EndOfText}) << "the device must leave write mode";
    EXPECT_EQ(port.Writes().size(), 3u + 1u + 1u);
}

}  // namespace
