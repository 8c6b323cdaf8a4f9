#include "device/outcome.h"

Outcome DeviceFailure(const BytePort& port, ResultCode code, int fileNumber) {
    if (code == ResultStopped) {
        Outcome stopped = Stopped();
        stopped.fileNumber = fileNumber;
        return stopped;
    }
    Outcome outcome;
    outcome.kind = FailureKind::Device;
    outcome.code = code;
    outcome.portError = code == ResultPortFailure ? port.FailedCallError() : 0;
    outcome.fileNumber = fileNumber;
    return outcome;
}

Outcome Failure(FailureKind kind, std::string detail, int fileNumber) {
    Outcome outcome;
    outcome.kind = kind;
    outcome.detail = std::move(detail);
    outcome.fileNumber = fileNumber;
    return outcome;
}

Outcome Stopped() {
    Outcome outcome = Failure(FailureKind::Stopped, "interrupted");
    outcome.code = ResultStopped;
    return outcome;
}
