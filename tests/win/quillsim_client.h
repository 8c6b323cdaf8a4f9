#pragma once
// A small client for quillsim's control port, for Windows-side tests under Wine.
//
// scripts/wine-run starts one quillsim per test program and exports
//   QUILLSIM_CONTROL=127.0.0.1:<port>   where the control protocol listens
//   QUILLSIM_PORT=COM7                  the COM port name that reaches the device
// Every function connects, sends one command line, reads the one reply line and
// disconnects, so tests need no setup beyond QuillsimAvailable(). The protocol is
// in tools/quillsim/README.md; QuillsimCommand sends any line of it.
//
//   if (!QuillsimAvailable()) GTEST_SKIP() << "no quillsim";
//   QuillsimReset();
//   QuillsimSetFile(1, "Hello\r");
//   QuillsimSetCurrent(1);
//   HANDLE port = OpenDevicePort(QuillsimPortName().c_str());
//   ...
//   EXPECT_EQ(QuillsimReadFile(2), expected);
//   EXPECT_EQ(QuillsimPcBytes(), std::string("\xBC\x92", 2));
#include <cstdint>
#include <string>
#include <vector>

// True when QUILLSIM_CONTROL is set and quillsim answers "ping".
bool QuillsimAvailable();

// QUILLSIM_PORT, or "COM7" when it is not set.
std::string QuillsimPortName();

// Sends one command line (without line end) and returns the reply line without
// its line end: "ok ..." or "err ...". On a connection failure: "err connect".
std::string QuillsimCommand(const std::string& line);

// QuillsimCommand, true when the reply starts with "ok".
bool QuillsimOk(const std::string& line);

// Empty files, default capacities, file 1 current, full identity, present, no
// misbehaviour, transcript cleared.
bool QuillsimReset();

// File number 1..8 (as on the wire). Text is any bytes.
bool QuillsimSetFile(int file, const std::string& bytes);
bool QuillsimSetCurrent(int file);
std::string QuillsimReadFile(int file);

// "full", "short" or "none"; QuillsimSetIdentityText sends any other bytes.
bool QuillsimSetIdentity(const std::string& kind);
bool QuillsimSetIdentityText(const std::string& bytes);

bool QuillsimSetPresent(bool present);

// Any misbehaviour line of the protocol, e.g. "badstatus 1 91", "split 1",
// "mute 88 1", "full-after 2", "stale 25", "normal".
bool QuillsimMisbehave(const std::string& line);

// Every byte the PC sent / the device sent since the last reset or clear.
std::string QuillsimPcBytes();
std::string QuillsimDeviceBytes();

// The transcript: runs of bytes in one direction, in order.
struct QuillsimRun {
    bool fromPc;
    int64_t micros;  // time of the run's first byte
    std::string bytes;
};
std::vector<QuillsimRun> QuillsimTranscript();
bool QuillsimClearTranscript();

// Number of frames BC <command> the device received.
int QuillsimCount(uint8_t command);

// Hex helpers for the protocol's byte strings.
std::string QuillsimHex(const std::string& bytes);
std::string QuillsimUnhex(const std::string& hex);
