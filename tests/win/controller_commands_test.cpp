// The full window's commands: send, file switch, the two options, the
// clipboard preview, and what is not a command.
#include <algorithm>

#include "controller_fixture.h"
#include "controller/device_backup_command.h"
#include "controller/esc_stop.h"
#include "controller/file_switch.h"
#include "controller/window_menu.h"
#include "settings/win/store/start_with_windows.h"

namespace {

// A port whose every write fails, each with the next code of a list, and whose
// reads find a quiet line: a port that is dying in a new way at each call.
class FailingWritesPort final : public BytePort {
public:
    explicit FailingWritesPort(std::vector<uint32_t> codes) : codes_(std::move(codes)) {}
    PortTransfer Write(const uint8_t*, uint32_t) override {
        const uint32_t code = next_ < codes_.size() ? codes_[next_] : ERROR_GEN_FAILURE;
        ++next_;
        return {false, 0, code};
    }
    PortTransfer Read(uint8_t*, uint32_t) override { return {true, 0, ERROR_SUCCESS}; }
    uint32_t NowMs() override { return clock_ += 600; }
    uint32_t TimeoutError() const override { return ERROR_TIMEOUT; }

private:
    std::vector<uint32_t> codes_;
    size_t next_ = 0;
    uint32_t clock_ = 0;
};

TEST_F(Controller, CommandsWithoutDeviceSayNoKeyboardOrPutTheListBack) {
    Open(IDD_FULL_WINDOW);
    Sim("clear-transcript");
    BoxWatcher watcher;
    EXPECT_EQ(Command(IDC_SEND), 1);
    EXPECT_EQ(Command(IDC_RETRIEVE), 1);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const SeenBox& box : seen) {
        EXPECT_EQ(box.caption, "Quillatron Error");
        EXPECT_EQ(box.text, "No keyboard detected.");
    }
    CurrentFile = 5;
    Choose(3);
    EXPECT_EQ(Selection(), 0) << "back on file 1";
    EXPECT_EQ(CurrentFile, 5u);
    EXPECT_EQ(BusyFlag, 0u);
    EXPECT_EQ(QuillsimPcBytes(), "") << "nothing reached the device";
}

TEST_F(Controller, OtherNotificationsOfTheCommandControlsAreNotCommands) {
    Open(IDD_FULL_WINDOW);
    BoxWatcher watcher;
    EXPECT_EQ(Command(MAKEWPARAM(IDC_RETRIEVE, BN_SETFOCUS)), 0);
    EXPECT_EQ(Command(MAKEWPARAM(IDC_SEND, BN_DOUBLECLICKED)), 0);
    CurrentFile = 4;
    SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_SETCURSEL, 4, 0);
    EXPECT_EQ(Command(MAKEWPARAM(IDC_FILE_LIST, CBN_DROPDOWN)), 0);
    EXPECT_EQ(Selection(), 4);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(Controller, SendIntoFileEightFallsBackToItsCapacityWhenRoomIsNotReported) {
    Sim("current 8");
    Sim("mute 91 1");  // the capacity query goes unanswered
    PutClipboardText(std::string(9000, 'a'));
    Open(IDD_FULL_WINDOW);
    Connect();
    ASSERT_EQ(CurrentFile, 7u);
    ASSERT_FALSE(Enabled(IDC_RETRIEVE)) << "file 8 starts empty";
    BoxWatcher watcher;
    EXPECT_EQ(Command(IDC_SEND), 1);
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(SimBytes("get-file 8"), std::string(8157, 'a'));
    EXPECT_TRUE(Enabled(IDC_RETRIEVE));
    ExpectConnectedLook();
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "");
    EXPECT_EQ(BusyFlag, 0u);
    EXPECT_EQ(ClipboardText(), std::string(9000, 'a')) << "the clipboard's own text is untouched";
}

TEST_F(Controller, SendAppendsWhenAskedAndConvertsLineEnds) {
    Sim("file 1 " + Hex("abc"));
    PutClipboardText("de\r\nf");
    AppendFlag = 1;
    Open(IDD_FULL_WINDOW);
    Connect();
    Command(IDC_SEND);
    EXPECT_EQ(SimBytes("get-file 1"), "abcde\rf");
}

