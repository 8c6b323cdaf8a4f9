// Retrieve and paste: the device's current file reaches the preview, the
// clipboard and the focused window, and the device hears that it is over.
#include "controller_fixture.h"
#include <cstdio>
#include <vector>

#include "controller/foreground_integrity.h"
#include "controller/paste.h"

namespace {

// "Line one", a device line end, and an accented letter the two sides code differently.
const std::string DeviceText = "Line one\rcaf\x96";
const std::string PcText = "Line one\r\ncaf\xE9";

TEST_F(Controller, AutomaticRetrievePastesThenTellsTheDevice) {
    Sim("file 1 " + Hex(DeviceText));
    Open(IDD_FULL_WINDOW);
    SetDlgItemTextA(window_, IDC_PREVIEW, "old");
    KeyWitness witness;
    Tick();
    const std::string keys = PumpKeys(1000);  // delivers the posted retrieve

    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), PcText);
    EXPECT_EQ(ClipboardText(), PcText);
    EXPECT_EQ(ClipboardLocale(), EnglishUs) << "the text is code page 1252 on any system";
    EXPECT_EQ(ClipboardTextFlag, 1u);
    EXPECT_TRUE(Enabled(IDC_SEND));
    EXPECT_EQ(keys, "d11 d56 u56 u11") << "Ctrl+V typed into the focused window";

    EXPECT_EQ(witness.Keys(), "d11 d56 u56 u11");
    EXPECT_EQ(witness.DoneCountAtFirstKey(), 0) << "the device is told only after the paste";
    EXPECT_EQ(Count("92"), 1);
    const std::string sent = Sim("pc-bytes");
    EXPECT_EQ(sent.substr(sent.size() - 4), "BC92") << "the done command ends the exchange";
    EXPECT_LT(sent.rfind("FB"), sent.rfind("BC92")) << "after the last block request";

    ExpectConnectedLook();
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "");
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(window_, IDC_PROGRESS), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(BusyFlag, 0u);
}

TEST_F(Controller, CompactWindowRetrievesAndPastesToo) {
    Sim("file 1 " + Hex(DeviceText));
    Open(IDD_COMPACT_WINDOW);
    Tick();
    const std::string keys = PumpKeys(1000);
    EXPECT_EQ(ClipboardText(), PcText);
    EXPECT_EQ(keys, "d11 d56 u56 u11");
    EXPECT_EQ(Count("92"), 1);
    ExpectConnectedLook();
}

// The paste stays exactly Ctrl+V whatever the user holds: each held Shift, Alt
// or Windows key is let go after Ctrl is down and before V, with its own scan
// code, and the four keys of the paste keep theirs.
TEST(PasteInputs, HeldModifiersAreLetGoBetweenCtrlDownAndVDown) {
    const std::string ctrlDown = "d11:1D", vKeys = "d56:2F u56:2F", ctrlUp = "u11:1D";
    const struct {
        std::vector<BYTE> held;
        std::string events;
    } cases[] = {
        {{}, ctrlDown + " " + vKeys + " " + ctrlUp},
        {{VK_LSHIFT}, ctrlDown + " uA0:2A " + vKeys + " " + ctrlUp},
        {{VK_RMENU}, ctrlDown + " uA5:38e " + vKeys + " " + ctrlUp},
        {{VK_RWIN, VK_LMENU, VK_RSHIFT}, ctrlDown + " uA1:36 uA4:38 u5C:5Ce " + vKeys + " " + ctrlUp},
        {{VK_LWIN, VK_LCONTROL, 'Q'}, ctrlDown + " u5B:5Be " + vKeys + " " + ctrlUp},
        {{VK_LSHIFT, VK_RSHIFT, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN},
         ctrlDown + " uA0:2A uA1:36 uA4:38 uA5:38e u5B:5Be u5C:5Ce " + vKeys + " " + ctrlUp},
    };
    for (const auto& c : cases) {
        const PasteInputs paste = BuildPasteInputs(c.held);
        std::string events;
        for (UINT i = 0; i < paste.count; ++i) {
            const KEYBDINPUT& key = paste.events[i].ki;
            EXPECT_EQ(paste.events[i].type, DWORD{INPUT_KEYBOARD});
            EXPECT_EQ(key.time, 0u);
            EXPECT_EQ(key.dwExtraInfo, 0u);
            char text[16];
            std::snprintf(text, sizeof text, "%s%c%02X:%02X%s", i ? " " : "",
                          key.dwFlags & KEYEVENTF_KEYUP ? 'u' : 'd', key.wVk, key.wScan,
                          key.dwFlags & KEYEVENTF_EXTENDEDKEY ? "e" : "");
            events += text;
        }
        EXPECT_EQ(events, c.events);
    }
}

