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

Canvas DrawSquareWithBlocks() {
    Canvas icon(IconSize, IconSize, IconTransparent);
    icon.Fill(SquareFirst, SquareFirst, SquareLast, SquareLast, Blue);
    icon.Frame(SquareFirst, SquareFirst, SquareLast, SquareLast, Black);
    icon.Fill(LowBlockLeft, LowBlockTop, LowBlockLeft + BlockSize - 1,
              LowBlockTop + BlockSize - 1, White);
    icon.Fill(HighBlockLeft, HighBlockTop, HighBlockLeft + BlockSize - 1,
              HighBlockTop + BlockSize - 1, White);
    return icon;
}

// From the inner corner of one block to the inner corner of the other.
void DrawLink(Canvas& icon, int halfWidth, uint8_t colour) {
    const int x0 = LowBlockLeft + BlockSize - 1, y0 = LowBlockTop;
    const int x1 = HighBlockLeft, y1 = HighBlockTop + BlockSize - 1;
    for (int offset = -halfWidth; offset <= halfWidth; ++offset) {
        icon.Line(x0 + offset, y0, x1 + offset, y1, colour);
        icon.Line(x0, y0 + offset, x1, y1 + offset, colour);
    }
}

// The caption shows icons at half size, and shrinking keeps dark pixels over
// bright ones, so a one-pixel white line on blue vanishes there. The thin line
// is therefore a staircase of 2 x 2 cells on the even grid, which halves to a
// one-pixel line, running diagonally from one block's corner to the other's.
void DrawThinLink(Canvas& icon, uint8_t colour) {
    constexpr int Cell = 2;
    const int firstCellX = (LowBlockLeft + BlockSize) / Cell;
    const int lastCellX = HighBlockLeft / Cell - 1;
    const int cellSum = firstCellX + LowBlockTop / Cell - 1;  // cx + cy along the diagonal
    for (int cx = firstCellX; cx <= lastCellX; ++cx) {
        const int cy = cellSum - cx;
        icon.Fill(cx * Cell, cy * Cell, cx * Cell + Cell - 1, cy * Cell + Cell - 1, colour);
    }
}

} // namespace

Canvas DrawMainIcon() {
    Canvas icon = DrawSquareWithBlocks();
    DrawThinLink(icon, White);
    return icon;
}

Canvas DrawConnectedIcon() {
    Canvas icon = DrawSquareWithBlocks();
    DrawLink(icon, 1, Red);
    return icon;
}

Canvas DrawProgressFrame(int frame) {
    Canvas icon = DrawConnectedIcon();
    const int lastColumn = frame;
    icon.Swap(0, 0, lastColumn, IconSize - 1, Blue, DarkBlue);
    icon.Swap(0, 0, lastColumn, IconSize - 1, Red, DarkRed);
    icon.Swap(0, 0, lastColumn, IconSize - 1, White, LightGrey);
    return icon;
}

} // namespace artgen
