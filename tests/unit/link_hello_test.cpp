// The hello and the drain against a scripted device.
#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "scripted_port.h"

using namespace scripted;

namespace {

bool Found(BytePort& port) { return DetectDevice(port) == HelloOutcome::DeviceFound; }

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
        EXPECT_EQ(Found(port), c.found) << c.what;
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
        EXPECT_EQ(Found(port), c.found) << c.what;
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
    EXPECT_TRUE(Found(port)) << "three pieces of the full identity";
    EXPECT_EQ(port.ReadSizes(), (std::vector<uint32_t>{30, 19, 15}));

    ScriptedPort shortOne;
    shortOne.Reply(Text("QT41")).Reply(Text("00 IR v1.0"));
    EXPECT_TRUE(Found(shortOne)) << "two pieces of the short identity";

    ScriptedPort noise;
    noise.Reply(Text("IR v1.0")).Reply(full);
    EXPECT_FALSE(Found(noise)) << "a stale tail is no identity";
    EXPECT_EQ(noise.ReadSizes(), std::vector<uint32_t>{30}) << "and is not read on";
}

// Only a failed call means a dead port, which the caller then reopens: silence
// and a wrong reply leave the port as it is.
TEST(DetectDevice, SilenceIsNoDeviceButAFailedCallIsAFailedPort) {
    ScriptedPort silent;
    EXPECT_EQ(DetectDevice(silent), HelloOutcome::NoDevice);
    EXPECT_NEAR(silent.ClockMs(), 650.0, 5.0) << "an empty hello read waits 500 + 5 * 30 ms";

    ScriptedPort failingWrite;
    failingWrite.FailWrite(0, 31).Reply(Text(IdentityFull));
    EXPECT_EQ(DetectDevice(failingWrite), HelloOutcome::PortFailed);
    EXPECT_TRUE(failingWrite.ReadSizes().empty()) << "no read after a failed hello write";

    ScriptedPort failingRead;
    failingRead.FailRead(22);
    EXPECT_EQ(DetectDevice(failingRead), HelloOutcome::PortFailed);

    ScriptedPort failingMidIdentity;
    failingMidIdentity.Reply(Text(IdentityFull.substr(0, 9))).FailRead(1167);
    EXPECT_EQ(DetectDevice(failingMidIdentity), HelloOutcome::PortFailed)
        << "a read that fails while gathering a split identity";
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

TEST(DrainInput, LineThatNeverPausesIsBoundedToAboutASecond) {
    ScriptedPort port;
    port.NeverPause(0x55);
    EXPECT_EQ(DrainInput(port), ResultOk) << "the drain gives up and lets the caller go on";
    EXPECT_EQ(port.ReadSizes().size(), 100u);
    EXPECT_GT(port.ClockMs(), 900.0);
    EXPECT_LT(port.ClockMs(), 1200.0);
}

TEST(DrainInput, ReadFailureCarriesItsErrorCode) {
    ScriptedPort port;
    port.Reply(Pattern(10)).FailRead(1167);
    RecordPortError(0);
    EXPECT_EQ(DrainInput(port), ResultPortFailure);
    EXPECT_EQ(LastPortError(), 1167u);
}

}  // namespace
