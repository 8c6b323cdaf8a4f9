#include "ui/recolour.h"

#include "res/resource_ids.h"
#include "ui/art_sizes.h"
#include "ui/recolour_pixels.h"

// The status pictures are drawn on light grey, which has to become whatever
// face colour the user has chosen. Each call starts again from the resource, so
// a second colour change never works on pixels the first one already changed.

namespace {

constexpr WORD TrueColourBits = 24;
constexpr WORD TrueColourWithPadBits = 32;
constexpr int BitsPerByte = 8;

struct PictureAndControl {
    int bitmapId;
    int controlId;
};

// Hidden ones first, the template's visible one last.
constexpr PictureAndControl StatusPictures[] = {
    {IDB_WAVES_LINKED, IDC_PICTURE_WAVES_LINKED},
    {IDB_WAVES_SEARCHING, IDC_PICTURE_WAVES_SEARCHING},
    {IDB_CABLE_LINKED, IDC_PICTURE_CABLE_LINKED},
    {IDB_CABLE_IDLE, IDC_PICTURE_CABLE_IDLE},
};

// Replaces the light grey of `bitmap` in place. False when the pixels could not
// be read, changed and written back (the bitmap may then be unchanged).
bool RecolourBits(HBITMAP bitmap, const BITMAP& shape, HWND pictureControl) {
    const uint32_t width = static_cast<uint32_t>(shape.bmWidth);
    const uint32_t rows = static_cast<uint32_t>(shape.bmHeight);
    const SIZE_T bufferBytes = static_cast<SIZE_T>(DibRowBytes(width, shape.bmBitsPixel)) * rows;
    HGLOBAL buffer = GlobalAlloc(GMEM_FIXED, bufferBytes);
    if (!buffer) return false;
    auto* pixels = static_cast<uint8_t*>(static_cast<void*>(buffer));

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = shape.bmHeight;  // positive: rows run bottom-up
    info.bmiHeader.biPlanes = shape.bmPlanes;
    info.bmiHeader.biBitCount = shape.bmBitsPixel;
    info.bmiHeader.biCompression = BI_RGB;

    const uint32_t bytesPerPixel = shape.bmBitsPixel / BitsPerByte;
    HDC dc = GetDC(pictureControl);
    bool done = GetDIBits(dc, bitmap, 0, rows, pixels, &info, DIB_RGB_COLORS) != 0;
    if (done) {
        // Row by row: the larger pictures' rows end in padding.
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        done = RecolourLightGreyRows(pixels, bufferBytes, width, rows, bytesPerPixel,
                                     GetRValue(face), GetGValue(face), GetBValue(face)) &&
               SetDIBits(dc, bitmap, 0, rows, pixels, &info, DIB_RGB_COLORS) != 0;
    }
    ReleaseDC(pictureControl, dc);
    GlobalFree(buffer);
    return done;
}

// The control hands back the image it held; nothing else owns it, so it goes.
// A control that keeps a copy of its own instead of our bitmap leaves ours
// unused, and that goes too.
void GiveToControl(HWND pictureControl, HBITMAP bitmap) {
    auto previous = reinterpret_cast<HBITMAP>(SendMessageA(
        pictureControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (previous && previous != bitmap) DeleteObject(previous);
    auto shown = reinterpret_cast<HBITMAP>(SendMessageA(pictureControl, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown && shown != bitmap) DeleteObject(bitmap);
}

// The picture drawn for the display's DPI; the 96 DPI one where no size of
// its own was drawn.
HBITMAP LoadPictureForDisplay(HINSTANCE resources, int bitmapId) {
    HBITMAP bitmap =
        LoadBitmapA(resources, MAKEINTRESOURCEA(ArtResourceId(bitmapId, DisplayDpi())));
    return bitmap ? bitmap : LoadBitmapA(resources, MAKEINTRESOURCEA(bitmapId));
}

}  // namespace

void RecolourBitmap(HINSTANCE resources, int bitmapId, HWND pictureControl) {
    if (!pictureControl) return;  // a window without this picture
    HBITMAP bitmap = LoadPictureForDisplay(resources, bitmapId);
    if (!bitmap) return;
    BITMAP shape = {};
    GetObjectA(bitmap, sizeof shape, &shape);
    // Loaded bitmaps take the display's format; only true-colour pixels can be
    // matched against the grey directly.
    const bool trueColour =
        shape.bmBitsPixel == TrueColourBits || shape.bmBitsPixel == TrueColourWithPadBits;
    if (!trueColour || shape.bmWidth <= 0 || shape.bmHeight <= 0 ||
        !RecolourBits(bitmap, shape, pictureControl)) {
        DeleteObject(bitmap);  // the control keeps the image it has
        return;
    }
    GiveToControl(pictureControl, bitmap);
}

void RefreshStatusPictures(HINSTANCE resources, HWND window) {
    for (const PictureAndControl& picture : StatusPictures)
        RecolourBitmap(resources, picture.bitmapId, GetDlgItem(window, picture.controlId));
}
