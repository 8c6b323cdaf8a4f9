#pragma once
// The CPU time and peak memory of a Wine process, from the host's /proc, for
// the benchmark's figures of the program at rest.
#include <optional>
#include <string>

#include <sys/types.h>

namespace e2e {

// The Linux process that runs `exeName` (its name as Wine sets it, e.g.
// "glimmerly.exe") in the given Wine prefix: not the `wine` launcher, and not
// a copy that another test bed runs beside ours.
std::optional<pid_t> FindWineProgram(const std::string& exeName, const std::string& winePrefix);

// User plus system CPU seconds the process has used so far.
std::optional<double> CpuSeconds(pid_t pid);

// A "VmXXX:" figure of /proc/<pid>/status in kB (VmHWM: peak resident memory).
std::optional<long> StatusKb(pid_t pid, const std::string& field);

}  // namespace e2e
