// The two conversions on real global memory blocks, as the clipboard and the
// retrieve hand them over.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "text/win/text_blocks.h"

namespace {

HGLOBAL MakeBlock(const void* bytes, SIZE_T size) {
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, size);
    if (block && size) std::memcpy(GlobalLock(block), bytes, size);
    if (block) GlobalUnlock(block);
    return block;
}

std::string BlockBytes(HGLOBAL block, SIZE_T count) {
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    std::string copy(bytes, count);
    GlobalUnlock(block);
    return copy;
}

// A freed fixed block no longer has a size.
bool IsFreed(HGLOBAL block) { return GlobalSize(block) == 0; }

TEST(ToDeviceText, GivesANewBlockAndLeavesTheClipboardBlockAlive) {
    const char pc[] = "a\r\nb\xE9\n";
    HGLOBAL input = MakeBlock(pc, sizeof pc);
    HGLOBAL block = input;
    uint32_t length = 99;
    ASSERT_TRUE(ToDeviceText(&block, &length));
    ASSERT_NE(block, input) << "the output must be a block of its own";
    EXPECT_EQ(length, 5u);
    EXPECT_GE(GlobalSize(block), length);
    EXPECT_EQ(BlockBytes(block, length), std::string("a\rb\x96\n"));
    EXPECT_FALSE(IsFreed(input)) << "the clipboard's block must not be freed";
    EXPECT_EQ(BlockBytes(input, sizeof pc), std::string(pc, sizeof pc)) << "input must be unchanged";
    EXPECT_EQ(GlobalFlags(input) & GMEM_LOCKCOUNT, 0u) << "input must be unlocked";
    GlobalFree(block);
    GlobalFree(input);
}

TEST(ToDeviceText, EmptyTextGivesARealBlockOfLengthZero) {
    HGLOBAL input = MakeBlock("", 1);
    HGLOBAL block = input;
    uint32_t length = 99;
    ASSERT_TRUE(ToDeviceText(&block, &length));
    EXPECT_EQ(length, 0u);
    EXPECT_NE(block, nullptr);
    EXPECT_NE(block, input);
    GlobalFree(block);
    GlobalFree(input);
}

TEST(ToDeviceText, UnterminatedClipboardTextIsReadOnlyWithinItsBlock) {
    // Another program may put CF_TEXT without its zero on the clipboard.
    const char pc[] = {'a', 'b', '\r', '\n', 'c'};
    HGLOBAL input = MakeBlock(pc, sizeof pc);
    HGLOBAL block = input;
    uint32_t length = 0;
    ASSERT_TRUE(ToDeviceText(&block, &length));
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(BlockBytes(block, length), std::string("ab\rc"));
    GlobalFree(block);
    GlobalFree(input);
}

TEST(ToPcText, GivesAZeroTerminatedBlockSizedForTheLineFeedsAndFreesTheInput) {
    const char device[] = {'a', '\r', 'b'};
    HGLOBAL input = MakeBlock(device, sizeof device);
    HGLOBAL block = input;
    ASSERT_TRUE(ToPcText(&block, 3));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 5u);
    EXPECT_EQ(BlockBytes(block, 5), std::string("a\r\nb\0", 5));
    EXPECT_TRUE(IsFreed(input)) << "the retrieve block is given up to the conversion";
    GlobalFree(block);
}

TEST(ToPcText, ReadsOnlyTheGivenLengthOfALargerRetrieveBlock) {
    // The retrieve block is much larger than the text the device sent.
    const SIZE_T retrieveBlockSize = 50000;
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_ZEROINIT, retrieveBlockSize);
    std::memcpy(GlobalLock(block), "x\0\x82\xE5\r\r", 6);
    GlobalUnlock(block);
    ASSERT_TRUE(ToPcText(&block, 6));
    EXPECT_EQ(GlobalSize(block), 9u);
    EXPECT_EQ(BlockBytes(block, 9), std::string("x\xE7\xDA \r\n\r\n\0", 9));
    GlobalFree(block);
}

TEST(ToPcText, LengthZeroFreesTheInputAndLeavesNoBlock) {
    HGLOBAL input = MakeBlock("abc", 3);
    HGLOBAL block = input;
    ASSERT_TRUE(ToPcText(&block, 0));
    EXPECT_EQ(block, nullptr);
    EXPECT_TRUE(IsFreed(input));
}

TEST(ToPcText, LengthBeyondTheBlockIsCutToTheBlock) {
    HGLOBAL block = MakeBlock("a\rb", 3);
    ASSERT_TRUE(ToPcText(&block, 1000));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 5u);
    EXPECT_EQ(BlockBytes(block, 5), std::string("a\r\nb\0", 5));
    GlobalFree(block);
}

TEST(TextBlocks, ThereAndBackThroughBlocks) {
    const char pc[] = "Caf\xE9 cr\xE8me\r\n\xA9 \xAF\r\n";
    HGLOBAL input = MakeBlock(pc, sizeof pc);
    HGLOBAL block = input;
    uint32_t length = 0;
    ASSERT_TRUE(ToDeviceText(&block, &length));
    ASSERT_TRUE(ToPcText(&block, length));
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "Caf\xE9 cr\xE8me\r\n\xA9 \x99\r\n");
    GlobalUnlock(block);
    GlobalFree(block);
    GlobalFree(input);
}

// A handle that cannot be locked (none at all, or a block the system has
// discarded) takes both conversions down their failure paths: false, the
// caller's handle and length as they were, and the block not freed.
TEST(TextBlocks, ABlockThatCannotBeLockedLeavesEverythingAsItWas) {
    HGLOBAL discarded = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, 8);
    ASSERT_NE(discarded, nullptr);
    ASSERT_EQ(GlobalDiscard(discarded), discarded);
    ASSERT_EQ(GlobalLock(discarded), nullptr) << "a discarded block cannot be locked";
    for (HGLOBAL input : {HGLOBAL{nullptr}, discarded}) {
        SCOPED_TRACE(input ? "discarded block" : "null handle");
        HGLOBAL block = input;
        uint32_t length = 99;
        EXPECT_FALSE(ToDeviceText(&block, &length));
        EXPECT_EQ(block, input);
        EXPECT_EQ(length, 99u);
        EXPECT_FALSE(ToPcText(&block, 5));
        EXPECT_EQ(block, input);
    }
    EXPECT_NE(GlobalFlags(discarded) & GMEM_DISCARDED, 0u) << "the discarded block is still the caller's";
    EXPECT_EQ(GlobalFree(discarded), nullptr);
}

}  // namespace
