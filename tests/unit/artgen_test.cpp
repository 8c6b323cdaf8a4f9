// The committed icons and pictures are what artgen draws, and have the shapes
// the resource loader and the recolouring expect.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "art.h"
#include "formats.h"
#include "icons.h"
#include "palette.h"
#include "pictures.h"
#include "png.h"
#include "ui/art_sizes.h"

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
    EXPECT_EQ(compared, 38u + 37 + 37 + 4 + 1)
        << "34 icons and 4 pictures at 96 DPI; the caption icons and 4 pictures at 120 and 144 DPI; "
           "4 pictures at 192 DPI; the resource script that names the larger ones";
}

// The program picks its art by the numbers and DPIs that artgen draws for.
TEST(Artgen, TheProgramPicksTheSizeDrawnForTheDisplay) {
    static_assert(artgen::ArtIdStep == ART_ID_STEP);
    for (size_t i = 0; i < ArtDpis.size(); ++i) {
        EXPECT_EQ(artgen::ArtSizes[i].dpi, ArtDpis[i]);
        EXPECT_EQ(NearestArtSize(ArtDpis[i]), i) << ArtDpis[i] << " DPI";
    }
    struct Case {
        int dpi;
        size_t size;
    };
    const Case cases[] = {{0, 0},   {-96, 0},  {72, 0},   {107, 0},  {108, 0} /* a tie: smaller */,
                          {109, 1}, {132, 1},  {133, 2},  {168, 2},  {169, 3},
                          {240, 3}, {480, 3},  {1 << 30, 3}};
    for (const Case& c : cases) EXPECT_EQ(NearestArtSize(c.dpi), c.size) << c.dpi << " DPI";
    EXPECT_EQ(ArtResourceId(IDB_CABLE_IDLE, 96), IDB_CABLE_IDLE);
    EXPECT_EQ(ArtResourceId(IDI_PROGRESS_LAST, 144), IDI_PROGRESS_LAST + 2 * ART_ID_STEP);
    const auto scriptBytes = artgen::AllArt().back().bytes;
    const std::string script(scriptBytes.begin(), scriptBytes.end());
    EXPECT_NE(script.find("\n344 ICON \"icons/progress_31_144dpi.ico\"\n"), std::string::npos);
    EXPECT_NE(script.find("\n450 BITMAP \"bitmaps/waves_linked_192dpi.bmp\"\n"), std::string::npos);
    EXPECT_EQ(script.find("\n412 ICON"), std::string::npos) << "192 DPI shows the 96 DPI caption icons";
    EXPECT_EQ(script.find("07 ICON"), std::string::npos) << "the main icon's one group holds every size";
}

// The icon's edge in pixels, from the size its file name gives.
int ExpectedIconSize(const std::string& path) {
    for (const artgen::ArtSize& size : artgen::ArtSizes)
        if (size.dpi != artgen::BaseDpi &&
            path.find("_" + std::to_string(size.dpi) + "dpi") != std::string::npos)
            return size.captionIcon;
    return 32;
}