// Appending to a full file sends no text, but the write it opened is closed:
// the next poll is read as a command, not stored as text.
TEST_F(Controller, AppendingToAFullFileLeavesTheKeyboardTakingCommands) {
    Sim("current 8");
    Sim("fill 8 8158");
    PutClipboardText("more");
    AppendFlag = 1;
    Open(IDD_FULL_WINDOW);
    Connect();
    Command(IDC_SEND);
    EXPECT_EQ(SimBytes("get-file 8").size(), 8158u);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(ConnectedFlag, 1u);
    EXPECT_EQ(SimBytes("get-file 8").size(), 8158u) << "the poll was not stored as text";
}

TEST_F(Controller, FailedSendStillOffersTheRetrieve) {
    Sim("full-after 0");
    PutClipboardText("xyz");
    Open(IDD_FULL_WINDOW);
    Connect();
    ASSERT_FALSE(Enabled(IDC_RETRIEVE));
    const auto barShown = [&] {
        return (GetWindowLongA(GetDlgItem(window_, IDC_PROGRESS), GWL_STYLE) & WS_VISIBLE) != 0;
    };
    BoxWatcher watcher([&](HWND) { return std::to_string(BusyFlag) + "|" + std::to_string(barShown()); });
    Command(IDC_SEND);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Quillatron file is full.");
    EXPECT_EQ(seen[0].note, "1|1") << "still busy, the bar up, while the outcome is told";
    EXPECT_TRUE(Enabled(IDC_RETRIEVE));
    EXPECT_EQ(BusyFlag, 0u);
    EXPECT_FALSE(barShown());
}

TEST_F(Controller, PortFailureDuringSendKeepsTheDisconnectedState) {
    Sim("file 1 " + Hex("old"));
    PutClipboardText("new");
    Open(IDD_FULL_WINDOW);
    Connect();
    Sim("hangup");
    BoxWatcher watcher;
    Command(IDC_SEND);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Quillatron Error");
    EXPECT_NE(seen[0].text, SystemText(ERROR_SUCCESS));
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(WindowText(window_), "Quillatron Get Utility 3.0");
    EXPECT_EQ(SmallIcon(), MainIcon);
    EXPECT_FALSE(Enabled(IDC_RETRIEVE)) << "no retrieve offered for a device that is gone";
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_CABLE_IDLE);
    EXPECT_EQ(BusyFlag, 0u);
}

TEST_F(Controller, SendWithoutTextInTheClipboardSaysSo) {
    Open(IDD_FULL_WINDOW);
    Connect();
    BoxWatcher watcher;
    ClearClipboard();
    Command(IDC_SEND);
    PutClipboardPicture();
    Command(IDC_SEND);
    {
        UnrenderedClipboardText announced;
        Command(IDC_SEND);
    }
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 3u);
    for (const SeenBox& box : seen) {
        EXPECT_EQ(box.caption, "Quillatron Error");
        EXPECT_EQ(box.text, "Nothing in clipboard to send.");
    }
    EXPECT_EQ(Count("87"), 0);
    EXPECT_EQ(BusyFlag, 0u);
}

TEST_F(Controller, FileSwitchOffersTheRetrieveOnlyForAFileWithText) {
    Sim("file 4 " + Hex("four"));
    Open(IDD_FULL_WINDOW);
    Connect();
    Choose(2);
    EXPECT_EQ(Sim("get-current"), "ok 3");
    EXPECT_EQ(CurrentFile, 2u);
    EXPECT_FALSE(Enabled(IDC_RETRIEVE));
    Choose(3);
    EXPECT_EQ(Sim("get-current"), "ok 4");
    EXPECT_TRUE(Enabled(IDC_RETRIEVE));
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "");
    EXPECT_EQ(BusyFlag, 0u);
}

