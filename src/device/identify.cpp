#include <algorithm>

#include "device/device_files.h"
#include "link/hello.h"

namespace {

// Lets the link's own detection run unchanged while keeping what it read:
// the backup records the identity exactly as the keyboard sent it.
class IdentityRecorder final : public BytePort {
public:
    explicit IdentityRecorder(BytePort& port) : port_(port) {}
    PortTransfer Write(const uint8_t* data, uint32_t size) override {
        const PortTransfer sent = Noted(port_.Write(data, size));
        if (sent.ok) {
            trouble_.written += std::min(sent.count, size);
            trouble_.asked += size;
        }
        return sent;
    }
    PortTransfer Read(uint8_t* into, uint32_t size) override {
        const PortTransfer got = Noted(port_.Read(into, size));
        if (got.ok) received_.append(reinterpret_cast<const char*>(into), std::min(got.count, size));
        return got;
    }
    uint32_t NowMs() override { return port_.NowMs(); }
    uint32_t TimeoutError() const override { return port_.TimeoutError(); }
    const std::string& Received() const { return received_; }
    const HelloPortTrouble& Trouble() const { return trouble_; }

private:
    // The hello itself does not keep the error of a failed call; the caller
    // that reports the port as lost needs it, and so does the one that words it.
    PortTransfer Noted(PortTransfer transfer) {
        if (!transfer.ok) {
            port_.NoteFailedCall(transfer.error);
            if (!trouble_.failed) {
                trouble_.failed = true;
                trouble_.error = transfer.error;
            }
        }
        return transfer;
    }

    BytePort& port_;
    std::string received_;
    HelloPortTrouble trouble_;
};

}  // namespace

HelloOutcome GreetDevice(BytePort& port, std::string* identity, HelloPortTrouble* trouble) {
    IdentityRecorder recorder(port);
    const HelloOutcome outcome = DetectDevice(recorder);
    if (outcome == HelloOutcome::DeviceFound) {
        *identity = recorder.Received();
    } else if (trouble != nullptr) {
        *trouble = recorder.Trouble();
    }
    return outcome;
}

bool IdentifyDevice(BytePort& port, std::string* identity, HelloPortTrouble* trouble) {
    return GreetDevice(port, identity, trouble) == HelloOutcome::DeviceFound;
}
