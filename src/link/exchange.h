#pragma once
#include <cstdint>
#include "link/byte_port.h"
#include "link/result_codes.h"

// Notes on the port the error of a failed write or read, so that it goes back
// with the operation's result, and returns ResultPortFailure.
ResultCode PortFailure(BytePort& port, uint32_t error);

// A 16-bit value from reply bytes 1 and 2, high byte first.
uint32_t DecodeReplyWord(const uint8_t* reply);

// Writes the frame (prefix, command) unless the command is 0, then collects a
// reply of exactly n bytes into `reply`, which must have room for n + 5 bytes.
// Pieces of a split reply are gathered one after the other (at most five reads);
// the reply is judged on its first byte.
ResultCode ExchangeCommand(BytePort& port, uint8_t command, uint8_t* reply, uint32_t n);

// Current file as an index 0..7; *index is written only on ResultOk.
ResultCode QueryCurrentFile(BytePort& port, uint32_t* index);

// Makes file `index` (0..7) current; an index above 7 is ResultBadFile, nothing sent.
ResultCode SelectFile(BytePort& port, uint32_t index);

// Tells the device that the transfer is over.
ResultCode SendDoneCommand(BytePort& port);
