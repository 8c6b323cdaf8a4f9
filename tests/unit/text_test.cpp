// The character translation against an independent reference: the device's
// shared characters written as Unicode code points, mapped to code page 1252
// by a small table of our own, never by the program's tables.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "text/convert.h"

namespace {

struct SharedCharacter {
    uint8_t device;
    char32_t unicode;
};

// The 71 device codes that have a counterpart on the PC.
const SharedCharacter SharedCharacters[] = {
    {0x00, U'ç'}, {0x01, U'ü'}, {0x02, U'Ö'}, {0x03, U'œ'}, {0x04, U'Œ'}, {0x05, U'æ'},
    {0x06, U'Á'}, {0x07, U'À'}, {0x80, U'Û'}, {0x81, U'Ù'}, {0x82, U'Ú'}, {0x83, U'Ü'},
    {0x84, U'û'}, {0x85, U'ù'}, {0x86, U'ú'}, {0x87, U'Ô'}, {0x88, U'Ò'}, {0x89, U'Ó'},
    {0x8A, U'º'}, {0x8B, U'ô'}, {0x8C, U'ò'}, {0x8D, U'ó'}, {0x8E, U'ö'}, {0x8F, U'¿'},
    {0x90, U'Ê'}, {0x91, U'È'}, {0x92, U'É'}, {0x93, U'Ë'}, {0x94, U'ê'}, {0x95, U'è'},
    {0x96, U'é'}, {0x97, U'ë'}, {0x98, U'Å'}, {0x99, U'Ä'}, {0x9A, U'å'}, {0x9B, U'â'},
    {0x9C, U'à'}, {0x9D, U'á'}, {0x9E, U'ä'}, {0xA0, U'ª'}, {0xA1, U'î'}, {0xA2, U'ì'},
    {0xA3, U'í'}, {0xA4, U'ï'}, {0xA5, U'¡'}, {0xA6, U'Ñ'}, {0xA7, U'ñ'}, {0xAF, U'Æ'},
    {0xB0, U'§'}, {0xB7, U'£'}, {0xBC, U'¶'}, {0xBD, U'½'}, {0xC0, U'ø'}, {0xC3, U'ß'},
    {0xC4, U'Ç'}, {0xC6, U'¤'}, {0xC8, U'µ'}, {0xC9, U'Ø'}, {0xCB, U'Ã'}, {0xCC, U'¢'},
    {0xCD, U'ã'}, {0xCE, U'Õ'}, {0xCF, U'õ'}, {0xD0, U'·'}, {0xD1, U'¨'}, {0xD2, U'°'},
    {0xD6, U'÷'}, {0xDA, U'¥'}, {0xDC, U'®'}, {0xDD, U'©'}, {0xDE, U'™'},
};

constexpr uint8_t Space = 0x20;
constexpr uint8_t CR = 0x0D;
constexpr uint8_t LF = 0x0A;
constexpr uint8_t Macron = 0xAF;
constexpr uint8_t DeviceTradeMark = 0xDE;
constexpr uint8_t PcTradeMark = 0x99;

// Code page 1252 differs from Latin-1 only in 0x80..0x9F.
uint8_t ToCp1252(char32_t c) {
    static const std::map<char32_t, uint8_t> windowsRange = {
        {U'€', 0x80}, {U'‚', 0x82}, {U'ƒ', 0x83}, {U'„', 0x84}, {U'…', 0x85}, {U'†', 0x86},
        {U'‡', 0x87}, {U'ˆ', 0x88}, {U'‰', 0x89}, {U'Š', 0x8A}, {U'‹', 0x8B}, {U'Œ', 0x8C},
        {U'Ž', 0x8E}, {U'‘', 0x91}, {U'’', 0x92}, {U'“', 0x93}, {U'”', 0x94}, {U'•', 0x95},
        {U'–', 0x96}, {U'—', 0x97}, {U'˜', 0x98}, {U'™', 0x99}, {U'š', 0x9A}, {U'›', 0x9B},
        {U'œ', 0x9C}, {U'ž', 0x9E}, {U'Ÿ', 0x9F},
    };
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
    auto found = windowsRange.find(c);
    if (found == windowsRange.end()) ADD_FAILURE() << "no code page 1252 byte for U+" << std::hex << static_cast<uint32_t>(c);
    return found == windowsRange.end() ? 0 : found->second;
}

std::vector<uint8_t> ToDevice(const std::vector<uint8_t>& pc) {
    std::vector<uint8_t> out(pc.size() + 1);
    out.resize(PcToDevice(pc.data(), static_cast<uint32_t>(pc.size()), out.data()));
    return out;
}

// The PC text without its terminator; checks that the terminator is where the size says.
std::vector<uint8_t> ToPc(const std::vector<uint8_t>& device) {
    const auto n = static_cast<uint32_t>(device.size());
    const uint64_t size = PcTextSize(device.data(), n);
    std::vector<uint8_t> out(size + 8, 0xCC);  // guard bytes catch a write past the size
    DeviceToPc(device.data(), n, out.data());
    EXPECT_EQ(out[size - 1], 0) << "terminator at the end of the sized block";
    for (uint64_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], 0xCC) << "write past the block";
    out.resize(size - 1);
    return out;
}