TEST(Artgen, CaptionIconsHoldOneSixteenColourImageWithMaskAtTheirSize) {
    for (const artgen::ArtFile& file : artgen::AllArt()) {
        if (file.path.rfind("icons/", 0) != 0 || file.path == "icons/main.ico") continue;
        const auto& b = file.bytes;
        const uint32_t size = static_cast<uint32_t>(ExpectedIconSize(file.path));
        const uint32_t colourRow = (size * 4 + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
        ASSERT_EQ(b.size(), 6u + 16 + 40 + 64 + (colourRow + maskRow) * size) << file.path;
        EXPECT_EQ(Le16(b, 2), 1) << "an icon, not a cursor";
        EXPECT_EQ(Le16(b, 4), 1) << "one image";
        EXPECT_EQ(b[6], size) << file.path;
        EXPECT_EQ(b[7], size);
        EXPECT_EQ(b[8], 16) << "16 colours";
        EXPECT_EQ(Le16(b, 12), 4) << "4 bits per pixel";
        EXPECT_EQ(Le32(b, 22 + 8), 2 * size) << "height counts the colour and mask halves";
    }
}

// Colour indices of the icons' standard palette used below.
constexpr uint8_t DarkRed = 1, DarkBlue = 4, LightGrey = 7, Red = 9, Blue = 12, White = 15;

uint8_t IconPixel(const std::vector<uint8_t>& ico, int x, int y) {
    const int size = ico[6];
    const size_t bits = 22 + 40 + 64;
    const size_t row = static_cast<size_t>(size - 1 - y) * ((size * 4 + 31) / 32 * 4);  // bottom-up
    const uint8_t pair = ico[bits + row + static_cast<size_t>(x) / 2];
    return x % 2 ? pair & 0x0F : pair >> 4;
}

const std::vector<uint8_t>& ArtNamed(const std::vector<artgen::ArtFile>& files, const std::string& path) {
    static const std::vector<uint8_t> none;
    for (const artgen::ArtFile& file : files)
        if (file.path == path) return file.bytes;
    ADD_FAILURE() << "no " << path;
    return none;
}

// The main icon's group: the 16-colour image first, as before; then a
// true-colour image for every size, transparent (alpha 0 and a set mask bit)
// exactly where the drawing is; then the PNG, which decodes to the drawing.
TEST(Artgen, MainIconHoldsEverySizeWithAlphaAndThePngDecodesToTheDrawing) {
    const auto files = artgen::AllArt();
    const auto& ico = ArtNamed(files, "icons/main.ico");
    const auto palette = artgen::IconPalette();
    const size_t sizes = artgen::MainIconTrueColourSizes.size();
    ASSERT_EQ(Le16(ico, 4), 1 + sizes + 1);
    EXPECT_EQ(ico[6], 32);
    EXPECT_EQ(Le16(ico, 6 + 6), 4) << "the 16-colour image stays";
    for (size_t i = 0; i < sizes; ++i) {
        const size_t entry = 6 + 16 * (1 + i), image = Le32(ico, entry + 12);
        const int size = artgen::MainIconTrueColourSizes[i];
        ASSERT_EQ(ico[entry], size);
        EXPECT_EQ(Le16(ico, entry + 6), 32) << size;
        EXPECT_EQ(Le16(ico, image + 14), 32) << size;
        const auto drawing = artgen::DrawTrueColourMainIcon(size);
        const size_t maskAt = image + 40 + size_t(size) * size * 4, maskRow = (size + 31) / 32 * 4;
        ASSERT_EQ(Le32(ico, entry + 8), maskAt + maskRow * size - image) << size;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const size_t row = size_t(size - 1 - y);  // bottom-up
                const uint8_t alpha = ico[image + 40 + (row * size + x) * 4 + 3];
                const bool masked = ico[maskAt + row * maskRow + x / 8] & (0x80 >> (x % 8));
                const bool clear = drawing.At(x, y) == artgen::IconTransparent;
                ASSERT_EQ(alpha, clear ? 0 : 255) << size << " at " << x << "," << y;
                ASSERT_EQ(masked, clear) << size << " at " << x << "," << y;
            }
    }
    const size_t last = 6 + 16 * (1 + sizes);
    EXPECT_EQ(ico[last], 0) << "256 pixels";
    artgen::Bytes png(ico.begin() + Le32(ico, last + 12), ico.end());
    ASSERT_EQ(png.size(), Le32(ico, last + 8));
    const auto drawing = artgen::DrawTrueColourMainIcon(artgen::MainIconPngSize);
    EXPECT_EQ(artgen::DecodePng(png, 256, 256),
              artgen::RgbaPixels(drawing, palette, artgen::IconTransparent));
    png[png.size() / 2] ^= 1;
    EXPECT_TRUE(artgen::DecodePng(png, 256, 256).empty()) << "a damaged PNG decodes to nothing";
}

// At each size the wipe darkens whole columns from the left, one more every
// frame at 32 pixels, and the last frame darkens the whole icon.
TEST(Artgen, ProgressFrameDarkensExactlyTheLeftColumns) {
    const auto files = artgen::AllArt();
    for (const char* suffix : {"", "_120dpi", "_144dpi"}) {
        const auto& connected = ArtNamed(files, std::string("icons/connected") + suffix + ".ico");
        if (connected.empty()) continue;
        const int size = connected[6];
        int previous = 0;
        for (int k = 0; k < 32; ++k) {
            char name[48];
            std::snprintf(name, sizeof name, "icons/progress_%02d%s.ico", k, suffix);
            const auto& frame = ArtNamed(files, name);
            if (frame.empty()) continue;
            const int darkened = artgen::DarkenedColumns(k, size);
            if (size == 32) {
                EXPECT_EQ(darkened, k + 1);
            }
            ASSERT_GE(darkened, previous) << name << ": the wipe never moves back";
            previous = darkened;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const uint8_t before = IconPixel(connected, x, y), after = IconPixel(frame, x, y);
                    uint8_t expected = before;
                    if (x < darkened) {
                        if (before == Blue) expected = DarkBlue;
                        if (before == Red) expected = DarkRed;
                        if (before == White) expected = LightGrey;
                    }
                    ASSERT_EQ(after, expected) << name << " at " << x << "," << y;
                }
            }
        }
        EXPECT_EQ(previous, size) << suffix << ": the last frame darkens every column";
    }
}

