// Any bytes through the conversions of put and get, checked against the
// system's iconv: what is valid UTF-8, what code page 1252 means, and that
// device text comes back from its UTF-8 form whole.
//
// Input layout:
//   byte 0  bit 0: line ends CR LF (else LF) for the device-to-PC direction
//   rest    the bytes, read as UTF-8, as code page 1252 and as device text
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/text_forms.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t Space = 0x20;
constexpr uint8_t Cr = 0x0D;
constexpr uint8_t Lf = 0x0A;
constexpr uint8_t CrLfBit = 0x01;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The whole of `in` converted, or false when iconv refuses any of it.
bool Convert(iconv_t converter, const std::string& in, std::string* out) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    out->assign(in.size() * 4 + 4, '\0');
    char* from = const_cast<char*>(in.data());
    size_t fromLeft = in.size();
    char* to = out->data();
    size_t toLeft = out->size();
    if (iconv(converter, &from, &fromLeft, &to, &toLeft) == static_cast<size_t>(-1)) return false;
    out->resize(out->size() - toLeft);
    return true;
}

iconv_t Opened(const char* to, const char* from) {
    const iconv_t converter = iconv_open(to, from);
    Check(converter != reinterpret_cast<iconv_t>(-1));
    return converter;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const iconv_t utf8Check = Opened("UTF-32LE", "UTF-8");
    static const iconv_t utf8ToCp1252 = Opened("CP1252", "UTF-8");
    static const iconv_t cp1252ToUtf8 = Opened("UTF-8", "CP1252");
    if (size < 1) return 0;
    const LineEnd lineEnd = (data[0] & CrLfBit) ? LineEnd::CrLf : LineEnd::Lf;
    const Bytes bytes(data + 1, data + size);
    const std::string text(bytes.begin(), bytes.end());
    std::string converted;

    // UTF-8 in: valid exactly when iconv reads it.
    const DeviceTextResult fromUtf8 = Utf8ToDevice(bytes);
    Check(fromUtf8.valid == Convert(utf8Check, text, &converted));

    // Code page 1252 in: the same device text as its UTF-8 form, where iconv
    // knows every byte.
    const DeviceTextResult fromCp1252 = Cp1252ToDevice(bytes);
    Check(fromCp1252.valid);
    if (Convert(cp1252ToUtf8, text, &converted)) {
        const DeviceTextResult viaUtf8 = Utf8ToDevice(Bytes(converted.begin(), converted.end()));
        Check(viaUtf8.bytes == fromCp1252.bytes && viaUtf8.replaced == fromCp1252.replaced);
    }

    // Device text out: UTF-8 that iconv reads, and that says in code page 1252
    // what the code page form says; back to the device whole, where the PC
    // could show the character at all. A device LF is a line end on the PC,
    // and comes back as the device's own line end; the .raw files keep it.
    const std::string utf8 = DeviceToUtf8(bytes, lineEnd);
    const std::string cp1252 = DeviceToCp1252(bytes, lineEnd);
    Check(Convert(utf8ToCp1252, utf8, &converted) && converted == cp1252);
    const DeviceTextResult back = Utf8ToDevice(Bytes(utf8.begin(), utf8.end()));
    Check(back.valid && back.bytes.size() == bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        Check(back.bytes[i] == bytes[i] || back.bytes[i] == Space || (bytes[i] == Lf && back.bytes[i] == Cr));
    }
    return 0;
}
