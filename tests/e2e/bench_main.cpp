// glimmerly_bench: the whole program's figures, for scripts/bench. With the
// emulated keyboard paced at 9600 baud, Wine's notepad holding the focus and
// glimmerly.exe running, it measures
//   - end to end: from the keyboard's first identity reply to the text being
//     complete in notepad, beside the least time the protocol allows;
//   - the program at rest: CPU time and peak memory while searching and while
//     connected;
//   - staying power: arrivals and departures of the keyboard, each with a
//     retrieve that must land, and what the process holds before and after;
//   - a replugged adapter: the keyboard's port pulled out while the program
//     searches and plugged back in, and how soon it is found again;
// and adds the link transfer table that bench_link printed and the executables'
// sizes and imports, printing one Markdown report and writing it with a JSON
// copy of the figures.
//
// Exit code: 0 every text landed intact, 1 something did not, 2 no stage.
#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include "harness/device_charset.h"
#include "harness/probe_client.h"
#include "harness/process_footprint.h"
#include "harness/process_usage.h"
#include "harness/scene.h"
#include "harness/wait_until.h"
#include "quillsim/hex.h"

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

constexpr int ExitAllLanded = 0;
constexpr int ExitSomethingFailed = 1;
constexpr int ExitNoStage = 2;

// Line figures of the protocol at 9600 baud, 10 bits a byte.
constexpr double Baud = 9600.0;
constexpr double BitsPerByte = 10.0;
constexpr double ByteSeconds = BitsPerByte / Baud;
constexpr double IntervalSeconds = 0.003;  // a read that asks for more ends this long after the last byte
constexpr double DrainSeconds = 0.550;     // the drain's empty read of 10 bytes: 500 + 5 x 10 ms
constexpr int FrameBytes = 2;
constexpr int IdentityBytes = 18;          // "Quillatron IR v1.0"
constexpr int LengthReplyBytes = 3;
constexpr int FileReplyBytes = 2;
constexpr int ReadTextReplyBytes = 1;
constexpr int BlockBytes = 50;
constexpr int RequestBytes = 1;

constexpr uint8_t Prefix = 0xBC;
constexpr uint8_t CmdHello = 0xBD;
constexpr uint8_t CmdQueryFile = 0x88;
constexpr uint8_t CmdDone = 0x92;
constexpr uint8_t IdentityFirstByte = 'Q';

// Generous bounds: the program polls every 3 s and notices a lost keyboard only
// after five empty reads; Wine is slow on a loaded machine.
constexpr auto StartBound = 60s;
constexpr auto SearchBound = 40s;
constexpr auto WatcherReadyBound = 60s;
constexpr auto DoneBound = 30s;
constexpr auto AfterDonePause = 3000ms;  // the program's own 2 s pause after the end-of-transfer command
constexpr auto FrameSettle = 50ms;
constexpr int LandBoundMs = 60'000;
constexpr int PerKilobyteBoundMs = 2'000;  // a 32 KB retrieve takes about 35 s at 9600 baud
constexpr auto WatcherPoll = 5ms;

constexpr uint32_t DefaultSizes[] = {1024, 32414};
constexpr int DefaultRestSeconds = 60;
constexpr int DefaultSoakCycles = 100;
constexpr int DefaultEndToEndRuns = 3;
constexpr int DefaultReplugs = 3;
// The adapter stays out this long: two ticks meet the dead handle and the
// missing port before it comes back.
constexpr auto UnpluggedFor = 7s;
constexpr double TickSeconds = 3.0;
constexpr int DefaultWatchPollMs = 1;
constexpr int LineLength = 200;  // characters a line in the sample texts
constexpr double TargetLinkRatio = 1.03;
constexpr double TargetRestPercent = 1.0;
// The stripped window program, the full icon set included.
constexpr long TargetExe64Bytes = 450 * 1024;
constexpr long TargetExe32Bytes = 500 * 1024;
constexpr double PercentOf = 100.0;
constexpr double UsPerSecond = 1e6;
constexpr double BytesPerKb = 1024.0;

struct Options {
    std::string outDir;
    std::string linkOutput;  // bench_link's output, whose table rows are carried over
    std::string exe64, exe32;
    std::vector<uint32_t> sizes{std::begin(DefaultSizes), std::end(DefaultSizes)};
    int restSeconds = DefaultRestSeconds;
    int soakCycles = DefaultSoakCycles;
    int endToEndRuns = DefaultEndToEndRuns;
    int watchPollMs = DefaultWatchPollMs;
    int replugs = DefaultReplugs;
};

