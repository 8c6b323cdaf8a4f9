// quillsim from the PC's side of its pty: what a program talking to the COM port
// would see, and what the transcript says about it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/protocol.h"
#include "quillsim/hex.h"
#include "quillsim/simulator.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int QuietMs = 60;         // a reply is complete once the line is this quiet
constexpr int PatienceMs = 3000;    // generous bound on waiting for the first byte
constexpr double ByteMicros = 1e6 * quillsim::BitsPerByte / quillsim::DefaultBaud;
// Transcript times are cut to whole microseconds and the emulator's byte time to
// whole nanoseconds, so a difference may read up to this much short.
constexpr double RoundingUs = 2;

Bytes Text(std::string_view text) { return {text.begin(), text.end()}; }

class PcSide {
public:
    explicit PcSide(const std::string& path) { Open(path); }
    ~PcSide() { Close(); }
    void Open(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    bool IsOpen() const { return fd_ >= 0; }
    ssize_t Send(const Bytes& bytes) { return write(fd_, bytes.data(), bytes.size()); }
    // Everything that arrives until the line has been quiet for `quietMs`, or
    // until `most` bytes are in (a line that never falls quiet).
    Bytes Receive(int firstByteMs = PatienceMs, size_t most = SIZE_MAX, int quietMs = QuietMs) {
        Bytes got;
        int wait = firstByteMs;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (got.size() >= most || poll(&p, 1, wait) <= 0) return got;
            uint8_t buffer[4096];
            ssize_t n = read(fd_, buffer, std::min(sizeof buffer, most - got.size()));
            if (n <= 0) return got;
            got.insert(got.end(), buffer, buffer + n);
            wait = quietMs;
        }
    }
    Bytes Ask(const Bytes& bytes, int firstByteMs = PatienceMs) {
        Send(bytes);
        return Receive(firstByteMs);
    }
    Bytes Command(uint8_t command) { return Ask({CommandPrefix, command}); }
    // For exchanges that should stay unanswered: a short wait suffices.
    Bytes Silent(uint8_t command) { return Ask({CommandPrefix, command}, QuietMs * 3); }

private:
    int fd_ = -1;
};

class Quillsim : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(&error)) << error;
        Do("pace burst");
        pc_ = std::make_unique<PcSide>(sim_.PtyPath());
        ASSERT_TRUE(pc_->IsOpen());
    }
    void Do(const std::string& line) { ASSERT_EQ(sim_.Control(line), "ok") << line; }
    std::string Reply(const std::string& line) { return sim_.Control(line); }
    void SetFile(int n, const Bytes& bytes) { Do("file " + std::to_string(n) + " " + quillsim::ToHex(bytes)); }
    Bytes File(int n) {
        Bytes bytes;
        std::string reply = Reply("get-file " + std::to_string(n));
        EXPECT_TRUE(quillsim::FromHex(reply.substr(std::min<size_t>(3, reply.size())), bytes)) << reply;
        return bytes;
    }

    quillsim::Simulator sim_;
    std::unique_ptr<PcSide> pc_;
};

TEST_F(Quillsim, AnswersEveryCommandWithItsReplyLength) {
    SetFile(3, Bytes(0x1234, 'x'));
    EXPECT_EQ(pc_->Command(CmdHello), Text(IdentityFull));
    EXPECT_EQ(pc_->Command(0x03), Bytes({StatusAccepted})) << "select file 3";
    EXPECT_EQ(pc_->Command(CmdQueryFile), Bytes({StatusAccepted, 3}));
    EXPECT_EQ(pc_->Command(CmdQueryLength), Bytes({StatusAccepted, 0x12, 0x34}));
    EXPECT_EQ(pc_->Command(CmdQueryCapacity), Bytes({StatusAccepted, 0x3F, 0xFF})) << "16383";
    EXPECT_EQ(pc_->Command(CmdDone), Bytes({StatusAccepted, 0}));
    EXPECT_EQ(pc_->Command(CmdClearFile), Bytes({StatusAccepted}));
    EXPECT_TRUE(File(3).empty());
    EXPECT_TRUE(pc_->Silent(0x55).empty()) << "an unknown command is not answered";
    EXPECT_EQ(Reply("count 88"), "ok 1");
}

