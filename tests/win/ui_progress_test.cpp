// The progress bar and the animated caption icon follow the bytes of a transfer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <vector>

#include "app/startup.h"
#include "ui/progress_display.h"
#include "ui_support.h"

using namespace ui_test;

namespace {

std::vector<int> ShownFrames;
WNDPROC WindowProcedure = nullptr;

int FrameOf(HICON icon) {
    for (int k = 0; k < 32; ++k)
        if (ProgressIcons[k] == icon) return k;
    return -1;
}

// Sits in front of the main window's procedure and notes every small icon set.
LRESULT CALLBACK RecordIcons(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETICON && wParam == ICON_SMALL)
        ShownFrames.push_back(FrameOf(reinterpret_cast<HICON>(lParam)));
    return CallWindowProcA(WindowProcedure, window, message, wParam, lParam);
}

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = OpenMainWindow(IDD_COMPACT_WINDOW);
        ASSERT_NE(window_, nullptr);
        for (HICON icon : ProgressIcons) ASSERT_NE(icon, nullptr) << "all 32 frames load";
        WindowProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordIcons)));
        ShownFrames.clear();
    }
    void TearDown() override {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProcedure));
        CloseMainWindow(window_);
    }
    LRESULT Bar(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendDlgItemMessageA(window_, IDC_PROGRESS, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

TEST_F(ProgressTest, ThousandBytesInFiftyByteChunks) {
    WindowProgress progress(window_, ProgressIcons);
    progress.ProgressBegin(1000);
    EXPECT_EQ(Bar(PBM_GETRANGE, FALSE), 1000) << "range 0 to the total";
    EXPECT_EQ(Bar(PBM_GETPOS), 0);
    EXPECT_TRUE(ShownFrames.empty()) << "beginning leaves the icon alone";
    for (int chunk = 0; chunk < 20; ++chunk) progress.ProgressAdvance(50);
    // Index 32, one past the last frame, shows the fully wiped frame.
    const std::vector<int> want = {1, 3, 4, 6, 8, 9, 11, 12, 14, 16, 17, 19, 20, 22, 24, 25, 27, 28, 30, 31};
    EXPECT_EQ(ShownFrames, want);
    EXPECT_EQ(Bar(PBM_GETPOS), 1000);
}

// A themed bar glides towards each position on a timer that no transfer lets
// run; the window's bar carries no theme and draws each position at once. A
// bar made beside it shows that the test bed draws themed controls at all.
TEST_F(ProgressTest, TheWindowsBarAloneIsUnthemed) {
    HWND themed = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 50, 10, window_, nullptr,
                                  AppInstance, nullptr);
    EXPECT_NE(GetWindowTheme(themed), nullptr) << "a bar as the template makes it is themed";
    EXPECT_EQ(GetWindowTheme(GetDlgItem(window_, IDC_PROGRESS)), nullptr);
    DestroyWindow(themed);
}

TEST_F(ProgressTest, SecondTransferStartsFromTheFirstFrameAgain) {
    WindowProgress progress(window_, ProgressIcons);
    progress.ProgressBegin(64);
    for (int chunk = 0; chunk < 32; ++chunk) progress.ProgressAdvance(2);
    EXPECT_EQ(ShownFrames.size(), 32u) << "frames 1 to 31 and the end";
    ShownFrames.clear();
    progress.ProgressBegin(64);
    progress.ProgressAdvance(2);
    EXPECT_EQ(ShownFrames, std::vector<int>{1});
    EXPECT_EQ(Bar(PBM_GETPOS), 2);
}

TEST_F(ProgressTest, ZeroCountChangesNothingButTheRepaint) {
    WindowProgress progress(window_, ProgressIcons);
    progress.ProgressBegin(100);
    progress.ProgressAdvance(0);
    EXPECT_TRUE(ShownFrames.empty());
    EXPECT_EQ(Bar(PBM_GETPOS), 0);
}

TEST_F(ProgressTest, TotalOfZeroNeverDivides) {
    WindowProgress progress(window_, ProgressIcons);
    progress.ProgressBegin(0);
    EXPECT_EQ(Bar(PBM_GETRANGE, FALSE), 0);
    EXPECT_EQ(Bar(PBM_GETPOS), 0);
    progress.ProgressAdvance(50);  // not supposed to follow a total of 0; must not fault
    EXPECT_TRUE(ShownFrames.empty());
}

TEST_F(ProgressTest, MoreBytesThanAnnouncedKeepTheLastFrame) {
    WindowProgress progress(window_, ProgressIcons);
    progress.ProgressBegin(100);
    progress.ProgressAdvance(100);
    progress.ProgressAdvance(50);
    for (int frame : ShownFrames) EXPECT_TRUE(frame >= 0 && frame < 32) << "always one of the frames";
    EXPECT_EQ(ShownFrames.back(), 31);
}

}  // namespace
