#pragma once
#include <windows.h>

// Loads bitmap `bitmapId` of module `resources` afresh, turns every pixel of exact light grey
// 192,192,192 into the current button-face colour and gives the result to the
// picture control. Frees the image the control held before.
void RecolourBitmap(HINSTANCE resources, int bitmapId, HWND pictureControl);

// Recolours all four status pictures of the window (150 first, 147 last).
void RefreshStatusPictures(HINSTANCE resources, HWND window);
