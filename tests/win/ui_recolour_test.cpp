// The status pictures take the button-face colour: exact light grey changes,
// everything else stays, and the images they replace are freed.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "app/startup.h"
#include "ui/recolour.h"
#include "ui_recolour_test_ids.h"
#include "ui_support.h"

using namespace ui_test;

namespace {

struct Pixel {
    uint8_t blue, green, red;
    bool operator==(const Pixel& other) const {
        return blue == other.blue && green == other.green && red == other.red;
    }
};

// The bitmap's pixels as 24-bit rows without padding, top row first.
std::vector<Pixel> PixelsOf(HBITMAP bitmap, int* width = nullptr) {
    BITMAP shape = {};
    GetObjectA(bitmap, sizeof shape, &shape);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int row = (shape.bmWidth * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(static_cast<size_t>(row * shape.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), bytes.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    std::vector<Pixel> pixels;
    for (int y = 0; y < shape.bmHeight; ++y)
        for (int x = 0; x < shape.bmWidth; ++x) {
            const uint8_t* p = &bytes[static_cast<size_t>(y * row + x * 3)];
            pixels.push_back({p[0], p[1], p[2]});
        }
    if (width) *width = shape.bmWidth;
    return pixels;
}

std::vector<Pixel> ResourcePixels(int bitmapId) {
    HBITMAP original = LoadBitmapA(AppInstance, MAKEINTRESOURCEA(bitmapId));
    auto pixels = PixelsOf(original);
    DeleteObject(original);
    return pixels;
}

HBITMAP ImageOf(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

constexpr Pixel LightGrey = {192, 192, 192};
constexpr COLORREF Face = RGB(212, 208, 200);
constexpr Pixel FacePixel = {200, 208, 212};  // stored blue first
constexpr COLORREF OtherFace = RGB(90, 140, 60);
constexpr Pixel OtherFacePixel = {60, 140, 90};

// Sets the face colour for one test and puts the previous one back after it.
class RecolourTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareProgram();
        HDC screen = GetDC(nullptr);
        const int depth = GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
        if (depth != 24 && depth != 32) GTEST_SKIP() << "the display has " << depth << " bits per pixel";
        savedFace_ = GetSysColor(COLOR_BTNFACE);
    }
    void TearDown() override { SetFace(savedFace_); }

    // What the system tells every top-level window after a colour change.
    static void ColoursChanged(HWND window) {
        SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
        PumpMessages();
    }

    static void SetFace(COLORREF colour) {
        const INT element = COLOR_BTNFACE;
        SetSysColors(1, &element, &colour);
        PumpMessages();
    }

    // Every pixel of exactly light grey in the resource shows `face`; every other
    // pixel shows what the resource holds.
    static void ExpectRecoloured(HWND picture, int bitmapId, Pixel face) {
        const auto original = ResourcePixels(bitmapId);
        const auto shown = PixelsOf(ImageOf(picture));
        ASSERT_EQ(shown.size(), original.size());
        size_t grey = 0;
        for (size_t i = 0; i < shown.size(); ++i) {
            const bool wasGrey = original[i] == LightGrey;
            grey += wasGrey;
            const Pixel want = wasGrey ? face : original[i];
            ASSERT_TRUE(shown[i] == want) << "bitmap " << bitmapId << " pixel " << i;
        }
        EXPECT_GT(grey * 2, shown.size()) << "light grey covers more than half of the picture";
    }

private:
    COLORREF savedFace_ = 0;
};

// Nothing is refreshed by hand: the window recolours its pictures as it opens
// (WM_INITDIALOG) and when it hears that the colours changed (WM_SYSCOLORCHANGE).
TEST_F(RecolourTest, AllFourPicturesTakeTheFaceColourAsTheWindowOpens) {
    SetFace(Face);
    HWND window = OpenMainWindow(IDD_COMPACT_WINDOW);
    ExpectRecoloured(GetDlgItem(window, IDC_PICTURE_CABLE_IDLE), IDB_CABLE_IDLE, FacePixel);
    ExpectRecoloured(GetDlgItem(window, IDC_PICTURE_CABLE_LINKED), IDB_CABLE_LINKED, FacePixel);
    ExpectRecoloured(GetDlgItem(window, IDC_PICTURE_WAVES_SEARCHING), IDB_WAVES_SEARCHING, FacePixel);
    ExpectRecoloured(GetDlgItem(window, IDC_PICTURE_WAVES_LINKED), IDB_WAVES_LINKED, FacePixel);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_PICTURE_WAVES_SEARCHING)))
        << "recolouring leaves the chosen picture visible";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_PICTURE_CABLE_IDLE)));
    CloseMainWindow(window);
}

TEST_F(RecolourTest, OnlyExactLightGreyChanges) {
    HWND picture = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP | SS_BITMAP, 0, 0, 10, 10, nullptr,
                                   nullptr, AppInstance, nullptr);
    SetFace(Face);
    RecolourBitmap(AppInstance, IDB_TEST_NEAR_GREY, picture);
    int width = 0;
    const auto shown = PixelsOf(ImageOf(picture), &width);
    ASSERT_EQ(width, 4);
    // Top row: grey, 192,192,193, 193,192,192, red. Bottom row: black, grey, 192,193,192, grey.
    const std::vector<Pixel> want = {FacePixel, {193, 192, 192}, {192, 192, 193}, {0, 0, 255},
                                     {0, 0, 0},  FacePixel,       {192, 193, 192}, FacePixel};
    ASSERT_EQ(shown.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_TRUE(shown[i] == want[i]) << "pixel " << i << " is " << int(shown[i].red) << ","
                                         << int(shown[i].green) << "," << int(shown[i].blue);
    HBITMAP image = ImageOf(picture);
    DestroyWindow(picture);
    DeleteObject(image);
}

