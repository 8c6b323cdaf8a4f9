#include "canvas.h"

#include <cmath>
#include <cstdlib>

namespace artgen {

Canvas::Canvas(int width, int height, uint8_t background)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), background) {}

void Canvas::Set(int x, int y, uint8_t colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y * width_ + x)] = colour;
}

void Canvas::Fill(int left, int top, int right, int bottom, uint8_t colour) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) Set(x, y, colour);
}

void Canvas::Frame(int left, int top, int right, int bottom, uint8_t colour) {
    Line(left, top, right, top, colour);
    Line(left, bottom, right, bottom, colour);
    Line(left, top, left, bottom, colour);
    Line(right, top, right, bottom, colour);
}

// Bresenham, so the same line always gives the same pixels.
void Canvas::Line(int x0, int y0, int x1, int y1, uint8_t colour) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Set(x0, y0, colour);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void Canvas::Arc(double cx, double cy, double radius, double directionDegrees,
                 double halfAngleDegrees, uint8_t colour) {
    constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double dx = x - cx, dy = y - cy;
            if (std::fabs(std::sqrt(dx * dx + dy * dy) - radius) > 0.5) continue;
            double off = std::atan2(dy, dx) * degreesPerRadian - directionDegrees;
            while (off > 180.0) off -= 360.0;
            while (off < -180.0) off += 360.0;
            if (std::fabs(off) <= halfAngleDegrees) Set(x, y, colour);
        }
    }
}

void Canvas::Swap(int left, int top, int right, int bottom, uint8_t from, uint8_t to) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (x >= 0 && y >= 0 && x < width_ && y < height_ && At(x, y) == from) Set(x, y, to);
}

} // namespace artgen
