#pragma once
// The device's side of the link, without any timing: bytes from the PC go in,
// replies come out. The engine (simulator.cpp) owns the clock, the pty and the
// pacing; keeping this part pure lets its behaviour be read in one place.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillsim {

inline constexpr uint8_t StatusRefused = 0xFA;   // what a misbehaving device puts where FB belongs
inline constexpr uint8_t StaleByte = 0xA5;       // junk that "stale" and "chatter" send
// The noise of a dribbling line: neither a status byte nor the start of an identity.
inline constexpr uint8_t DribbleNoise = 0xA5;
inline constexpr uint8_t AckCommand = 0x00;      // send acknowledgements filter as this command
inline constexpr uint32_t NoLimit = UINT32_MAX;
inline constexpr uint8_t GarbleMask = 0x01;       // what "garble" flips in a stored byte  // counters that are switched off

// One answer of the device: sent as a whole, or in two pieces when `splittable`
// and the split misbehaviour is on.
struct Reply {
    std::vector<uint8_t> bytes;
    bool splittable = false;
};

// A misbehaviour limited to a number of replies, optionally of one command only.
struct CountedFault {
    uint32_t remaining = 0;
    std::optional<uint8_t> command;
    bool Applies(uint8_t cmd);
};

struct DeviceState {
    std::array<std::vector<uint8_t>, 8> files;
    std::array<uint32_t, 8> capacity{};
    uint32_t current = 0;  // index 0..7
    std::optional<std::vector<uint8_t>> identity;  // none: hello unanswered
    bool present = true;
    uint32_t answerBudget = NoLimit;   // frames still answered before falling silent
    uint32_t absenceMs = NoLimit;      // how long that silence lasts; NoLimit: until told
    bool fellSilent = false;           // set when the budget ran out; the engine times the return
    CountedFault badStatus;
    CountedFault surplus;
    std::array<bool, 256> muted{};
    uint32_t fullAfterBlocks = NoLimit;
    uint32_t overstate = 0;
    uint32_t garbleBlocks = 0;         // send blocks still stored with their first byte changed
    std::optional<uint8_t> reportFile;
    std::array<uint32_t, 256> frameCount{};
};

class DeviceModel {
public:
    DeviceModel();
    void Reset();       // everything to the factory state
    void Normal();      // misbehaviours off, data kept

    // One byte from the PC, in order; replies are appended to `out`.
    void OnByte(uint8_t byte, std::vector<Reply>& out);
    // The line has been quiet after some bytes of a send block: the block is complete.
    void OnQuiet(std::vector<Reply>& out);
    // True between the read command and the next command frame.
    bool Retrieving() const { return mode_ == Mode::Reading; }
    // True while a send block is open and waits for its end.
    bool BlockOpen() const { return mode_ == Mode::Writing && !block_.empty(); }

    DeviceState& State() { return state_; }
    const DeviceState& State() const { return state_; }

private:
    enum class Mode { Idle, Prefix, Reading, Writing };

    void OnCommand(uint8_t command, std::vector<Reply>& out);
    void Answer(uint8_t command, std::vector<uint8_t> bytes, std::vector<Reply>& out);
    void AnswerWord(uint8_t command, uint32_t value, std::vector<Reply>& out);
    void SendNextBlock(std::vector<Reply>& out);
    void FinishBlock(std::vector<Reply>& out);
    uint32_t AnnouncedLength() const;

    DeviceState state_;
    Mode mode_ = Mode::Idle;
    size_t readPosition_ = 0;
    std::vector<uint8_t> block_;
    uint32_t blocksStored_ = 0;
};

}  // namespace quillsim