// ---- small text helpers -----------------------------------------------------

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Format(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

// ASCII sample text of exactly `count` bytes on the keyboard, lines of
// LineLength characters (each line end is one byte there, CR LF on the PC).
std::string SampleText(uint32_t count, const std::string& head) {
    std::string s;
    for (uint32_t i = 0; i < count; ++i) {
        if (i < head.size()) s += head[i];
        else if (i % LineLength == LineLength - 1) s += '\n';
        else s += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    }
    return s;
}

// ---- the protocol's minimum from the first identity byte to the last block --

double ExchangeSeconds(int replyBytes) { return (FrameBytes + replyBytes) * ByteSeconds + IntervalSeconds; }

double BlocksSeconds(uint32_t length) {
    uint32_t full = length / BlockBytes, rest = length % BlockBytes;
    double s = full * (RequestBytes + BlockBytes) * ByteSeconds;
    if (rest != 0) s += (RequestBytes + rest) * ByteSeconds + IntervalSeconds;
    return s;
}

// The clock starts as the identity's first byte arrives: the rest of it and
// the hello read's silence, the length and file queries of the detection, the
// drain before the retrieve, the length query and read command, the blocks.
double EndToEndMinimum(uint32_t length) {
    return (IdentityBytes - 1) * ByteSeconds + IntervalSeconds + ExchangeSeconds(LengthReplyBytes) +
           ExchangeSeconds(FileReplyBytes) + DrainSeconds + ExchangeSeconds(LengthReplyBytes) +
           ExchangeSeconds(ReadTextReplyBytes) + BlocksSeconds(length);
}

const char* MinimumFormula() {
    return "minimum = 17 T + 3 ms (rest of the identity, hello read ends on silence) "
           "+ 2 x [(2 + 3) T + 3 ms] (length query at detection and before the read) "
           "+ (2 + 2) T + 3 ms (file query) + 550 ms (drain: one empty read of 10 bytes) "
           "+ (2 + 1) T + 3 ms (read command) + floor(L/50) x 51 T + [(1 + L mod 50) T + 3 ms if L mod 50 > 0] "
           "(blocks); T = 10/9600 s, L = file length; converting and pasting count as 0";
}

// ---- the stage --------------------------------------------------------------

// Maps the keyboard's transcript times (µs since its last clear) to the wall
// clock that the probe reports, through clocks read around the clear.
struct TranscriptClock {
    long long wallOriginUs = 0;
    long long WallUs(int64_t transcriptUs) const { return wallOriginUs + transcriptUs; }
};

long long WallNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

TranscriptClock ClearTranscript(e2e::Scene& scene) {
    auto before = Steady::now();
    long long wall = WallNowUs();
    scene.ControlOk("clear-transcript");
    auto after = Steady::now();
    // The keyboard took its new origin somewhere between the two readings.
    auto half = std::chrono::duration_cast<std::chrono::microseconds>(after - before).count() / 2;
    return {wall + half};
}

bool HasPcFrame(const std::vector<quillsim::TranscriptRun>& runs, uint8_t command, size_t* count = nullptr) {
    size_t n = 0;
    for (const auto& r : runs) {
        if (!r.fromPc) continue;
        for (size_t i = 0; i + 1 < r.bytes.size(); ++i) n += r.bytes[i] == Prefix && r.bytes[i + 1] == command;
    }
    if (count) *count = n;
    return n > 0;
}

size_t CountPcFrames(e2e::Scene& scene, uint8_t command) {
    size_t n = 0;
    HasPcFrame(scene.Device().Transcript(), command, &n);
    return n;
}

// The keyboard leaves; true once the program says hello again, that is, it
// noticed the loss and is searching.
bool MakeSearching(e2e::Scene& scene) {
    scene.ControlOk("present 0");
    ClearTranscript(scene);
    return e2e::WaitUntil(std::chrono::duration_cast<std::chrono::milliseconds>(SearchBound),
                          [&] { return CountPcFrames(scene, CmdHello) > 0; });
}

// The keyboard leaves until the program's next poll has gone unanswered (or
// it is searching already). The poll's frame was dropped, so the exchange
// fails and the port is closed even if the keyboard is back before its reads
// end; the next hello finds it again. This keeps a departure to one poll.
bool Depart(e2e::Scene& scene) {
    scene.ControlOk("present 0");
    ClearTranscript(scene);
    bool seen = e2e::WaitUntil(std::chrono::duration_cast<std::chrono::milliseconds>(SearchBound), [&] {
        return CountPcFrames(scene, CmdQueryFile) > 0 || CountPcFrames(scene, CmdHello) > 0;
    });
    // The keyboard takes a frame as received a few byte times after it arrived.
    std::this_thread::sleep_for(FrameSettle);
    return seen;
}

// The end-of-transfer command was answered (and, with a pause, the program's
// own pause after it is over too).
bool WaitForDone(e2e::Scene& scene, std::chrono::milliseconds pause = 0ms) {
    bool done = e2e::WaitUntil(std::chrono::duration_cast<std::chrono::milliseconds>(DoneBound),
                               [&] { return scene.ControlNumber("count 92") >= 1; });
    std::this_thread::sleep_for(pause);
    return done;
}

struct Landing {
    bool watched = false;  // the watcher ran and reported
    bool intact = false;   // notepad holds exactly the expected text
    long long seenUs = 0, lastShortUs = 0;
    long polls = 0;
    size_t bytes = 0;
    double startToEnd = 0, precision = 0;
    double lastBlockToEnd = 0;  // the paste's share: from the last block's last byte to the text in notepad
    std::string failure;        // what went wrong, for a person reading a failed cycle
};

// Starts the probe watching notepad (emptied first), lets the keyboard leave
// and come back into range, and waits until the whole text is there.
Landing RetrieveIntoNotepad(e2e::Scene& scene, const std::string& expectedPc, const std::string& outFile,
                            int pollMs = DefaultWatchPollMs) {
    Landing l;
    e2e::WineProcess watcher;
    std::string error;
    int boundMs = LandBoundMs + PerKilobyteBoundMs * int(expectedPc.size() / 1024);
    if (!watcher.Start({scene.Env().ProbeExe(), "watch-edit", "--class", e2e::NotepadClass, "--bytes",
                        std::to_string(expectedPc.size()), "--clear", "--poll-ms", std::to_string(pollMs), "--timeout",
                        std::to_string(boundMs)},
                       outFile, &error)) {
        l.failure = "the watching probe did not start: " + error;
        return l;
    }
    bool ready = e2e::WaitUntil(std::chrono::duration_cast<std::chrono::milliseconds>(WatcherReadyBound), [&] {
        return ReadWhole(outFile).find("watching ") != std::string::npos || !watcher.Running();
    });
    if (!ready || !watcher.Running()) {
        l.failure = "the watching probe never reported ready";
        return l;
    }
    if (!Depart(scene)) {
        l.failure = "no poll of the program was seen while the keyboard was away";
        return l;
    }
    TranscriptClock clock = ClearTranscript(scene);
    scene.ControlOk("present 1");
    while (watcher.Running()) std::this_thread::sleep_for(WatcherPoll);
    for (const auto& rec : e2e::ParseProbeOutput(ReadWhole(outFile))) {
        if (rec.kind != "watch-edit" && rec.kind != "watch-timeout") continue;
        l.watched = true;
        l.intact = rec.Number("complete") == 1 && rec.Text("text") == expectedPc;
        l.seenUs = std::atoll(rec.Text("seen_us").c_str());
        l.lastShortUs = std::atoll(rec.Text("last_short_us").c_str());
        l.polls = rec.Number("polls");
        l.bytes = size_t(rec.Number("bytes"));
        if (!l.intact)
            l.failure = rec.Number("complete") == 1 ? "notepad holds other text than the keyboard's"
                                                    : "the text was not complete in notepad in time (" +
                                                          std::to_string(l.bytes) + " bytes there)";
    }
    if (!l.watched) l.failure = "the watching probe reported nothing";
    auto runs = scene.Device().Transcript();
    for (const auto& run : runs) {
        if (run.fromPc || run.bytes.empty() || run.bytes[0] != IdentityFirstByte) continue;
        l.startToEnd = double(l.seenUs - clock.WallUs(run.startUs)) / UsPerSecond;
        l.precision = double(l.seenUs - l.lastShortUs) / UsPerSecond;
        break;
    }
    // The file's last block is the keyboard's last run before the PC's end-of-transfer command.
    int64_t doneUs = INT64_MAX, lastBlockUs = 0;
    for (const auto& run : runs)
        if (run.fromPc && run.bytes.size() >= FrameBytes && run.bytes[0] == Prefix && run.bytes[1] == CmdDone)
            doneUs = std::min(doneUs, run.startUs);
    for (const auto& run : runs)
        if (!run.fromPc && run.startUs < doneUs) lastBlockUs = run.lastUs;
    int64_t lastDeviceUs = lastBlockUs;
    l.lastBlockToEnd = double(l.seenUs - clock.WallUs(lastDeviceUs)) / UsPerSecond;
    return l;
}

// ---- figures ----------------------------------------------------------------

struct LinkRow { std::string cells; };

struct EndToEndRow {
    uint32_t bytes = 0;
    int run = 0;
    Landing landing;
    double minimum = 0;
};

struct RestRow {
    std::string state;
    double seconds = 0, cpu = 0;
    size_t polls = 0;
};

struct ExeRow {
    std::string bits;
    long limitBytes = 0;
    long bytes = -1;
    std::vector<std::string> dlls;
};

struct Footprint {
    long handles = -1, gdi = -1, user = -1;  // as Windows reports them to the probe
    e2e::ProcessFootprint proc;
    long peakKb = -1;
};

struct Soak {
    int cycles = 0, landed = 0, failed = 0;
    double seconds = 0, slowestCycle = 0;
    Footprint start, end;
    bool programAlive = true;
};

// Rows of bench_link's table whose first cell starts with one of `kinds`.
std::vector<LinkRow> LinkRows(const std::string& path,
                              std::initializer_list<const char*> kinds = {"| retrieve", "| send"}) {
    std::vector<LinkRow> rows;
    std::istringstream in(ReadWhole(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const char* kind : kinds) {
            if (line.rfind(kind, 0) == 0) rows.push_back({line});
        }
    }
    return rows;
}

std::vector<std::string> SplitCells(const std::string& row) {
    std::vector<std::string> cells;
    std::istringstream in(row);
    std::string cell;
    std::getline(in, cell, '|');
    while (std::getline(in, cell, '|')) {
        cell.erase(0, cell.find_first_not_of(' '));
        cell.erase(cell.find_last_not_of(' ') + 1);
        cells.push_back(cell);
    }
    return cells;
}

// Strips a copy (the build keeps its symbols) and lists the DLLs it imports.
ExeRow MeasureExe(const std::string& bits, long limitBytes, const std::string& exe, const std::string& outDir) {
    ExeRow row{bits, limitBytes, -1, {}};
    if (exe.empty() || !std::filesystem::exists(exe)) return row;
    const std::string tool = bits == "64-bit" ? "x86_64-w64-mingw32-" : "i686-w64-mingw32-";
    const std::string stripped = outDir + "/glimmerly-" + bits + ".exe";
    std::string cmd = tool + "strip -o '" + stripped + "' '" + exe + "'";
    if (std::system(cmd.c_str()) != 0) return row;
    row.bytes = long(std::filesystem::file_size(stripped));
    FILE* p = popen((tool + "objdump -p '" + stripped + "'").c_str(), "r");
    if (!p) return row;
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
        const char* at = std::strstr(line, "DLL Name: ");
        if (!at) continue;
        std::string dll = at + std::strlen("DLL Name: ");
        while (!dll.empty() && std::isspace(static_cast<unsigned char>(dll.back()))) dll.pop_back();
        row.dlls.push_back(dll);
    }
    pclose(p);
    return row;
}

