#pragma once
// Code page 1252 text, as the program and notepad hand it over, shown as UTF-8.
#include <string>
#include <string_view>

namespace e2e {

// Every byte becomes its character; the five bytes that code page 1252 leaves
// unassigned become U+FFFD, so nothing is dropped silently.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace e2e
