// glimmerly-cli against the emulated keyboard on a pty, through the POSIX port:
// what a user's backup, restore and put really do to the device's files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "device/sha256.h"
#include "link/posix/serial_port.h"
#include "link/posix/serial_port_list.h"
#include "quillsim/hex.h"
#include "quillsim/simulator.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
};

Bytes B(std::string_view text) { return {text.begin(), text.end()}; }

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

class CliOnDevice : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(&error)) << error;
        Do("pace burst");
        work_ = fs::temp_directory_path() / ("glimmerly-cli-test-" + std::to_string(getpid()));
        fs::remove_all(work_);
        fs::create_directories(work_);
    }
    void TearDown() override {
        sim_.Stop();
        fs::remove_all(work_);
    }

    std::string Do(const std::string& line) {
        const std::string reply = sim_.Control(line);
        EXPECT_EQ(reply.rfind("ok", 0), 0u) << line << " -> " << reply;
        return reply.size() > 3 ? reply.substr(3) : "";
    }
    Bytes File(int n) {
        Bytes bytes;
        quillsim::FromHex(Do("get-file " + std::to_string(n)), bytes);
        return bytes;
    }
    void SetFile(int n, const Bytes& bytes) { Do("file " + std::to_string(n) + " " + quillsim::ToHex(bytes)); }
    int Count(const char* command) { return std::stoi(Do(std::string("count ") + command)); }

    // The command as a user's shell would run it, standard input from `input`.
    // Kept copies of restores go under the work folder.
    // `envOptions` go to env(1) before the variables, e.g. "-u DISPLAY ".
    std::string Command(const std::string& arguments, std::string_view input = {}, const std::string& envOptions = {}) {
        Spit(work_ / "stdin", input);
        return "exec env " + envOptions + "XDG_STATE_HOME='" + (work_ / "state").string() + "' GLIMMERLY_PORT='" + sim_.PtyPath() +
               "' '" GLIMMERLY_CLI "' " + arguments + " <'" + (work_ / "stdin").string() + "' >'" +
               (work_ / "stdout").string() + "' 2>'" + (work_ / "stderr").string() + "'";
    }
    CliRun Finished(int status) {
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(work_ / "stdout"), Slurp(work_ / "stderr")};
    }
    CliRun Cli(const std::string& arguments, std::string_view input = {}, const std::string& envOptions = {}) {
        return Finished(std::system(Command(arguments, input, envOptions).c_str()));
    }
    // The command in the background, sent `signal` once quillsim has counted
    // `count` frames of `command`.
    CliRun CliInterrupted(const std::string& arguments, const std::string& command, int count, int signal) {
        const std::string shell = Command(arguments);
        const pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", shell.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        while (Count(command.c_str()) < count) usleep(2000);
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        return Finished(status);
    }
    fs::path KeptCopy() {
        for (const auto& entry : fs::directory_iterator(work_ / "state" / "glimmerly" / "replaced")) return entry.path();
        return {};
    }

    // A port name that survives a replug: quillsim re-points it at its new pty.
    const fs::path link_ = fs::temp_directory_path() / ("glimmerly-cli-port-" + std::to_string(getpid()));
    quillsim::Simulator sim_{{quillsim::DefaultBaud, link_.string()}};
    fs::path work_;
};

