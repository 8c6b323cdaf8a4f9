// How the monitor finds, polls and loses the device.
#include "controller_fixture.h"

namespace {


TEST_F(Controller, OpensSearchingWithTheFileListAndOptionsSet) {
    AppendFlag = 7;  // any nonzero value means append
    Open(IDD_FULL_WINDOW);
    EXPECT_EQ(MainWindow, window_);
    EXPECT_EQ(ItemText(window_, IDC_STATUS_TEXT), "No Quillatron found.");
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_SEARCHING) << "the template's cable picture is replaced";
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_GETCOUNT, 0, 0), 8);
    char label[8] = "";
    SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_GETLBTEXT, 7, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, "8");
    EXPECT_EQ(Selection(), 0);
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_APPEND, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(Enabled(IDC_SEND) || Enabled(IDC_FILE_LIST) || Enabled(IDC_RETRIEVE));
}

TEST_F(Controller, DetectionShowsConnectedAndPostsOneRetrieve) {
    Sim("file 3 " + Hex("text"));
    Sim("current 3");
    Open(IDD_FULL_WINDOW);

    Tick();
    EXPECT_EQ(ConnectedFlag, 1u);
    ExpectConnectedLook();
    EXPECT_TRUE(Enabled(IDC_SEND) && Enabled(IDC_FILE_LIST) && Enabled(IDC_RETRIEVE));
    EXPECT_EQ(CurrentFile, 2u);
    EXPECT_EQ(Selection(), 2);
    EXPECT_EQ(TakePostedRetrieves(), 1);

    const int polls = Count("88");
    EXPECT_EQ(Tick(), 1) << "a poll of a connected device answers 1";
    EXPECT_EQ(Count("88"), polls + 1);
    EXPECT_EQ(TakePostedRetrieves(), 0) << "later ticks only poll";
}

TEST_F(Controller, PollFollowsClipboardFlagOnSendButton) {
    Open(IDD_FULL_WINDOW);
    Connect();
    ClipboardTextFlag = 0;
    Tick();
    EXPECT_FALSE(Enabled(IDC_SEND));
    ClipboardTextFlag = 1;
    Tick();
    EXPECT_TRUE(Enabled(IDC_SEND));
}

TEST_F(Controller, EmptyFileAtDetectionDisablesOnlyTheRetrieve) {
    Open(IDD_FULL_WINDOW);
    Connect();
    EXPECT_TRUE(Enabled(IDC_SEND));
    EXPECT_TRUE(Enabled(IDC_FILE_LIST));
    EXPECT_FALSE(Enabled(IDC_RETRIEVE));
}

TEST_F(Controller, OnlyAutoUploadOfExactlyOneStartsTheRetrieve) {
    Sim("file 1 " + Hex("x"));
    Open(IDD_COMPACT_WINDOW);
    for (uint32_t value : {0u, 2u}) {
        AutoUploadFlag = value;
        ConnectedFlag = 0;  // the port stays open; the hello is simply repeated
        Tick();
        EXPECT_EQ(ConnectedFlag, 1u) << "value " << value;
        ExpectConnectedLook();
        EXPECT_EQ(TakePostedRetrieves(), 0) << "value " << value;
    }
}

TEST_F(Controller, DeviceThatIgnoresTheFileQueryStaysConnectedWithoutRetrieve) {
    Sim("file 1 " + Hex("x"));
    Sim("mute 88 1");
    Open(IDD_COMPACT_WINDOW);
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u);
    ExpectConnectedLook();
    EXPECT_EQ(TakePostedRetrieves(), 0);
}

TEST_F(Controller, LossAtNextTickThenPortReopenedAndOneRetrievePerArrival) {
    Sim("file 1 " + Hex("x"));
    Open(IDD_COMPACT_WINDOW);
    Tick();
    EXPECT_EQ(TakePostedRetrieves(), 1);
    Tick();
    EXPECT_EQ(TakePostedRetrieves(), 0);

    Sim("present 0");
    Tick();
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE) << "the loss closes the port";
    EXPECT_EQ(ItemText(window_, IDC_STATUS_TEXT), "No Quillatron found.");
    EXPECT_EQ(WindowText(window_), "Glimmerly 3.0");
    EXPECT_EQ(SmallIcon(), MainIcon);
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_SEARCHING);

    Tick();
    EXPECT_NE(PortHandle, INVALID_HANDLE_VALUE) << "the tick after the loss opens the port again";
    EXPECT_EQ(ConnectedFlag, 0u);

    Sim("present 1");
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u);
    EXPECT_EQ(TakePostedRetrieves(), 1) << "coming back into range is a new arrival";
}

// Silence keeps the searching port open; a port that fails the hello (its
// adapter unplugged) is closed, and the next tick finds the device on a fresh
// handle, without a message box.
TEST_F(Controller, SearchingKeepsASilentPortButReopensADeadOne) {
    Sim("file 1 " + Hex("x"));
    Sim("present 0");
    Open(IDD_COMPACT_WINDOW);
    Tick();
    const HANDLE silent = PortHandle;
    ASSERT_NE(silent, INVALID_HANDLE_VALUE);
    Tick();
    EXPECT_EQ(PortHandle, silent) << "a silent device gets the hello again on the same handle";

    Sim("hangup");
    Sim("present 1");
    Tick();
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE) << "the failed hello closes the dead handle";
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_SEARCHING);
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u) << "the next tick opens the port afresh and finds the device";
    EXPECT_EQ(TakePostedRetrieves(), 1);
}

TEST_F(Controller, TickWhileBusyLeavesThePortAlone) {
    Open(IDD_COMPACT_WINDOW);
    Connect();
    Sim("clear-transcript");
    BusyFlag = 1;
    EXPECT_EQ(Tick(), 0);
    BusyFlag = 0;
    EXPECT_EQ(QuillsimPcBytes(), "");
}

TEST_F(Controller, DestroyStoresTheTwoOptionsAndClosesThePort) {
    Open(IDD_COMPACT_WINDOW);
    Connect();
    AppendFlag = 1;
    DisclosedFlag = 0;
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(StoredOption("AppendFlag"), 1u);
    EXPECT_EQ(StoredOption("DisclosedFlag"), 0u);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
