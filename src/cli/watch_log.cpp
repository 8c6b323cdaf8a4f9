#include "cli/watch_log.h"

#include "cli/platform.h"
#include "device/backup_folder.h"

namespace {
constexpr char FirstPrintable = 0x20;
constexpr char LastPrintable = 0x7E;
}  // namespace

void LogEvent(const std::string& message) { WriteStderr(UtcTimeNow() + " " + message + "\n"); }

std::string PrintableIdentity(const std::string& identity) {
    std::string text;
    for (const char c : identity) text += c >= FirstPrintable && c <= LastPrintable ? c : '?';
    return text;
}
