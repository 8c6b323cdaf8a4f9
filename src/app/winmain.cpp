#include <windows.h>

#include "app/startup.h"

// The command line is read by start-up itself, from GetCommandLineA, whole.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunGlimmerly(instance);
}