// Stand-ins for a paste that cannot land: an elevated or unreadable target,
// and a system that inserts fewer keys than it was given (none are typed).
bool ElevatedTarget(HWND, DWORD* level) {
    *level = SECURITY_MANDATORY_PROTECTED_PROCESS_RID;
    return true;
}
bool UnreadableTarget(HWND, DWORD*) { return false; }
UINT WINAPI InsertAllButOne(UINT count, LPINPUT, int) { return count - 1; }

// The status line reaches as far as the progress bar, as for a note.
bool StatusLineWidened(HWND window) {
    RECT line, bar;
    GetWindowRect(GetDlgItem(window, IDC_STATUS_LINE), &line);
    GetWindowRect(GetDlgItem(window, IDC_PROGRESS), &bar);
    return line.right == bar.right;
}

// A paste that cannot land types nothing, says so on the status line until
// the next transfer, and leaves the text on the clipboard; the device still
// hears that the transfer is over. The real query of the levels lets the paste
// through: the focused window is our own.
TEST_F(Controller, APasteThatCannotLandIsReportedAndTheTextStaysOnTheClipboard) {
    const struct {
        const char* what;
        ForegroundLevelQuery level;
        InputSender sender;
        bool typed;
    } cases[] = {
        {"an elevated target", ElevatedTarget, nullptr, false},
        {"a target whose level cannot be read", UnreadableTarget, nullptr, false},
        {"one key fewer inserted", nullptr, InsertAllButOne, false},
        {"a target at our own level, after a blocked paste", nullptr, nullptr, true},
    };
    Sim("file 1 " + Hex(DeviceText));
    Open(IDD_COMPACT_WINDOW);
    Connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetForegroundLevelQuery(c.level);
        SetInputSender(c.sender);
        PutClipboardText("old");
        const int dones = Count("92");
        Command(IDC_RETRIEVE);
        const std::string keys = PumpKeys(300);
        SetForegroundLevelQuery(nullptr);
        SetInputSender(nullptr);
        EXPECT_EQ(keys, c.typed ? "d11 d56 u56 u11" : "");
        EXPECT_EQ(ClipboardText(), PcText);
        EXPECT_EQ(Count("92"), dones + 1) << "the text reached the PC";
        EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), c.typed ? "" : "Blocked: press Ctrl+V to paste.");
        EXPECT_EQ(StatusLineWidened(window_), !c.typed);
    }
    SetInputSender(InsertAllButOne);
    Command(IDC_RETRIEVE);
    SetInputSender(nullptr);
    ASSERT_EQ(ItemText(window_, IDC_STATUS_LINE), "Blocked: press Ctrl+V to paste.");
    Sim("present 0");
    Tick();
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "") << "the note goes with the keyboard";
}