Footprint TakeFootprint(e2e::Scene& scene, pid_t unixPid) {
    Footprint f;
    if (auto w = scene.Probe().Window(e2e::ProgramClass)) {
        auto out = scene.Probe().Run({"resources", "--pid", w->Text("pid")});
        for (const auto& rec : out.OfKind("resources")) {
            f.handles = rec.Number("handles");
            f.gdi = rec.Number("gdi");
            f.user = rec.Number("user");
        }
    }
    if (auto p = e2e::ReadFootprint(unixPid)) f.proc = *p;
    f.peakKb = e2e::StatusKb(unixPid, "VmHWM").value_or(-1);
    return f;
}

RestRow MeasureRest(e2e::Scene& scene, pid_t pid, const std::string& state, uint8_t pollCommand, int seconds) {
    RestRow row{state, double(seconds), 0, 0};
    ClearTranscript(scene);
    double before = e2e::CpuSeconds(pid).value_or(0);
    auto start = Steady::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    double after = e2e::CpuSeconds(pid).value_or(0);
    row.seconds = std::chrono::duration<double>(Steady::now() - start).count();
    row.cpu = after - before;
    row.polls = CountPcFrames(scene, pollCommand);
    return row;
}

// ---- the report ---------------------------------------------------------------

struct ReplugRow {
    int run = 0;
    double plugToHello = -1;  // the program's first hello on the new port
    double plugToDone = -1;   // its retrieve over and the end-of-transfer command sent
    bool found = false;
};