// 72 x 23 at 96 DPI and the DPI's share of it at the larger sizes, so each
// fills the place the window gives it. The larger ones are run-length encoded
// with a short colour table, and decode to exactly what was drawn.
TEST(Artgen, PicturesAreEightBitAtTheirSizeWithGreyOverMoreThanHalf) {
    for (const artgen::ArtFile& file : artgen::AllArt()) {
        if (file.path.rfind("bitmaps/", 0) != 0) continue;
        const auto& b = file.bytes;
        uint32_t width = 72, height = 23;
        double scale = 1.0;
        for (const artgen::ArtSize& size : artgen::ArtSizes) {
            if (file.path.find("_" + std::to_string(size.dpi) + "dpi") != std::string::npos) {
                width = static_cast<uint32_t>(72 * size.dpi / 96);
                height = static_cast<uint32_t>((23 * size.dpi + 48) / 96);
                scale = size.dpi / 96.0;
            }
        }
        const bool compressed = scale > 1.0;
        const uint32_t colours = compressed ? 24 : 256;
        const size_t palette = 14 + 40, pixels = palette + colours * 4;
        EXPECT_EQ(Le32(b, 14 + 4), width) << file.path;
        EXPECT_EQ(Le32(b, 14 + 8), height) << "positive height: rows bottom-up";
        EXPECT_EQ(Le16(b, 14 + 14), 8);
        EXPECT_EQ(Le32(b, 14 + 16), compressed ? 1u : 0u) << "BI_RLE8 or BI_RGB";
        EXPECT_EQ(Le32(b, 14 + 32), compressed ? colours : 0u) << "colours in the table";
        EXPECT_EQ(Le32(b, 10), pixels) << "the pixels follow the colour table";
        ASSERT_EQ(Le32(b, 2), b.size());
        uint32_t row = (width + 3) / 4 * 4;
        std::vector<uint8_t> indices(b.begin() + static_cast<long>(pixels), b.end());
        if (compressed) {
            ASSERT_EQ(Le32(b, 14 + 20), b.size() - pixels) << "the encoded size";
            const bool waves = file.path.find("waves") != std::string::npos;
            const bool linked = file.path.find("linked") != std::string::npos;
            const auto drawing = artgen::DrawStatusPicture(
                waves ? (linked ? artgen::Joint::WavesBothWays : artgen::Joint::WavesOut)
                      : artgen::Joint::Cable,
                linked, scale);
            indices = artgen::DecodeRle8(indices, width, height);
            ASSERT_EQ(indices.size(), size_t{width} * height) << file.path << " decodes";
            for (uint32_t y = 0; y < height; ++y)
                for (uint32_t x = 0; x < width; ++x)
                    ASSERT_EQ(indices[(height - 1 - y) * width + x],
                              drawing.At(static_cast<int>(x), static_cast<int>(y)))
                        << file.path << " at " << x << "," << y;
            row = width;
        } else {
            ASSERT_EQ(b.size(), pixels + row * height) << file.path;
        }
        size_t grey = 0, red = 0;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t index = indices[y * row + x];
                ASSERT_LT(index, colours) << file.path;
                const size_t entry = palette + index * 4u;
                const uint8_t blue = b[entry], green = b[entry + 1], redByte = b[entry + 2];
                if (blue == 192 && green == 192 && redByte == 192) ++grey;
                if (blue == 0 && green == 0 && redByte == 255) ++red;
            }
        EXPECT_GT(grey, width * height / 2) << file.path;
        const bool waves = file.path.find("waves") != std::string::npos;
        EXPECT_EQ(red > 0, waves) << file.path << ": red waves only in the infrared pictures";
    }
}

// Broken encodings decode to nothing rather than past their end.
TEST(Artgen, BrokenRunLengthCodesDecodeToNothing) {
    using artgen::Bytes;
    EXPECT_EQ(artgen::DecodeRle8(Bytes{2, 7, 0, 3, 1, 2, 3, 0, 0, 1}, 5, 1), (Bytes{7, 7, 1, 2, 3}));
    const Bytes broken[] = {{},                   // nothing at all
                            {2, 7, 0, 1},         // a row too short
                            {6, 7, 0, 1},         // a row too long
                            {0, 9, 1, 2},         // a literal cut off
                            {0, 2, 1, 1, 0, 1},   // a jump
                            {5, 7, 0, 0}};        // no end of bitmap, a row missing
    for (const Bytes& codes : broken) EXPECT_TRUE(artgen::DecodeRle8(codes, 5, 2).empty());
}

}  // namespace
