#include "pictures.h"

#include <cmath>

#include "palette.h"

namespace artgen {
namespace {

struct DeviceShades {
    uint8_t outline, body, keys, front, window;
};

// A device that does not answer is drawn in greys, as a disabled button is.
constexpr DeviceShades LiveDevice{Black, DeviceMid, DeviceLight, DeviceDark, DarkRed};
constexpr DeviceShades GreyedDevice{DarkGrey, MidGrey, PaleGrey, DarkGrey, DarkGrey};

// Where the infrared link meets each end.
constexpr int ComputerPortX = 19, ComputerPortY = 8;
constexpr int DevicePortX = 50, DevicePortY = 14;

void DrawComputer(Canvas& c) {
    // Monitor: black case edge, bevelled bezel, pale violet screen.
    c.Fill(1, 0, 18, 13, PaleGrey);
    c.Frame(1, 0, 18, 13, Black);
    c.Line(2, 1, 17, 1, White);
    c.Line(2, 1, 2, 12, White);
    c.Line(3, 12, 17, 12, DarkGrey);
    c.Line(17, 2, 17, 12, DarkGrey);
    c.Fill(4, 3, 15, 10, ScreenViolet);
    c.Line(4, 3, 15, 3, ScreenShade);
    c.Line(4, 3, 4, 10, ScreenShade);
    c.Frame(3, 2, 16, 11, ShadowGrey);
    // Neck.
    c.Fill(7, 14, 12, 15, DarkGrey);
    c.Line(6, 15, 13, 15, Black);
    // System unit under it, with a drive slot and a power light.
    c.Fill(0, 16, 20, 21, MidGrey);
    c.Frame(0, 16, 20, 21, Black);
    c.Line(1, 17, 19, 17, White);
    c.Line(1, 17, 1, 20, White);
    c.Line(2, 20, 19, 20, ShadowGrey);
    c.Line(4, 19, 10, 19, Black);
    c.Set(17, 19, Green);
    c.Set(18, 19, Green);
}

void DrawDevice(Canvas& c, const DeviceShades& s) {
    // A flat keyboard seen from the front: keys on top, a darker front edge.
    c.Fill(50, 9, 71, 20, s.body);
    c.Frame(50, 9, 71, 20, s.outline);
    c.Fill(51, 18, 70, 19, s.front);
    for (int row = 0; row < 3; ++row) {
        const int y = 11 + row * 2;
        const int shift = row % 2;
        for (int x = 53 + shift; x <= 68; x += 3) c.Fill(x, y, x + 1, y, s.keys);
    }
    c.Fill(56, 17, 65, 17, s.keys);  // space bar
    // The infrared window on the side that faces the computer.
    c.Fill(DevicePortX, DevicePortY - 1, DevicePortX, DevicePortY + 1, s.window);
}

void DrawCable(Canvas& c) {
    // From the back of the system unit into the device, sagging a little in the
    // middle: a parabola walked column by column on the canvas's own grid, each
    // step joined to the last, with a shadow a stroke below it.
    constexpr int startX = 21, endX = 47, baseY = 18, sag = 3;
    constexpr int span = endX - startX, spanSquared = span * span;
    const double scale = c.Scale();
    const int pen = c.Stroke();
    const int firstX = c.Edge(startX), lastX = c.Edge(endX);
    int lastY = c.Edge(baseY);
    for (int x = firstX; x <= lastX; ++x) {
        const double t = (x - firstX) / scale;  // design columns from the start
        // Rounded to the nearest design row; whole numbers at scale 1.
        const double rowTimesSpanSquared =
            baseY * spanSquared + 4.0 * sag * t * (span - t) + spanSquared / 2;
        const int y = static_cast<int>(std::floor(rowTimesSpanSquared * scale / spanSquared));
        c.LinePixels(x - 1 < firstX ? x : x - 1, lastY, x, y, pen, Black);
        c.FillPixels(x, y + pen, x + pen - 1, y + 2 * pen - 1, ShadowGrey);
        lastY = y;
    }
    c.Fill(46, 17, 49, 19, Black);  // the plug
}

// The waves spread along the line between the two infrared windows, in arcs
// that fit the picture's height.
constexpr double WaveHalfAngle = 36.0;
constexpr double WaveSpacing = 4.0;
constexpr double WaveTilt = 11.0;  // degrees, the slope from computer down to device

void DrawWavesFromComputer(Canvas& c, int count) {
    for (int i = 1; i <= count; ++i)
        c.Arc(ComputerPortX, ComputerPortY, WaveSpacing * i, WaveTilt, WaveHalfAngle, Red);
}

void DrawWavesFromDevice(Canvas& c, int count) {
    for (int i = 1; i <= count; ++i)
        c.Arc(DevicePortX, DevicePortY, WaveSpacing * i, 180.0 + WaveTilt, WaveHalfAngle, Red);
}

} // namespace

Canvas DrawStatusPicture(Joint joint, bool deviceAnswers, double scale) {
    Canvas c = Canvas::Scaled(PictureWidth, PictureHeight, scale, LightGrey);
    DrawComputer(c);
    DrawDevice(c, deviceAnswers ? LiveDevice : GreyedDevice);
    switch (joint) {
    case Joint::Cable: DrawCable(c); break;
    case Joint::WavesOut: DrawWavesFromComputer(c, 5); break;
    case Joint::WavesBothWays:
        DrawWavesFromComputer(c, 3);
        DrawWavesFromDevice(c, 3);
        break;
    }
    return c;
}

} // namespace artgen