// glimmerly-cli watch in the background, as a service runs it.
class Watching {
public:
    Watching(const fs::path& link, const fs::path& work, const std::string& arguments) : err_(work / "watch.err") {
        const std::string command = "exec '" GLIMMERLY_CLI "' --port '" + link.string() + "' watch --interval 1 " +
                                    arguments + " </dev/null >'" + (work / "watch.out").string() + "' 2>'" +
                                    err_.string() + "'";
        pid_ = fork();
        if (pid_ == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Watching() {
        if (pid_ > 0 && exit_ < 0) Stop(SIGKILL);
    }
    std::string Err() const { return Slurp(err_); }
    // Waits, with a generous bound, until standard error holds `text` `times` times.
    bool Said(const std::string& text, int times = 1) const {
        for (int tenth = 0; tenth < 300; ++tenth) {
            const std::string err = Err();
            int found = 0;
            for (size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++found;
            if (found >= times) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    int Stop(int signal) {
        kill(pid_, signal);
        return Exit();
    }
    int Exit() {
        int status = 0;
        if (exit_ < 0 && waitpid(pid_, &status, 0) == pid_) exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return exit_;
    }

private:
    fs::path err_;
    pid_t pid_ = -1;
    int exit_ = -1;
};

// Every byte the device can hold (all but the end-of-text byte), twice over.
Bytes EveryByte() {
    Bytes bytes;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 256; ++b) {
            if (b != 0xBB) bytes.push_back(uint8_t(b));
        }
    }
    return bytes;
}

TEST_F(CliOnDevice, BackupAndRestoreEveryFileExactly) {
    SetFile(1, EveryByte());
    SetFile(2, B("Line one\rLine two"));
    Do("fill 3 777");
    Do("fill 8 8158");  // file 8 to its capacity
    Do("fill 6 51");
    Do("current 4");
    std::map<int, Bytes> original;
    for (int n = 1; n <= 8; ++n) original[n] = File(n);

    const fs::path folder = work_ / "backup é";
    CliRun run = Cli("backup '" + folder.string() + "'");
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Do("get-current"), "4");
    EXPECT_EQ(Count("92"), 1);
    EXPECT_EQ(Count("91"), 8) << "each file's facts are read once";
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(B(Slurp(folder / ("file" + std::to_string(n) + ".raw"))), original[n]) << n;
    }
    EXPECT_EQ(Slurp(folder / "file2.txt"), "Line one\nLine two");
    const auto manifest = nlohmann::json::parse(Slurp(folder / "manifest.json"));
    EXPECT_EQ(manifest["format"], 1);
    EXPECT_EQ(manifest["identity"], "Quillatron IR v1.0");
    ASSERT_EQ(manifest["files"].size(), 8u);
    EXPECT_EQ(manifest["files"][7]["length"], 8158);
    EXPECT_EQ(manifest["files"][7]["capacity"], 8158);
    EXPECT_EQ(manifest["files"][0]["sha256"], Sha256Hex(original[1]));
    EXPECT_EQ(Cli("backup '" + folder.string() + "'").exit, 2) << "a folder that is not empty";

    Do("reset");
    Do("fill 5 300");
    Do("current 6");
    Do("clear-transcript");
    EXPECT_EQ(Cli("restore '" + folder.string() + "'").exit, 2) << "no terminal and no --yes";
    EXPECT_EQ(Do("pc-bytes"), "");
    const Bytes replaced = File(5);
    run = Cli("restore --yes '" + folder.string() + "'");
    ASSERT_EQ(run.exit, 0) << run.err;
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(File(n), original[n]) << n;
    EXPECT_EQ(Do("get-current"), "6");
    EXPECT_EQ(Count("92"), 1);
    EXPECT_EQ(Count("87"), 5) << "the empty files are cleared, not opened for writing";
    // What the restore replaced is kept as a backup of its own that restores as it is.
    const fs::path kept = KeptCopy();
    EXPECT_NE(run.err.find(kept.string()), std::string::npos) << run.err;
    EXPECT_EQ(B(Slurp(kept / "file5.raw")), replaced);
    EXPECT_EQ(Cli("restore --yes --no-keep --files 5 '" + kept.string() + "'").exit, 0);
    EXPECT_EQ(File(5), replaced);
    EXPECT_EQ(Cli("restore --yes --no-keep '" + folder.string() + "'").exit, 0);

    // A device that acknowledges but keeps something else is caught by the read-back.
    Do("garble 1");
    run = Cli("restore --yes --files 6,2 '" + folder.string() + "'");
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.err.find("reads back differently"), std::string::npos) << run.err;
    EXPECT_EQ(Do("get-current"), "6");

