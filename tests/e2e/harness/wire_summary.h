#pragma once
// Reads the emulated keyboard's transcript back as the conversation it was:
// hello, queries, the paced blocks of a retrieve, the end-of-transfer command.
#include <cstdint>
#include <string>
#include <vector>

#include "quillsim/simulator.h"

namespace e2e {

inline constexpr uint8_t Prefix = 0xBC;
inline constexpr uint8_t CmdHello = 0xBD;
inline constexpr uint8_t CmdReadText = 0x84;
inline constexpr uint8_t CmdQueryFile = 0x88;
inline constexpr uint8_t CmdQueryLength = 0x90;
inline constexpr uint8_t CmdDone = 0x92;
inline constexpr uint8_t BlockRequest = 0xFB;

// One command frame from the PC and what the keyboard answered to it.
struct WireExchange {
    int64_t atUs = 0;
    uint8_t command = 0;          // the byte after the prefix
    std::vector<uint8_t> reply;   // the keyboard's next run, if it answered
    // For a read-text command: the request/block cycles that followed it.
    int blocks = 0;
    size_t blockBytes = 0;
};

std::vector<WireExchange> Exchanges(const std::vector<quillsim::TranscriptRun>& runs);

// Times (µs) of the PC's frames with this command byte.
std::vector<int64_t> CommandTimes(const std::vector<WireExchange>& exchanges, uint8_t command);

// A few lines for a person: one per exchange, blocks folded together, the
// polls after the end-of-transfer command folded into one line.
std::vector<std::string> SummarizeWire(const std::vector<WireExchange>& exchanges);

}  // namespace e2e
