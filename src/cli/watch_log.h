#pragma once
#include <string>

// One line on standard error per event of the watch, each with its UTC time,
// so that a log kept for days says when the keyboard came and went.
void LogEvent(const std::string& message);
