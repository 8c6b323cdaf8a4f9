// Every byte the program puts on the line or looks for, pinned as a literal.
// The emulated device keeps its own table, so a byte mistyped here would make
// the two sides disagree; this table says which side is wrong.
#include <gtest/gtest.h>

#include "link/protocol.h"

namespace {

struct WireByte {
    const char* name;
    uint32_t value;
    uint32_t onTheWire;
};

TEST(Wire, EveryCommandAndStatusByte) {
    const WireByte bytes[] = {
        {"CommandPrefix", CommandPrefix, 0xBC},
        {"CmdHello", CmdHello, 0xBD},
        {"CmdSelectFile (file 1)", CmdSelectFile, 0x01},
        {"CmdSelectFile + 7 (file 8)", CmdSelectFile + 7u, 0x08},
        {"CmdClearFile", CmdClearFile, 0x83},
        {"CmdReadText", CmdReadText, 0x84},
        {"CmdBeginWrite", CmdBeginWrite, 0x87},
        {"CmdQueryFile", CmdQueryFile, 0x88},
        {"CmdQueryLength", CmdQueryLength, 0x90},
        {"CmdQueryCapacity", CmdQueryCapacity, 0x91},
        {"CmdDone", CmdDone, 0x92},
        {"StatusAccepted", StatusAccepted, 0xFB},
        {"StatusFileFull (file full)", StatusFileFull, 0xFC},
        {"RequestNextBlock", RequestNextBlock, 0xFB},
        {"EndOfText", EndOfText, 0xBB},
        {"BlockSize", BlockSize, 50},
        {"HelloReplySize", HelloReplySize, 30},
        {"DrainChunk", DrainChunk, 10},
        {"FileCount", FileCount, 8},
        {"ReplyLengthSelectFile", ReplyLengthSelectFile, 1},
        {"ReplyLengthClearFile", ReplyLengthClearFile, 1},
        {"ReplyLengthReadText", ReplyLengthReadText, 1},
        {"ReplyLengthBeginWrite", ReplyLengthBeginWrite, 1},
        {"ReplyLengthQueryFile", ReplyLengthQueryFile, 2},
        {"ReplyLengthQueryLength", ReplyLengthQueryLength, 3},
        {"ReplyLengthQueryCapacity", ReplyLengthQueryCapacity, 3},
        {"ReplyLengthDone", ReplyLengthDone, 2},
        {"ReplyLengthAcknowledge", ReplyLengthAcknowledge, 1},
    };
    for (const WireByte& b : bytes) EXPECT_EQ(b.value, b.onTheWire) << b.name;

    EXPECT_EQ(IdentityFull, "Quillatron IR v1.0");
    EXPECT_EQ(IdentityShort, "QT4100 IR v1.0");
    const std::array<uint16_t, 8> capacities = {32415, 16127, 16383, 16127,
                                                16383, 12031, 12287, 8158};
    EXPECT_EQ(FileCapacity, capacities);
}

}  // namespace