    // A keyboard whose file is smaller than the backed-up text gets nothing at all.
    Do("capacity 3 100");
    Do("clear-transcript");
    EXPECT_EQ(Cli("restore --yes '" + folder.string() + "'").exit, 3);
    EXPECT_EQ(Count("83") + Count("87"), 0);
    EXPECT_EQ(Count("92"), 1);
}

TEST_F(CliOnDevice, DamagedBackupIsRefusedBeforeAnythingIsSent) {
    SetFile(2, B("two"));
    SetFile(3, B("three"));
    const fs::path good = work_ / "good";
    ASSERT_EQ(Cli("backup '" + good.string() + "'").exit, 0);
    const std::string manifest = Slurp(good / "manifest.json");
    const std::string withBb = std::string("t\xBBo");

    struct Damage {
        const char* name;
        std::function<void(const fs::path&)> apply;
    };
    const std::vector<Damage> damages = {
        {"a changed byte", [](const fs::path& f) { Spit(f / "file3.raw", "thrEe"); }},
        {"no manifest", [](const fs::path& f) { fs::remove(f / "manifest.json"); }},
        {"manifest cut short", [&](const fs::path& f) { Spit(f / "manifest.json", manifest.substr(0, 40)); }},
        {"a missing raw file", [](const fs::path& f) { fs::remove(f / "file8.raw"); }},
        {"a file left out of the manifest", [&](const fs::path& f) {
             auto json = nlohmann::json::parse(manifest);
             json["files"].erase(2);
             Spit(f / "manifest.json", json.dump());
         }},
        {"a FIFO in a file's place", [](const fs::path& f) {
             fs::remove(f / "file3.raw");
             mkfifo((f / "file3.raw").c_str(), 0600);
         }},
        {"a missing folder", [](const fs::path& f) { fs::remove_all(f); }},
        {"end-of-text byte, digest matching", [&](const fs::path& f) {
             Spit(f / "file2.raw", withBb);
             auto json = nlohmann::json::parse(manifest);
             json["files"][1]["sha256"] = Sha256Hex(B(withBb));
             Spit(f / "manifest.json", json.dump());
         }},
    };
    for (const Damage& damage : damages) {
        const fs::path copy = work_ / "copy";
        fs::remove_all(copy);
        fs::copy(good, copy);
        damage.apply(copy);
        Do("clear-transcript");
        const CliRun run = Cli("restore --yes '" + copy.string() + "'");
        EXPECT_EQ(run.exit, 5) << damage.name << ": " << run.err;
        EXPECT_EQ(Do("pc-bytes"), "") << damage.name;
    }
    EXPECT_NE(Cli("restore --yes '" + (work_ / "typo").string() + "'").err.find("does not exist"), std::string::npos);

    // Text from the folder reaches the terminal with its controls escaped.
    auto json = nlohmann::json::parse(manifest);
    json["time"] = "\x1b[2J\xC2\x9B";
    Spit(good / "manifest.json", json.dump());
    const CliRun asked = Cli("restore '" + good.string() + "'");
    EXPECT_NE(asked.err.find("(made \\x1b[2J\\xc2\\x9b)"), std::string::npos) << asked.err;
    EXPECT_EQ(asked.err.find('\x1b'), std::string::npos);

    // A folder above that cannot be read is the system's reason, not a folder in the way.
    fs::create_directories(work_ / "locked" / "inner");
    fs::permissions(work_ / "locked", fs::perms::none);
    const CliRun locked = Cli("backup '" + (work_ / "locked" / "inner" / "b").string() + "'");
    fs::permissions(work_ / "locked", fs::perms::owner_all);
    if (geteuid() != 0) {  // root reads any folder
        EXPECT_EQ(locked.exit, 5) << locked.err;
        EXPECT_NE(locked.err.find("Permission denied"), std::string::npos) << locked.err;
    }
}