std::map<uint8_t, uint8_t> DeviceToPcReference() {
    std::map<uint8_t, uint8_t> map;
    for (const auto& c : SharedCharacters) map[c.device] = ToCp1252(c.unicode);
    return map;
}

std::map<uint8_t, uint8_t> PcToDeviceReference() {
    std::map<uint8_t, uint8_t> map;
    for (const auto& c : SharedCharacters) map[ToCp1252(c.unicode)] = c.device;
    return map;
}

TEST(CharacterTables, ReferenceListIsSeventyOneDistinctPairs) {
    std::set<uint8_t> devices, pcs;
    for (const auto& c : SharedCharacters) {
        devices.insert(c.device);
        pcs.insert(ToCp1252(c.unicode));
    }
    EXPECT_EQ(std::size(SharedCharacters), 71u);
    EXPECT_EQ(devices.size(), 71u);
    EXPECT_EQ(pcs.size(), 71u);
}

TEST(CharacterTables, EveryDeviceCodeBecomesItsCharacterOrASpace) {
    const auto reference = DeviceToPcReference();
    for (int code = 0; code < 0x100; ++code) {
        if (code == CR) continue;  // a CR grows a LF; covered by the line-end tests
        const auto device = static_cast<uint8_t>(code);
        uint8_t expected = device;  // 0x08..0x7F are shared as they are
        if (auto found = reference.find(device); found != reference.end()) expected = found->second;
        else if (code >= 0x80) expected = Space;
        EXPECT_EQ(ToPc({device}), std::vector<uint8_t>{expected}) << "device code 0x" << std::hex << code;
    }
}

TEST(CharacterTables, EveryPcByteBecomesItsDeviceCodeOrASpace) {
    const auto reference = PcToDeviceReference();
    for (int code = 1; code < 0x100; ++code) {
        const auto pc = static_cast<uint8_t>(code);
        uint8_t expected = pc;  // below 0x80 everything passes unchanged, 0x01..0x07 included
        if (auto found = reference.find(pc); found != reference.end()) expected = found->second;
        else if (code == Macron) expected = DeviceTradeMark;
        else if (code >= 0x80) expected = Space;
        EXPECT_EQ(ToDevice({pc}), std::vector<uint8_t>{expected}) << "PC byte 0x" << std::hex << code;
    }
}

TEST(CharacterTables, MacronGoesOutAsTradeMarkAndComesBackAsTradeMark) {
    EXPECT_EQ(ToDevice({Macron}), std::vector<uint8_t>{DeviceTradeMark});
    EXPECT_EQ(ToPc({DeviceTradeMark}), std::vector<uint8_t>{PcTradeMark});
    EXPECT_EQ(ToDevice({PcTradeMark}), std::vector<uint8_t>{DeviceTradeMark});
}