// A list left without a selection answers CB_ERR; taken as a file index that
// would name a ninth file and index the capacity table past its end.
TEST_F(Controller, FileSwitchWithoutASelectionKeepsTheCurrentFile) {
    Sim("current 3");
    Open(IDD_FULL_WINDOW);
    Connect();
    ASSERT_EQ(CurrentFile, 2u);
    SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ASSERT_EQ(Selection(), CB_ERR);
    const int lengthQueries = Count("90");
    BoxWatcher watcher;
    EXPECT_EQ(Command(FileChosen), 1);
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(CurrentFile, 2u);
    EXPECT_EQ(Selection(), 2) << "the list shows the current file again";
    EXPECT_EQ(Count("90"), lengthQueries) << "the device was not asked about any file";
    EXPECT_EQ(BusyFlag, 0u);
}

// The length query after a failed selection fails as well; the user must hear
// why the selection failed, not why the question after it did.
TEST(FileSwitch, AFailedSelectionReportsItsOwnError) {
    FailingWritesPort port({ERROR_ACCESS_DENIED, ERROR_NOT_READY});
    uint32_t length = 7, portError = 0;
    EXPECT_EQ(SwitchDeviceFile(port, 2, &length, &portError), ResultPortFailure);
    EXPECT_EQ(portError, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(length, 7u) << "the failed length query leaves the length alone";
}

// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (lstrcmpA(entry.cFileName, ".") != 0 && lstrcmpA(entry.cFileName, "..") != 0) names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveFolder(const std::string& folder) {
    for (const std::string& name : FolderNames(folder)) {
        const std::string path = folder + "\\" + name;
        if (!DeleteFileA(path.c_str())) RemoveFolder(path);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char chunk[4096];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return bytes;
}

// The window menu's backup and restore, from the folder the chooser would
// hand over: a complete folder, then a changed file put back.
TEST_F(Controller, WindowMenuBacksUpEveryFileAndRestoresAChangedOne) {
    Sim("file 2 " + Hex("two\r\xA7"));
    Sim("file 8 " + Hex("eight"));
    Sim("current 2");
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string parent = std::string(temp) + "glimmerly menu " + std::to_string(GetCurrentProcessId());
    RemoveFolder(parent);
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
    Open(IDD_FULL_WINDOW);
    Connect();
    BoxWatcher watcher;

    EXPECT_EQ(BackupIntoFolder(window_, PcPath(parent)), TRUE);
    const std::vector<std::string> made = FolderNames(parent);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].rfind("Quillatron backup ", 0), 0u) << made[0];
    const std::string folder = parent + "\\" + made[0];
    std::vector<std::string> expected = {"manifest.json"};
    for (int n = 1; n <= 8; ++n) {
        expected.push_back("file" + std::to_string(n) + ".raw");
        expected.push_back("file" + std::to_string(n) + ".txt");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(folder), expected) << "every file, and no temporary manifest left";
    EXPECT_EQ(FileBytes(folder + "\\file2.raw"), "two\r\xA7");
    EXPECT_EQ(FileBytes(folder + "\\file2.txt"), "two\r\n\xC3\xB1") << "UTF-8 with the Windows line end";

    Sim("file 2 " + Hex("changed"));
    Sim("file 8 " + Hex(""));
    EXPECT_EQ(RestoreFromFolder(window_, PcPath(folder)), TRUE);
    EXPECT_EQ(SimBytes("get-file 2"), "two\r\xA7");
    EXPECT_EQ(SimBytes("get-file 8"), "eight");
    EXPECT_EQ(Sim("get-current"), "ok 2") << "the current file as it was found";
    EXPECT_EQ(BusyFlag, 0u);

    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text.rfind("All eight files were backed up to:", 0), 0u) << seen[0].text;
    EXPECT_EQ(seen[1].text.rfind("Replace file(s) 1, 2, 3, 4, 5, 6, 7, 8 ", 0), 0u) << seen[1].text;
    EXPECT_EQ(seen[2].text.rfind("Restored and verified file(s) 1, 2, 3, 4, 5, 6, 7, 8.", 0), 0u) << seen[2].text;
    // The files it replaced are kept, and the message names where.
    const std::string keptIntro = "kept in:\n";
    const size_t named = seen[2].text.find(keptIntro);
    ASSERT_NE(named, std::string::npos) << seen[2].text;
    const std::string kept = seen[2].text.substr(named + keptIntro.size());
    EXPECT_NE(kept.find("\\Glimmerly\\replaced\\"), std::string::npos) << kept;
    EXPECT_EQ(FileBytes(kept + "\\file2.raw"), "changed");
    RemoveFolder(kept);
    RemoveFolder(parent);
}

