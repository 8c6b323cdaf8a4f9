#include <windows.h>

#include "app/startup.h"

// The command line is not interpreted: the settings only record it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunGlimmerly(instance);
}
