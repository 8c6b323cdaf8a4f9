// The harness's own pieces: if these read the probe or the transcript wrongly,
// the whole-program tests would pass or fail for the wrong reasons.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <set>

#include <sys/mman.h>
#include <unistd.h>
#include <string>

#include "harness/cp1252.h"
#include "harness/device_charset.h"
#include "harness/probe_client.h"
#include "harness/process_footprint.h"
#include "harness/process_usage.h"
#include "harness/wire_summary.h"

namespace {

TEST(ProbeOutput, QuotedTextsComeBackAsTheirExactBytes) {
    auto recs = e2e::ParseProbeOutput(
        "window hwnd=0x1A pid=36 visible=1 class=\"OrvexDlgClass\" title=\"Connected to Quillatron\"\r\n"
        "edit hwnd=0x2 bytes=6 text=\"a\\x0D\\x0A\\xE9\\x22\\x5C\"\r\n"
        "clipboard busy\r\n");
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].kind, "window");
    EXPECT_EQ(recs[0].Number("hwnd"), 0x1A);
    EXPECT_EQ(recs[0].Text("title"), "Connected to Quillatron");
    EXPECT_EQ(recs[1].Text("text"), std::string("a\r\n\xE9\"\\"));
    EXPECT_EQ(recs[2].kind, "clipboard");
    EXPECT_EQ(recs[2].fields.count("busy"), 1u);
    EXPECT_EQ(recs[0].Number("missing", -7), -7);
}

TEST(ProbeOutput, ABrokenLineIsSkippedNotHalfRead) {
    auto recs = e2e::ParseProbeOutput("edit text=\"cut off\nedit text=\"bad \\xZZ\"\nedit text=\"fine\"\n");
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].Text("text"), "fine");
}

