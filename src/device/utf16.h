#pragma once
#ifdef _WIN32
#include <windows.h>

#include <string>

// UTF-8, the core's text, to and from the UTF-16 of the system's wide calls,
// for the two Windows programs' messages, arguments and chosen folders.
// Invalid sequences become replacement characters: text for people, not paths
// (the core's own file calls refuse a path that is not UTF-8).

inline std::wstring Utf16FromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

// `length` characters of `wide`, or up to its terminator when `length` is -1.
inline std::string Utf8FromUtf16(const wchar_t* wide, int length = -1) {
    if (length < 0) length = lstrlenW(wide);
    if (length == 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}
#endif
