#include "harness/scene.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <filesystem>

#include "harness/wait_until.h"

namespace e2e {

namespace {
using namespace std::chrono_literals;
// A program that was asked to close but does not end is killed after this.
constexpr auto PoliteCloseBound = 20s;
}  // namespace

Scene::Scene(TestBedEnv env, std::string workDir)
    : env_(std::move(env)), workDir_(std::move(workDir)), probe_(env_, workDir_) {
    std::filesystem::create_directories(workDir_);
}

Scene::~Scene() { StopAll(); }

bool Scene::StartDevice(uint32_t baud, std::string* error, const std::string& portName) {
    portName_ = portName;
    baud_ = baud;
    if (!PlugDevice(error)) return false;
    if (!probe_.RegSetString(PortKey, "PortName", portName_)) {
        if (error) *error = "could not set PortName in the registry";
        return false;
    }
    return true;
}

void Scene::UnplugDevice() {
    if (!device_) return;
    device_->SaveTranscript(workDir_ + "/transcript-unplugged-" + std::to_string(++unplugs_) + ".txt");
    device_->Stop();
    device_.reset();
}

bool Scene::PlugDevice(std::string* error) {
    quillsim::Options options;
    options.baud = baud_;
    // Wine's prefix names its ports in lower case: COM12 is dosdevices/com12.
    std::string link = portName_;
    for (char& c : link) c = char(std::tolower(static_cast<unsigned char>(c)));
    options.linkPath = env_.DosDevices() + "/" + link;
    device_ = std::make_unique<quillsim::Simulator>(options);
    return device_->Start(error);
}

std::string Scene::Control(const std::string& line) { return device_ ? device_->Control(line) : "err no device"; }

long Scene::ControlNumber(const std::string& line) {
    std::string reply = Control(line);
    if (reply.rfind("ok ", 0) != 0) return -1;
    return std::strtol(reply.c_str() + 3, nullptr, 10);
}

bool Scene::StartProgram(std::string* error, const std::vector<std::string>& arguments) {
    std::string out = workDir_ + "/glimmerly-" + std::to_string(++programStarts_) + ".out";
    std::vector<std::string> command = {env_.GlimmerlyExe()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return program_.Start(command, out, error);
}

bool Scene::StartSecondCopy(WineProcess& copy, std::string* error) {
    std::string out = workDir_ + "/glimmerly-" + std::to_string(++programStarts_) + ".out";
    return copy.Start({env_.GlimmerlyExe()}, out, error);
}

bool Scene::WaitForProgramWindow(std::chrono::milliseconds bound) {
    return WaitUntil(bound, [&] {
        auto w = probe_.Window(ProgramClass);
        return w && w->Number("visible") == 1;
    });
}

WindowView Scene::View() {
    WindowView view;
    for (const auto& rec : probe_.Controls(ProgramClass)) {
        if (rec.kind == "window") {
            view.found = true;
            view.title = rec.Text("title");
            std::sscanf(rec.Text("rect").c_str(), "%ld,%ld,%ld,%ld", &view.left, &view.top, &view.right,
                        &view.bottom);
            continue;
        }
        if (rec.kind != "control") continue;
        long id = rec.Number("id");
        bool visible = rec.Number("visible") == 1;
        if (id == StatusTextId) view.statusText = rec.Text("text");
        if (id == StatusLineId) view.statusLine = rec.Text("text");
        if (id == ProgressBarId) view.progressVisible = visible;
        if (id >= PictureCableIdleId && id <= PictureWavesLinkedId && visible) view.visiblePictures.insert(int(id));
    }
    return view;
}

std::optional<int> Scene::CloseProgram(std::chrono::milliseconds bound) {
    if (!program_.Running()) return program_.ExitCode();
    probe_.Close(ProgramClass);
    return program_.WaitExit(int(bound.count()));
}

bool Scene::StartNotepad(std::string* error) {
    return notepad_.Start({"notepad"}, workDir_ + "/notepad.out", error);
}

bool Scene::WaitForNotepadFocus(std::chrono::milliseconds bound) {
    // Without a window manager the newest top-level window becomes the
    // foreground window; if something else took it, ask for it once more.
    return WaitUntil(bound, [&] {
        auto fg = probe_.Foreground();
        if (fg && fg->Text("class") == NotepadClass) return true;
        if (probe_.Window(NotepadClass)) probe_.Activate(NotepadClass);
        return false;
    });
}

bool Scene::StartKeyWitness(std::chrono::milliseconds bound, std::string* error) {
    keyWitnessOut_ = workDir_ + "/key-witness.out";
    if (!keyWitness_.Start({env_.ProbeExe(), "key-witness"}, keyWitnessOut_, error)) return false;
    bool foreground = WaitUntil(bound, [&] {
        auto fg = probe_.Foreground();
        if (fg && fg->Text("class") == KeyWitnessClass) return true;
        if (probe_.Window(KeyWitnessClass)) probe_.Activate(KeyWitnessClass);
        return false;
    });
    // Without a window manager nobody hands the X focus to a new window, and
    // keys from xdotool go to the window that has it.
    if (!foreground || std::system("xdotool search --name '^Key witness$' windowfocus --sync >/dev/null 2>&1") != 0) {
        if (error) *error = "the key witness never got the focus";
        return false;
    }
    return true;
}

std::vector<ProbeRecord> Scene::KeyWitnessRecords() {
    std::ifstream in(keyWitnessOut_);
    std::stringstream text;
    text << in.rdbuf();
    return ParseProbeOutput(text.str());
}

bool Scene::PressKey(const std::string& keyName, bool down) {
    if (down) heldKeys_.insert(keyName);
    else heldKeys_.erase(keyName);
    std::string command = std::string("xdotool ") + (down ? "keydown " : "keyup ") + keyName + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

void Scene::StopAll() {
    while (!heldKeys_.empty()) PressKey(*heldKeys_.begin(), false);
    if (program_.Running()) {
        probe_.Close(ProgramClass);
        if (!program_.WaitExit(int(std::chrono::milliseconds(PoliteCloseBound).count()))) program_.Kill();
    }
    // `wine notepad` runs notepad.exe as a child of start.exe, so ending the
    // process we started would leave notepad itself behind.
    if (auto w = probe_.Window(NotepadClass)) probe_.Run({"terminate", "--pid", w->Text("pid")});
    notepad_.Kill();
    if (keyWitness_.Running()) {
        probe_.Close(KeyWitnessClass);
        if (!keyWitness_.WaitExit(int(std::chrono::milliseconds(PoliteCloseBound).count()))) keyWitness_.Kill();
    }
    if (device_) {
        device_->Stop();
        device_.reset();
    }
}

}  // namespace e2e