struct Report {
    std::vector<LinkRow> link;
    std::vector<LinkRow> dribble;  // each wait on a dribbling device, and how it ended
    std::vector<EndToEndRow> endToEnd;
    std::vector<RestRow> rest;
    long peakKb = -1;
    std::vector<ExeRow> exes;
    Soak soak;
    std::vector<ReplugRow> replugs;
};

std::string Markdown(const Report& r, const Options& o) {
    std::ostringstream md;
    std::time_t now = std::time(nullptr);
    char when[64];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    md << "# Glimmerly benchmark\n\nMeasured " << when << " under Wine with quillsim paced at 9600 baud, on "
       << std::thread::hardware_concurrency() << " cores (shared).\n\n";

    md << "## Link transfers (Win32 serial port, protocol minimum; target ratio <= " << TargetLinkRatio << ")\n\n";
    md << "| transfer | bytes | seconds | bytes/s | protocol minimum (s) | ratio | cycles (fewest) | intact |\n"
       << "|---|---:|---:|---:|---:|---:|---:|---|\n";
    for (const auto& row : r.link) md << row.cells << "\n";
    if (r.link.empty()) md << "| (bench_link gave no rows) | | | | | | | |\n";

    md << "\n## A dribbling device (a byte every 250 or 600 ms): each wait ends in its time\n\n"
       << "Limits: drain 1.5 s, hello reads 1.5 s, a retrieve block 4 s from its request.\n\n"
       << "| ms between bytes | operation (120-byte file) | seconds | outcome |\n|---|---|---:|---|\n";
    for (const auto& row : r.dribble) md << row.cells << "\n";

    md << "\n## End to end: first identity reply to the text complete in notepad\n\n"
       << "| file bytes | run | text in notepad (bytes) | seconds | minimum (s) | ratio | over minimum (s) | "
          "last block to notepad (s) | end precision (ms) | probe polls | intact |\n"
       << "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const auto& e : r.endToEnd) {
        const Landing& l = e.landing;
        md << "| " << e.bytes << " | " << e.run << " | " << l.bytes << " | " << Format("%.3f", l.startToEnd) << " | "
           << Format("%.3f", e.minimum) << " | " << Format("%.4f", l.startToEnd / e.minimum) << " | "
           << Format("%.3f", l.startToEnd - e.minimum) << " | " << Format("%.3f", l.lastBlockToEnd) << " | "
           << Format("%.1f", l.precision * 1000) << " | "
           << l.polls << " | " << (l.intact ? "yes" : "NO") << " |\n";
    }
    md << "\n" << MinimumFormula() << ".\n\nStart: the transcript time of the identity reply's first byte "
       << "(quillsim's clock, mapped to the wall clock through readings taken around its clear, within a few "
          "µs). End: the first answer of a watching probe (WM_GETTEXTLENGTH to notepad's edit, about every "
          "millisecond) that shows the whole text; notepad answers only after its paste is done. The text was "
          "complete somewhere in the last poll interval, whose width is the end precision column (it includes "
          "notepad's own work on the paste): the figure can be high by at most that much.\n\n"
          "Last block to notepad: from the keyboard's last byte to the text in notepad. Under Wine 8 the "
          "Ctrl+V typed with keybd_event reaches notepad only once the typing thread handles messages again "
          "(a test program that sleeps 3 s after typing saw its paste land 3.01 s later; one that pumps "
          "messages, 6 ms later); where this column is about 2 s, the paste waited out the program's 2 s "
          "pause after the end-of-transfer command.\n";

    md << "\n## The program at rest (target below " << TargetRestPercent << "% of one core)\n\n"
       << "| state | window (s) | CPU (s) | % of one core | polls in the window |\n|---|---:|---:|---:|---:|\n";
    for (const auto& x : r.rest)
        md << "| " << x.state << " | " << Format("%.1f", x.seconds) << " | " << Format("%.3f", x.cpu) << " | "
           << Format("%.3f", x.cpu / x.seconds * PercentOf) << " | " << x.polls << " |\n";
    md << "\nCPU: utime + stime of the glimmerly.exe process (/proc/<pid>/stat), not of the wine launcher; "
          "counted in clock ticks of 10 ms, so each figure is good to about 0.01 s (0.02% of one core over "
          "60 s). Wine's wineserver works for the program too (its serial reads and timers) and is not "
          "counted. Polls: hello frames while searching, file queries while connected. Peak memory (VmHWM) of "
          "glimmerly.exe at the end of the run: "
       << r.peakKb << " kB.\n";

    md << "\n## Executables (stripped, each under its limit)\n\n"
       << "| build | bytes | KB | limit (KB) | imports |\n|---|---:|---:|---:|---|\n";
    for (const auto& e : r.exes) {
        std::string dlls;
        for (const auto& d : e.dlls) dlls += (dlls.empty() ? "" : ", ") + d;
        md << "| " << e.bits << " | " << e.bytes << " | " << Format("%.1f", e.bytes / BytesPerKb) << " | "
           << e.limitBytes / 1024 << (e.bytes >= 0 && e.bytes < e.limitBytes ? "" : " (over)") << " | " << dlls
           << " |\n";
    }

    const Soak& s = r.soak;
    md << "\n## Soak: arrivals and departures, each with a retrieve\n\n"
       << "| cycles | landed intact | failed | minutes | slowest cycle (s) | program still running |\n"
       << "|---:|---:|---:|---:|---:|---|\n"
       << "| " << s.cycles << " | " << s.landed << " | " << s.failed << " | " << Format("%.1f", s.seconds / 60)
       << " | " << Format("%.1f", s.slowestCycle) << " | " << (s.programAlive ? "yes" : "NO") << " |\n\n"
       << "| when | handles | GDI | USER | open fds | VmRSS (kB) | threads | VmHWM (kB) |\n"
       << "|---|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const auto* f : {&s.start, &s.end})
        md << "| " << (f == &s.start ? "start" : "end") << " | " << f->handles << " | " << f->gdi << " | "
           << f->user << " | " << f->proc.openFiles << " | " << f->proc.residentKb << " | " << f->proc.threads
           << " | " << f->peakKb << " |\n";
    md << "\nHandles, GDI and USER are what GetProcessHandleCount and GetGuiResources report to the probe. "
          "Under Wine 8.0 all three read 0: GetGuiResources is an unimplemented stub in Wine's user32, and the "
          "handle count is 0 too for a process that certainly holds handles (its port, mutex, registry keys, "
          "windows), so Wine does not count them. The /proc columns carry the leak check instead: the "
          "wine process's open file descriptors (Wine backs its handles to files, ports and the server with "
          "them), resident memory and threads.\n";
    md << "\n## Replugged adapter: pulled out while searching, plugged back in\n\n"
       << "| replug | plugged in to first hello (s) | in ticks of 3 s | plugged in to end-of-transfer (s) | found |\n"
       << "|---:|---:|---:|---:|---|\n";
    for (const auto& x : r.replugs)
        md << "| " << x.run << " | " << Format("%.2f", x.plugToHello) << " | "
           << Format("%.2f", x.plugToHello / TickSeconds) << " | " << Format("%.2f", x.plugToDone) << " | "
           << (x.found ? "yes" : "NO") << " |\n";
    md << "\nThe keyboard's pty is closed and its link removed for "
       << std::chrono::duration_cast<std::chrono::seconds>(UnpluggedFor).count()
       << " s while the program searches (its hello on the dead handle fails and the port is closed; the next "
          "open fails), then a new pty appears at the same link with the keyboard in range. Found again within "
          "two ticks means a first hello less than 6 s after plugging in.\n";
    (void)o;
    return md.str();
}

