#pragma once
// The caption icons: the main icon, the connected icon and the 32 frames that
// wipe the connected icon from left to right during a transfer.
#include "canvas.h"

namespace artgen {

inline constexpr int IconSize = 32;  // the design size, drawn for 96 DPI
inline constexpr int ProgressFrames = 32;
inline constexpr int IconTransparent = 13;  // marks pixels that the AND mask lets through

// Each icon is drawn `size` pixels square (IconSize and the larger sizes).
Canvas DrawMainIcon(int size = IconSize);
// The main icon for a true-colour image of its own size, which Windows shows
// as it is rather than shrunk: the thin line is a plain line there. Any size
// from 16 pixels up.
Canvas DrawTrueColourMainIcon(int size);
Canvas DrawConnectedIcon(int size = IconSize);
Canvas DrawProgressFrame(int frame, int size = IconSize);  // 0..31

// How many columns, from the left, progress frame `frame` darkens at `size`:
// frame + 1 at the design size, all of them in the last frame.
int DarkenedColumns(int frame, int size);

} // namespace artgen