TEST_F(Quillsim, IdentityCanBeShortOtherOrAbsent) {
    Do("identity short");
    EXPECT_EQ(pc_->Command(CmdHello), Text(IdentityShort));
    Do("identity hex 41424344");
    EXPECT_EQ(pc_->Command(CmdHello), Text("ABCD"));
    Do("identity none");
    EXPECT_TRUE(pc_->Silent(CmdHello).empty());
}

TEST_F(Quillsim, RetrieveAnswersEachRequestWithTheNextBlock) {
    Bytes text(120);
    for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t(i);
    SetFile(1, text);
    EXPECT_EQ(pc_->Command(CmdReadText), Bytes({StatusAccepted}));
    Bytes got;
    for (size_t expected : {50u, 50u, 20u}) {
        Bytes block = pc_->Ask({RequestNextBlock});
        EXPECT_EQ(block.size(), expected);
        got.insert(got.end(), block.begin(), block.end());
    }
    EXPECT_EQ(got, text);
    EXPECT_TRUE(pc_->Ask({RequestNextBlock}, QuietMs * 3).empty()) << "nothing left to send";
    EXPECT_EQ(pc_->Command(CmdQueryFile), Bytes({StatusAccepted, 1})) << "a command ends the retrieve";
}

TEST_F(Quillsim, ARequestWhileABlockIsGoingOutIsIgnored) {
    Do("pace 9600");
    SetFile(1, Bytes(200, 'r'));
    pc_->Command(CmdReadText);
    pc_->Send({RequestNextBlock});
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(pc_->Ask({RequestNextBlock}).size(), 50u) << "one block, not two back to back";
}

TEST_F(Quillsim, PacedOutputIsNeverFasterThanTheLine) {
    Do("pace 9600");
    SetFile(1, Bytes(50, 'p'));
    pc_->Command(CmdReadText);
    Do("clear-transcript");
    // Counted in, not ended by a quiet line: a stalled emulator pauses part way.
    pc_->Send({RequestNextBlock});
    ASSERT_EQ(pc_->Receive(PatienceMs, 50, PatienceMs).size(), 50u);
    std::vector<quillsim::TranscriptRun> runs = sim_.Transcript();
    // A stall of this busy machine may split the block into several runs, or
    // write a late first byte together with the next ones, so no two write
    // times are compared. Bytes are only ever written late, never early: each
    // bound is measured from the moment the request was read, when the
    // emulator scheduled the block.
    ASSERT_GE(runs.size(), 2u);
    ASSERT_TRUE(runs.front().fromPc);
    ASSERT_FALSE(runs[1].fromPc);
    ASSERT_FALSE(runs.back().fromPc);
    EXPECT_GE(double(runs.back().lastUs - runs[0].startUs), 51 * ByteMicros - RoundingUs)
        << "the request's own byte and the 50 of the block each take a byte-time";
    EXPECT_GE(double(runs[1].startUs - runs[0].startUs), 2 * ByteMicros - RoundingUs)
        << "the request byte and the block's first byte each take a byte-time";

    Do("pace burst");
    Do("clear-transcript");
    pc_->Command(CmdQueryLength);
    runs = sim_.Transcript();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].startUs, runs[1].lastUs) << "a burst reply goes out in one write";
}

TEST_F(Quillsim, SendStoresAcknowledgedBlocksUntilEndOfText) {
    SetFile(2, Text("old"));
    pc_->Command(0x02);
    EXPECT_EQ(pc_->Command(CmdClearFile), Bytes({StatusAccepted}));
    EXPECT_EQ(pc_->Command(CmdBeginWrite), Bytes({StatusAccepted}));
    Bytes block1(50, 'a'), block2 = Text("short");
    EXPECT_EQ(pc_->Ask(block1), Bytes({StatusAccepted}));
    EXPECT_EQ(pc_->Ask(block2), Bytes({StatusAccepted})) << "a short block ends when the line is quiet";
    EXPECT_EQ(pc_->Ask({EndOfText}), Bytes({StatusAccepted}));
    Bytes expected = block1;
    expected.insert(expected.end(), block2.begin(), block2.end());
    EXPECT_EQ(File(2), expected);
    EXPECT_EQ(pc_->Command(CmdQueryLength), Bytes({StatusAccepted, 0, 55})) << "back to commands";
}