// A signal between files, in a read or in a write: the keyboard is left in
// command mode with its current file as before, the transfer ended once, and
// the status says which signal it was.
TEST_F(CliOnDevice, InterruptionLeavesTheKeyboardReady) {
    for (int n = 1; n <= 3; ++n) Do("fill " + std::to_string(n) + " 2000");
    const fs::path folder = work_ / "full";
    ASSERT_EQ(Cli("backup '" + folder.string() + "'").exit, 0);
    Do("pace 9600");
    struct Stop {
        const char* name;
        std::string arguments;
        const char* command;  // quillsim counts its frames; the signal follows the count-th
        int count;
        int signal;
        const char* said;
    };
    const fs::path stopped = work_ / "stopped";
    const std::vector<Stop> stops = {
        {"between files", "backup '" + stopped.string() + "'", "91", 3, SIGTERM, "was removed"},
        {"in a read", "restore --yes '" + folder.string() + "'", "84", 2, SIGHUP, "no file was changed"},
        {"in a write", "restore --yes --no-keep '" + folder.string() + "'", "87", 1, SIGINT, "partly written"},
    };
    for (const Stop& stop : stops) {
        Do("fill 1 2000");
        Do("current 6");
        Do("clear-transcript");
        const CliRun run = CliInterrupted(stop.arguments, stop.command, stop.count, stop.signal);
        EXPECT_EQ(run.exit, 128 + stop.signal) << stop.name << ": " << run.err;
        EXPECT_NE(run.err.find(stop.said), std::string::npos) << stop.name << ": " << run.err;
        EXPECT_EQ(Count("92"), 1) << stop.name;
        // Nothing more of the transfer: the current file selected again, then the end.
        const std::string sent = Do("pc-bytes");
        EXPECT_EQ(sent.substr(sent.size() - 12), "BC06BC88BC92") << stop.name;
        EXPECT_EQ(Do("get-current"), "6") << stop.name;
        EXPECT_EQ(Cli("info").exit, 0) << stop.name << ": the keyboard answers commands";
    }
    EXPECT_FALSE(fs::exists(stopped)) << "a stopped backup is taken away";
    EXPECT_FALSE(fs::exists(work_ / "state")) << "so is a kept copy not yet whole";
}

TEST_F(CliOnDevice, PutChangesNothingUnlessTheTextIsSound) {
    struct PutCase {
        const char* name;
        std::string arguments;
        std::string input;
        int exit;
        Bytes file8;
    };
    const Bytes old = B("old");
    const std::string tooLong(8159, 'a');
    const std::vector<PutCase> cases = {
        {"utf-8 with every line end", "", "\xEF\xBB\xBF\xC3\xA9\r\nb\nc", 0, {0x96, 0x0D, 'b', 0x0D, 'c'}},
        {"invalid utf-8", "", "ab\xC0\x80", 5, old},
        {"raw with an end-of-text byte", "--raw", "a\xBB", 5, old},
        {"empty", "", "", 2, old},
        {"empty, allowed", "--allow-empty", "", 0, {}},
        {"one too many", "", tooLong, 3, old},
        {"one too many, cut", "--truncate", tooLong, 0, Bytes(8158, 'a')},
        {"appended", "--append", "+1", 0, B("old+1")},
        {"appended beyond the room", "--append", tooLong.substr(0, 8156), 3, old},
    };
    for (const PutCase& c : cases) {
        SetFile(8, old);
        Do("clear-transcript");
        const CliRun run = Cli("put 8 " + c.arguments, c.input);
        EXPECT_EQ(run.exit, c.exit) << c.name << ": " << run.err;
        EXPECT_EQ(File(8), c.file8) << c.name;
        if (c.exit != 0) {
            EXPECT_EQ(Count("83") + Count("87"), 0) << c.name;
        }
        if (c.input.empty()) {
            EXPECT_EQ(Count("87"), 0) << c.name;
        }
    }
    SetFile(8, {'a', 0x0D, 0x96});
    EXPECT_EQ(Cli("get 8").out, "a\n\xC3\xA9");
    EXPECT_EQ(Cli("get 8 --raw").out, "a\r\x96");
    EXPECT_EQ(Cli("get 0").exit, 2);
    EXPECT_EQ(Cli("--version").out, "glimmerly-cli " GLIMMERLY_VERSION "\n") << "the build's one version";
}

