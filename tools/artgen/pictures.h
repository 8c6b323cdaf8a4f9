#pragma once
// The four status pictures of the main window, 72 x 23 on light grey: the
// computer on the left, the device on the right, and between them either a
// cable or infrared waves.
#include "canvas.h"

namespace artgen {

inline constexpr int PictureWidth = 72;
inline constexpr int PictureHeight = 23;

enum class Joint { Cable, WavesOut, WavesBothWays };

Canvas DrawStatusPicture(Joint joint, bool deviceAnswers);

} // namespace artgen