TEST_F(Quillsim, SendBeyondTheCapacityIsRefusedWithFileFull) {
    Do("capacity 1 60");
    SetFile(1, Bytes(20, 'o'));
    pc_->Command(CmdBeginWrite);
    EXPECT_EQ(pc_->Ask(Bytes(40, 'n')), Bytes({StatusAccepted})) << "exactly fills the file";
    EXPECT_EQ(pc_->Ask(Bytes(1, 'z')), Bytes({StatusFileFull}));
    EXPECT_EQ(File(1).size(), 60u);

    Do("full-after 1");
    pc_->Command(CmdClearFile);
    pc_->Command(CmdBeginWrite);
    EXPECT_EQ(pc_->Ask(Bytes(10, 'a')), Bytes({StatusAccepted}));
    EXPECT_EQ(pc_->Ask(Bytes(10, 'b')), Bytes({StatusFileFull})) << "full after one block";
    EXPECT_EQ(File(1), Bytes(10, 'a'));
}

TEST_F(Quillsim, StatusMisbehavioursHitOnlyWhatTheyName) {
    Do("badstatus 1 91");
    EXPECT_EQ(pc_->Command(CmdQueryLength), Bytes({StatusAccepted, 0, 0})) << "another command is untouched";
    EXPECT_EQ(pc_->Command(CmdQueryCapacity)[0], quillsim::StatusRefused);
    EXPECT_EQ(pc_->Command(CmdQueryCapacity)[0], StatusAccepted) << "only once";
    Do("surplus 1");
    EXPECT_EQ(pc_->Command(CmdDone).size(), 3u);
    Do("mute 88 1");
    EXPECT_TRUE(pc_->Silent(CmdQueryFile).empty());
    EXPECT_EQ(pc_->Command(CmdHello), Text(IdentityFull));
    Do("report-file 9");
    Do("mute 88 0");
    EXPECT_EQ(pc_->Command(CmdQueryFile), Bytes({StatusAccepted, 9}));
    Do("overstate 100");
    EXPECT_EQ(pc_->Command(CmdQueryLength), Bytes({StatusAccepted, 0, 100}));
    Do("normal");
    EXPECT_EQ(pc_->Command(CmdQueryFile), Bytes({StatusAccepted, 1}));
}

