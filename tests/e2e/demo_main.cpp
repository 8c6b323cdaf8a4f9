// glimmerly_demo: the main job on its default, for scripts/demo. The emulated
// keyboard holds a few paragraphs in its current file; Wine's notepad has the
// focus; glimmerly.exe finds the keyboard, retrieves the file and pastes it.
// Prints what landed, whether it is the keyboard's text, a summary of the
// wire, and saves a screenshot of the two windows.
//
// Usage: glimmerly_demo [--watch] [--out DIR]
// Exit code: 0 the text landed, 1 it did not, 2 the stage could not be set.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include <unistd.h>

#include "harness/cp1252.h"
#include "harness/device_charset.h"
#include "harness/scene.h"
#include "harness/wait_until.h"
#include "harness/wire_summary.h"
#include "quillsim/hex.h"

namespace {

using namespace std::chrono_literals;

constexpr int ExitLanded = 0;
constexpr int ExitNotLanded = 1;
constexpr int ExitNoStage = 2;

constexpr auto StartBound = 60s;
constexpr auto LandBound = 60s;
constexpr auto SettleBound = 30s;
// Polls to see after the end-of-transfer command, so the summary shows them
// and the window is back in its connected look for the picture.
constexpr size_t PollsToShow = 2;

// Where notepad goes: across the top of the screen, above the compact window
// that the program centres, so the picture shows both.
constexpr int ScreenMargin = 8;
constexpr int NotepadMinHeight = 200;
constexpr int ScreenWidth = 1024;
constexpr const char* WineX11Key = "HKCU\\Software\\Wine\\X11 Driver";

// A few paragraphs that use the keyboard's accented letters and signs.
const char* const SampleText =
    "Glimmerly demo: this text was typed on the Quillatron.\n"
    "\n"
    "Caf\u00E9 cr\u00E8me, cr\u00EApes and cr\u00E8me br\u00FBl\u00E9e; the na\u00EFve gar\u00E7on said voil\u00E0.\n"
    "\n"
    "Gr\u00FC\u00DFe aus K\u00F6ln: \u00C4rger, \u00D6l und \u00DCbung. Se\u00F1or Pe\u00F1a pays \u00A312,50"
    " or \u00A51200, \u00BD price, 25\u00B0C.\n"
    "\n"
    "\u00C6sir, \u00D8resund, \u00C5lesund, \u0152uvre. \u00BFQu\u00E9 tal? \u00A1Ol\u00E9! \u00A9 \u00AE \u2122 \u00A7 \u00B6\n"
    "Last line.\n";

volatile std::sig_atomic_t Interrupted = 0;
void OnSignal(int) { Interrupted = 1; }

struct Options {
    bool watch = false;
    std::string outDir;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--watch") == 0) o.watch = true;
        else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) o.outDir = argv[++i];
        else return false;
    }
    return true;
}

std::string WithoutCr(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out += c;
    return out;
}

void PrintIndented(const std::string& text) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos && line.empty()) break;
        std::printf("    | %s\n", line.c_str());
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

size_t PollsAfterDone(e2e::Scene& scene) {
    auto wire = e2e::Exchanges(scene.Device().Transcript());
    auto done = e2e::CommandTimes(wire, e2e::CmdDone);
    if (done.empty()) return 0;
    size_t n = 0;
    for (auto t : e2e::CommandTimes(wire, e2e::CmdQueryFile)) n += t > done.front();
    return n;
}

// Notepad across the top, ending above the program's window.
void PlaceNotepad(e2e::Scene& scene, const e2e::WindowView& program) {
    int height = std::max<int>(NotepadMinHeight, int(program.top) - 2 * ScreenMargin);
    scene.Probe().Move(e2e::NotepadClass, ScreenMargin, ScreenMargin, ScreenWidth - 2 * ScreenMargin, height);
}

bool SaveScreenshot(e2e::Scene& scene, const std::string& path) {
    auto program = scene.View();
    auto notepad = scene.Probe().Window(e2e::NotepadClass);
    long l = program.left, t = program.top, r = program.right, b = program.bottom;
    if (notepad) {
        long nl, nt, nr, nb;
        if (std::sscanf(notepad->Text("rect").c_str(), "%ld,%ld,%ld,%ld", &nl, &nt, &nr, &nb) == 4) {
            l = std::min(l, nl), t = std::min(t, nt), r = std::max(r, nr), b = std::max(b, nb);
        }
    }
    l = std::max(0L, l - ScreenMargin), t = std::max(0L, t - ScreenMargin);
    r += ScreenMargin, b += ScreenMargin;
    char crop[96];
    std::snprintf(crop, sizeof crop, "%ldx%ld+%ld+%ld", r - l, b - t, l, t);
    std::string command = "import -window root -crop " + std::string(crop) + " +repage '" + path + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(path);
}

