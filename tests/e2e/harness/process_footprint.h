#pragma once
// What a Wine process holds, read from the host's /proc: for a soak that
// watches for leaks. Wine 8 answers GetGuiResources and another process's
// GetProcessHandleCount with 0, so the probe's own figures say little there.
#include <optional>

#include <sys/types.h>

namespace e2e {

struct ProcessFootprint {
    long residentKb = 0;  // VmRSS
    long openFiles = 0;   // entries of /proc/<pid>/fd
    long threads = 0;
};

std::optional<ProcessFootprint> ReadFootprint(pid_t pid);

}  // namespace e2e