// Esc at a block boundary: no further block is asked for, nothing is pasted,
// the clipboard and the preview keep what they held, and the device hears
// that the transfer is over as after a failed one.
TEST_F(Controller, EscStopsARetrieveBetweenBlocks) {
    Sim("file 1 " + Hex(std::string(500, 'x')));
    PutClipboardText("old");
    Open(IDD_FULL_WINDOW);
    Connect();
    SetDlgItemTextA(window_, IDC_PREVIEW, "old");
    Sim("clear-transcript");
    {
        EscHeldFrom esc(3);  // looked at before the first block and after each
        BoxWatcher watcher;
        Command(IDC_RETRIEVE);
        EXPECT_TRUE(watcher.Seen().empty()) << "a stop the user asked for is no failure";
        EXPECT_EQ(esc.Looks(), 3);
    }
    EXPECT_EQ(PumpKeys(300), "");
    const std::string sent = Sim("pc-bytes");
    EXPECT_EQ(sent.substr(sent.rfind("BC84")), "BC84FBFBBC92") << "two blocks, then the end-of-transfer command";
    EXPECT_EQ(ClipboardText(), "old");
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "old");
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "Transfer cancelled.");
    ExpectConnectedLook();
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(ConnectedFlag, 1u) << "the keyboard answers commands again";

    PutInBackground();
    EscHeldFrom esc(1);
    Command(IDC_RETRIEVE);
    EXPECT_EQ(esc.Looks(), 0) << "Esc is not read while another window is in front";
    EXPECT_EQ(ClipboardText(), std::string(500, 'x'));
}

TEST_F(Controller, RetrieveWithoutAutoUploadTypesNothingAndSendsNoDone) {
    Sim("file 1 " + Hex(DeviceText));
    AutoUploadFlag = 0;
    Open(IDD_FULL_WINDOW);
    Connect();
    Command(IDC_RETRIEVE);
    EXPECT_EQ(PumpKeys(300), "");
    EXPECT_EQ(ClipboardText(), PcText);
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), PcText);
    EXPECT_EQ(Count("92"), 0);
}

TEST_F(Controller, EmptyFileEmptiesPreviewAndClipboardAndStillEndsTheTransfer) {
    PutClipboardText("old");
    Open(IDD_FULL_WINDOW);
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "old");
    Tick();
    std::string during;
    {
        // While the notice is up, a tick must leave the device alone.
        BoxWatcher watcher([&](HWND) {
            const std::string before = Sim("pc-bytes");
            const LRESULT result = SendMessageA(window_, WM_TIMER, PollTimerId, 0);
            const std::string after = Sim("pc-bytes");
            return std::to_string(result) + (before == after ? " quiet" : " talked");
        });
        PumpMessages();
        const auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Quillatron Notice");
        EXPECT_EQ(seen[0].text, "No data in Quillatron file.");
        EXPECT_EQ(seen[0].note, "0 quiet");
    }
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "");
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_EQ(ClipboardTextFlag, 0u);
    EXPECT_EQ(Count("92"), 1) << "automatic mode ends the transfer even when it failed";
    EXPECT_EQ(Tick(), 1) << "polling resumes after the command";
}

TEST_F(Controller, FailureInTheBackgroundIsSilentButStillCleansUp) {
    PutClipboardText("old");
    Open(IDD_COMPACT_WINDOW);
    PutInBackground();
    Tick();
    BoxWatcher watcher;
    PumpMessages();
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_EQ(Count("92"), 1);
    EXPECT_EQ(ConnectedFlag, 1u);
}

TEST_F(Controller, BusyClipboardLeavesTextInPreviewAndTypesNothing) {
    Sim("file 1 " + Hex(DeviceText));
    Open(IDD_FULL_WINDOW);
    Connect();
    {
        ClipboardHolder holder;
        Command(IDC_RETRIEVE);
    }
    EXPECT_EQ(PumpKeys(300), "");
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), PcText);
    EXPECT_EQ(Count("92"), 0) << "nothing was pasted, so the device is not told";
    EXPECT_EQ(BusyFlag, 0u);
}

TEST_F(Controller, FileLongerThanTheBlockIsRefused) {
    Sim("fill 1 30000");
    Sim("overstate 20000");  // announces 50000 characters
    Open(IDD_FULL_WINDOW);
    Connect();
    BoxWatcher watcher;
    Command(IDC_RETRIEVE);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Unexpected reply from Quillatron 4100.");
    EXPECT_EQ(Count("84"), 0) << "refused before the read command";
    EXPECT_FALSE(ClipboardHasText());
}