TEST_F(CliOnDevice, CapacityTheKeyboardDoesNotReportComesFromTheTable) {
    SetFile(8, B("eight"));
    Do("badstatus 1000 91");  // the capacity query refused, at once
    const fs::path folder = work_ / "missing parent" / "table";
    ASSERT_EQ(Cli("backup '" + folder.string() + "'").exit, 0);
    const auto manifest = nlohmann::json::parse(Slurp(folder / "manifest.json"));
    EXPECT_EQ(manifest["files"][0]["capacity"], 32415);
    EXPECT_EQ(manifest["files"][7]["capacity"], 8158);
    EXPECT_EQ(manifest["files"][7]["capacity_from"], "table");
    const CliRun info = Cli("info");
    EXPECT_NE(info.out.find("   8       5      8158 (from the built-in table)"), std::string::npos) << info.out;

    // Without the keyboard's word, a restore keeps to the room a send would use.
    SetFile(8, B(""));
    EXPECT_EQ(Cli("restore --yes --files 8 '" + folder.string() + "'").exit, 0);
    EXPECT_EQ(File(8), B("eight"));
    EXPECT_EQ(Cli("restore --yes --files 4,9 '" + folder.string() + "'").exit, 2);
}

TEST_F(CliOnDevice, DeviceLostHalfWayLeavesNoCompleteLookingBackup) {
    for (int n = 1; n <= 8; ++n) Do("fill " + std::to_string(n) + " 400");
    // The facts of all eight files take 32 frames; the keyboard leaves while
    // the third file is being read.
    Do("absent-after 45");
    const fs::path folder = work_ / "lost";
    const CliRun run = Cli("backup '" + folder.string() + "'");
    EXPECT_EQ(run.exit, 1) << run.err;
    EXPECT_TRUE(fs::exists(folder / "file1.raw"));
    EXPECT_FALSE(fs::exists(folder / "manifest.json"));
    EXPECT_EQ(Cli("restore --yes '" + folder.string() + "'").exit, 5);
    EXPECT_EQ(Cli("backup '" + folder.string() + "'").exit, 2) << "a folder in the way";
    EXPECT_EQ(Cli("backup '" + (folder / "file1.raw").string() + "'").exit, 2) << "a file in the way";

    // A port that hangs up is a failed call, not a silent one.
    Do("present 1");
    int error = 0;
    auto port = PosixSerialPort::Open(sim_.PtyPath(), &error);
    ASSERT_TRUE(port) << error;
    Do("hangup");
    uint8_t byte = 0;
    EXPECT_FALSE(port->Read(&byte, 1).ok);
}

