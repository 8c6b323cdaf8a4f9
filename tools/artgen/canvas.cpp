#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace artgen {

Canvas::Canvas(int width, int height, uint8_t background)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), background) {}

Canvas Canvas::Scaled(int designWidth, int designHeight, double scale, uint8_t background) {
    Canvas canvas(1, 1, background);
    canvas.scale_ = scale;
    canvas.width_ = canvas.Edge(designWidth);
    canvas.height_ = canvas.Edge(designHeight);
    canvas.pixels_.assign(static_cast<size_t>(canvas.width_ * canvas.height_), background);
    return canvas;
}

int Canvas::Edge(int v) const {
    return static_cast<int>(std::lround(v * scale_));
}

int Canvas::Stroke() const {
    return std::max(1, static_cast<int>(std::floor(scale_)));
}

Canvas::Box Canvas::Cover(int left, int top, int right, int bottom) const {
    if (scale_ >= 1.0) return {Edge(left), Edge(top), Edge(right + 1) - 1, Edge(bottom + 1) - 1};
    const auto low = [this](int v) { return static_cast<int>(std::floor(v * scale_)); };
    const auto high = [this](int v) { return static_cast<int>(std::ceil((v + 1) * scale_)) - 1; };
    return {low(left), low(top), high(right), high(bottom)};
}

void Canvas::SetPixel(int x, int y, uint8_t colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y * width_ + x)] = colour;
}

void Canvas::FillPixels(int left, int top, int right, int bottom, uint8_t colour) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) SetPixel(x, y, colour);
}

void Canvas::Set(int x, int y, uint8_t colour) {
    Fill(x, y, x, y, colour);
}

void Canvas::Fill(int left, int top, int right, int bottom, uint8_t colour) {
    const Box box = Cover(left, top, right, bottom);
    FillPixels(box.left, box.top, box.right, box.bottom, colour);
}

// A stroke of Stroke() pixels along the inside of the design box.
void Canvas::Frame(int left, int top, int right, int bottom, uint8_t colour) {
    const Box box = Cover(left, top, right, bottom);
    const int l = box.left, t = box.top, r = box.right, b = box.bottom;
    const int pen = Stroke();
    FillPixels(l, t, r, t + pen - 1, colour);
    FillPixels(l, b - pen + 1, r, b, colour);
    FillPixels(l, t, l + pen - 1, b, colour);
    FillPixels(r - pen + 1, t, r, b, colour);
}

// A level or upright line runs the whole length of its design pixels, a pen's
// width from their top or left edge; a slanted one joins the design pixels'
// corners on the fine grid.
void Canvas::Line(int x0, int y0, int x1, int y1, uint8_t colour) {
    const int pen = Stroke();
    if (y0 == y1) {
        FillPixels(Edge(std::min(x0, x1)), Edge(y0), Edge(std::max(x0, x1) + 1) - 1,
                   Edge(y0) + pen - 1, colour);
    } else if (x0 == x1) {
        FillPixels(Edge(x0), Edge(std::min(y0, y1)), Edge(x0) + pen - 1,
                   Edge(std::max(y0, y1) + 1) - 1, colour);
    } else {
        LinePixels(Edge(x0), Edge(y0), Edge(x1), Edge(y1), pen, colour);
    }
}

// Bresenham, so the same line always gives the same pixels.
void Canvas::LinePixels(int x0, int y0, int x1, int y1, int pen, uint8_t colour) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        FillPixels(x0, y0, x0 + pen - 1, y0 + pen - 1, colour);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

// Traced on the fine grid: the centre is the middle of its design pixel, the
// radius and the ring's width grow with the scale.
void Canvas::Arc(double cx, double cy, double radius, double directionDegrees,
                 double halfAngleDegrees, uint8_t colour) {
    constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;
    const double fineX = (cx + 0.5) * scale_ - 0.5, fineY = (cy + 0.5) * scale_ - 0.5;
    const double fineRadius = radius * scale_, halfRing = 0.5 * Stroke();
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double dx = x - fineX, dy = y - fineY;
            if (std::fabs(std::sqrt(dx * dx + dy * dy) - fineRadius) > halfRing) continue;
            double off = std::atan2(dy, dx) * degreesPerRadian - directionDegrees;
            while (off > 180.0) off -= 360.0;
            while (off < -180.0) off += 360.0;
            if (std::fabs(off) <= halfAngleDegrees) SetPixel(x, y, colour);
        }
    }
}

void Canvas::Swap(int left, int top, int right, int bottom, uint8_t from, uint8_t to) {
    SwapPixels(Edge(left), Edge(top), Edge(right + 1) - 1, Edge(bottom + 1) - 1, from, to);
}

void Canvas::SwapPixels(int left, int top, int right, int bottom, uint8_t from, uint8_t to) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (x >= 0 && y >= 0 && x < width_ && y < height_ && At(x, y) == from) SetPixel(x, y, to);
}

} // namespace artgen
