#include "icons.h"

#include "palette.h"

namespace artgen {
namespace {

// The square leaves a transparent pixel all round, like most icons, so the
// caption's own colour frames it.
constexpr int SquareFirst = 1, SquareLast = 30;
constexpr int BlockSize = 6;
constexpr int LowBlockLeft = 4, LowBlockTop = 22;   // the lower-left block
constexpr int HighBlockLeft = 22, HighBlockTop = 4; // the upper-right block

Canvas DrawSquareWithBlocks(int size) {
    Canvas icon = Canvas::Scaled(IconSize, IconSize, static_cast<double>(size) / IconSize,
                                 IconTransparent);
    icon.Fill(SquareFirst, SquareFirst, SquareLast, SquareLast, Blue);
    icon.Frame(SquareFirst, SquareFirst, SquareLast, SquareLast, Black);
    icon.Fill(LowBlockLeft, LowBlockTop, LowBlockLeft + BlockSize - 1,
              LowBlockTop + BlockSize - 1, White);
    icon.Fill(HighBlockLeft, HighBlockTop, HighBlockLeft + BlockSize - 1,
              HighBlockTop + BlockSize - 1, White);
    return icon;
}

// From the inner corner of one block to the inner corner of the other, as a
// band of one-pixel lines on the icon's own grid, as wide as the scale makes it.
void DrawLink(Canvas& icon, int halfWidth, uint8_t colour) {
    const int x0 = icon.Edge(LowBlockLeft + BlockSize) - 1, y0 = icon.Edge(LowBlockTop);
    const int x1 = icon.Edge(HighBlockLeft), y1 = icon.Edge(HighBlockTop + BlockSize) - 1;
    const int half = icon.Edge(halfWidth);
    for (int offset = -half; offset <= half; ++offset) {
        icon.LinePixels(x0 + offset, y0, x1 + offset, y1, 1, colour);
        icon.LinePixels(x0, y0 + offset, x1, y1 + offset, 1, colour);
    }
}

// The caption shows icons at half size, and shrinking keeps dark pixels over
// bright ones, so a one-pixel white line on blue vanishes there. The thin line
// is therefore a staircase of square cells on the even grid (2 pixels, 4 from
// twice the size on), which halves to a line of whole pixels, running
// diagonally from one block's corner to the other's.
void DrawThinLink(Canvas& icon, uint8_t colour) {
    const int Cell = 2 * icon.Stroke();
    const int lowBlockEnd = icon.Edge(LowBlockLeft + BlockSize);  // first pixel past it
    const int highBlockStart = icon.Edge(HighBlockLeft);
    const int firstCellX = lowBlockEnd / Cell;
    const int lastCellX = (highBlockStart + Cell - 1) / Cell - 1;
    const int cellSum = firstCellX + lastCellX;  // cx + cy along the diagonal
    for (int cx = firstCellX; cx <= lastCellX; ++cx) {
        const int cy = cellSum - cx;
        icon.FillPixels(cx * Cell, cy * Cell, cx * Cell + Cell - 1, cy * Cell + Cell - 1, colour);
    }
}

// A line of the canvas's stroke from the lower block's upper-right pixel to
// the upper block's lower-left one.
void DrawPlainLink(Canvas& icon, uint8_t colour) {
    const Canvas::Box low = icon.Cover(LowBlockLeft, LowBlockTop, LowBlockLeft + BlockSize - 1,
                                       LowBlockTop + BlockSize - 1);
    const Canvas::Box high = icon.Cover(HighBlockLeft, HighBlockTop, HighBlockLeft + BlockSize - 1,
                                        HighBlockTop + BlockSize - 1);
    const int pen = icon.Stroke();
    // A pen grows right and down from the pixel it is placed on.
    icon.LinePixels(low.right - pen + 1, low.top, high.left, high.bottom - pen + 1, pen, colour);
}

} // namespace

int DarkenedColumns(int frame, int size) {
    return (frame + 1) * size / ProgressFrames;
}

Canvas DrawMainIcon(int size) {
    Canvas icon = DrawSquareWithBlocks(size);
    DrawThinLink(icon, White);
    return icon;
}

Canvas DrawTrueColourMainIcon(int size) {
    Canvas icon = DrawSquareWithBlocks(size);
    DrawPlainLink(icon, White);
    return icon;
}

Canvas DrawConnectedIcon(int size) {
    Canvas icon = DrawSquareWithBlocks(size);
    DrawLink(icon, 1, Red);
    return icon;
}

// The wipe moves by the size's share of the 32 frames, so the last frame
// darkens the whole icon at every size.
Canvas DrawProgressFrame(int frame, int size) {
    Canvas icon = DrawConnectedIcon(size);
    const int lastColumn = DarkenedColumns(frame, size) - 1;
    const int bottom = icon.Height() - 1;
    icon.SwapPixels(0, 0, lastColumn, bottom, Blue, DarkBlue);
    icon.SwapPixels(0, 0, lastColumn, bottom, Red, DarkRed);
    icon.SwapPixels(0, 0, lastColumn, bottom, White, LightGrey);
    return icon;
}

} // namespace artgen