std::string Json(const Report& r) {
    std::ostringstream j;
    j << "{\n  \"link\": [";
    for (size_t i = 0; i < r.link.size(); ++i) {
        auto c = SplitCells(r.link[i].cells);
        if (c.size() < 8) continue;
        j << (i ? "," : "") << "\n    {\"transfer\": " << JsonString(c[0]) << ", \"bytes\": " << c[1]
          << ", \"seconds\": " << c[2] << ", \"minimum_seconds\": " << c[4] << ", \"ratio\": " << c[5]
          << ", \"cycles\": " << JsonString(c[6]) << ", \"intact\": " << (c[7] == "yes" ? "true" : "false") << "}";
    }
    j << "\n  ],\n  \"dribble\": [";
    for (size_t i = 0; i < r.dribble.size(); ++i) {
        auto c = SplitCells(r.dribble[i].cells);
        if (c.size() < 4) continue;
        j << (i ? "," : "") << "\n    {\"gap\": " << JsonString(c[0]) << ", \"operation\": " << JsonString(c[1])
          << ", \"seconds\": " << c[2] << ", \"outcome\": " << JsonString(c[3]) << "}";
    }
    j << "\n  ],\n  \"end_to_end\": [";
    for (size_t i = 0; i < r.endToEnd.size(); ++i) {
        const auto& e = r.endToEnd[i];
        j << (i ? "," : "") << "\n    {\"file_bytes\": " << e.bytes << ", \"run\": " << e.run << ", \"notepad_bytes\": " << e.landing.bytes
          << ", \"seconds\": " << Format("%.4f", e.landing.startToEnd) << ", \"minimum_seconds\": "
          << Format("%.4f", e.minimum) << ", \"end_precision_seconds\": " << Format("%.4f", e.landing.precision)
          << ", \"last_block_to_notepad_seconds\": " << Format("%.4f", e.landing.lastBlockToEnd)
          << ", \"intact\": " << (e.landing.intact ? "true" : "false") << "}";
    }
    j << "\n  ],\n  \"minimum_formula\": " << JsonString(MinimumFormula()) << ",\n  \"rest\": [";
    for (size_t i = 0; i < r.rest.size(); ++i) {
        const auto& x = r.rest[i];
        j << (i ? "," : "") << "\n    {\"state\": " << JsonString(x.state) << ", \"window_seconds\": "
          << Format("%.2f", x.seconds) << ", \"cpu_seconds\": " << Format("%.3f", x.cpu)
          << ", \"percent_of_one_core\": " << Format("%.4f", x.cpu / x.seconds * PercentOf)
          << ", \"polls\": " << x.polls << "}";
    }
    j << "\n  ],\n  \"peak_memory_kb\": " << r.peakKb << ",\n  \"executables\": [";
    for (size_t i = 0; i < r.exes.size(); ++i) {
        const auto& e = r.exes[i];
        j << (i ? "," : "") << "\n    {\"build\": " << JsonString(e.bits) << ", \"stripped_bytes\": " << e.bytes
          << ", \"limit_bytes\": " << e.limitBytes << ", \"imports\": [";
        for (size_t k = 0; k < e.dlls.size(); ++k) j << (k ? ", " : "") << JsonString(e.dlls[k]);
        j << "]}";
    }
    const Soak& s = r.soak;
    auto foot = [&](const Footprint& f) {
        std::ostringstream o;
        o << "{\"handles\": " << f.handles << ", \"gdi\": " << f.gdi << ", \"user\": " << f.user
          << ", \"open_fds\": " << f.proc.openFiles << ", \"vmrss_kb\": " << f.proc.residentKb
          << ", \"threads\": " << f.proc.threads << ", \"vmhwm_kb\": " << f.peakKb << "}";
        return o.str();
    };
    j << "\n  ],\n  \"soak\": {\"cycles\": " << s.cycles << ", \"landed\": " << s.landed << ", \"failed\": "
      << s.failed << ", \"seconds\": " << Format("%.1f", s.seconds) << ", \"slowest_cycle_seconds\": "
      << Format("%.2f", s.slowestCycle) << ", \"program_running\": " << (s.programAlive ? "true" : "false")
      << ",\n    \"start\": " << foot(s.start) << ",\n    \"end\": " << foot(s.end) << "},\n  \"replug\": [";
    for (size_t i = 0; i < r.replugs.size(); ++i) {
        const auto& x = r.replugs[i];
        j << (i ? "," : "") << "\n    {\"run\": " << x.run << ", \"plug_to_hello_seconds\": "
          << Format("%.3f", x.plugToHello) << ", \"plug_to_done_seconds\": " << Format("%.3f", x.plugToDone)
          << ", \"found\": " << (x.found ? "true" : "false") << "}";
    }
    j << "\n  ]\n}\n";
    return j.str();
}

