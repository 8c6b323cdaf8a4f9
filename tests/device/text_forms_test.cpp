// The text forms of PC files: what put sends and what get and backup write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/text_forms.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::string_view text) { return {text.begin(), text.end()}; }

struct ToDeviceCase {
    const char* name;
    std::string input;
    bool utf8;
    bool valid;
    Bytes device;
    uint32_t replaced;
};

TEST(TextForms, PcTextBecomesDeviceText) {
    const std::vector<ToDeviceCase> cases = {
        {"bom dropped, three line ends", "\xEF\xBB\xBF" "a\r\nb\rc\nd", true, true, B("a\rb\rc\rd"), 0},
        {"CR CR LF is two lines", "\r\r\n", true, true, B("\r\r"), 0},
        {"accents and symbols", "\xC3\xA9\xC3\xA7\xE2\x84\xA2\xC2\xAF", true, true, {0x96, 0x00, 0xDE, 0xDE}, 0},
        {"no device form: euro, snowman, emoji, C1", "\xE2\x82\xAC\xE2\x98\x83\xF0\x9F\x98\x80\xC2\x85", true, true,
         B("    "), 4},
        {"controls the device shows as letters", std::string("x\x01y\0z", 5), true, true, B("x y z"), 2},
        {"a space is a space, not a replacement", "a b", true, true, B("a b"), 0},
        {"overlong", "a\xC0\x80", true, false, {}, 0},
        {"surrogate", "\xED\xA0\x80", true, false, {}, 0},
        {"cut short", "ok\xE2\x82", true, false, {}, 0},
        {"above U+10FFFF", "\xF4\x90\x80\x80", true, false, {}, 0},
        {"stray continuation", "\x80", true, false, {}, 0},
        {"cp1252 letters and line ends", "\xE9\r\n\x8C\x80", false, true, {0x96, 0x0D, 0x04, 0x20}, 1},
        {"cp1252 unassigned byte", "\x81", false, true, B(" "), 1},
    };
    for (const ToDeviceCase& c : cases) {
        const Bytes input = B(c.input);
        const DeviceTextResult got = c.utf8 ? Utf8ToDevice(input) : Cp1252ToDevice(input);
        EXPECT_EQ(got.valid, c.valid) << c.name;
        if (!c.valid) continue;
        EXPECT_EQ(got.bytes, c.device) << c.name;
        EXPECT_EQ(got.replaced, c.replaced) << c.name;
    }
}

TEST(TextForms, DeviceTextBecomesPcTextWithNothingAdded) {
    const Bytes device = {'a', 0x0D, 0x96, 0x00, 0x0A, 0xDE, 0xE5, 0x0D};
    EXPECT_EQ(DeviceToUtf8(device, LineEnd::Lf), "a\n\xC3\xA9\xC3\xA7\n\xE2\x84\xA2 \n");
    EXPECT_EQ(DeviceToUtf8(device, LineEnd::CrLf), "a\r\n\xC3\xA9\xC3\xA7\n\xE2\x84\xA2 \r\n");
    EXPECT_EQ(DeviceToCp1252(device, LineEnd::CrLf), "a\r\n\xE9\xE7\n\x99 \r\n");
    EXPECT_EQ(DeviceToUtf8({}, LineEnd::Lf), "");

    // Every character the PC can send comes back as itself from the device.
    for (uint32_t c = 0xA0; c <= 0xFF; ++c) {
        std::string utf8;
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
        const DeviceTextResult sent = Utf8ToDevice(B(utf8));
        if (sent.replaced != 0 || c == 0xAF) continue;  // the macron comes back as the trade mark
        EXPECT_EQ(DeviceToUtf8(sent.bytes, LineEnd::Lf), utf8) << std::hex << c;
    }
}

}  // namespace
