// Both window templates create every control, in order, with its identifier,
// class, text, style and place.
#include <gtest/gtest.h>

#include <vector>

#include "ui_support.h"

using namespace ui_test;

namespace {

struct Row {
    int id;
    const char* className;
    const char* text;
    DWORD style;  // as the template holds it, without WS_CHILD and WS_VISIBLE
    bool visible;  // after opening (the controller picks the searching picture)
    int x, y, w, h;
};

// The ids are written as numbers, not with the names the resource file uses,
// so that a wrong number in the shared header cannot agree with itself here.
constexpr int NoId = 0xFFFF;
constexpr int FirstPictureId = 1015, LastPictureId = 1018, FileListId = 102;
constexpr int PictureWidth = 72, PictureHeight = 23;  // -1 in the template's unsigned 16-bit field

const std::vector<Row> FullRows = {
    {107, "Static", nullptr, WS_GROUP | SS_LEFT, true, 66, 136, 112, 8},
    {NoId, "Static", "Quillatron File#:", WS_GROUP | SS_LEFT, true, 111, 85, 61, 8},
    {102, "ComboBox", nullptr, CBS_DROPDOWNLIST, true, 180, 82, 28, 100},
    {103, "Button", "Retrieve From Quillatron", WS_TABSTOP | BS_PUSHBUTTON, true, 112, 108, 96, 14},
    {101, "Button", "Send Text To Quillatron", WS_TABSTOP | BS_PUSHBUTTON, true, 7, 80, 95, 14},
    {NoId, "Static", "Text in Clipboard", WS_GROUP | SS_CENTER, true, 7, 7, 201, 10},
    {105, "Edit", nullptr, WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY, true, 7, 18, 201, 58},
    {1000, "msctls_progress32", nullptr, WS_BORDER, false, 69, 154, 139, 10},
    {1008, "Static", "", WS_GROUP | SS_LEFT, true, 7, 153, 60, 8},
    {1022, "Button", "", BS_GROUPBOX, true, 7, 124, 201, 27},
    {1015, "Static", nullptr, SS_BITMAP, false, 15, 132, 48, 14},
    {1016, "Static", nullptr, SS_BITMAP, false, 15, 132, 48, 14},
    {1017, "Static", nullptr, SS_BITMAP, true, 15, 132, 48, 14},
    {1018, "Static", nullptr, SS_BITMAP, false, 15, 132, 48, 14},
    {1020, "Button", "Append Text To Quillatron", WS_TABSTOP | BS_CHECKBOX, true, 7, 108, 109, 14},
    {1021, "DisclosureClass", "", WS_TABSTOP, true, 7, 98, 7, 7},
    {1023, "Static", "Hide Options", WS_GROUP | SS_LEFT, true, 18, 97, 82, 8},
};

const std::vector<Row> CompactRows = {
    {107, "Static", nullptr, WS_GROUP | SS_LEFT, true, 64, 18, 112, 8},
    {1000, "msctls_progress32", nullptr, WS_BORDER, false, 85, 35, 96, 10},
    {1008, "Static", "", WS_GROUP | SS_LEFT, true, 7, 35, 75, 8},
    {NoId, "Button", "", BS_GROUPBOX, true, 7, 7, 174, 27},
    {1015, "Static", nullptr, SS_BITMAP, false, 13, 15, 48, 14},
    {1016, "Static", nullptr, SS_BITMAP, false, 13, 15, 48, 14},
    {1017, "Static", nullptr, SS_BITMAP, true, 13, 15, 48, 14},
    {1018, "Static", nullptr, SS_BITMAP, false, 13, 15, 48, 14},
};

// Visibility is what the window shows after opening: the controller swaps the
// template's first picture for the searching one. Texts marked nullptr are
// filled in by the controller and not checked here.
void ExpectControls(HWND window, const std::vector<Row>& rows) {
    HWND child = GetWindow(window, GW_CHILD);
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        ASSERT_NE(child, nullptr) << "control " << i + 1 << " is missing";
        SCOPED_TRACE("control " + std::to_string(i + 1) + ", id " + std::to_string(row.id));
        EXPECT_EQ(GetDlgCtrlID(child), row.id);
        EXPECT_STRCASEEQ(ClassOf(child).c_str(), row.className);
        if (row.text) {
            EXPECT_EQ(TextOf(child), row.text);
        }
        EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & WS_CHILD, WS_CHILD);
        EXPECT_EQ(IsWindowVisible(child) != FALSE, row.visible);
        const RECT want = DialogUnits(window, row.x, row.y, row.w, row.h);
        RECT place = {};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, want.left);
        EXPECT_EQ(place.top, want.top);
        if (row.id >= FirstPictureId && row.id <= LastPictureId) {
            // A picture control takes the size of its picture.
            EXPECT_EQ(place.right - place.left, PictureWidth);
            EXPECT_EQ(place.bottom - place.top, PictureHeight);
        } else {
            EXPECT_EQ(place.right, want.right);
            if (row.id != FileListId) {  // a closed list is shorter than its template height
                EXPECT_EQ(place.bottom, want.bottom);
            }
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the template's rows";
}