// Every arrival fetched once and delivered, whatever happens on the way: the
// keyboard leaving and coming back, a command that fails, the adapter replugged.
TEST_F(CliOnDevice, WatchDeliversEachArrivalOnce) {
    Do("present 0");
    SetFile(2, B("first"));
    Do("current 2");
    const fs::path out = work_ / "drafts";
    Watching watch(link_, work_, "--output '" + out.string() + "' --exec 'cat > \"" + work_.string() +
                                     "/run$GLIMMERLY_ARRIVAL\"; test $GLIMMERLY_FILE$GLIMMERLY_ARRIVAL = 21'");
    ASSERT_TRUE(watch.Said("searching")) << watch.Err();
    Do("clear-transcript");
    Do("present 1");
    ASSERT_TRUE(watch.Said("5 characters from file 2 delivered")) << watch.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // two polls while it stays
    // The window's automatic retrieve: hello, current file, length, read, one
    // block request, end of transfer; then only the current-file query.
    EXPECT_TRUE(std::regex_match(Do("pc-bytes"), std::regex("(BCBD)+BC88BC90BC84FBBC92(BC88){2,}")))
        << Do("pc-bytes");

    Do("present 0");
    ASSERT_TRUE(watch.Said("gone")) << watch.Err();
    SetFile(2, B("a\rb"));
    Do("present 1");
    ASSERT_TRUE(watch.Said("the command failed: exited with 1")) << watch.Err();
    ASSERT_TRUE(watch.Said("delivery failed")) << watch.Err();
    EXPECT_EQ(Slurp(work_ / "run1"), "first");
    EXPECT_EQ(Slurp(work_ / "run2"), "a\nb");

    SetFile(2, B(""));
    Do("hangup");
    ASSERT_TRUE(watch.Said("port lost")) << watch.Err();
    ASSERT_TRUE(watch.Said("port back")) << watch.Err();
    ASSERT_TRUE(watch.Said("file 2 is empty; nothing delivered")) << watch.Err();
    EXPECT_EQ(Count("84"), 2) << "an empty file is not read";
    EXPECT_EQ(watch.Stop(SIGTERM), 0) << watch.Err();

    std::vector<std::string> drafts;
    for (const auto& entry : fs::directory_iterator(out)) drafts.push_back(Slurp(entry.path()));
    std::sort(drafts.begin(), drafts.end());
    EXPECT_EQ(drafts, (std::vector<std::string>{"a\nb", "first"})) << "no half-written or extra file";
}

TEST_F(CliOnDevice, WatchEndsCleanly) {
    const fs::path out = work_ / "drafts";
    EXPECT_EQ(Cli("watch").exit, 2) << "nowhere to deliver";
    EXPECT_EQ(Cli("watch --output x --interval 61").exit, 2);
    // No desktop to reach the clipboard in: said before the watch starts.
    const CliRun noDesktop = Cli("watch --clipboard", {}, "-u DISPLAY -u WAYLAND_DISPLAY ");
    EXPECT_EQ(noDesktop.exit, 2);
    EXPECT_NE(noDesktop.err.find("neither WAYLAND_DISPLAY nor DISPLAY"), std::string::npos) << noDesktop.err;

    // --once: an empty file is done, a failed delivery is not.
    Watching empty(link_, work_, "--once --output '" + out.string() + "'");
    EXPECT_EQ(empty.Exit(), 0) << empty.Err();
    EXPECT_TRUE(fs::is_empty(out));
    // A name that is taken (here: every name of the coming seconds) is never
    // replaced; a failed command still leaves the file written.
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now - 1; t < now + 30; ++t) {
        char name[64];
        std::strftime(name, sizeof name, "%Y%m%d-%H%M%SZ-file1.txt", std::gmtime(&t));
        Spit(out / name, "old");
    }
    SetFile(1, B("x"));
    Watching failing(link_, work_, "--once --exec false --output '" + out.string() + "'");
    EXPECT_EQ(failing.Exit(), 1) << failing.Err();
    int renamed = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        const bool copy = entry.path().filename().string().find("Z-2-file1") != std::string::npos;
        renamed += copy;
        EXPECT_EQ(Slurp(entry.path()), copy ? "x" : "old") << entry.path();
    }
    EXPECT_EQ(renamed, 1);

    // A stop during a retrieve takes the keyboard back to command mode first.
    Do("fill 1 5000");
    Do("pace 9600");
    Do("clear-transcript");
    const auto drafts = [&out] { return std::distance(fs::directory_iterator(out), fs::directory_iterator()); };
    const auto draftsBefore = drafts();
    Watching stopped(link_, work_, "--output '" + out.string() + "'");
    ASSERT_TRUE(stopped.Said("connected")) << stopped.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(stopped.Stop(SIGINT), 0) << stopped.Err();
    EXPECT_EQ(Count("92"), 1);
    const std::string pc = Do("pc-bytes");
    EXPECT_EQ(pc.substr(pc.size() - 4), "BC92") << "nothing after the end-of-transfer command";
    EXPECT_EQ(drafts(), draftsBefore) << "nothing of a stopped retrieve is written";
}

