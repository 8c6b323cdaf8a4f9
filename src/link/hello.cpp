#include "link/hello.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "link/deadline.h"
#include "link/exchange.h"
#include "link/protocol.h"

namespace {

// A line that never falls silent (a babbling device, a noisy infrared link)
// would keep the drain reading for ever, and one that dribbles a byte now and
// then would make each read last until its byte. A second and a half holds any
// stale reply and the one empty read that proves a quiet line, and is short
// enough that the caller's own exchange soon meets the noise and reports it.
constexpr uint32_t DrainLimitMs = 1500;

// The hello's reads, the read-on of a split identity included, end within this
// of its write: a poll that finds no device must not hold the window for long.
constexpr uint32_t HelloReadLimitMs = 1500;

// Only bytes that really arrived may match: a short reply must not be completed
// by whatever the buffer held before.
bool ReplyStartsWith(const uint8_t* reply, uint32_t received, std::string_view identity) {
    return received >= identity.size() &&
           std::memcmp(reply, identity.data(), identity.size()) == 0;
}

bool IsStartOf(const uint8_t* reply, uint32_t received, std::string_view identity) {
    return received < identity.size() && std::memcmp(reply, identity.data(), received) == 0;
}

// Some bytes of an identity, but not all of them yet.
bool IsUnfinishedIdentity(const uint8_t* reply, uint32_t received) {
    return received > 0 &&
           (IsStartOf(reply, received, IdentityFull) || IsStartOf(reply, received, IdentityShort));
}

}  // namespace

// An identity can arrive in pieces: a USB infrared adapter's latency, or a busy
// device, leaves a gap longer than the read's interval timeout. Its tail must
// not stay in the input: the next hello would read it as a bad reply, and the
// poll after that could recognise the device from a stale reply while its
// queries run out of step, so that the device shows as found and its text is
// never fetched. So while the bytes so far are the start of an identity, the
// rest is read too, as the command exchange gathers a split reply; a read that
// brings nothing ends it.
HelloOutcome DetectDevice(BytePort& port) {
    const std::array<uint8_t, 2> hello = {CommandPrefix, CmdHello};
    const PortTransfer wrote = port.Write(hello.data(), static_cast<uint32_t>(hello.size()));
    // A port that takes less than the two bytes within the write timeout is
    // stalled or gone (an adapter pulled out can leave it so), not a silent
    // keyboard: the handle must be given up, as for a failed call.
    if (!wrote.ok || wrote.count < hello.size()) {
        return HelloOutcome::PortFailed;
    }

    // The first read always fits; a read-on is started only while it could not
    // carry the hello past its limit.
    const Deadline deadline(port, HelloReadLimitMs);
    std::array<uint8_t, HelloReplySize> reply{};
    uint32_t received = 0;
    for (uint32_t reads = 0; reads < ReplyReads; ++reads) {
        const uint32_t room = HelloReplySize - received;
        if (!deadline.ReadFits(room)) {
            break;
        }
        const PortTransfer got = port.Read(reply.data() + received, room);
        if (!got.ok) {
            return HelloOutcome::PortFailed;
        }
        received += std::min(got.count, room);
        if (got.count == 0 || !IsUnfinishedIdentity(reply.data(), received)) {
            break;
        }
    }
    const bool found = ReplyStartsWith(reply.data(), received, IdentityFull) ||
                       ReplyStartsWith(reply.data(), received, IdentityShort);
    return found ? HelloOutcome::DeviceFound : HelloOutcome::NoDevice;
}

// No read starts unless its whole timeout fits in what is left of the limit.
ResultCode DrainInput(BytePort& port) {
    const Deadline deadline(port, DrainLimitMs);
    std::array<uint8_t, DrainChunk> discard{};
    while (deadline.ReadFits(DrainChunk)) {
        const PortTransfer got = port.Read(discard.data(), DrainChunk);
        if (!got.ok) {
            return PortFailure(port, got.error);
        }
        if (got.count == 0) {
            return ResultOk;
        }
    }
    // Still not quiet: go on anyway; the next exchange judges what it reads.
    return ResultOk;
}
