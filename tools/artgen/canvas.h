#pragma once
// A tiny palette-indexed canvas with the few drawing steps the pictures need.
// Coordinates run from the top-left corner, y downwards, as one draws them;
// the file writers turn the rows bottom-up.
//
// Every picture is designed once, on the grid of its 96 DPI size, and drawn
// afresh at each larger size: the drawing steps take design coordinates, and a
// canvas with a scale above 1 places each shape on its own finer pixel grid
// (a filled box covers exactly the fine pixels of its design pixels, a line is
// a stroke of whole fine pixels, an arc is traced at the fine radius) instead
// of enlarging the finished pixels. At scale 1 every step draws exactly the
// pixels it always has. Below scale 1 (the smallest icons) a design pixel may
// cover no fine pixel at all, so a box covers every fine pixel it touches
// instead, and no shape vanishes. The *Pixels steps work on the fine grid
// directly.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace artgen {

class Canvas {
public:
    Canvas(int width, int height, uint8_t background);
    // A canvas for a design of designWidth x designHeight drawn `scale` times as large.
    static Canvas Scaled(int designWidth, int designHeight, double scale, uint8_t background);

    int Width() const { return width_; }
    int Height() const { return height_; }
    double Scale() const { return scale_; }
    uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

    // The first fine pixel of design pixel v, so design pixel v covers the
    // fine pixels Edge(v) to Edge(v + 1) - 1 (one or more of them).
    int Edge(int v) const;
    // A design line's thickness in fine pixels: never more than the narrowest
    // design pixel, so a stroke stays inside the pixel that it stands for.
    int Stroke() const;

    // The fine pixels, inclusive, that the design box (inclusive) covers.
    struct Box {
        int left, top, right, bottom;
    };
    Box Cover(int left, int top, int right, int bottom) const;

    // Every drawing step clips to the canvas, so shapes may run off its edges.
    void Set(int x, int y, uint8_t colour);
    void Fill(int left, int top, int right, int bottom, uint8_t colour);  // inclusive
    void Frame(int left, int top, int right, int bottom, uint8_t colour); // inclusive
    void Line(int x0, int y0, int x1, int y1, uint8_t colour);            // both ends drawn
    // The part of a one-pixel circle of `radius` around (cx, cy) whose points lie
    // within `halfAngleDegrees` of the direction `directionDegrees` (0 = right).
    void Arc(double cx, double cy, double radius, double directionDegrees,
             double halfAngleDegrees, uint8_t colour);
    // Replaces one colour by another wherever it occurs in the rectangle.
    void Swap(int left, int top, int right, int bottom, uint8_t from, uint8_t to);

    // The same on the fine grid. LinePixels draws with a square pen of `pen` pixels.
    void FillPixels(int left, int top, int right, int bottom, uint8_t colour);
    void LinePixels(int x0, int y0, int x1, int y1, int pen, uint8_t colour);
    void SwapPixels(int left, int top, int right, int bottom, uint8_t from, uint8_t to);

private:
    void SetPixel(int x, int y, uint8_t colour);

    int width_;
    int height_;
    double scale_ = 1.0;
    std::vector<uint8_t> pixels_;
};

} // namespace artgen
