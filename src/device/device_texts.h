#pragma once
#include "link/result_codes.h"

// What the keyboard did, in the words both programs use: a user who knows the
// window's message recognises it on the command line.
inline constexpr const char* TextNoKeyboard = "No keyboard detected.";
inline constexpr const char* TextNoData = "No data in Quillatron file.";
inline constexpr const char* TextFileFull = "Quillatron file is full.";
inline constexpr const char* TextUnexpectedReply = "Unexpected reply from Quillatron 4100.";

// The text for a failed device command; a port failure has the system's words
// instead, which each program fetches itself.
inline const char* DeviceReplyText(ResultCode code) {
    switch (code) {
    case ResultNoData: return TextNoData;
    case ResultFileFull: return TextFileFull;
    default: return TextUnexpectedReply;
    }
}
