#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "cli/child_process.h"
#include "link/stop_request.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* Shell = "/bin/sh";
// How long one look at the pipe and the process may take while waiting.
constexpr int SliceMs = 20;

// A program that ends without reading all of its input would otherwise end us
// with SIGPIPE; its write then fails with EPIPE instead.
void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

std::vector<std::string> EnvironmentWith(const EnvironmentAdditions& additions) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : additions) replaced = replaced || text.rfind(name + "=", 0) == 0;
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [name, value] : additions) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status) == 0 ? std::string() : "exited with " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) return std::string("ended by signal ") + std::to_string(WTERMSIG(status));
    return "ended abnormally";
}

}  // namespace

struct ChildProcess::State {
    pid_t pid = -1;
    int input = -1;  // our end of the program's standard input, until it is all written
    std::string text;
    size_t written = 0;
    bool ended = false;
    std::string failure;

    void CloseInput() {
        if (input >= 0) close(input);
        input = -1;
    }

    // Writes what the pipe takes now, waiting at most `ms` for room.
    void Feed(int ms) {
        if (input < 0) return;
        if (written == text.size()) {
            CloseInput();  // the end of the input
            return;
        }
        pollfd p{input, POLLOUT, 0};
        if (poll(&p, 1, ms) <= 0) return;
        const ssize_t n = write(input, text.data() + written, text.size() - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            CloseInput();  // it stopped reading (EPIPE): the rest is not wanted
        }
        if (written == text.size()) CloseInput();
    }

    bool Reap() {
        if (ended) return true;
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == 0) return false;
        ended = true;
        CloseInput();
        failure = done == pid ? DescribeStatus(status) : std::string("lost track of it");
        return true;
    }
};

namespace {

std::unique_ptr<ChildProcess::State> Spawn(std::vector<std::string> argv, std::vector<std::string> environment,
                                           bool searchPath, std::string input, std::string* error) {
    IgnoreBrokenPipes();
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        *error = std::strerror(errno);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> env = Pointers(environment);
    pid_t pid = -1;
    const int failed = searchPath ? posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data())
                                  : posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[0]);
    if (failed != 0) {
        close(pipeEnds[1]);
        *error = std::strerror(failed);
        return nullptr;
    }
    // Our end never blocks: a program that does not read must not hold us.
    fcntl(pipeEnds[1], F_SETFL, fcntl(pipeEnds[1], F_GETFL) | O_NONBLOCK);
    auto state = std::make_unique<ChildProcess::State>();
    state->pid = pid;
    state->input = pipeEnds[1];
    state->text = std::move(input);
    return state;
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : state_(std::move(state)) {}

// A program still running is left to run on; it is not ours to end.
ChildProcess::~ChildProcess() { state_->CloseInput(); }

std::unique_ptr<ChildProcess> ChildProcess::StartShell(const std::string& command,
                                                       const EnvironmentAdditions& environment,
                                                       std::string input, std::string* error) {
    auto state = Spawn({Shell, "-c", command}, EnvironmentWith(environment), false, std::move(input), error);
    if (!state) return nullptr;
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(state)));
}

std::unique_ptr<ChildProcess> ChildProcess::StartProgram(const std::vector<std::string>& argv, std::string input,
                                                         std::string* error) {
    auto state = Spawn(argv, EnvironmentWith({}), true, std::move(input), error);
    if (!state) return nullptr;
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(state)));
}

bool ChildProcess::Wait(uint32_t ms, std::string* failure) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (state_->Reap()) {
            *failure = state_->failure;
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0 || StopRequested()) {
            state_->Feed(0);  // even a look passes on what the pipe takes now
            return false;
        }
        const int slice = static_cast<int>(std::min<int64_t>(left, SliceMs));
        if (state_->input >= 0) {
            state_->Feed(slice);
        } else {
            usleep(static_cast<useconds_t>(slice) * 1000);
        }
    }
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}
