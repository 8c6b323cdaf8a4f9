#pragma once
#include <array>
#include <cstdint>
#include <string_view>

// The bytes of the device's serial protocol, as the program speaks it. The
// emulated device keeps a table of its own, written from the device's side.

inline constexpr uint8_t CommandPrefix = 0xBC;

inline constexpr uint8_t CmdHello = 0xBD;
inline constexpr uint8_t CmdSelectFileBase = 0x00;  // + file number 1..8
inline constexpr uint8_t CmdSelectFile = CmdSelectFileBase + 1;  // file 1; file index i is CmdSelectFile + i
inline constexpr uint8_t CmdClearFile = 0x83;
inline constexpr uint8_t CmdReadText = 0x84;
inline constexpr uint8_t CmdBeginWrite = 0x87;
inline constexpr uint8_t CmdQueryFile = 0x88;
inline constexpr uint8_t CmdQueryLength = 0x90;
inline constexpr uint8_t CmdQueryCapacity = 0x91;
inline constexpr uint8_t CmdDone = 0x92;

inline constexpr uint8_t StatusAccepted = 0xFB;
inline constexpr uint8_t StatusFileFull = 0xFC;
inline constexpr uint8_t RequestNextBlock = 0xFB;  // PC to device while retrieving
inline constexpr uint8_t EndOfText = 0xBB;         // PC to device after the last block of a send

inline constexpr uint32_t BlockSize = 50;      // most bytes in one block, both directions
inline constexpr uint32_t HelloReplySize = 30; // one read of up to this many identity bytes
inline constexpr uint32_t DrainChunk = 10;     // bytes per read while draining stale input
inline constexpr uint32_t ReplySlack = 5;      // every reply read asks for n + 5 bytes
inline constexpr uint32_t ReplyReads = 5;      // reads of one reply before giving up
inline constexpr uint32_t ReplyBufferSize = 8; // serves every command's n + 5

inline constexpr uint32_t FileCount = 8;

inline constexpr std::string_view IdentityFull = "Quillatron IR v1.0";  // 18 bytes
inline constexpr std::string_view IdentityShort = "QT4100 IR v1.0";     // 14 bytes

// Characters each device file can hold, by file index 0..7. A send falls back
// to this, minus one, when the device does not report its room.
inline constexpr std::array<uint16_t, FileCount> FileCapacity = {
    32415, 16127, 16383, 16127, 16383, 12031, 12287, 8158};

// Reply lengths (status byte included) of the commands that have one.
inline constexpr uint32_t ReplyLengthSelectFile = 1;
inline constexpr uint32_t ReplyLengthClearFile = 1;
inline constexpr uint32_t ReplyLengthReadText = 1;
inline constexpr uint32_t ReplyLengthBeginWrite = 1;
inline constexpr uint32_t ReplyLengthQueryFile = 2;
inline constexpr uint32_t ReplyLengthQueryLength = 3;
inline constexpr uint32_t ReplyLengthQueryCapacity = 3;
inline constexpr uint32_t ReplyLengthDone = 2;
inline constexpr uint32_t ReplyLengthAcknowledge = 1;