// ---- the run ------------------------------------------------------------------

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string k = argv[i];
        if (i + 1 >= argc) return false;
        std::string v = argv[++i];
        if (k == "--out") o.outDir = v;
        else if (k == "--link") o.linkOutput = v;
        else if (k == "--exe64") o.exe64 = v;
        else if (k == "--exe32") o.exe32 = v;
        else if (k == "--rest-seconds") o.restSeconds = std::atoi(v.c_str());
        else if (k == "--soak-cycles") o.soakCycles = std::atoi(v.c_str());
        else if (k == "--runs") o.endToEndRuns = std::atoi(v.c_str());
        else if (k == "--watch-poll-ms") o.watchPollMs = std::atoi(v.c_str());
        else if (k == "--replugs") o.replugs = std::atoi(v.c_str());
        else if (k == "--sizes") {
            o.sizes.clear();
            std::istringstream in(v);
            std::string n;
            while (std::getline(in, n, ',')) o.sizes.push_back(uint32_t(std::atol(n.c_str())));
        } else return false;
    }
    return !o.outDir.empty();
}

bool SetFile(e2e::Scene& scene, const std::string& sample) {
    auto bytes = e2e::EncodeForDevice(sample);
    return bytes && scene.ControlOk("file 1 " + quillsim::ToHex(*bytes));
}

