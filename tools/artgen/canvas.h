#pragma once
// A tiny palette-indexed canvas with the few drawing steps the pictures need.
// Coordinates run from the top-left corner, y downwards, as one draws them;
// the file writers turn the rows bottom-up.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace artgen {

class Canvas {
public:
    Canvas(int width, int height, uint8_t background);

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

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

private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};

} // namespace artgen
