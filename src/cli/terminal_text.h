#pragma once
#include <string>
#include <string_view>

// Text from outside the program (a backup folder someone sent, a keyboard's
// identity) made safe for a terminal: control characters, C1 controls
// included, and bytes that are not UTF-8 become \xNN, so that no escape
// sequence can move the cursor, rewrite a question or change the terminal.
// Printable UTF-8 passes unchanged.
std::string Printable(std::string_view text);
