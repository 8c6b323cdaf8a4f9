#include "cli/watch_log.h"

#include "cli/platform.h"
#include "device/backup_folder.h"

void LogEvent(const std::string& message) { WriteStderr(UtcTimeNow() + " " + message + "\n"); }
