#pragma once
// The colours of the pictures: the sixteen standard colours first (so the
// icons' table and the start of the bitmaps' table agree), then the shades the
// status pictures add.
#include <array>
#include <cstdint>

#include "formats.h"

namespace artgen {

enum Colour : uint8_t {
    Black = 0, DarkRed = 1, DarkGreen = 2, Olive = 3, DarkBlue = 4, Purple = 5, Teal = 6,
    LightGrey = 7, DarkGrey = 8, Red = 9, Green = 10, Yellow = 11, Blue = 12, Magenta = 13,
    Cyan = 14, White = 15,
    // Status picture shades.
    ScreenViolet = 16,  // the computer's pale violet screen
    ScreenShade = 17,   // its darker rim
    DeviceDark = 18,    // the device's dark blue-green shades
    DeviceMid = 19,
    DeviceLight = 20,
    MidGrey = 21,       // the greyed-out device and the computer's body
    PaleGrey = 22,
    ShadowGrey = 23,
};
inline constexpr uint32_t PictureColours = ShadowGrey + 1;  // the entries the pictures use

std::array<Rgb, 16> IconPalette();
std::array<Rgb, 256> BitmapPalette();

} // namespace artgen
