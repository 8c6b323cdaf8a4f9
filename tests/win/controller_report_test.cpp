// What the user is told after a device operation, and when.
#include "controller_fixture.h"

namespace {

TEST_F(Controller, EachCodeHasItsMessageInTheForeground) {
    Open(IDD_COMPACT_WINDOW);
    Connect();
    BoxWatcher watcher;
    for (ResultCode code : {ResultOk, ResultBadLength, ResultBadStatus, ResultBadFile,
                            ResultNoData, ResultFileFull}) {
        ReportResult(code, 0);
    }
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 5u) << "nothing for success";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].caption, "Quillatron Error");
        EXPECT_EQ(seen[i].text, "Unexpected reply from Quillatron 4100.");
    }
    EXPECT_EQ(seen[3].caption, "Quillatron Notice");
    EXPECT_EQ(seen[3].text, "No data in Quillatron file.");
    EXPECT_EQ(seen[4].caption, "Quillatron Notice");
    EXPECT_EQ(seen[4].text, "Quillatron file is full.");
    EXPECT_EQ(ConnectedFlag, 1u) << "only a port failure drops the connection";
}

TEST_F(Controller, NothingIsShownOrChangedInTheBackground) {
    Open(IDD_FULL_WINDOW);
    Connect();
    PutInBackground();
    const HANDLE port = PortHandle;
    BoxWatcher watcher;
    for (ResultCode code : {ResultPortFailure, ResultBadLength, ResultBadStatus, ResultBadFile,
                            ResultNoData, ResultFileFull}) {
        ReportResult(code, ERROR_ACCESS_DENIED);
    }
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(ConnectedFlag, 1u);
    EXPECT_EQ(PortHandle, port);
    ExpectConnectedLook();
}

TEST_F(Controller, PortFailureResetsTheConnectionBeforeItsMessage) {
    Open(IDD_FULL_WINDOW);
    Connect();
    BoxWatcher watcher([&](HWND) {
        return ItemText(window_, IDC_STATUS_TEXT) + "|" + std::to_string(VisiblePicture()) + "|" +
               std::to_string(Enabled(IDC_SEND) + Enabled(IDC_FILE_LIST) + Enabled(IDC_RETRIEVE)) +
               "|" + WindowText(window_);
    });
    SetLastError(ERROR_NOT_READY);  // what a later call left behind must not be reported
    ReportResult(ResultPortFailure, ERROR_ACCESS_DENIED);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Quillatron Error");
    EXPECT_EQ(seen[0].text, SystemText(ERROR_ACCESS_DENIED)) << "the code of the failed call";
    EXPECT_EQ(seen[0].note, "No Quillatron found.|1015|0|Quillatron Get Utility 3.0");
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SmallIcon(), MainIcon);
}

TEST_F(Controller, PortFailureWithoutSystemTextStillSaysWhat) {
    const DWORD unknown = 0x2000ABCD;  // an application-defined code: no system text
    ASSERT_EQ(SystemText(unknown), "");
    Open(IDD_COMPACT_WINDOW);
    // The system's text for a bad program file has a place for its name, which
    // the system refuses to format when asked to fill it with nothing.
    const struct {
        DWORD code;
        std::string shown;
    } cases[] = {{unknown, std::to_string(unknown)}, {ERROR_BAD_EXE_FORMAT, "%1"}};
    for (const auto& c : cases) {
        Connect();
        BoxWatcher watcher;
        ReportResult(ResultPortFailure, c.code);
        const auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Quillatron Error");
        EXPECT_NE(seen[0].text.find(c.shown), std::string::npos) << seen[0].text;
    }
}

}  // namespace
