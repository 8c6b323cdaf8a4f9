#pragma once
#include "device/device_texts.h"

// The program's own words, shown in the window and in its message boxes.

inline constexpr const char* TextNotFound = "No Quillatron found.";
inline constexpr const char* TextFound = "Quillatron found.";
inline constexpr const char* TextConnectedTitle = "Connected to Quillatron";
inline constexpr const char* TextSearchingTitle = "Glimmerly 3.0";
inline constexpr const char* TextPortFailureTitle = "Quillatron Get Utility 3.0";

inline constexpr const char* TextRetrieving = "Retrieving text.";
inline constexpr const char* TextSending = "Sending text.";
inline constexpr const char* TextSwitching = "Switching file.";
inline constexpr const char* TextEmpty = "";
inline constexpr const char* TextPressEscToStop = "Press Esc to stop.";

// Notes on the status line after a retrieve, until the next transfer or the
// keyboard's departure.
inline constexpr const char* TextPasteBlocked = "Blocked: press Ctrl+V to paste.";
inline constexpr const char* TextTransferCancelled = "Transfer cancelled.";

inline constexpr const char* CaptionError = "Quillatron Error";
inline constexpr const char* CaptionNotice = "Quillatron Notice";

inline constexpr const char* TextOutOfMemory = "Out of memory error.";
inline constexpr const char* TextNothingToSend = "Nothing in clipboard to send.";
