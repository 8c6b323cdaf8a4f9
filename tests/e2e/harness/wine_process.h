#pragma once
// A Windows program started under Wine from the host, with its output in a
// file (never a pipe: Wine's background services inherit it and a reader
// would wait for ever). Ended by its own pid only.
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace e2e {

class WineProcess {
public:
    WineProcess() = default;
    ~WineProcess();
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    // Variables ("NAME=value") set for the next Start over the host's own.
    void SetEnvironment(std::vector<std::string> overrides) { overrides_ = std::move(overrides); }
    // Runs `wine program args...`; output and errors go to outputFile.
    bool Start(const std::vector<std::string>& programAndArgs, const std::string& outputFile, std::string* error);
    bool Running();
    // The exit code once the process has ended within the bound; nullopt if it has not.
    std::optional<int> WaitExit(int timeoutMs);
    // Ends the process if it still runs (SIGKILL to its own pid) and reaps it.
    void Kill();
    pid_t Pid() const { return pid_; }
    std::optional<int> ExitCode() const { return exitCode_; }

private:
    void Reap(int status);
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    std::vector<std::string> overrides_;
};

}  // namespace e2e
