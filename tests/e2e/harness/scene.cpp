#include "harness/scene.h"

#include <cstdlib>
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

bool Scene::StartDevice(uint32_t baud, std::string* error) {
    quillsim::Options options;
    options.baud = baud;
    options.linkPath = env_.DosDevices() + "/" + PortLink;
    device_ = std::make_unique<quillsim::Simulator>(options);
    if (!device_->Start(error)) return false;
    if (!probe_.RegSetString(PortKey, "PortName", PortName)) {
        if (error) *error = "could not set PortName in the registry";
        return false;
    }
    return true;
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

void Scene::StopAll() {
    if (program_.Running()) {
        probe_.Close(ProgramClass);
        if (!program_.WaitExit(int(std::chrono::milliseconds(PoliteCloseBound).count()))) program_.Kill();
    }
    // `wine notepad` runs notepad.exe as a child of start.exe, so ending the
    // process we started would leave notepad itself behind.
    if (auto w = probe_.Window(NotepadClass)) probe_.Run({"terminate", "--pid", w->Text("pid")});
    notepad_.Kill();
    if (device_) {
        device_->Stop();
        device_.reset();
    }
}

}  // namespace e2e
