#pragma once
// The device's own view of the link, written down as the keyboard sees it: the
// bytes it listens for, the bytes it answers with, and what it holds. Kept apart
// from the PC program on purpose, so that a wrong byte on the PC's side shows up
// as a device that does not understand it, instead of being agreed with.
#include <array>
#include <cstdint>
#include <string_view>

namespace quillsim::wire {

// Bytes the device listens for.
inline constexpr uint8_t FramePrefix = 0xBC;   // starts every command frame
inline constexpr uint8_t Hello = 0xBD;         // answered with the identity text, no status
inline constexpr uint8_t SelectFile1 = 0x01;   // 0x01..0x08 make file 1..8 current
inline constexpr uint8_t SelectFile8 = 0x08;
inline constexpr uint8_t ClearFile = 0x83;
inline constexpr uint8_t ReadText = 0x84;      // the PC then asks for each block
inline constexpr uint8_t BeginWrite = 0x87;    // the PC then sends blocks, then the end mark
inline constexpr uint8_t QueryFile = 0x88;     // answered with the current file's number
inline constexpr uint8_t QueryLength = 0x90;   // answered with a 16-bit length, high byte first
inline constexpr uint8_t QueryCapacity = 0x91; // answered with a 16-bit capacity
inline constexpr uint8_t Done = 0x92;          // answered with status and one unused byte
inline constexpr uint8_t NextBlock = 0xFB;     // while reading out: send the next block
inline constexpr uint8_t EndMark = 0xBB;       // while writing: the text is complete

// Bytes the device answers with.
inline constexpr uint8_t Accepted = 0xFB;
inline constexpr uint8_t Full = 0xFC;          // a block acknowledged as not stored

inline constexpr uint32_t BlockBytes = 50;     // most text bytes in one block, either way
inline constexpr uint32_t FileSlots = 8;

inline constexpr std::string_view LongIdentity = "Quillatron IR v1.0";
inline constexpr std::string_view ShortIdentity = "QT4100 IR v1.0";

// Characters each file holds, file 1 first.
inline constexpr std::array<uint32_t, FileSlots> Capacities = {
    32415, 16127, 16383, 16127, 16383, 12031, 12287, 8158};

}  // namespace quillsim::wire
