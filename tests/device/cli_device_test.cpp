// glimmerly-cli against the emulated keyboard on a pty, through the POSIX port:
// what a user's backup, restore and put really do to the device's files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
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
    CliRun Cli(const std::string& arguments, std::string_view input = {}) {
        const fs::path in = work_ / "stdin", out = work_ / "stdout", err = work_ / "stderr";
        Spit(in, input);
        const std::string command = "GLIMMERLY_PORT='" + sim_.PtyPath() + "' '" GLIMMERLY_CLI "' " + arguments +
                                    " <'" + in.string() + "' >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    }

    quillsim::Simulator sim_;
    fs::path work_;
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
    run = Cli("restore --yes '" + folder.string() + "'");
    ASSERT_EQ(run.exit, 0) << run.err;
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(File(n), original[n]) << n;
    EXPECT_EQ(Do("get-current"), "6");
    EXPECT_EQ(Count("92"), 1);
    EXPECT_EQ(Count("87"), 5) << "the empty files are cleared, not opened for writing";

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
