#pragma once
// The caption icons: the main icon, the connected icon and the 32 frames that
// wipe the connected icon from left to right during a transfer.
#include "canvas.h"

namespace artgen {

inline constexpr int IconSize = 32;
inline constexpr int ProgressFrames = 32;
inline constexpr int IconTransparent = 13;  // marks pixels that the AND mask lets through

Canvas DrawMainIcon();
Canvas DrawConnectedIcon();
Canvas DrawProgressFrame(int frame);  // 0..31: columns 0..frame darkened

} // namespace artgen
