#pragma once
// The four status pictures of the main window, 72 x 23 at 96 DPI, on light grey: the
// computer on the left, the device on the right, and between them either a
// cable or infrared waves.
#include "canvas.h"

namespace artgen {

inline constexpr int PictureWidth = 72;
inline constexpr int PictureHeight = 23;

enum class Joint { Cable, WavesOut, WavesBothWays };

// Drawn at 72 x 23 for 96 DPI, and afresh `scale` times as large for more.
Canvas DrawStatusPicture(Joint joint, bool deviceAnswers, double scale = 1.0);

} // namespace artgen
