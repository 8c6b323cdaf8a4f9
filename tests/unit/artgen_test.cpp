// The committed icons and pictures are what artgen draws, and have the shapes
// the resource loader and the recolouring expect.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "art.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

const fs::path ResDir = fs::path(GLIMMERLY_SOURCE_DIR) / "src" / "res";

TEST(Artgen, RegeneratedFilesEqualTheCommittedOnes) {
    const fs::path out = fs::temp_directory_path() / ("artgen_test_" + std::to_string(::getpid()));
    ASSERT_TRUE(artgen::WriteArt(out.string())) << "artgen should write into a fresh folder";
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), out);
        EXPECT_EQ(ReadFile(entry.path()), ReadFile(ResDir / relative))
            << relative << " differs from the committed file: run artgen src/res and commit";
        ++compared;
    }
    fs::remove_all(out);
    EXPECT_EQ(compared, 38u) << "34 icons and 4 pictures";
}

TEST(Artgen, IconsHoldOne32By32SixteenColourImageWithMask) {
    for (const artgen::ArtFile& file : artgen::AllArt()) {
        if (file.path.rfind("icons/", 0) != 0) continue;
        const auto& b = file.bytes;
        ASSERT_EQ(b.size(), 6u + 16 + 40 + 64 + 512 + 128) << file.path;
        EXPECT_EQ(Le16(b, 2), 1) << "an icon, not a cursor";
        EXPECT_EQ(Le16(b, 4), 1) << "one image";
        EXPECT_EQ(b[6], 32);
        EXPECT_EQ(b[7], 32);
        EXPECT_EQ(b[8], 16) << "16 colours";
        EXPECT_EQ(Le16(b, 12), 4) << "4 bits per pixel";
        EXPECT_EQ(Le32(b, 22 + 8), 64u) << "height counts the colour and mask halves";
    }
}

// Colour indices of the icons' standard palette used below.
constexpr uint8_t DarkRed = 1, DarkBlue = 4, LightGrey = 7, Red = 9, Blue = 12, White = 15;

uint8_t IconPixel(const std::vector<uint8_t>& ico, int x, int y) {
    const size_t bits = 22 + 40 + 64;
    const size_t row = static_cast<size_t>(31 - y) * 16;  // stored bottom-up
    const uint8_t pair = ico[bits + row + static_cast<size_t>(x) / 2];
    return x % 2 ? pair & 0x0F : pair >> 4;
}

TEST(Artgen, ProgressFrameDarkensExactlyTheLeftColumns) {
    const auto files = artgen::AllArt();
    const auto& connected = files[1].bytes;
    ASSERT_EQ(files[1].path, "icons/connected.ico");
    for (int k = 0; k < 32; ++k) {
        const auto& frame = files[2 + static_cast<size_t>(k)].bytes;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const uint8_t before = IconPixel(connected, x, y), after = IconPixel(frame, x, y);
                uint8_t expected = before;
                if (x <= k) {
                    if (before == Blue) expected = DarkBlue;
                    if (before == Red) expected = DarkRed;
                    if (before == White) expected = LightGrey;
                }
                ASSERT_EQ(after, expected) << "frame " << k << " at " << x << "," << y;
            }
        }
    }
}

TEST(Artgen, PicturesAre72By23EightBitWithGreyOverMoreThanHalf) {
    for (const artgen::ArtFile& file : artgen::AllArt()) {
        if (file.path.rfind("bitmaps/", 0) != 0) continue;
        const auto& b = file.bytes;
        ASSERT_EQ(b.size(), 14u + 2720) << file.path;
        EXPECT_EQ(Le32(b, 14 + 4), 72u);
        EXPECT_EQ(Le32(b, 14 + 8), 23u) << "positive height: rows bottom-up";
        EXPECT_EQ(Le16(b, 14 + 14), 8);
        EXPECT_EQ(Le32(b, 14 + 16), 0u) << "BI_RGB";
        const size_t palette = 14 + 40, pixels = palette + 1024;
        size_t grey = 0, red = 0;
        for (size_t i = pixels; i < b.size(); ++i) {
            const size_t entry = palette + b[i] * 4u;
            const uint8_t blue = b[entry], green = b[entry + 1], redByte = b[entry + 2];
            if (blue == 192 && green == 192 && redByte == 192) ++grey;
            if (blue == 0 && green == 0 && redByte == 255) ++red;
        }
        EXPECT_GT(grey, 1656u / 2) << file.path;
        const bool waves = file.path.find("waves") != std::string::npos;
        EXPECT_EQ(red > 0, waves) << file.path << ": red waves only in the infrared pictures";
    }
}

}  // namespace
