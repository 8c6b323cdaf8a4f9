// The disclosure triangle of the full window: one press and release over it
// shows or hides the options panel, moving what lies below it.
#include <gtest/gtest.h>

#include <map>

#include "settings/win/store/settings_store.h"
#include "ui/disclosure.h"
#include "ui_support.h"

using namespace ui_test;

namespace {

constexpr int MovingControls[] = {IDC_STATUS_TEXT,          IDC_STATUS_FRAME,
                                  IDC_PICTURE_CABLE_IDLE,   IDC_PICTURE_CABLE_LINKED,
                                  IDC_PICTURE_WAVES_SEARCHING, IDC_PICTURE_WAVES_LINKED,
                                  IDC_PROGRESS,             IDC_STATUS_LINE};
constexpr int StillControls[] = {IDC_SEND, IDC_FILE_LIST, IDC_PREVIEW, IDC_DISCLOSURE,
                                 IDC_OPTIONS_CAPTION};

struct Layout {
    std::map<int, RECT> places;
    int windowHeight = 0;
    std::string caption;
    bool panelShown = false;
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

Layout LayoutOf(HWND window) {
    Layout layout;
    for (int id : MovingControls) layout.places[id] = PlaceOf(window, id);
    for (int id : StillControls) layout.places[id] = PlaceOf(window, id);
    RECT frame;
    GetWindowRect(window, &frame);
    layout.windowHeight = frame.bottom - frame.top;
    layout.caption = TextOf(GetDlgItem(window, IDC_OPTIONS_CAPTION));
    layout.panelShown = IsWindowVisible(GetDlgItem(window, IDC_APPEND)) &&
                        IsWindowVisible(GetDlgItem(window, IDC_RETRIEVE));
    return layout;
}

// The panel row's height: from the row's top to the first control below it.
int PanelHeight(HWND window) {
    const RECT row = DialogUnits(window, 0, 108, 0, 124 - 108);
    return row.bottom - row.top;
}

void ExpectShiftedBy(const Layout& before, const Layout& after, int distance) {
    for (int id : MovingControls) {
        const RECT& a = before.places.at(id);
        const RECT& b = after.places.at(id);
        EXPECT_EQ(b.top, a.top + distance) << "control " << id;
        EXPECT_EQ(b.bottom, a.bottom + distance) << "control " << id;
        EXPECT_EQ(b.left, a.left) << "control " << id;
        EXPECT_EQ(b.right, a.right) << "control " << id;
    }
    for (int id : StillControls)
        EXPECT_TRUE(SameRect(before.places.at(id), after.places.at(id))) << "control " << id << " stays";
    EXPECT_EQ(after.windowHeight, before.windowHeight + distance);
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class DisclosureTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = OpenMainWindow(IDD_FULL_WINDOW, 1);
        ASSERT_NE(window_, nullptr);
        triangle_ = GetDlgItem(window_, IDC_DISCLOSURE);
        ASSERT_NE(triangle_, nullptr);
        GetClientRect(triangle_, &client_);
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        CloseMainWindow(window_);
    }

    LRESULT Send(UINT message, LPARAM position) {
        const LRESULT result = SendMessageA(triangle_, message, 0, position);
        PumpMessages();
        return result;
    }

    // The outer slanted edge starts in the bottom-left corner of the triangle
    // pointing right and in the top-left corner of the one pointing down: dark
    // shadow when raised, highlight when pressed.
    COLORREF CornerPixel() {
        UpdateWindow(triangle_);
        HDC dc = GetDC(triangle_);
        const COLORREF colour = GetPixel(dc, 0, DisclosedFlag ? 0 : client_.bottom - 1);
        ReleaseDC(triangle_, dc);
        return colour;
    }

    HWND window_ = nullptr;
    HWND triangle_ = nullptr;
    RECT client_ = {};
};

TEST_F(DisclosureTest, PressLeaveReturnAndReleaseTogglesOnce) {
    const Layout before = LayoutOf(window_);
    ASSERT_TRUE(before.panelShown);
    ASSERT_EQ(before.caption, "Hide Options");

    EXPECT_EQ(Send(WM_LBUTTONDOWN, At(2, 2)), 0);
    EXPECT_EQ(GetCapture(), triangle_) << "a press takes the capture";
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_BTNHIGHLIGHT)) << "pressed look";
    EXPECT_EQ(Send(WM_MOUSEMOVE, At(client_.right + 5, 2)), 0);
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_3DDKSHADOW)) << "raised again once the pointer leaves";
    EXPECT_EQ(Send(WM_MOUSEMOVE, At(1, 1)), 0);
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_BTNHIGHLIGHT)) << "pressed again on return";
    EXPECT_EQ(Send(WM_LBUTTONUP, At(1, 1)), 0) << "a release over the control toggles";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_3DDKSHADOW));

    const Layout after = LayoutOf(window_);
    EXPECT_EQ(DisclosedFlag, 0u);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window_, IDC_APPEND)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window_, IDC_RETRIEVE)));
    EXPECT_EQ(after.caption, "More Options");
    ExpectShiftedBy(before, after, -PanelHeight(window_));
}