TEST_F(Controller, PortFailureDuringRetrieveKeepsTheDisconnectedState) {
    Sim("file 1 " + Hex(DeviceText));
    Open(IDD_FULL_WINDOW);
    Connect();
    Sim("hangup");
    {
        BoxWatcher watcher;
        Command(IDC_RETRIEVE);
        const auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Quillatron Error");
        EXPECT_FALSE(seen[0].text.empty());
        EXPECT_NE(seen[0].text, SystemText(ERROR_SUCCESS)) << "the failing call's own error";
    }
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WindowText(window_), "Quillatron Get Utility 3.0");
    EXPECT_EQ(SmallIcon(), MainIcon);
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_CABLE_IDLE);
    EXPECT_FALSE(Enabled(IDC_RETRIEVE));
    EXPECT_EQ(ItemText(window_, IDC_STATUS_TEXT), "No Quillatron found.");

    Tick();
    EXPECT_EQ(ConnectedFlag, 1u) << "the next tick opens the port afresh";
}

// A dribbling line (a half-blocked beam): every byte of the device comes alone,
// with noise between its replies, so no read ever ends empty. Each operation
// must still end (a hang here holds the test until its timeout) with what it
// reports, and the program goes on polling. The times are printed for the log;
// scripts/bench measures them.
TEST_F(Controller, ADribblingDeviceHoldsNoOperationAndPollingGoesOn) {
    constexpr int PatientTicks = 30;
    const std::string fileText(120, 'x');
    Open(IDD_FULL_WINDOW);
    auto connectAgain = [&] {
        Sim("dribble 0");
        for (int tick = 0; tick < PatientTicks && ConnectedFlag == 0; ++tick) Tick();
        TakePostedRetrieves();
        return ConnectedFlag == 1u;
    };
    for (int gapMs : {250, 600}) {
        SCOPED_TRACE("a byte every " + std::to_string(gapMs) + " ms");
        const std::string dribble = "dribble " + std::to_string(gapMs);
        Sim("file 1 " + Hex(fileText));  // a send of the round before may have cleared it

        // The hello: an identity that trickles in is no device.
        Sim(dribble);
        DWORD start = GetTickCount();
        Tick();
        const DWORD helloMs = GetTickCount() - start;
        EXPECT_EQ(ConnectedFlag, 0u);
        ASSERT_TRUE(connectAgain()) << "on a clean line again the poll finds the device";

        // The retrieve (with its drain): ended by the block's time, reported, and
        // in automatic mode the device still hears that the transfer is over.
        Sim(dribble);
        const int dones = Count("92");
        std::vector<SeenBox> seen;
        start = GetTickCount();
        {
            BoxWatcher watcher;
            Command(IDC_RETRIEVE);
            seen = watcher.Seen();
        }
        const DWORD retrieveMs = GetTickCount() - start;
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, "Unexpected reply from Quillatron 4100.");
        EXPECT_EQ(Count("92"), dones + 1);
        EXPECT_FALSE(ClipboardHasText()) << "nothing half-read is pasted";
        EXPECT_EQ(BusyFlag, 0u);

        // The send: whatever the line did to it, it ends, and says so only if it failed.
        PutClipboardText("dribble");
        start = GetTickCount();
        {
            BoxWatcher watcher;
            Command(IDC_SEND);
            seen = watcher.Seen();
        }
        const DWORD sendMs = GetTickCount() - start;
        ASSERT_LE(seen.size(), 1u);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0].text, "Unexpected reply from Quillatron 4100.");
        }
        EXPECT_EQ(BusyFlag, 0u);
        std::printf("dribble %d ms: hello %lu ms, retrieve %lu ms, send %lu ms (%s)\n", gapMs,
                    static_cast<unsigned long>(helloMs), static_cast<unsigned long>(retrieveMs),
                    static_cast<unsigned long>(sendMs), seen.empty() ? "sent" : "failed");

        // Polling goes on: the device, lost or not, is connected again on a clean line,
        // and left alone for the next round.
        Tick();
        ASSERT_TRUE(connectAgain());
        Sim("present 0");
        Tick();
        ASSERT_EQ(ConnectedFlag, 0u) << "a device that stops answering is lost";
        Sim("present 1");
    }
}

}  // namespace
