#pragma once
#include <string>

// The system clipboard and the paste key, for the watch's deliveries. On
// Windows through the system's own calls; elsewhere through the desktop's
// tools, found on the PATH.

// Whether text can be put on the clipboard here; otherwise why not, naming
// what was looked for. Asked once, before the watch starts.
bool ClipboardReachable(std::string* reason);
// Whether the paste key can be typed here; otherwise why not.
bool PasteKeyTypable(std::string* reason);

// UTF-8 text with the platform's line ends.
bool PlaceOnClipboard(const std::string& utf8, std::string* failure);
// The paste key, typed into whatever has the keyboard focus.
bool TypePasteKey(std::string* failure);
