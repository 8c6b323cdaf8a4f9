#include "harness/testbed_env.h"

#include <cstdlib>
#include <filesystem>

namespace e2e {

namespace {
std::string Var(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
}  // namespace

TestBedEnv TestBedEnv::FromEnvironment() {
    TestBedEnv env;
    env.winePrefix = Var("WINEPREFIX");
    env.display = Var("DISPLAY");
    env.win64Dir = Var("GLIMMERLY_WIN64_DIR");
    env.hostDir = Var("GLIMMERLY_HOST_DIR");
    env.root = Var("GLIMMERLY_ROOT");
    return env;
}

std::string TestBedEnv::Missing() const {
    namespace fs = std::filesystem;
    if (winePrefix.empty()) return "WINEPREFIX is not set";
    if (!fs::is_directory(winePrefix)) return "no Wine prefix at " + winePrefix;
    if (display.empty()) return "DISPLAY is not set";
    if (win64Dir.empty()) return "GLIMMERLY_WIN64_DIR is not set";
    if (!fs::exists(GlimmerlyExe())) return "not built: " + GlimmerlyExe();
    if (!fs::exists(ProbeExe())) return "not built: " + ProbeExe();
    return "";
}

std::string TestBedEnv::GlimmerlyExe() const { return win64Dir + "/src/app/glimmerly.exe"; }
std::string TestBedEnv::ProbeExe() const { return win64Dir + "/tests/e2e/probe/glimmerly_probe.exe"; }
std::string TestBedEnv::DosDevices() const { return winePrefix + "/dosdevices"; }
std::string TestBedEnv::WorkRoot() { return GLIMMERLY_E2E_BUILD_DIR; }

}  // namespace e2e
