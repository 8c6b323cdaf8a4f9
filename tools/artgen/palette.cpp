#include "palette.h"

namespace artgen {

std::array<Rgb, 16> IconPalette() {
    return {{{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
             {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
             {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
             {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}}};
}

std::array<Rgb, 256> BitmapPalette() {
    std::array<Rgb, 256> table{};  // unused entries stay black
    const std::array<Rgb, 16> standard = IconPalette();
    for (size_t i = 0; i < standard.size(); ++i) table[i] = standard[i];
    table[ScreenViolet] = {220, 208, 255};
    table[ScreenShade] = {168, 152, 216};
    table[DeviceDark] = {0, 64, 72};
    table[DeviceMid] = {0, 104, 112};
    table[DeviceLight] = {64, 152, 152};
    table[MidGrey] = {160, 160, 160};
    table[PaleGrey] = {224, 224, 224};
    table[ShadowGrey] = {96, 96, 96};
    return table;
}

} // namespace artgen
