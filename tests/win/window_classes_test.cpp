// Icons, window classes and the hidden helper window, made in this process
// from the program's own resources (linked into the test).

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <utility>

#include "app/startup.h"
#include "controller/main_window.h"
#include "ui/disclosure.h"

namespace {

constexpr int DialogExtraBytes = 30;

struct ExpectedClass {
    const char* name;
    WNDPROC procedure;
    int windowExtra;
    bool hasMainIcon;
    bool hasArrowAndFace;
};

class WindowClasses : public ::testing::Test {
protected:
    static void SetUpTestSuite() { helper_ = RegisterWindowClasses(GetModuleHandleA(nullptr)); }
    static HWND helper_;
};
HWND WindowClasses::helper_ = nullptr;

TEST_F(WindowClasses, AllIconsLoadFromTheProgramsResources) {
    EXPECT_NE(MainIcon, nullptr);
    EXPECT_NE(ConnectedIcon, nullptr);
    EXPECT_NE(MainIcon, ConnectedIcon);
    std::set<HICON> frames;
    for (HICON frame : ProgressIcons) {
        EXPECT_NE(frame, nullptr);
        frames.insert(frame);
    }
    EXPECT_EQ(frames.size(), 32u) << "every frame is a picture of its own";

    // The main icons come from the group's true-colour image of the system's size.
    for (auto [icon, widthMetric] : {std::pair{MainIcon, SM_CXSMICON}, {LargeMainIcon, SM_CXICON}}) {
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask = {}, colour = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(mask.bmWidth, GetSystemMetrics(widthMetric));
        EXPECT_EQ(colour.bmBitsPixel, 32) << "the image with alpha, not the 16-colour one";
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    }
}

TEST_F(WindowClasses, ThreeClassesWithTheirProceduresIconsAndExtraBytes) {
    const ExpectedClass expected[] = {
        {"OrvexClass", HelperWindowProc, 0, true, false},
        {"OrvexDlgClass", MainWindowProc, DialogExtraBytes, true, true},
        {"DisclosureClass", DisclosureProc, DialogExtraBytes, false, true},
    };
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    for (const auto& e : expected) {
        WNDCLASSEXA found = {};
        found.cbSize = sizeof found;
        ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), e.name, &found)) << e.name << " is registered";
        EXPECT_EQ(found.lpfnWndProc, e.procedure) << e.name;
        EXPECT_EQ(found.style, 0u) << e.name;
        EXPECT_EQ(found.cbClsExtra, 0) << e.name;
        EXPECT_EQ(found.cbWndExtra, e.windowExtra) << e.name;
        EXPECT_EQ(found.hIcon, e.hasMainIcon ? LargeMainIcon : nullptr) << e.name;
        EXPECT_EQ(found.hIconSm, e.hasMainIcon ? MainIcon : nullptr) << e.name;
        EXPECT_EQ(found.hCursor, e.hasArrowAndFace ? arrow : nullptr) << e.name;
        EXPECT_EQ(found.hbrBackground, e.hasArrowAndFace ? GetSysColorBrush(COLOR_BTNFACE) : nullptr) << e.name;
        EXPECT_EQ(found.lpszMenuName, nullptr) << e.name;
    }
}

// Asked for at size 0 x 0, but an overlapped window gets the system's minimum
// size; it is never shown, so its size does not matter.
TEST_F(WindowClasses, HelperWindowIsAHiddenUntitledTopLevelWindow) {
    ASSERT_NE(helper_, nullptr);
    EXPECT_EQ(HelperWindow, helper_);
    EXPECT_FALSE(IsWindowVisible(helper_));
    EXPECT_EQ(GetParent(helper_), nullptr);
    EXPECT_EQ(GetWindowTextLengthA(helper_), 0);
    char className[32] = {};
    GetClassNameA(helper_, className, sizeof className);
    EXPECT_STREQ(className, "OrvexClass");
    EXPECT_EQ(GetWindowThreadProcessId(helper_, nullptr), GetCurrentThreadId());
}

TEST_F(WindowClasses, ASecondCallRegistersNothingAgainAndKeepsTheIcons) {
    HICON main = MainIcon;
    HICON connected = ConnectedIcon;
    HWND helper = RegisterWindowClasses(GetModuleHandleA(nullptr));
    EXPECT_NE(helper, nullptr) << "classes already registered are not an error";
    EXPECT_EQ(MainIcon, main);
    EXPECT_EQ(ConnectedIcon, connected);
    if (helper && helper != helper_) DestroyWindow(helper);
}

}  // namespace