TEST_F(DisclosureTest, ReleaseOutsideDoesNotToggle) {
    const Layout before = LayoutOf(window_);
    Send(WM_LBUTTONDOWN, At(2, 2));
    EXPECT_EQ(Send(WM_LBUTTONUP, At(client_.right + 1, 2)), 1);
    EXPECT_EQ(GetCapture(), nullptr) << "the capture ends with the release";
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_3DDKSHADOW)) << "raised look";
    // Left of or above the control the 16-bit coordinates read as large numbers.
    Send(WM_LBUTTONDOWN, At(2, 2));
    EXPECT_EQ(Send(WM_LBUTTONUP, At(-1, 2)), 1);
    Send(WM_LBUTTONDOWN, At(2, 2));
    EXPECT_EQ(Send(WM_LBUTTONUP, At(2, -1)), 1);
    EXPECT_EQ(DisclosedFlag, 1u);
    const Layout after = LayoutOf(window_);
    ExpectShiftedBy(before, after, 0);
    EXPECT_TRUE(after.panelShown);
    EXPECT_EQ(after.caption, "Hide Options");
}

TEST_F(DisclosureTest, ReleaseOnTheColumnAndRowJustPastTheEdgeToggles) {
    Send(WM_LBUTTONDOWN, At(2, 2));
    EXPECT_EQ(Send(WM_LBUTTONUP, At(client_.right, client_.bottom)), 0);
    EXPECT_EQ(DisclosedFlag, 0u);
    Send(WM_LBUTTONDOWN, At(2, 2));
    EXPECT_EQ(Send(WM_LBUTTONUP, At(client_.right, 0)), 0);
    EXPECT_EQ(DisclosedFlag, 1u);
}

TEST_F(DisclosureTest, TwoTogglesRestoreEverything) {
    const Layout before = LayoutOf(window_);
    for (int i = 0; i < 2; ++i) {
        Send(WM_LBUTTONDOWN, At(2, 2));
        Send(WM_LBUTTONUP, At(2, 2));
    }
    const Layout after = LayoutOf(window_);
    ExpectShiftedBy(before, after, 0);
    EXPECT_TRUE(after.panelShown);
    EXPECT_EQ(after.caption, "Hide Options");
    EXPECT_EQ(DisclosedFlag, 1u);
}

TEST_F(DisclosureTest, MovesAndReleasesWithoutTheCaptureAreIgnored) {
    const Layout before = LayoutOf(window_);
    EXPECT_EQ(Send(WM_MOUSEMOVE, At(2, 2)), 1);
    EXPECT_EQ(Send(WM_LBUTTONUP, At(2, 2)), 1);
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(DisclosedFlag, 1u);
    ExpectShiftedBy(before, LayoutOf(window_), 0);
}

TEST_F(DisclosureTest, PensOutliveASecondControlOfTheClass) {
    HWND second = CreateWindowExA(0, "DisclosureClass", nullptr, WS_CHILD | WS_VISIBLE, 200, 0,
                                  client_.right, client_.bottom, window_, nullptr, nullptr, nullptr);
    ASSERT_NE(second, nullptr);
    DestroyWindow(second);
    InvalidateRect(triangle_, nullptr, FALSE);
    EXPECT_EQ(CornerPixel(), GetSysColor(COLOR_3DDKSHADOW))
        << "the remaining control still draws its bevel after another one went";
}

TEST(DisclosureSetting, FullWindowOpensCollapsedWhenTheSettingSaysSo) {
    HWND expanded = OpenMainWindow(IDD_FULL_WINDOW, 1);
    const Layout open = LayoutOf(expanded);
    CloseMainWindow(expanded);

    HWND collapsed = OpenMainWindow(IDD_FULL_WINDOW, 0);
    const Layout closed = LayoutOf(collapsed);
    EXPECT_EQ(DisclosedFlag, 0u) << "opening does not change the setting";
    EXPECT_FALSE(closed.panelShown);
    EXPECT_EQ(closed.caption, "More Options");
    ExpectShiftedBy(open, closed, -PanelHeight(collapsed));

    HWND triangle = GetDlgItem(collapsed, IDC_DISCLOSURE);
    SendMessageA(triangle, WM_LBUTTONDOWN, 0, At(2, 2));
    SendMessageA(triangle, WM_LBUTTONUP, 0, At(2, 2));
    const Layout reopened = LayoutOf(collapsed);
    EXPECT_EQ(DisclosedFlag, 1u);
    EXPECT_TRUE(reopened.panelShown) << "the first click shows the panel";
    ExpectShiftedBy(open, reopened, 0);
    CloseMainWindow(collapsed);
}

TEST(DisclosureSetting, CompactWindowIsLeftAlone) {
    HWND compact = OpenMainWindow(IDD_COMPACT_WINDOW, 0);
    RECT before;
    GetWindowRect(compact, &before);
    ApplyStoredDisclosure(compact, &DisclosedFlag);
    RECT after;
    GetWindowRect(compact, &after);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    ShiftControl(compact, IDC_APPEND, 5, 5);  // a control it lacks: nothing happens
    CloseMainWindow(compact);
}

// The setting accepts any number and reads every nonzero one as expanded, so a
// click on a panel stored as 7 must hide it rather than grow the window again.
TEST(DisclosureSetting, AnyNonzeroSettingCollapsesOnTheFirstClick) {
    HWND window = OpenMainWindow(IDD_FULL_WINDOW, 7);
    const Layout open = LayoutOf(window);
    EXPECT_TRUE(open.panelShown);
    EXPECT_EQ(open.caption, "Hide Options");

    HWND triangle = GetDlgItem(window, IDC_DISCLOSURE);
    SendMessageA(triangle, WM_LBUTTONDOWN, 0, At(2, 2));
    SendMessageA(triangle, WM_LBUTTONUP, 0, At(2, 2));
    const Layout closed = LayoutOf(window);
    EXPECT_EQ(DisclosedFlag, 0u);
    EXPECT_FALSE(closed.panelShown);
    EXPECT_EQ(closed.caption, "More Options");
    ExpectShiftedBy(open, closed, -PanelHeight(window));
    CloseMainWindow(window);
}

}  // namespace