// The controls' styles as the template resource stores them: some controls
// change their own style once created (an edit or progress bar trades its
// border for an edge it draws itself), so the template is read directly.
std::vector<DWORD> TemplateStyles(int templateId) {
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), RT_DIALOG);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    if (!bytes) return {};
    const auto* head = reinterpret_cast<const DLGTEMPLATE*>(bytes);
    const auto* word = reinterpret_cast<const WORD*>(head + 1);
    auto skipNameOrOrdinal = [](const WORD* w) {
        if (*w == 0xFFFF) return w + 2;
        while (*w++) {
        }
        return w;
    };
    word = skipNameOrOrdinal(word);  // menu
    word = skipNameOrOrdinal(word);  // class
    word = skipNameOrOrdinal(word);  // title
    if (head->style & DS_SETFONT) word = skipNameOrOrdinal(word + 1);  // point size, face
    std::vector<DWORD> styles;
    for (int i = 0; i < head->cdit; ++i) {
        auto at = reinterpret_cast<uintptr_t>(word);
        const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>((at + 3) & ~uintptr_t{3});
        styles.push_back(item->style);
        word = reinterpret_cast<const WORD*>(item + 1);
        word = skipNameOrOrdinal(word);  // class
        word = skipNameOrOrdinal(word);  // text
        word += 1 + *word / sizeof(WORD);  // creation data
    }
    return styles;
}

// The template's own styles; the picture the controller shows later does not
// change them. Only the first picture starts visible.
void ExpectTemplateStyles(int templateId, const std::vector<Row>& rows) {
    const std::vector<DWORD> styles = TemplateStyles(templateId);
    ASSERT_EQ(styles.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const bool picture = row.id >= FirstPictureId && row.id <= LastPictureId;
        const bool startsVisible = picture ? row.id == FirstPictureId : row.visible;
        const DWORD want = WS_CHILD | (startsVisible ? WS_VISIBLE : 0) | row.style;
        EXPECT_EQ(styles[i], want) << std::hex << "control " << std::dec << i + 1;
    }
}

void ExpectMainWindow(HWND window, const char* title, int width, int height) {
    ASSERT_NE(window, nullptr) << "the template should open with the program's classes";
    EXPECT_EQ(TextOf(window), title);
    EXPECT_STREQ(ClassOf(window).c_str(), "OrvexDlgClass");
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u) << "neither resizable nor maximizable";
    RECT client;
    GetClientRect(window, &client);
    const RECT want = DialogUnits(window, 0, 0, width, height);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
}

TEST(WindowTemplates, FullWindowCreatesItsSeventeenControls) {
    HWND window = OpenMainWindow(IDD_FULL_WINDOW, 1);
    ExpectMainWindow(window, "Quillatron Get Utility v3.0", 215, 167);
    ExpectControls(window, FullRows);
    ExpectTemplateStyles(IDD_FULL_WINDOW, FullRows);
    CloseMainWindow(window);
}

TEST(WindowTemplates, CompactWindowCreatesItsEightControls) {
    HWND window = OpenMainWindow(IDD_COMPACT_WINDOW);
    ExpectMainWindow(window, "Glimmerly v3.0", 188, 47);
    ExpectControls(window, CompactRows);
    ExpectTemplateStyles(IDD_COMPACT_WINDOW, CompactRows);
    CloseMainWindow(window);
}

TEST(WindowTemplates, PictureControlsHoldTheirBitmaps) {
    HWND window = OpenMainWindow(IDD_COMPACT_WINDOW);
    for (int id = IDC_PICTURE_CABLE_IDLE; id <= IDC_PICTURE_WAVES_LINKED; ++id) {
        auto image = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(window, id, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP shape = {};
        ASSERT_NE(GetObjectA(image, sizeof shape, &shape), 0) << "picture " << id << " holds a bitmap";
        EXPECT_EQ(shape.bmWidth, 72);
        EXPECT_EQ(shape.bmHeight, 23);
    }
    CloseMainWindow(window);
}

}  // namespace
