// The hello and the drain against a scripted device.
#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "scripted_port.h"

using namespace scripted;

namespace {

struct IdentityCase {
    const char* what;
    std::vector<uint8_t> reply;
    bool found;
};

TEST(DetectDevice, JudgesOnlyTheBytesThatArrived) {
    const std::vector<IdentityCase> cases = {
        {"full identity with trailing bytes up to 30", Join({Text(IdentityFull), Pattern(12)}), true},
        {"short identity of exactly 14 bytes", Text(IdentityShort), true},
        {"short identity followed by noise", Join({Text(IdentityShort), Text("xyz")}), true},
        {"full identity in other letter case", Text("QUILLATRON IR v1.0"), false},
        {"short identity in other letter case", Text("qt4100 IR v1.0"), false},
        {"a stray status byte", {StatusAccepted}, false},
    };
    for (const auto& c : cases) {
        ScriptedPort port;
        port.Reply(c.reply);
        EXPECT_EQ(DetectDevice(port) == HelloOutcome::DeviceFound, c.found) << c.what;
        EXPECT_EQ(port.Written(), Frame(CmdHello)) << c.what;
        EXPECT_EQ(port.ReadSizes(), std::vector<uint32_t>{HelloReplySize})
            << c.what << ": one read of up to 30 bytes, never a second";
    }
}

TEST(DetectDevice, AnUnfinishedIdentityIsReadOnUntilTheLineIsQuiet) {
    const std::vector<IdentityCase> cases = {
        {"first 13 bytes of the short identity", Text(IdentityShort.substr(0, 13)), false},
        {"first 17 bytes of the full identity", Text(IdentityFull.substr(0, 17)), false},
    };
    for (const auto& c : cases) {
        ScriptedPort port;
        port.Reply(c.reply);
        EXPECT_EQ(DetectDevice(port) == HelloOutcome::DeviceFound, c.found) << c.what;
        const auto rest = HelloReplySize - static_cast<uint32_t>(c.reply.size());
        EXPECT_EQ(port.ReadSizes(), (std::vector<uint32_t>{HelloReplySize, rest}))
            << c.what << ": one more read for the rest, which brings nothing";
    }
}

TEST(DetectDevice, AnIdentityInPiecesIsGatheredAndLeavesNothingBehind) {
    const auto full = Text(IdentityFull);
    ScriptedPort port;
    port.Reply({full.begin(), full.begin() + 11})
        .Reply({full.begin() + 11, full.begin() + 15})
        .Reply({full.begin() + 15, full.end()});
    EXPECT_EQ(DetectDevice(port), HelloOutcome::DeviceFound) << "three pieces of the full identity";
    EXPECT_EQ(port.ReadSizes(), (std::vector<uint32_t>{30, 19, 15}));

    ScriptedPort shortOne;
    shortOne.Reply(Text("QT41")).Reply(Text("00 IR v1.0"));
    EXPECT_EQ(DetectDevice(shortOne), HelloOutcome::DeviceFound) << "two pieces of the short identity";

    ScriptedPort noise;
    noise.Reply(Text("IR v1.0")).Reply(full);
    EXPECT_EQ(DetectDevice(noise), HelloOutcome::NoDevice) << "a stale tail is no identity";
    EXPECT_EQ(noise.ReadSizes(), std::vector<uint32_t>{30}) << "and is not read on";
}

TEST(DetectDevice, SilenceIsNoDeviceAndAFailedCallIsAFailedPort) {
    ScriptedPort silent;
    EXPECT_EQ(DetectDevice(silent), HelloOutcome::NoDevice);
    EXPECT_NEAR(silent.ClockMs(), 650.0, 5.0) << "an empty hello read waits 500 + 5 * 30 ms";

    ScriptedPort failingWrite;
    failingWrite.FailWrite(0, 31).Reply(Text(IdentityFull));
    EXPECT_EQ(DetectDevice(failingWrite), HelloOutcome::PortFailed);
    EXPECT_TRUE(failingWrite.ReadSizes().empty()) << "no read after a failed hello write";

    for (uint32_t taken : {0u, 1u}) {
        ScriptedPort shortWrite;
        shortWrite.ShortWrite(0, taken).Reply(Text(IdentityFull));
        EXPECT_EQ(DetectDevice(shortWrite), HelloOutcome::PortFailed) << taken << " of the hello's 2 bytes taken";
    }

    ScriptedPort failingRead;
    failingRead.FailRead(22);
    EXPECT_EQ(DetectDevice(failingRead), HelloOutcome::PortFailed);

    ScriptedPort failingReadOn;
    failingReadOn.Reply(Text("Quill")).FailRead(22);
    EXPECT_EQ(DetectDevice(failingReadOn), HelloOutcome::PortFailed) << "the read-on fails too";
}

// The read-on of a split identity stops where its next read could carry the
// hello past 1.5 s from its write; the first read is always taken.
TEST(DetectDevice, AnIdentityThatDribblesInEndsWithinItsTime) {
    for (double gapMs : {250.0, 600.0}) {
        ScriptedPort port;
        port.Dribble(Text(IdentityFull), gapMs);
        EXPECT_EQ(DetectDevice(port), HelloOutcome::NoDevice) << gapMs;
        EXPECT_LE(port.ClockMs(), 2.0 + 1500.0) << gapMs << " ms between bytes";
        EXPECT_GE(port.ReadSizes().size(), 2u) << gapMs << ": the read-on was tried";
    }
}

TEST(DrainInput, ReadsTenAtATimeUntilAnEmptyRead) {
    ScriptedPort port;
    port.Reply(Pattern(25));
    EXPECT_EQ(DrainInput(port), ResultOk);
    EXPECT_EQ(port.ReadSizes(), (std::vector<uint32_t>{10, 10, 10, 10}))
        << "10, 10 and 5 stale bytes, then one empty read";
    EXPECT_TRUE(port.Written().empty());
    EXPECT_EQ(port.AnswersLeft(), 0u);
}

TEST(DrainInput, QuietLineCostsOneEmptyRead) {
    ScriptedPort port;
    EXPECT_EQ(DrainInput(port), ResultOk);
    EXPECT_EQ(port.ReadSizes().size(), 1u);
    EXPECT_NEAR(port.ClockMs(), 550.0, 1.0);
}

// A babbling line, and lines that dribble a byte at a time: each read then
// lasts until its byte, so only the clock can end the drain. It ends within
// 1.5 s, yet keeps reading while a further read still fits.
TEST(DrainInput, LineThatNeverFallsQuietEndsWithinItsTime) {
    struct Case {
        const char* what;
        double dribbleGapMs;  // 0: the line never pauses at all
        bool quietRead;       // a gap longer than a read's timeout passes for a quiet line
    };
    for (const Case& c : {Case{"never pauses", 0, false}, Case{"a byte every 250 ms", 250, false},
                          Case{"a byte every 540 ms", 540, false},
                          Case{"a byte every 600 ms", 600, true}}) {
        ScriptedPort port;
        if (c.dribbleGapMs == 0) port.NeverPause(0x55);
        else port.Dribble({0x55}, c.dribbleGapMs);
        EXPECT_EQ(DrainInput(port), ResultOk) << c.what << ": the caller goes on";
        EXPECT_LE(port.ClockMs(), 1500.0) << c.what;
        if (c.quietRead) {
            EXPECT_EQ(port.ReadSizes().size(), 1u) << c.what;
        } else {
            EXPECT_GT(port.ClockMs() + 550.0 + 17.0, 1500.0)
                << c.what << ": stopped only when another read (and a clock step) could outlast the limit";
        }
    }
}

TEST(DrainInput, ReadFailureCarriesItsErrorCode) {
    ScriptedPort port;
    port.Reply(Pattern(10)).FailRead(1167);
    EXPECT_EQ(DrainInput(port), ResultPortFailure);
    EXPECT_EQ(port.FailedCallError(), 1167u);
}

}  // namespace