// Esc ends a send after the block in flight, with end-of-text: the file keeps
// what reached it, and the keyboard takes commands again.
TEST_F(Controller, EscStopsASendAfterTheBlockInFlight) {
    PutClipboardText(std::string(500, 'a'));
    Open(IDD_FULL_WINDOW);
    Connect();
    std::vector<SeenBox> seen;
    {
        EscHeldFrom esc(3);  // looked at before each block
        BoxWatcher watcher;
        Command(IDC_SEND);
        seen = watcher.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Quillatron Notice");
    EXPECT_NE(seen[0].text.find(" 100 characters"), std::string::npos) << seen[0].text;
    EXPECT_EQ(SimBytes("get-file 1"), std::string(100, 'a'));
    const std::string sent = Sim("pc-bytes");
    EXPECT_EQ(sent.substr(sent.size() - 2), "BB") << "the write ends with end-of-text";
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(ConnectedFlag, 1u);
    EXPECT_EQ(BusyFlag, 0u);
}

// Esc held from the second look after quillsim has seen a write begin.
int looksWhileWriting = 0;
SHORT WINAPI EscOnceWriting(int virtualKey) {
    if (virtualKey != VK_ESCAPE) return 0;
    if (looksWhileWriting == 0 && Count("87") == 0) return 0;
    return ++looksWhileWriting >= 2 ? static_cast<SHORT>(0x8000) : 0;
}

// Esc in a backup ends it with the keyboard as it was found; in a restore it
// leaves the file in hand partly written, and the message says what became
// of each file.
TEST_F(Controller, EscStopsABackupAndARestoreAndSaysWhatBecameOfEachFile) {
    Sim("file 2 " + Hex(std::string(120, 'b')));
    Sim("file 5 " + Hex("five"));
    Sim("current 5");
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string parent = std::string(temp) + "glimmerly esc " + std::to_string(GetCurrentProcessId());
    RemoveFolder(parent);
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
    Open(IDD_FULL_WINDOW);
    Connect();
    BoxWatcher watcher;
    {
        EscHeldFrom esc(1);  // the first look comes before file 2's first block
        Sim("clear-transcript");
        BackupIntoFolder(window_, PcPath(parent));
    }
    EXPECT_EQ(Count("92"), 1) << "the transfer is ended once";
    EXPECT_EQ(Sim("get-current"), "ok 5");
    RemoveFolder(parent);
    CreateDirectoryA(parent.c_str(), nullptr);
    BackupIntoFolder(window_, PcPath(parent));
    const std::string folder = parent + "\\" + FolderNames(parent)[0];
    Sim("file 2 " + Hex("changed"));
    {
        // The restore first reads what it replaces; Esc goes down at the second
        // look after the first write began: file 1 is only cleared, file 2
        // stops before its second block.
        SetKeyStateCall(EscOnceWriting);
        RestoreFromFolder(window_, PcPath(folder));
        SetKeyStateCall(nullptr);
    }
    EXPECT_EQ(SimBytes("get-file 2"), std::string(50, 'b'));
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(ConnectedFlag, 1u);

    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].text, "The backup was stopped with Esc before it was complete. The Quillatron's files are unchanged.");
    EXPECT_EQ(seen[3].text.rfind("The restore was stopped with Esc.\n\nfile 1: restored and verified\n"
                                 "file 2: partly written, 50 of 120 characters\nfile 3: not touched\n", 0), 0u)
        << seen[3].text;
    EXPECT_NE(seen[3].text.find("The files as they were before are kept in:"), std::string::npos) << seen[3].text;
    RemoveFolder(parent);
}