TEST_F(Quillsim, FallsSilentAfterSomePollsAndReturns) {
    Do("absent-after 2");
    EXPECT_FALSE(pc_->Command(CmdQueryFile).empty());
    EXPECT_FALSE(pc_->Command(CmdQueryFile).empty());
    EXPECT_TRUE(pc_->Silent(CmdQueryFile).empty());
    EXPECT_TRUE(pc_->Silent(CmdHello).empty()) << "still away";
    Do("present 1");
    EXPECT_EQ(pc_->Command(CmdHello), Text(IdentityFull));

    Do("absent-after 0 300");
    EXPECT_TRUE(pc_->Silent(CmdHello).empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(pc_->Command(CmdHello), Text(IdentityFull)) << "back by itself after its absence";
}

TEST_F(Quillsim, SplitRepliesComeInTwoPiecesWithAGap) {
    Do("split 1 20");
    Do("clear-transcript");
    EXPECT_EQ(pc_->Command(CmdQueryLength), Bytes({StatusAccepted, 0, 0}));
    std::vector<quillsim::TranscriptRun> runs = sim_.Transcript();
    ASSERT_EQ(runs.size(), 3u) << "request, first piece, second piece";
    EXPECT_FALSE(runs[1].fromPc);
    EXPECT_EQ(runs[1].bytes, Bytes({StatusAccepted}));
    EXPECT_EQ(runs[2].bytes, Bytes({0, 0}));
}

TEST_F(Quillsim, StaleAndChatteringInputReachThePc) {
    Do("stale 25");
    EXPECT_EQ(pc_->Receive(), Bytes(25, quillsim::StaleByte));
    Do("chatter 1");
    EXPECT_EQ(pc_->Receive(PatienceMs, 100), Bytes(100, quillsim::StaleByte)) << "a line that never pauses";
    Do("chatter 0");
}

// A dribbling line: noise while idle, and every byte alone, the interval apart,
// the reply's bytes among the noise in their order. Off again, the line is quiet.
// The spacing is measured on this side's clock from a moment before the bytes
// were scheduled (switching the dribble on, sending the command), so a late
// write can only make the wait longer.
TEST_F(Quillsim, DribbleSendsEveryByteAloneWithNoiseBetweenReplies) {
    using Clock = std::chrono::steady_clock;
    constexpr auto Interval = std::chrono::milliseconds(40);
    auto since = Clock::now();
    Do("dribble 40");
    const Bytes idle = pc_->Receive(PatienceMs, 3, PatienceMs);
    EXPECT_EQ(idle, Bytes(3, quillsim::DribbleNoise)) << "noise while there is nothing to say";
    EXPECT_GE(Clock::now() - since, 3 * Interval) << "the first noise an interval after switching on";
    since = Clock::now();
    pc_->Send({CommandPrefix, CmdQueryLength});
    // One noise byte may go out before the reply is ready, or after it.
    const Bytes got = pc_->Receive(PatienceMs, 4, PatienceMs);
    EXPECT_GE(Clock::now() - since, 2 * Interval) << "the reply's three bytes an interval apart";
    Do("dribble 0");
    Bytes reply;
    for (uint8_t b : got) if (b != quillsim::DribbleNoise) reply.push_back(b);
    EXPECT_EQ(reply, Bytes({StatusAccepted, 0, 0}));
    pc_->Receive(QuietMs);  // whatever was still on its way
    EXPECT_TRUE(pc_->Receive(QuietMs * 3).empty()) << "quiet once switched off";
    EXPECT_EQ(Reply("dribble x").substr(0, 3), "err");
}

TEST_F(Quillsim, TranscriptKeepsBothDirectionsInOrder) {
    Do("clear-transcript");
    pc_->Command(CmdHello);
    pc_->Command(CmdQueryFile);
    std::vector<quillsim::TranscriptRun> runs = sim_.Transcript();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(runs[0].fromPc);
    EXPECT_EQ(runs[0].bytes, Bytes({CommandPrefix, CmdHello}));
    EXPECT_FALSE(runs[1].fromPc);
    EXPECT_EQ(runs[2].bytes, Bytes({CommandPrefix, CmdQueryFile}));
    EXPECT_LE(runs[2].startUs, runs[3].startUs);
    EXPECT_EQ(Reply("pc-bytes"), "ok BCBDBC88");
    EXPECT_EQ(Reply("transcript").substr(0, 4), "ok P");

    std::string path = testing::TempDir() + "/quillsim_transcript.txt";
    Do("save-transcript " + path);
    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
    std::fclose(file);
    EXPECT_NE(std::string(line).find("PC  BC BD"), std::string::npos) << line;
}

TEST_F(Quillsim, SurvivesThePortClosedAndReopened) {
    std::string path = sim_.PtyPath();
    pc_->Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pc_->Open(path);
    EXPECT_EQ(pc_->Command(CmdHello), Text(IdentityFull));
}

TEST_F(Quillsim, HangupFailsTheOpenPortAndOffersANewOne) {
    std::string before = sim_.PtyPath();
    Do("hangup");
    Bytes hello = {CommandPrefix, CmdHello};
    EXPECT_LT(pc_->Send(hello), 0) << "writing to a hung-up line fails";
    std::string after = sim_.PtyPath();
    ASSERT_FALSE(after.empty());
    PcSide fresh(after);
    EXPECT_EQ(fresh.Command(CmdHello), Text(IdentityFull));
}

TEST_F(Quillsim, LinkPointsAtThePtyAndFollowsAHangup) {
    std::string link = testing::TempDir() + "/quillsim_com7";
    std::filesystem::remove(link);
    { FILE* old = std::fopen(link.c_str(), "w"); if (old) std::fclose(old); }  // an old file in the way
    quillsim::Options options;
    options.linkPath = link;
    quillsim::Simulator linked(options);
    std::string error;
    ASSERT_TRUE(linked.Start(&error)) << error;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), linked.PtyPath());
    ASSERT_EQ(linked.Control("hangup"), "ok");
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), linked.PtyPath());
    linked.Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "removed at exit";
}

TEST_F(Quillsim, ControlRejectsMalformedCommands) {
    for (const char* bad : {"file 9 00", "file 1 ABC", "file 1 ZZ", "capacity 1 70000", "current 0",
                            "mute 1234 1", "present 2", "frobnicate", "badstatus x"})
        EXPECT_EQ(Reply(bad).substr(0, 3), "err") << bad;
    EXPECT_EQ(Reply("current 8"), "ok");
    EXPECT_EQ(Reply("get-current"), "ok 8");
}

}  // namespace