TEST_F(RecolourTest, SecondColourChangeLeavesNoTraceOfTheFirstAndFreesItsImages) {
    HWND window = OpenMainWindow(IDD_COMPACT_WINDOW);
    SetFace(OtherFace);
    ColoursChanged(window);
    std::array<HBITMAP, 4> first{};
    for (int i = 0; i < 4; ++i)
        first[static_cast<size_t>(i)] = ImageOf(GetDlgItem(window, IDC_PICTURE_CABLE_IDLE + i));
    SetFace(Face);
    ColoursChanged(window);
    for (int i = 0; i < 4; ++i) {
        HWND picture = GetDlgItem(window, IDC_PICTURE_CABLE_IDLE + i);
        ExpectRecoloured(picture, IDB_CABLE_IDLE + i, FacePixel);
        for (const Pixel& p : PixelsOf(ImageOf(picture)))
            ASSERT_FALSE(p == OtherFacePixel) << "a pixel of the first colour is left in picture " << i;
        EXPECT_EQ(GetObjectType(first[static_cast<size_t>(i)]), 0u)
            << "the image replaced in picture " << i << " has been deleted";
    }
    CloseMainWindow(window);
}

TEST_F(RecolourTest, GreyFaceChangesNothing) {
    HWND window = OpenMainWindow(IDD_COMPACT_WINDOW);
    SetFace(RGB(192, 192, 192));
    ColoursChanged(window);
    HWND picture = GetDlgItem(window, IDC_PICTURE_WAVES_LINKED);
    EXPECT_TRUE(PixelsOf(ImageOf(picture)) == ResourcePixels(IDB_WAVES_LINKED));
    CloseMainWindow(window);
}

// The art drawn for larger displays is in the program's resources at its own
// size, the pictures decode (they are stored run-length encoded) to a drawing
// on light grey, and 192 DPI has only pictures of its own (the main icon's
// sizes are all in its one group).
TEST_F(RecolourTest, ArtForLargerDisplaysLoadsAtItsSize) {
    struct Size {
        int step, pictureWidth, pictureHeight, captionIcon;
    };
    const Size sizes[] = {{1, 90, 29, 20}, {2, 108, 35, 24}, {3, 144, 46, 0}};
    auto iconWidth = [](int id) {
        auto icon = static_cast<HICON>(
            LoadImageA(AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
        if (!icon) return 0;
        ICONINFO info = {};
        GetIconInfo(icon, &info);
        BITMAP mask = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
        DestroyIcon(icon);
        return static_cast<int>(mask.bmWidth);
    };
    for (const Size& size : sizes) {
        const int offset = size.step * ART_ID_STEP;
        for (int id = IDB_CABLE_IDLE; id <= IDB_WAVES_LINKED; ++id) {
            HBITMAP picture = LoadBitmapA(AppInstance, MAKEINTRESOURCEA(id + offset));
            ASSERT_NE(picture, nullptr) << "bitmap " << id + offset;
            int width = 0;
            const auto pixels = PixelsOf(picture, &width);
            DeleteObject(picture);
            EXPECT_EQ(width, size.pictureWidth) << "bitmap " << id + offset;
            EXPECT_EQ(pixels.size(), size_t(size.pictureWidth) * size.pictureHeight);
            size_t grey = 0;
            for (const Pixel& p : pixels) grey += p == LightGrey;
            EXPECT_GT(grey * 2, pixels.size()) << "bitmap " << id + offset;
        }
        EXPECT_EQ(iconWidth(IDI_CONNECTED + offset), size.captionIcon);
        for (int id = IDI_PROGRESS_FIRST; id <= IDI_PROGRESS_LAST; ++id)
            ASSERT_EQ(iconWidth(id + offset), size.captionIcon) << "icon " << id + offset;
    }
}

// A window without the pictures, no control at all, or a bitmap that does not
// load: the control keeps the image it has, and that image stays valid.
TEST_F(RecolourTest, WhatCannotBeRecolouredIsLeftAlone) {
    HWND plain = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 AppInstance, nullptr);
    RefreshStatusPictures(AppInstance, plain);
    RecolourBitmap(AppInstance, IDB_CABLE_IDLE, nullptr);
    EXPECT_EQ(GetWindow(plain, GW_CHILD), nullptr) << "no picture made up for a window without one";
    DestroyWindow(plain);

    HWND picture = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP | SS_BITMAP, 0, 0, 10, 10, nullptr,
                                   nullptr, AppInstance, nullptr);
    HBITMAP loaded = LoadBitmapA(AppInstance, MAKEINTRESOURCEA(IDB_CABLE_IDLE));
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded));
    HBITMAP held = ImageOf(picture);  // the control may hold a copy of its own
    ASSERT_NE(held, nullptr);
    RecolourBitmap(AppInstance, IDB_TEST_NEAR_GREY + 1, picture);  // no such bitmap
    EXPECT_EQ(ImageOf(picture), held);
    EXPECT_EQ(GetObjectType(held), static_cast<DWORD>(OBJ_BITMAP)) << "the image held is not freed";
    DestroyWindow(picture);
    DeleteObject(held);
    if (loaded != held) DeleteObject(loaded);
}

}  // namespace