TEST_F(Controller, StartWithWindowsIsTickedByTheRunValueAndTogglesIt) {
    ASSERT_EQ(SetStartWithWindows(false), ERROR_SUCCESS);
    Open(IDD_COMPACT_WINDOW);
    HMENU menu = GetSystemMenu(window_, FALSE);
    auto ticked = [&] {
        SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
        return (GetMenuState(menu, IdStartWithWindows, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_FALSE(ticked());
    ASSERT_EQ(SetStartWithWindows(true), ERROR_SUCCESS);
    EXPECT_TRUE(ticked()) << "whoever wrote the value, the menu shows it as it opens";
    SendMessageA(window_, WM_SYSCOMMAND, IdStartWithWindows, 0);
    EXPECT_FALSE(StartsWithWindows());
    EXPECT_FALSE(ticked());
    SendMessageA(window_, WM_SYSCOMMAND, IdStartWithWindows, 0);
    EXPECT_TRUE(StartsWithWindows());
    SetStartWithWindows(false);
}

TEST_F(Controller, AutoRetrieveOptionTakesTheCheckStateAndStoresIt) {
    Open(IDD_FULL_WINDOW);
    // Neither template has this box; a window that adds one gets the command.
    HWND box = CreateWindowExA(0, "BUTTON", "Auto", WS_CHILD | BS_AUTO3STATE, 0, 0, 40, 10,
                               window_, reinterpret_cast<HMENU>(IDC_AUTO_RETRIEVE), AppInstance,
                               nullptr);
    for (uint32_t state : {BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED}) {
        SendMessageA(box, BM_SETCHECK, state, 0);
        EXPECT_EQ(Command(IDC_AUTO_RETRIEVE), 1);
        EXPECT_EQ(AutoUploadFlag, state);
        EXPECT_EQ(StoredOption("AutoUploadFlag"), state);
    }
}

TEST_F(Controller, AppendOptionTogglesAndWaitsForTheWindowToCloseToBeStored) {
    Open(IDD_FULL_WINDOW);
    EXPECT_EQ(Command(IDC_APPEND), 1);
    EXPECT_EQ(AppendFlag, 1u);
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_APPEND, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(StoredOption("AppendFlag"), 0xDEADBEEFu) << "not written yet";
    Command(IDC_APPEND);
    EXPECT_EQ(AppendFlag, 0u);
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_APPEND, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Controller, PreviewFollowsTheClipboardOnEveryApplicationSwitch) {
    Open(IDD_FULL_WINDOW);
    PutClipboardText("first");
    EXPECT_EQ(SendMessageA(window_, WM_ACTIVATEAPP, TRUE, 0), 1);
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "first");
    EXPECT_EQ(ClipboardTextFlag, 1u);

    PutClipboardPicture();
    SendMessageA(window_, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "first") << "a picture leaves the last text";
    EXPECT_EQ(ClipboardTextFlag, 0u);

    PutClipboardText("again");
    SendMessageA(window_, WM_ACTIVATEAPP, TRUE, 0);
    {
        UnrenderedClipboardText announced;
        ASSERT_TRUE(ClipboardHasText());
        ASSERT_EQ(ClipboardText(), "") << "announced, yet no data comes back";
        SendMessageA(window_, WM_ACTIVATEAPP, TRUE, 0);
        EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "again") << "text announced but never given";
        EXPECT_EQ(ClipboardTextFlag, 0u);
    }
}

TEST_F(Controller, HelperWindowRefreshesTheMainWindowsPreview) {
    Open(IDD_FULL_WINDOW);
    PutClipboardText("from the helper");
    MainWindow = nullptr;  // as before the main window exists
    ClipboardTextFlag = 1;
    EXPECT_EQ(SendMessageA(HelperWindow, WM_ACTIVATEAPP, TRUE, 0), 0);
    EXPECT_EQ(ClipboardTextFlag, 1u) << "nothing to refresh yet";
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "");

    MainWindow = window_;
    EXPECT_EQ(SendMessageA(HelperWindow, WM_ACTIVATEAPP, TRUE, 0), 0);
    EXPECT_EQ(ItemText(window_, IDC_PREVIEW), "from the helper");
}

}  // namespace