TEST(Cp1252, TheSignsBetween80And9FAreNotLatin1) {
    EXPECT_EQ(e2e::Cp1252ToUtf8("\x80\x99\x9C\x8C"), "\u20AC\u2122\u0153\u0152");
    EXPECT_EQ(e2e::Cp1252ToUtf8("\xE9\xA0\xFF"), "\u00E9\u00A0\u00FF");
    EXPECT_EQ(e2e::Cp1252ToUtf8("\x81"), "\uFFFD") << "unassigned bytes stay visible";
    EXPECT_EQ(e2e::Cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(DeviceCharset, SeventyOneDistinctCodesForSeventyOneDistinctCharacters) {
    std::set<int> codes;
    std::set<std::string> chars;
    for (const auto& c : e2e::SharedCharacters()) {
        codes.insert(c.code);
        chars.insert(c.utf8);
        EXPECT_TRUE(c.code < 0x08 || c.code >= 0x80) << "ASCII codes are the same on both sides";
    }
    EXPECT_EQ(codes.size(), e2e::SharedCharacterCount);
    EXPECT_EQ(chars.size(), e2e::SharedCharacterCount);
}

TEST(DeviceCharset, TextIsStoredWithTheKeyboardsCodesAndSingleCrLineEnds) {
    auto bytes = e2e::EncodeForDevice("\u00E7a\n\u2122\u00C0");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, (std::vector<uint8_t>{0x00, 'a', 0x0D, 0xDE, 0x07}));
    EXPECT_FALSE(e2e::EncodeForDevice("\u20AC")) << "the euro sign has no code on the keyboard";
    EXPECT_EQ(e2e::PcTextOf("a\nb\n"), "a\r\nb\r\n");
}

quillsim::TranscriptRun Piece(bool fromPc, int64_t us, std::vector<uint8_t> bytes) {
    quillsim::TranscriptRun r;
    r.fromPc = fromPc;
    r.startUs = r.lastUs = us;
    r.bytes = std::move(bytes);
    return r;
}

TEST(Wire, ExchangesPairCommandsWithRepliesAndFoldTheBlocksIntoTheRead) {
    std::vector<uint8_t> identity = {'Q', 'T', '4', '1', '0', '0'};
    std::vector<quillsim::TranscriptRun> runs = {
        Piece(true, 0, {0xBC, 0xBD}),
        Piece(true, 3'000'000, {0xBC, 0xBD}), Piece(false, 3'005'000, identity),
        Piece(true, 3'100'000, {0xBC, 0x90}), Piece(false, 3'103'000, {0xFB, 0x00, 0x46}),
        Piece(true, 3'700'000, {0xBC, 0x84}), Piece(false, 3'702'000, {0xFB}),
        Piece(true, 3'710'000, {0xFB}), Piece(false, 3'712'000, std::vector<uint8_t>(30, 'x')),
        Piece(false, 3'745'000, std::vector<uint8_t>(20, 'x')),  // a block that came in two runs
        Piece(true, 3'770'000, {0xFB}), Piece(false, 3'772'000, std::vector<uint8_t>(20, 'y')),
        Piece(true, 3'800'000, {0xBC, 0x92}), Piece(false, 3'803'000, {0xFB, 0x00}),
        Piece(true, 6'000'000, {0xBC, 0x88}), Piece(false, 6'003'000, {0xFB, 0x01}),
        Piece(true, 9'000'000, {0xBC, 0x88}), Piece(false, 9'003'000, {0xFB, 0x01}),
    };
    auto x = e2e::Exchanges(runs);
    ASSERT_EQ(x.size(), 7u);
    EXPECT_TRUE(x[0].reply.empty()) << "an unanswered hello";
    EXPECT_EQ(x[1].reply, identity);
    EXPECT_EQ(x[3].command, e2e::CmdReadText);
    EXPECT_EQ(x[3].blocks, 2);
    EXPECT_EQ(x[3].blockBytes, 70u);
    EXPECT_EQ(e2e::CommandTimes(x, e2e::CmdQueryFile), (std::vector<int64_t>{6'000'000, 9'000'000}));

    auto lines = e2e::SummarizeWire(x);
    ASSERT_EQ(lines.size(), 6u) << "the two identical polls share a line";
    EXPECT_NE(lines[1].find("\"QT4100\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("70 characters"), std::string::npos) << lines[2];
    EXPECT_NE(lines[5].find("2 x current-file query"), std::string::npos) << lines[5];
    EXPECT_NE(lines[5].find("every 3.0 s"), std::string::npos) << lines[5];
}

TEST(Footprint, ReadsALiveProcessAndRefusesAGoneOne) {
    auto self = e2e::ReadFootprint(getpid());
    ASSERT_TRUE(self);
    EXPECT_GT(self->residentKb, 0);
    EXPECT_GE(self->openFiles, 3) << "stdin, stdout and stderr at least";
    EXPECT_GE(self->threads, 1);
    EXPECT_FALSE(e2e::ReadFootprint(-1));
}

// The benchmark's CPU figure must be the process's own utime + stime: checked
// against the C library's account of the same process, not against a clock.
TEST(ProcessUsage, CpuSecondsAgreeWithTheProcessClock) {
    constexpr double Burn = 0.2;       // CPU seconds to use up
    constexpr double Agreement = 0.05; // five clock ticks of /proc, plus rounding
    auto before = e2e::CpuSeconds(getpid());
    ASSERT_TRUE(before);
    std::clock_t start = std::clock();
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    volatile unsigned sink = 0;
    while (double(std::clock() - start) / CLOCKS_PER_SEC < Burn && std::chrono::steady_clock::now() < giveUp)
        for (int i = 0; i < 100000; ++i) sink = sink + i;
    double byClock = double(std::clock() - start) / CLOCKS_PER_SEC;
    auto after = e2e::CpuSeconds(getpid());
    ASSERT_TRUE(after);
    EXPECT_NEAR(*after - *before, byClock, Agreement);
    EXPECT_FALSE(e2e::CpuSeconds(-1));
}

TEST(ProcessUsage, PeakMemoryAndNoStrangerTakenForTheProgram) {
    // A block touched and given back: the resident size falls again and the
    // peak keeps it, so the two fields can be neither mixed up nor read as one.
    // Mapped directly, since an allocator (the sanitizers' above all) may keep freed memory.
    constexpr size_t BlockBytes = size_t{64} << 20;
    constexpr long MostOfBlockKb = long(BlockBytes / 1024) * 7 / 8;
    void* block = mmap(nullptr, BlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memset(block, 1, BlockBytes);
    auto holding = e2e::StatusKb(getpid(), "VmRSS");
    munmap(block, BlockBytes);
    auto now = e2e::StatusKb(getpid(), "VmRSS");
    auto peak = e2e::StatusKb(getpid(), "VmHWM");
    ASSERT_TRUE(holding && now && peak);
    EXPECT_GE(*holding - *now, MostOfBlockKb) << "the resident size falls when the block goes";
    EXPECT_GE(*peak - *now, MostOfBlockKb) << "the peak keeps it";
    EXPECT_FALSE(e2e::StatusKb(getpid(), "NoSuchField"));
    // Our own process is no Wine program, whatever prefix is asked for.
    EXPECT_FALSE(e2e::FindWineProgram("glimmerly.exe", "/no/such/prefix"));
}

}  // namespace