void RunEndToEnd(e2e::Scene& scene, const Options& o, Report& r) {
    for (uint32_t size : o.sizes) {
        for (int run = 1; run <= o.endToEndRuns; ++run) {
            std::string sample = SampleText(size, "End to end, " + std::to_string(size) + " bytes, run " +
                                                      std::to_string(run) + ". ");
            EndToEndRow row{size, run, {}, EndToEndMinimum(size)};
            const std::string name = std::to_string(size) + "-" + std::to_string(run);
            if (SetFile(scene, sample)) {
                row.landing = RetrieveIntoNotepad(scene, e2e::PcTextOf(sample), scene.WorkDir() + "/watch-e2e-" + name + ".out",
                                                  o.watchPollMs);
                WaitForDone(scene);
                scene.Device().SaveTranscript(scene.WorkDir() + "/transcript-e2e-" + name + ".txt");
            }
            const Landing& l = row.landing;
            std::printf("  %u bytes, run %d: %.3f s (minimum %.3f s; last block to notepad %.3f s), end within %.1f ms, %s\n",
                        size, run, l.startToEnd, row.minimum, l.lastBlockToEnd, l.precision * 1000,
                        l.intact ? "intact" : "NOT intact");
            r.endToEnd.push_back(row);
        }
    }
}

void RunRest(e2e::Scene& scene, pid_t pid, const Options& o, Report& r) {
    if (MakeSearching(scene)) r.rest.push_back(MeasureRest(scene, pid, "searching (no keyboard)", CmdHello, o.restSeconds));
    std::printf("  searching: %.3f s CPU in %d s\n", r.rest.empty() ? 0 : r.rest.back().cpu, o.restSeconds);
    std::string sample = SampleText(LineLength, "At rest. ");
    if (SetFile(scene, sample)) {
        Landing l = RetrieveIntoNotepad(scene, e2e::PcTextOf(sample), scene.WorkDir() + "/watch-rest.out");
        if (l.intact && WaitForDone(scene, AfterDonePause))
            r.rest.push_back(MeasureRest(scene, pid, "connected (polling)", CmdQueryFile, o.restSeconds));
    }
    std::printf("  connected: %.3f s CPU in %d s\n", r.rest.size() < 2 ? 0 : r.rest.back().cpu, o.restSeconds);
}

void RunSoak(e2e::Scene& scene, pid_t pid, const Options& o, Report& r) {
    Soak& s = r.soak;
    s.start = TakeFootprint(scene, pid);
    auto begin = Steady::now();
    for (int i = 1; i <= o.soakCycles; ++i) {
        auto cycleStart = Steady::now();
        std::string sample = SampleText(LineLength + uint32_t(i), "Soak cycle " + std::to_string(i) + ". ");
        bool landed = false;
        std::string failure = "the keyboard did not take the file";
        const std::string watchFile = scene.WorkDir() + "/watch-soak.out";
        if (SetFile(scene, sample)) {
            Landing l = RetrieveIntoNotepad(scene, e2e::PcTextOf(sample), watchFile);
            failure = l.failure;
            landed = l.intact && WaitForDone(scene);
            if (l.intact && !landed) failure = "the end-of-transfer command never came";
        }
        if (!landed) {
            // Kept for a person to see what happened in this cycle.
            const std::string tag = scene.WorkDir() + "/soak-failed-" + std::to_string(i);
            std::error_code ec;
            std::filesystem::copy_file(watchFile, tag + "-watch.out", std::filesystem::copy_options::overwrite_existing, ec);
            scene.Device().SaveTranscript(tag + "-transcript.txt");
            std::printf("  cycle %d: %s\n", i, failure.c_str());
        }
        ++s.cycles;
        landed ? ++s.landed : ++s.failed;
        double seconds = std::chrono::duration<double>(Steady::now() - cycleStart).count();
        s.slowestCycle = std::max(s.slowestCycle, seconds);
        std::printf("  cycle %d/%d: %s in %.1f s\n", i, o.soakCycles, landed ? "landed" : "FAILED", seconds);
        s.programAlive = scene.Program().Running();
        if (!s.programAlive) break;
    }
    s.seconds = std::chrono::duration<double>(Steady::now() - begin).count();
    s.end = TakeFootprint(scene, pid);
}

