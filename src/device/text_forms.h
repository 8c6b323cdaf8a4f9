#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The device's text as PC files hold it, and back. The device ends a line with
// one CR; a PC file uses its platform's line end.
enum class LineEnd { Lf, CrLf };

#ifdef _WIN32
inline constexpr LineEnd NativeLineEnd = LineEnd::CrLf;
#else
inline constexpr LineEnd NativeLineEnd = LineEnd::Lf;
#endif

// Device text as code page 1252 or as UTF-8, each device CR a line end of the
// given kind; nothing is added at the end.
std::string DeviceToCp1252(std::span<const uint8_t> device, LineEnd lineEnd);
std::string DeviceToUtf8(std::span<const uint8_t> device, LineEnd lineEnd);

struct DeviceTextResult {
    bool valid = true;          // false: the input is not valid UTF-8; nothing else is set
    size_t invalidOffset = 0;   // where the first bad byte sits, when not valid
    std::vector<uint8_t> bytes;
    uint32_t replaced = 0;      // characters with no device form, sent as spaces
};

// PC text to device text: a leading byte-order mark is dropped, CR LF, CR and
// LF each become the device's CR, and characters the device cannot show become
// a space and are counted.
DeviceTextResult Utf8ToDevice(std::span<const uint8_t> text);
DeviceTextResult Cp1252ToDevice(std::span<const uint8_t> text);
