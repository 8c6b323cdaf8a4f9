// The frame arithmetic of the animated caption icon.
#include <gtest/gtest.h>

#include <vector>

#include "ui/progress_frames.h"

namespace {

struct Shown {
    std::vector<uint32_t> indices;  // the counter's chosen index after each change
    std::vector<uint32_t> frames;   // the frame the icon shows for it
};

Shown Transfer(uint32_t total, uint32_t chunk, uint32_t chunks) {
    ProgressCounter counter;
    ProgressCounterBegin(counter, total);
    Shown shown;
    for (uint32_t i = 0; i < chunks; ++i) {
        uint32_t frame = 0xFFFF;
        if (ProgressCounterAdvance(counter, chunk, &frame)) {
            shown.indices.push_back(counter.frame);
            shown.frames.push_back(frame);
        }
    }
    return shown;
}

TEST(ProgressFrames, ThousandBytesInFiftyByteChunks) {
    const Shown shown = Transfer(1000, 50, 20);
    EXPECT_EQ(shown.indices, (std::vector<uint32_t>{1, 3, 4, 6, 8, 9, 11, 12, 14, 16, 17, 19, 20,
                                                    22, 24, 25, 27, 28, 30, 32}));
    EXPECT_EQ(shown.frames.back(), 31u) << "one past the last frame shows the last frame";
}

TEST(ProgressFrames, SixtyFourBytesTwoAtATimeShowEveryFrameOnce) {
    const Shown shown = Transfer(64, 2, 32);
    std::vector<uint32_t> expected;
    for (uint32_t frame = 1; frame < ProgressFrameCount; ++frame) expected.push_back(frame);
    expected.push_back(ProgressFrameCount - 1);
    EXPECT_EQ(shown.frames, expected);
}

TEST(ProgressFrames, MoreThanAnnouncedStaysOnTheLastFrame) {
    const Shown shown = Transfer(100, 50, 3);
    EXPECT_EQ(shown.indices, (std::vector<uint32_t>{16, 32, 48}));
    EXPECT_EQ(shown.frames, (std::vector<uint32_t>{16, 31, 31}));
}

TEST(ProgressFrames, ZeroTotalAndZeroCountChangeNothing) {
    ProgressCounter counter;
    ProgressCounterBegin(counter, 0);
    uint32_t frame = 7;
    EXPECT_FALSE(ProgressCounterAdvance(counter, 50, &frame)) << "no division by a zero total";
    EXPECT_EQ(frame, 7u);

    ProgressCounterBegin(counter, 100);
    EXPECT_FALSE(ProgressCounterAdvance(counter, 0, &frame));
    EXPECT_EQ(counter.done, 0u);
}

TEST(ProgressFrames, EachTransferStartsFromFrameZero) {
    ProgressCounter counter;
    ProgressCounterBegin(counter, 64);
    uint32_t frame = 0;
    ASSERT_TRUE(ProgressCounterAdvance(counter, 10, &frame));
    EXPECT_EQ(frame, 5u);
    ProgressCounterBegin(counter, 64);
    EXPECT_TRUE(ProgressCounterAdvance(counter, 10, &frame)) << "the same index again is a change";
    EXPECT_EQ(frame, 5u);
}

}  // namespace
