// quillsim: the emulated device as a command. Prints the pty path (and the
// control port), then serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/prctl.h>
#include <unistd.h>

#include "quillsim/control_server.h"
#include "quillsim/hex.h"
#include "quillsim/simulator.h"

namespace {

volatile std::sig_atomic_t Stopping = 0;
void OnSignal(int) { Stopping = 1; }

constexpr int NoControlPort = -1;
constexpr int MaxPort = 65535;
constexpr unsigned SignalPollMicros = 50000;

struct CommandLine {
    quillsim::Options options;
    int controlPort = NoControlPort;
    std::string transcriptPath;
    std::vector<std::string> setup;  // control lines applied before serving
    bool exitWithParent = false;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: quillsim [--link PATH] [--control-port PORT] [--transcript FILE]\n"
                 "                [--pace BAUD|burst] [--identity full|short|none|TEXT]\n"
                 "                [--file N=TEXT]... [--fill N=COUNT]... [--current N]\n"
                 "                [--dribble MS] [--exit-with-parent]\n");
}

// "N=VALUE" into N and VALUE.
bool SplitAssignment(const char* text, std::string& number, std::string& value) {
    const char* equals = std::strchr(text, '=');
    if (!equals) return false;
    number.assign(text, equals);
    value.assign(equals + 1);
    return true;
}

bool Parse(int argc, char** argv, CommandLine& cl) {
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--exit-with-parent") {
            cl.exitWithParent = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        std::string number, text;
        if (option == "--link") {
            cl.options.linkPath = value;
        } else if (option == "--control-port") {
            cl.controlPort = std::atoi(value);
            if (cl.controlPort < 0 || cl.controlPort > MaxPort) return false;
        } else if (option == "--transcript") {
            cl.transcriptPath = value;
        } else if (option == "--pace") {
            cl.setup.push_back(std::string("pace ") + value);
        } else if (option == "--identity") {
            std::string kind = value;
            bool named = kind == "full" || kind == "short" || kind == "none";
            std::vector<uint8_t> bytes(kind.begin(), kind.end());
            cl.setup.push_back(named ? "identity " + kind : "identity hex " + quillsim::ToHex(bytes));
        } else if (option == "--file" && SplitAssignment(value, number, text)) {
            std::vector<uint8_t> bytes(text.begin(), text.end());
            cl.setup.push_back("file " + number + " " + quillsim::ToHex(bytes));
        } else if (option == "--fill" && SplitAssignment(value, number, text)) {
            cl.setup.push_back("fill " + number + " " + text);
        } else if (option == "--dribble") {
            cl.setup.push_back(std::string("dribble ") + value);
        } else if (option == "--current") {
            cl.setup.push_back(std::string("current ") + value);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine cl;
    if (!Parse(argc, argv, cl)) {
        Usage();
        return 2;
    }
    // A runner killed outright (a test timeout) must not leave the device behind.
    if (cl.exitWithParent) {
        pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) return 0;
    }
    quillsim::Simulator simulator(cl.options);
    std::string error;
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "quillsim: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& line : cl.setup) {
        std::string reply = simulator.Control(line);
        if (reply.rfind("ok", 0) != 0) {
            std::fprintf(stderr, "quillsim: %s: %s\n", line.c_str(), reply.c_str());
            return 2;
        }
    }
    quillsim::ControlServer server(simulator);
    if (cl.controlPort != NoControlPort && !server.Start(uint16_t(cl.controlPort), &error)) {
        std::fprintf(stderr, "quillsim: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("pty %s\n", simulator.PtyPath().c_str());
    if (cl.controlPort != NoControlPort) std::printf("control 127.0.0.1:%u\n", unsigned(server.Port()));
    std::fflush(stdout);

    while (!Stopping) usleep(SignalPollMicros);

    server.Stop();
    simulator.Stop();
    if (!cl.transcriptPath.empty() && !simulator.SaveTranscript(cl.transcriptPath)) {
        std::fprintf(stderr, "quillsim: cannot write %s\n", cl.transcriptPath.c_str());
        return 1;
    }
    return 0;
}
