#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A program started with a text on its standard input, which it may take as
// slowly as it likes: the input is fed while the caller waits, and never
// holds the caller longer than the wait it asked for. Its standard output and
// error are ours.

using EnvironmentAdditions = std::vector<std::pair<std::string, std::string>>;

class ChildProcess {
public:
    // CMD through the system's shell (/bin/sh -c, or the command interpreter
    // on Windows), with `environment` added to ours. Null when it cannot be
    // started, with the reason in *error.
    static std::unique_ptr<ChildProcess> StartShell(const std::string& command,
                                                    const EnvironmentAdditions& environment,
                                                    std::string input, std::string* error);
#ifndef _WIN32
    // A program found on the PATH, with these arguments (argv[0] included).
    static std::unique_ptr<ChildProcess> StartProgram(const std::vector<std::string>& argv,
                                                      std::string input, std::string* error);
#endif
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Feeds the input and waits up to `ms` for the program to end (0: only
    // looks). True once it has ended; *failure then says how it failed, and is
    // empty when it exited with 0. A stop request ends the wait early.
    bool Wait(uint32_t ms, std::string* failure);

    struct State;

private:
    explicit ChildProcess(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

#ifndef _WIN32
// The full path of a program on the PATH, or empty.
std::string FindOnPath(const std::string& program);
#endif
