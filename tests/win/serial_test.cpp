// The Win32 serial port against quillsim over a pty, with the real timeouts:
// what the program sees when it talks to the device through Wine's COM port.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "link/retrieve.h"
#include "link/send_text.h"
#include "link/win/line_settings.h"
#include "link/win/serial_port.h"
#include "quillsim_client.h"

namespace {

constexpr uint32_t RetrieveBlockSize = 50000;  // what the retrieve command hands the link
constexpr uint32_t LargestFileText = 32414;

class NoProgress : public ProgressSink {
public:
    void ProgressBegin(uint32_t) override {}
    void ProgressAdvance(uint32_t) override {}
};

std::string AllByteValues() {
    std::string text;
    for (int pass = 0; pass < 2; ++pass)
        for (int b = 0; b <= 0xFF; ++b) text += static_cast<char>(b);
    return text;
}

// Text that changes from byte to byte, so a lost, doubled or reordered block shows.
std::string VariedText(uint32_t count) {
    std::string text(count, '\0');
    for (uint32_t i = 0; i < count; ++i) text[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return text;
}

class SerialPort : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QuillsimAvailable()) GTEST_SKIP() << "quillsim is not running (scripts/wine-run starts it)";
        ASSERT_TRUE(QuillsimReset());
        ASSERT_TRUE(QuillsimOk("pace burst")) << "bursts keep the long transfers short";
        handle_ = OpenDevicePort(QuillsimPortName().c_str());
        ASSERT_NE(handle_, INVALID_HANDLE_VALUE) << "the device's COM port should open";
        port_ = new SerialBytePort(handle_);
    }
    void TearDown() override {
        delete port_;
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

    std::string Retrieve(ResultCode expected = ResultOk) {
        std::vector<uint8_t> block(RetrieveBlockSize, 0);
        uint32_t length = 0;
        NoProgress progress;
        EXPECT_EQ(RetrieveFile(*port_, &progress, block.data(), RetrieveBlockSize, &length), expected);
        return std::string(reinterpret_cast<const char*>(block.data()), length);
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    SerialBytePort* port_ = nullptr;
};

// The settings are checked in the DCB the set-up builds, starting from a driver
// that reports the opposite of every wanted value: Wine's GetCommState on a pty
// echoes whatever was set for the modem lines, so a read-back would prove nothing.
TEST(LineSettings, EveryMemberTheLinkReliesOnAndNothingElse) {
    DCB reported = {};
    reported.DCBlength = sizeof reported;
    reported.BaudRate = 115200;
    reported.ByteSize = 7;
    reported.Parity = EVENPARITY;
    reported.StopBits = TWOSTOPBITS;
    reported.fBinary = 0;
    reported.fParity = 1;
    reported.fOutxCtsFlow = 1;
    reported.fOutxDsrFlow = 1;
    reported.fDtrControl = DTR_CONTROL_HANDSHAKE;
    reported.fDsrSensitivity = 1;
    reported.fTXContinueOnXoff = 1;
    reported.fOutX = 1;
    reported.fInX = 1;
    reported.fErrorChar = 1;
    reported.fNull = 1;
    reported.fRtsControl = RTS_CONTROL_TOGGLE;
    reported.fAbortOnError = 1;
    reported.fDummy2 = 0x1ABCD;
    reported.XonLim = 111;
    reported.XoffLim = 222;
    reported.XonChar = 0x21;
    reported.XoffChar = 0x22;
    reported.ErrorChar = 0x23;
    reported.EofChar = 0x24;
    reported.EvtChar = 0x25;

    const DCB dcb = DeviceLineSettings(reported);
    struct Member {
        const char* name;
        unsigned long value, wanted;
    };
    const Member members[] = {
        {"BaudRate", dcb.BaudRate, 9600},
        {"ByteSize", dcb.ByteSize, 8},
        {"Parity", dcb.Parity, 0},
        {"StopBits", dcb.StopBits, 0},
        {"fBinary", dcb.fBinary, 1},
        {"fParity", dcb.fParity, 0},
        {"fOutxCtsFlow", dcb.fOutxCtsFlow, 0},
        {"fOutxDsrFlow", dcb.fOutxDsrFlow, 0},
        {"fDtrControl (DTR raised, no handshake)", dcb.fDtrControl, 1},
        {"fDsrSensitivity", dcb.fDsrSensitivity, 0},
        {"fTXContinueOnXoff", dcb.fTXContinueOnXoff, 0},
        {"fOutX (would swallow 0x11 and 0x13)", dcb.fOutX, 0},
        {"fInX", dcb.fInX, 0},
        {"fErrorChar", dcb.fErrorChar, 0},
        {"fNull", dcb.fNull, 0},
        {"fRtsControl (RTS raised, no handshake)", dcb.fRtsControl, 1},
        {"fAbortOnError", dcb.fAbortOnError, 0},
        // The driver's own values stay.
        {"DCBlength", dcb.DCBlength, sizeof(DCB)},
        {"fDummy2", dcb.fDummy2, 0x1ABCD},
        {"XonLim", dcb.XonLim, 111},
        {"XoffLim", dcb.XoffLim, 222},
        {"XonChar", static_cast<unsigned long>(dcb.XonChar), 0x21},
        {"XoffChar", static_cast<unsigned long>(dcb.XoffChar), 0x22},
        {"ErrorChar", static_cast<unsigned long>(dcb.ErrorChar), 0x23},
        {"EofChar", static_cast<unsigned long>(dcb.EofChar), 0x24},
        {"EvtChar", static_cast<unsigned long>(dcb.EvtChar), 0x25},
    };
    for (const Member& m : members) EXPECT_EQ(m.value, m.wanted) << m.name;

    COMMTIMEOUTS odd = {1, 2, 3, 4, 5};
    const COMMTIMEOUTS t = DeviceTimeouts(odd);
    EXPECT_EQ(t.ReadIntervalTimeout, 3u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 5u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 500u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 5u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 1024u);
}

TEST_F(SerialPort, OpenAppliesTheLineSettingsAndTimeouts) {
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(handle_, &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_FALSE(dcb.fOutX) << "software flow control would swallow 0x11 and 0x13";

    COMMTIMEOUTS timeouts = {};
    ASSERT_TRUE(GetCommTimeouts(handle_, &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 3u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 5u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 500u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 5u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 1024u);
}

TEST_F(SerialPort, AMissingOrUnnamedPortDoesNotOpen) {
    EXPECT_EQ(OpenDevicePort("COM9"), INVALID_HANDLE_VALUE) << "no device behind COM9";
    EXPECT_EQ(OpenDevicePort(""), INVALID_HANDLE_VALUE) << "an empty port name never opens";
}

// Every name goes through the device namespace, where ports 10 and above and
// drivers' own names are reachable; a path the user wrote stays as written.
TEST(PortPathFor, PrefixesEveryNameThatIsNotAlreadyAPath) {
    const std::string TooLong = "<too long>";
    const std::string longest(MAX_PATH - 5, 'P');  // with the prefix and terminator, just fits
    const struct {
        std::string name;
        std::string opened;
    } cases[] = {
        {"COM1", "\\\\.\\COM1"},
        {"com256", "\\\\.\\com256"},
        {"CNCA0", "\\\\.\\CNCA0"},
        {"COM1 ", "\\\\.\\COM1 "},
        {"\\\\.\\COM3", "\\\\.\\COM3"},
        {"\\\\?\\GLOBALROOT\\Device\\Serial0", "\\\\?\\GLOBALROOT\\Device\\Serial0"},
        {"\\COM4", "\\\\.\\\\COM4"},
        {"", ""},
        {longest, "\\\\.\\" + longest},
        {longest + "P", TooLong},
    };
    for (const auto& c : cases) {
        PortPath path;
        path.fill('#');
        const char* opened = PortPathFor(c.name.c_str(), path);
        EXPECT_EQ(opened ? std::string(opened) : TooLong, c.opened) << c.name;
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(OpenDevicePort((longest + "P").c_str()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE)) << "a name too long says so";
}

TEST_F(SerialPort, DetectsBothIdentitiesButNotAnotherCase) {
    constexpr auto Found = HelloOutcome::DeviceFound;
    constexpr auto Nobody = HelloOutcome::NoDevice;
    EXPECT_EQ(DetectDevice(*port_), Found) << "the full identity should be found";
    ASSERT_TRUE(QuillsimSetIdentity("short"));
    EXPECT_EQ(DetectDevice(*port_), Found) << "the short identity should be found";
    ASSERT_TRUE(QuillsimSetIdentityText("quillatron IR v1.0"));
    EXPECT_EQ(DetectDevice(*port_), Nobody) << "letter case matters";
    ASSERT_TRUE(QuillsimSetIdentity("none"));
    EXPECT_EQ(DetectDevice(*port_), Nobody) << "no answer is no device";
    EXPECT_EQ(QuillsimCount(CmdHello), 4) << "every detection sends one hello on the same handle";
}

TEST_F(SerialPort, RetrievesTheLargestFileIntact) {
    const std::string text = VariedText(LargestFileText);
    ASSERT_TRUE(QuillsimSetFile(1, text));
    EXPECT_EQ(Retrieve(), text);
}

TEST_F(SerialPort, EveryByteValueCrossesTheLineBothWays) {
    // Paced as on the real line; 0x11 and 0x13 among them would vanish under XON/XOFF.
    ASSERT_TRUE(QuillsimOk("pace 9600"));
    const std::string text = AllByteValues();
    ASSERT_TRUE(QuillsimSetFile(1, text));
    EXPECT_EQ(Retrieve(), text);

    NoProgress progress;
    ASSERT_TRUE(QuillsimSetCurrent(3));
    EXPECT_EQ(SendText(*port_, progress, reinterpret_cast<const uint8_t*>(text.data()),
                       static_cast<uint32_t>(text.size()), false, SendLimitForFile(2)),
              ResultOk);
    EXPECT_EQ(QuillsimReadFile(3), text);
}

TEST_F(SerialPort, SendStoresExactlyTheTextInBlocks) {
    ASSERT_TRUE(QuillsimSetFile(2, "old text"));
    ASSERT_TRUE(QuillsimSetCurrent(2));
    const std::string text = VariedText(1234);
    NoProgress progress;
    EXPECT_EQ(SendText(*port_, progress, reinterpret_cast<const uint8_t*>(text.data()),
                       static_cast<uint32_t>(text.size()), false, SendLimitForFile(1)),
              ResultOk);
    EXPECT_EQ(QuillsimReadFile(2), text) << "replacing clears the old text first";
    EXPECT_EQ(QuillsimCount(CmdClearFile), 1);
    EXPECT_EQ(QuillsimCount(CmdBeginWrite), 1);
    const std::string sent = QuillsimPcBytes();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(static_cast<uint8_t>(sent.back()), EndOfText) << "the send ends with end-of-text";
}

TEST_F(SerialPort, AFullFileEndsTheSend) {
    ASSERT_TRUE(QuillsimOk("full-after 2"));
    const std::string text = VariedText(500);
    NoProgress progress;
    EXPECT_EQ(SendText(*port_, progress, reinterpret_cast<const uint8_t*>(text.data()),
                       static_cast<uint32_t>(text.size()), false, SendLimitForFile(0)),
              ResultFileFull);
    EXPECT_EQ(QuillsimReadFile(1), text.substr(0, 2 * BlockSize));
}

// The wire as a list of "P:hex" (PC to device) and "D:hex" (device to PC) runs.
std::vector<std::string> Wire() {
    std::vector<std::string> wire;
    for (const QuillsimRun& run : QuillsimTranscript())
        wire.push_back((run.fromPc ? "P:" : "D:") + QuillsimHex(run.bytes));
    return wire;
}

std::string Hex(const std::string& bytes) { return QuillsimHex(bytes); }

TEST_F(SerialPort, ARetrieveOf120CharactersPutsExactlyTheseBytesOnTheLine) {
    const std::string text = VariedText(120);
    ASSERT_TRUE(QuillsimSetFile(1, text));
    EXPECT_EQ(Retrieve(), text);
    const std::vector<std::string> expected = {
        "P:BC90", "D:FB0078", "P:BC84", "D:FB",
        "P:FB", "D:" + Hex(text.substr(0, 50)),
        "P:FB", "D:" + Hex(text.substr(50, 50)),
        "P:FB", "D:" + Hex(text.substr(100, 20))};
    EXPECT_EQ(Wire(), expected);
}

TEST_F(SerialPort, ASendOf120BytesPutsExactlyTheseBytesOnTheLine) {
    ASSERT_TRUE(QuillsimOk("capacity 1 3000"));
    const std::string text = VariedText(120);
    NoProgress progress;
    EXPECT_EQ(SendText(*port_, progress, reinterpret_cast<const uint8_t*>(text.data()),
                       static_cast<uint32_t>(text.size()), false, SendLimitForFile(0)),
              ResultOk);
    const std::vector<std::string> expected = {
        "P:BC91", "D:FB0BB8", "P:BC83", "D:FB", "P:BC87", "D:FB",
        "P:" + Hex(text.substr(0, 50)), "D:FB",
        "P:" + Hex(text.substr(50, 50)), "D:FB",
        "P:" + Hex(text.substr(100, 20)), "D:FB",
        "P:BB", "D:FB"};
    EXPECT_EQ(Wire(), expected);
}

TEST_F(SerialPort, ASilentDeviceGivesBadLength) {
    ASSERT_TRUE(QuillsimSetPresent(false));
    uint32_t index = 99;
    EXPECT_EQ(QueryCurrentFile(*port_, &index), ResultBadLength) << "five empty reads";
    EXPECT_EQ(index, 99u) << "nothing is stored on failure";
    ASSERT_TRUE(QuillsimSetPresent(true));
    EXPECT_EQ(QueryCurrentFile(*port_, &index), ResultOk) << "the device is back on the same handle";
    EXPECT_EQ(index, 0u);
}

TEST_F(SerialPort, AReplySplitAcrossTheIntervalTimeoutIsGathered) {
    ASSERT_TRUE(QuillsimSetFile(1, VariedText(4660)));
    ASSERT_TRUE(QuillsimOk("split 1 20"));
    uint32_t length = 0;
    EXPECT_EQ(RetrieveFile(*port_, nullptr, nullptr, 0, &length), ResultOk);
    EXPECT_EQ(length, 4660u);
}

TEST_F(SerialPort, AnIdentitySplitAcrossTheIntervalTimeoutIsFoundAndLeavesNoTail) {
    ASSERT_TRUE(QuillsimOk("split 1 20"));
    EXPECT_EQ(DetectDevice(*port_), HelloOutcome::DeviceFound) << "both pieces of the identity are read";
    ASSERT_TRUE(QuillsimOk("split 0"));
    uint32_t index = 99;
    EXPECT_EQ(QueryCurrentFile(*port_, &index), ResultOk)
        << "no tail of the identity is left to spoil the next reply";
    EXPECT_EQ(index, 0u);
}

TEST_F(SerialPort, StaleInputIsDrainedBeforeACommand) {
    ASSERT_TRUE(QuillsimOk("stale 25"));
    Sleep(100);  // let the junk reach the port's input
    EXPECT_EQ(DrainInput(*port_), ResultOk);
    uint32_t index = 99;
    EXPECT_EQ(QueryCurrentFile(*port_, &index), ResultOk) << "the reply is not mixed with junk";
    EXPECT_EQ(index, 0u);
}

// Counts what the drain reads through the real port.
class CountingPort final : public BytePort {
public:
    explicit CountingPort(BytePort& port) : port_(port) {}
    PortTransfer Write(const uint8_t* data, uint32_t size) override { return port_.Write(data, size); }
    PortTransfer Read(uint8_t* into, uint32_t size) override {
        const PortTransfer got = port_.Read(into, size);
        ++reads;
        if (got.ok && got.count == 0) ++emptyReads;
        return got;
    }
    uint32_t NowMs() override { return port_.NowMs(); }
    uint32_t TimeoutError() const override { return port_.TimeoutError(); }
    int reads = 0;
    int emptyReads = 0;

private:
    BytePort& port_;
};

// A line that never pauses, and one that dribbles a byte every 250 ms: no read
// of the drain ever comes back empty, so only its time ends it.
TEST_F(SerialPort, ALineThatNeverFallsSilentDoesNotHoldTheDrain) {
    ASSERT_TRUE(QuillsimOk("pace 9600"));
    for (const char* line : {"chatter 1", "dribble 250"}) {
        ASSERT_TRUE(QuillsimOk(line));
        Sleep(300);  // the first bytes are waiting when the drain starts
        CountingPort counting(*port_);
        EXPECT_EQ(DrainInput(counting), ResultOk) << line << ": the drain gives up and goes on";
        EXPECT_GT(counting.reads, 1) << line;
        EXPECT_EQ(counting.emptyReads, 0) << line << ": it ended on its time, not on a quiet line";
        ASSERT_TRUE(QuillsimOk("normal"));
    }
}

TEST_F(SerialPort, AVanishedPortIsAPortFailureWithItsErrorCode) {
    ASSERT_TRUE(QuillsimOk("hangup")) << "quillsim closes the pty under our open handle";
    uint32_t index = 99;
    EXPECT_EQ(QueryCurrentFile(*port_, &index), ResultPortFailure);
    EXPECT_NE(port_->FailedCallError(), 0u) << "the system's error code is kept for the report";
    EXPECT_EQ(DetectDevice(*port_), HelloOutcome::PortFailed) << "the hello's write fails too";

    SetLastError(0xdeadbeef);
    uint8_t hello[2] = {CommandPrefix, CmdHello};
    PortTransfer written = port_->Write(hello, sizeof hello);
    EXPECT_FALSE(written.ok);
    EXPECT_NE(written.error, 0u);
    EXPECT_NE(written.error, 0xdeadbeefu) << "the error comes from the failing call itself";
    EXPECT_EQ(DetectDevice(*port_), HelloOutcome::PortFailed)
        << "a hello on the dead handle is a failed port, not a silent device";

    // The port opens afresh on the new pty, as the next poll would do.
    HANDLE again = OpenDevicePort(QuillsimPortName().c_str());
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    SerialBytePort fresh(again);
    EXPECT_EQ(DetectDevice(fresh), HelloOutcome::DeviceFound);
    CloseHandle(again);
}

}  // namespace
