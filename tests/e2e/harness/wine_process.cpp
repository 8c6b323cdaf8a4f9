#include "harness/wine_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace e2e {

namespace {
constexpr auto ExitPoll = std::chrono::milliseconds(20);
constexpr int SignalExitBase = 128;  // as a shell reports a process ended by a signal
}  // namespace

namespace {
// The host's environment with `overrides` in place of the variables they name.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& o : overrides) replaced = replaced || o.rfind(name, 0) == 0;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}
}  // namespace

WineProcess::~WineProcess() { Kill(); }

bool WineProcess::Start(const std::vector<std::string>& programAndArgs, const std::string& outputFile,
                        std::string* error) {
    std::vector<std::string> argv = {"wine"};
    argv.insert(argv.end(), programAndArgs.begin(), programAndArgs.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // A process group of its own, so that Ctrl+C at the demo's terminal reaches
    // only the demo, which then ends what it started in order.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);

    std::vector<std::string> env = EnvironmentWith(overrides_);
    std::vector<char*> cenv;
    for (auto& e : env) cenv.push_back(e.data());
    cenv.push_back(nullptr);

    exitCode_.reset();
    int rc = posix_spawnp(&pid_, "wine", &actions, &attr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        pid_ = -1;
        if (error) *error = std::string("cannot start wine: ") + std::strerror(rc);
        return false;
    }
    return true;
}

void WineProcess::Reap(int status) {
    if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) exitCode_ = SignalExitBase + WTERMSIG(status);
    pid_ = -1;
}

bool WineProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        Reap(status);
        return false;
    }
    return r == 0;
}

std::optional<int> WineProcess::WaitExit(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(ExitPoll);
    }
    return exitCode_;
}

void WineProcess::Kill() {
    if (pid_ <= 0 || !Running()) return;
    kill(pid_, SIGKILL);
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_) Reap(status);
    pid_ = -1;
}

}  // namespace e2e
