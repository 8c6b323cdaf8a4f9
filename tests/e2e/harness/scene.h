#pragma once
// The stage of a whole-program run: the emulated keyboard on the COM port,
// glimmerly.exe, Wine's notepad and the probe that watches them. Everything a
// Scene starts it also ends, each process by its own pid.
#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "harness/probe_client.h"
#include "harness/testbed_env.h"
#include "harness/wine_process.h"
#include "quillsim/simulator.h"

namespace e2e {

inline constexpr const char* ProgramClass = "OrvexDlgClass";
inline constexpr const char* NotepadClass = "Notepad";
inline constexpr const char* KeyWitnessClass = "GlimmerlyKeyWitness";  // the probe's key-witness window
inline constexpr const char* PortName = "COM7";
inline constexpr const char* PortLink = "com7";  // Wine's name for COM7 in dosdevices
inline constexpr const char* PortKey = "HKLM\\Enum\\Infrared\\COM\\ROOT&INFRARED&0000";
inline constexpr const char* MachineKey = "HKLM\\Software\\ORVEX\\GetUtil\\v3.0";
inline constexpr const char* UserKey = "HKCU\\Software\\ORVEX\\GetUtil\\v3.0";

// Control ids of the compact window.
inline constexpr int StatusTextId = 107;
inline constexpr int ProgressBarId = 1000;
inline constexpr int StatusLineId = 1008;
inline constexpr int PictureCableIdleId = 1015;
inline constexpr int PictureWavesSearchingId = 1017;
inline constexpr int PictureWavesLinkedId = 1018;

// What the compact window shows, read from outside.
struct WindowView {
    bool found = false;
    std::string title;
    std::string statusText;
    std::string statusLine;
    bool progressVisible = false;
    std::set<int> visiblePictures;  // among 1015..1018
    long left = 0, top = 0, right = 0, bottom = 0;
};

class Scene {
public:
    Scene(TestBedEnv env, std::string workDir);
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The keyboard on a pty that Wine sees as COM7 (or portName), and that
    // port's name in the registry.
    bool StartDevice(uint32_t baud, std::string* error, const std::string& portName = PortName);
    // Pulls the adapter out: the keyboard's pty closes and its link goes, so an
    // open handle fails and the port cannot be opened. Its transcript is saved.
    void UnplugDevice();
    // Plugs it back in: a fresh keyboard on a new pty at the same link.
    bool PlugDevice(std::string* error);
    quillsim::Simulator& Device() { return *device_; }
    bool HasDevice() const { return device_ != nullptr; }
    // One control line to the keyboard; the reply ("ok ..." / "err ...").
    std::string Control(const std::string& line);
    bool ControlOk(const std::string& line) { return Control(line).rfind("ok", 0) == 0; }
    // A number from an "ok N" reply, -1 otherwise.
    long ControlNumber(const std::string& line);

    bool StartProgram(std::string* error, const std::vector<std::string>& arguments = {});
    WineProcess& Program() { return program_; }
    // A further copy of the program, for the single-instance check.
    bool StartSecondCopy(WineProcess& copy, std::string* error);
    bool WaitForProgramWindow(std::chrono::milliseconds bound);
    WindowView View();
    // Posts WM_CLOSE and waits for the exit code.
    std::optional<int> CloseProgram(std::chrono::milliseconds bound);

    bool StartNotepad(std::string* error);
    // Waits for notepad's window and makes sure it is the foreground window.
    bool WaitForNotepadFocus(std::chrono::milliseconds bound);
    std::optional<std::string> NotepadText() { return probe_.EditText(NotepadClass); }

    // The probe's key witness, which records the key messages it receives with
    // the modifier state at each; it becomes the foreground window and has the
    // X keyboard focus, so that keys held with xdotool reach it.
    bool StartKeyWitness(std::chrono::milliseconds bound, std::string* error);
    std::vector<ProbeRecord> KeyWitnessRecords();
    // xdotool keydown/keyup of an X key name (Shift_L, Alt_L) on the test display.
    bool PressKey(const std::string& keyName, bool down);

    ProbeClient& Probe() { return probe_; }
    const std::string& WorkDir() const { return workDir_; }
    const TestBedEnv& Env() const { return env_; }

    // Ends the program (politely first), notepad and the keyboard.
    void StopAll();

private:
    TestBedEnv env_;
    std::string workDir_;
    ProbeClient probe_;
    std::unique_ptr<quillsim::Simulator> device_;
    WineProcess program_;
    WineProcess notepad_;
    WineProcess keyWitness_;
    std::string keyWitnessOut_;
    std::set<std::string> heldKeys_;  // let go by StopAll, so a failed test leaves no key down
    std::string portName_ = PortName;
    uint32_t baud_ = 0;
    int programStarts_ = 0;
    int unplugs_ = 0;
};

}  // namespace e2e
