#pragma once
// Where the whole-program tests and the demo find their test bed: the Wine
// prefix and X display set up by scripts/lib/testbed.sh, and the build folders.
#include <string>

namespace e2e {

struct TestBedEnv {
    std::string winePrefix;  // WINEPREFIX
    std::string display;     // DISPLAY
    std::string win64Dir;    // GLIMMERLY_WIN64_DIR: glimmerly.exe and the probe
    std::string hostDir;     // GLIMMERLY_HOST_DIR
    std::string root;        // GLIMMERLY_ROOT

    static TestBedEnv FromEnvironment();
    // Empty when everything needed is there; otherwise what is missing.
    std::string Missing() const;

    std::string GlimmerlyExe() const;
    std::string ProbeExe() const;
    // The folder where Wine resolves COMn: a symlink "comN" there is port COMn.
    std::string DosDevices() const;
    // Where runs keep their work files: a folder of the build tree, never the
    // folder a run was started from.
    static std::string WorkRoot();
};

}  // namespace e2e