int RunDemo(const Options& options) {
    auto env = e2e::TestBedEnv::FromEnvironment();
    if (std::string missing = env.Missing(); !missing.empty()) {
        std::fprintf(stderr, "demo: no test bed: %s\n", missing.c_str());
        return ExitNoStage;
    }
    std::string outDir = options.outDir.empty() ? e2e::TestBedEnv::WorkRoot() + "/demo" : options.outDir;
    e2e::Scene scene(env, outDir + "/work");
    std::string error;

    const std::string sample = SampleText;
    auto deviceText = e2e::EncodeForDevice(sample);
    if (!deviceText) {
        std::fprintf(stderr, "demo: the sample holds a character the keyboard has no code for\n");
        return ExitNoStage;
    }
    std::printf("== the keyboard: %zu characters in file 1, on %s\n", deviceText->size(), e2e::PortName);
    if (!scene.StartDevice(quillsim::DefaultBaud, &error) ||
        !scene.ControlOk("file 1 " + quillsim::ToHex(*deviceText)) || !scene.ControlOk("current 1") ||
        !scene.ControlOk("present 0")) {
        std::fprintf(stderr, "demo: the emulated keyboard did not start: %s\n", error.c_str());
        return ExitNoStage;
    }

    // Without a window manager nothing draws the title bars; Wine draws them
    // itself for windows it does not hand to one, so the picture shows titles.
    scene.Probe().RegSetString(WineX11Key, "Managed", "N");

    std::printf("== starting glimmerly.exe, then notepad (the newest window gets the focus)\n");
    if (!scene.StartProgram(&error) || !scene.WaitForProgramWindow(StartBound)) {
        std::fprintf(stderr, "demo: glimmerly.exe did not show its window %s\n", error.c_str());
        return ExitNoStage;
    }
    if (!scene.StartNotepad(&error) || !scene.WaitForNotepadFocus(StartBound)) {
        std::fprintf(stderr, "demo: notepad did not come up with the focus %s\n", error.c_str());
        return ExitNoStage;
    }
    PlaceNotepad(scene, scene.View());
    scene.WaitForNotepadFocus(StartBound);

    std::printf("== the keyboard comes into range; waiting for the text to land in notepad\n");
    scene.ControlOk("clear-transcript");
    scene.ControlOk("present 1");
    const std::string expected = e2e::PcTextOf(sample);
    std::string landed;
    bool equal = e2e::WaitUntil(LandBound, [&] {
        landed = e2e::Cp1252ToUtf8(scene.NotepadText().value_or(""));
        return landed == expected;
    });
    e2e::WaitUntil(SettleBound, [&] { return PollsAfterDone(scene) >= PollsToShow; });
    landed = e2e::Cp1252ToUtf8(scene.NotepadText().value_or(""));
    equal = landed == expected;

    std::printf("\n== what landed in notepad (%zu bytes, shown as UTF-8):\n", landed.size());
    PrintIndented(WithoutCr(landed));
    auto clip = scene.Probe().Clipboard();
    bool clipEqual = clip.hasText && e2e::Cp1252ToUtf8(clip.text) == expected;
    std::printf("\n== equal to the keyboard's text after conversion (CR LF line ends, code page 1252): %s\n",
                equal ? "yes" : "NO");
    std::printf("== the clipboard holds the same text: %s\n", clipEqual ? "yes" : "no");

    std::printf("\n== the wire, from the keyboard's transcript (seconds since it came into range):\n");
    for (const auto& line : e2e::SummarizeWire(e2e::Exchanges(scene.Device().Transcript())))
        std::printf("  %s\n", line.c_str());
    scene.Device().SaveTranscript(outDir + "/transcript.txt");
    std::printf("  full transcript: %s/transcript.txt\n", outDir.c_str());

    auto view = scene.View();
    std::printf("\n== the window: title \"%s\", status \"%s\"\n", view.title.c_str(), view.statusText.c_str());
    std::string shot = outDir + "/glimmerly-demo.png";
    if (SaveScreenshot(scene, shot)) std::printf("== screenshot: %s\n", shot.c_str());
    else std::printf("== screenshot could not be taken (ImageMagick's import)\n");

    if (options.watch) {
        std::printf("\n== leaving the windows up; press Ctrl+C to end\n");
        std::fflush(stdout);
        while (!Interrupted) std::this_thread::sleep_for(200ms);
    }
    std::printf("== ending glimmerly.exe, notepad and the keyboard\n");
    scene.StopAll();
    if (!equal) {
        std::fprintf(stderr, "demo: the text did not land in notepad as the keyboard holds it\n");
        return ExitNotLanded;
    }
    return ExitLanded;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: glimmerly_demo [--watch] [--out DIR]\n");
        return ExitNoStage;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    return RunDemo(options);
}
