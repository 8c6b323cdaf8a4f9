#include "harness/process_usage.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace e2e {

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The environment holds NUL-separated NAME=VALUE entries.
bool HasEnvEntry(const std::string& environ, const std::string& entry) {
    size_t start = 0;
    while (start < environ.size()) {
        size_t end = environ.find('\0', start);
        if (end == std::string::npos) end = environ.size();
        if (environ.compare(start, end - start, entry) == 0) return true;
        start = end + 1;
    }
    return false;
}

// utime and stime are the 14th and 15th fields of /proc/<pid>/stat; the
// second field (the name in parentheses) may hold spaces, so count after it.
constexpr int UtimeFieldAfterName = 12;  // fields 3.. follow the name; utime is the 12th of them

}  // namespace

std::optional<pid_t> FindWineProgram(const std::string& exeName, const std::string& winePrefix) {
    std::error_code ec;
    const std::string prefixEntry = "WINEPREFIX=" + winePrefix;
    for (auto it = std::filesystem::directory_iterator("/proc", ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string dir = it->path().string();
        // Wine names the process after the Windows program it runs.
        if (FirstLine(dir + "/comm") != exeName) continue;
        if (!HasEnvEntry(ReadWhole(dir + "/environ"), prefixEntry)) continue;
        return static_cast<pid_t>(std::atol(name.c_str()));
    }
    return std::nullopt;
}

std::optional<double> CpuSeconds(pid_t pid) {
    std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::string skip;
    for (int i = 1; i < UtimeFieldAfterName; ++i) fields >> skip;
    unsigned long long utime = 0, stime = 0;
    if (!(fields >> utime >> stime)) return std::nullopt;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::optional<long> StatusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == field + ":") {
            long kb = 0;
            if (status >> kb) return kb;
            return std::nullopt;
        }
        std::string rest;
        std::getline(status, rest);
    }
    return std::nullopt;
}

}  // namespace e2e