// The port is the program's alone while it runs, its settings are put back
// after, and the terminal the program runs in is never taken for a port.
TEST_F(CliOnDevice, PortIsTheProgramsAloneAndNeverItsOwnTerminal) {
    int error = 0;
    {
        auto port = PosixSerialPort::Open(sim_.PtyPath(), &error);
        ASSERT_TRUE(port) << error;
        EXPECT_EQ(Cli("info").exit, 4) << "a second glimmerly-cli";
        const int other = open(sim_.PtyPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const int otherError = errno;
        if (geteuid() != 0) {  // root opens a terminal in exclusive mode regardless
            EXPECT_LT(other, 0) << "a program that takes no lock";
            EXPECT_EQ(otherError, EBUSY);
        }
        if (other >= 0) close(other);
    }
    EXPECT_EQ(Cli("info").exit, 0) << "closed, the port is free again";

    // A terminal of a session of its own, cooked as a shell leaves it.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const std::string terminal = ptsname(master);
    termios before{}, after{};
    tcgetattr(master, &before);
    auto port = PosixSerialPort::Open(terminal, &error);
    ASSERT_TRUE(port) << "someone else's terminal may be a port";
    port.reset();
    tcgetattr(master, &after);
    EXPECT_EQ(after.c_lflag, before.c_lflag) << "settings put back";
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));

    const std::string shell = Command("--port /dev/tty info");
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        close(open(terminal.c_str(), O_RDWR));  // the session's controlling terminal from now on
        execl("/bin/sh", "sh", "-c", shell.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const CliRun run = Finished(status);
    EXPECT_EQ(run.exit, 4) << run.err;
    EXPECT_NE(run.err.find("the terminal glimmerly-cli runs in"), std::string::npos) << run.err;
    char byte = 0;
    EXPECT_EQ(read(master, &byte, 1), -1) << "not even the hello reached it";
    tcgetattr(master, &after);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    close(master);
}

}  // namespace

// `ports` on a made-up machine: an empty 8250 slot, a real UART, a USB adapter
// with a stable name, a console without a driver, and a by-id link that leads
// nowhere.
TEST(CliPorts, OnlyPortsWithHardwareAreListedWithTheirStableNames) {
    const fs::path root = fs::temp_directory_path() / ("glimmerly-ports-" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path tty = root / "sys", dev = root / "dev", byId = root / "by-id";
    auto ttyWith = [&](const char* name, const char* type) {
        fs::create_directories(tty / name / "device" / "driver");
        if (type) Spit(tty / name / "type", type);
        Spit(dev / name, "");
    };
    fs::create_directories(dev);
    fs::create_directories(byId);
    ttyWith("ttyS0", "4\n");
    ttyWith("ttyS1", "0\n");
    ttyWith("ttyUSB0", nullptr);
    fs::create_directories(tty / "tty1");
    fs::create_symlink(dev / "ttyUSB0", byId / "usb-Adapter_1234-if00-port0");
    fs::create_symlink(dev / "gone", byId / "usb-Gone-if00");

    std::string listed;
    for (const ListedPosixPort& port : ListPosixSerialPorts(tty, byId, dev)) {
        listed += port.device.substr(dev.string().size()) + " [" +
                  (port.stableNames.empty() ? "" : port.stableNames.substr(byId.string().size())) + "]\n";
    }
    EXPECT_EQ(listed, "/ttyS0 []\n/ttyUSB0 [/usb-Adapter_1234-if00-port0]\n");
    fs::remove_all(root);
}