TEST(CharacterTables, WholePcRangeThereAndBack) {
    const auto reference = PcToDeviceReference();
    std::vector<uint8_t> pc;
    for (int code = 0x80; code < 0x100; ++code) pc.push_back(static_cast<uint8_t>(code));
    const auto back = ToPc(ToDevice(pc));
    ASSERT_EQ(back.size(), pc.size());
    for (size_t i = 0; i < pc.size(); ++i) {
        uint8_t expected = reference.count(pc[i]) ? pc[i] : Space;
        if (pc[i] == Macron) expected = PcTradeMark;
        EXPECT_EQ(back[i], expected) << "PC byte 0x" << std::hex << int{pc[i]};
    }
}

TEST(LineEnds, PcCrLfBecomesOneCrAndNothingElseIsDropped) {
    EXPECT_EQ(ToDevice({'a', CR, LF, 'b'}), (std::vector<uint8_t>{'a', CR, 'b'}));
    EXPECT_EQ(ToDevice({'a', LF, 'b'}), (std::vector<uint8_t>{'a', LF, 'b'}));
    EXPECT_EQ(ToDevice({CR, CR, LF}), (std::vector<uint8_t>{CR, CR}));
    EXPECT_EQ(ToDevice({0xE9, LF}), (std::vector<uint8_t>{0x96, LF}));
    EXPECT_EQ(ToDevice({'a', CR}), (std::vector<uint8_t>{'a', CR}));  // a CR at the very end
    EXPECT_EQ(ToDevice({CR, LF, LF}), (std::vector<uint8_t>{CR, LF}));
}

TEST(LineEnds, DeviceCrGainsALfAndADeviceLfStays) {
    const std::vector<uint8_t> device = {'a', CR, 'b'};
    EXPECT_EQ(PcTextSize(device.data(), 3), 5u);
    EXPECT_EQ(ToPc(device), (std::vector<uint8_t>{'a', CR, LF, 'b'}));
    EXPECT_EQ(ToPc({CR, LF}), (std::vector<uint8_t>{CR, LF, LF}));
    EXPECT_EQ(ToPc({CR, CR}), (std::vector<uint8_t>{CR, LF, CR, LF}));
}

TEST(LineEnds, PcTextThereAndBackKeepsCrLfAndPairsALoneCr) {
    EXPECT_EQ(ToPc(ToDevice({'a', CR, LF, 'b', CR, 'c'})),
              (std::vector<uint8_t>{'a', CR, LF, 'b', CR, LF, 'c'}));
}

TEST(DeviceText, ZeroByteIsALetterNotTheEnd) {
    EXPECT_EQ(ToPc({'a', 0x00, 'b'}), (std::vector<uint8_t>{'a', 0xE7, 'b'}));
    EXPECT_EQ(ToDevice({0xE7}), std::vector<uint8_t>{0x00});
    EXPECT_EQ(ToPc({0x07, 0x08, 0xE5}), (std::vector<uint8_t>{0xC0, 0x08, Space}));
}

TEST(DeviceText, EmptyTextsBothWays) {
    EXPECT_TRUE(ToDevice({}).empty());
    const uint8_t none = 0;
    EXPECT_EQ(PcTextSize(&none, 0), 1u);
    EXPECT_TRUE(ToPc({}).empty());
}

TEST(DeviceText, SizeCountsEveryCarriageReturn) {
    std::vector<uint8_t> device(1000, CR);
    EXPECT_EQ(CountCarriageReturns(device.data(), 1000), 1000u);
    EXPECT_EQ(PcTextSize(device.data(), 1000), 2001u);
    EXPECT_EQ(ToPc(device).size(), 2000u);
}

}  // namespace