// Seconds from `start` until `ready` holds, or -1 when it never does.
template <typename Ready>
double SecondsUntil(Steady::time_point start, Ready ready) {
    bool met = e2e::WaitUntil(std::chrono::duration_cast<std::chrono::milliseconds>(SearchBound), ready);
    return met ? std::chrono::duration<double>(Steady::now() - start).count() : -1;
}

void RunReplug(e2e::Scene& scene, const Options& o, Report& r) {
    for (int run = 1; run <= o.replugs; ++run) {
        ReplugRow row;
        row.run = run;
        std::string error;
        std::string sample = SampleText(LineLength, "Replug " + std::to_string(run) + ". ");
        if (MakeSearching(scene)) {
            scene.UnplugDevice();
            std::this_thread::sleep_for(UnpluggedFor);
            auto plugged = Steady::now();
            if (scene.PlugDevice(&error) && SetFile(scene, sample)) {
                row.plugToHello = SecondsUntil(plugged, [&] { return CountPcFrames(scene, CmdHello) > 0; });
                row.plugToDone = SecondsUntil(plugged, [&] { return scene.ControlNumber("count 92") >= 1; });
                row.found = row.plugToDone >= 0;
                scene.Device().SaveTranscript(scene.WorkDir() + "/transcript-replug-" + std::to_string(run) + ".txt");
                std::this_thread::sleep_for(AfterDonePause);
            }
        }
        std::printf("  replug %d: first hello %.2f s, end-of-transfer %.2f s after plugging in, %s\n", run,
                    row.plugToHello, row.plugToDone, row.found ? "found" : "NOT found");
        r.replugs.push_back(row);
    }
}

int Run(const Options& o) {
    auto env = e2e::TestBedEnv::FromEnvironment();
    if (std::string missing = env.Missing(); !missing.empty()) {
        std::fprintf(stderr, "bench: no test bed: %s\n", missing.c_str());
        return ExitNoStage;
    }
    std::filesystem::create_directories(o.outDir);
    Report r;
    r.link = LinkRows(o.linkOutput);
    r.dribble = LinkRows(o.linkOutput, {"| dribble"});
    r.exes.push_back(MeasureExe("64-bit", TargetExe64Bytes, o.exe64, o.outDir));
    r.exes.push_back(MeasureExe("32-bit", TargetExe32Bytes, o.exe32, o.outDir));

    e2e::Scene scene(env, o.outDir + "/work");
    std::string error;
    std::printf("== stage: the keyboard out of range, glimmerly.exe, then notepad with the focus\n");
    if (!scene.StartDevice(quillsim::DefaultBaud, &error) || !scene.ControlOk("present 0") ||
        !scene.StartProgram(&error) || !scene.WaitForProgramWindow(StartBound) || !scene.StartNotepad(&error) ||
        !scene.WaitForNotepadFocus(StartBound)) {
        std::fprintf(stderr, "bench: the stage could not be set: %s\n", error.c_str());
        return ExitNoStage;
    }
    auto pid = e2e::FindWineProgram("glimmerly.exe", env.winePrefix);
    if (!pid) {
        std::fprintf(stderr, "bench: no glimmerly.exe process under %s\n", env.winePrefix.c_str());
        return ExitNoStage;
    }

    std::printf("== end to end\n");
    RunEndToEnd(scene, o, r);
    std::printf("== at rest, %d s each\n", o.restSeconds);
    RunRest(scene, *pid, o, r);
    std::printf("== soak, %d cycles\n", o.soakCycles);
    RunSoak(scene, *pid, o, r);
    std::printf("== replugged adapter, %d times\n", o.replugs);
    RunReplug(scene, o, r);
    r.peakKb = e2e::StatusKb(*pid, "VmHWM").value_or(-1);
    scene.Device().SaveTranscript(scene.WorkDir() + "/transcript-last.txt");
    scene.StopAll();

    std::string md = Markdown(r, o);
    std::ofstream(o.outDir + "/bench.md") << md;
    std::ofstream(o.outDir + "/bench.json") << Json(r);
    std::printf("\n%s\nwritten: %s/bench.md and bench.json\n", md.c_str(), o.outDir.c_str());

    bool ok = r.soak.failed == 0 && r.soak.programAlive && r.rest.size() == 2;
    for (const auto& x : r.replugs) ok = ok && x.found;
    for (const auto& e : r.endToEnd) ok = ok && e.landing.intact;
    return ok ? ExitAllLanded : ExitSomethingFailed;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: glimmerly_bench --out DIR [--link FILE] [--exe64 EXE] [--exe32 EXE] [--sizes A,B] "
                     "[--runs N] [--watch-poll-ms MS] [--rest-seconds S] [--soak-cycles N]\n");
        return ExitNoStage;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    return Run(options);
}
