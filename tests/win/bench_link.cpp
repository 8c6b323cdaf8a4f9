// Measures retrieves and sends through the Win32 serial port against quillsim
// paced at 9600 baud, and compares each with the least time the protocol itself
// needs on the line. Prints a Markdown table; scripts/bench runs it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "link/retrieve.h"
#include "link/send_text.h"
#include "link/win/serial_port.h"
#include "quillsim_client.h"

namespace {

constexpr double Baud = 9600.0;
constexpr double BitsPerByte = 10.0;
constexpr double ByteSeconds = BitsPerByte / Baud;
constexpr double IntervalSeconds = 0.003;      // the read that ends on the line falling silent
constexpr uint32_t RetrieveBlockSize = 50000;  // what the retrieve command hands the link
constexpr uint32_t FrameBytes = 2;
constexpr uint32_t Sizes[] = {1024, 8192, 32414};

class NoProgress : public ProgressSink {
public:
    void ProgressBegin(uint32_t) override {}
    void ProgressAdvance(uint32_t) override {}
};

std::string SampleText(uint32_t count) {
    std::string text(count, '\0');
    for (uint32_t i = 0; i < count; ++i) text[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return text;
}

// A command and its n-byte reply; the reply read asks for more, so it ends on silence.
double ExchangeMinimum(uint32_t replyBytes) {
    return (FrameBytes + replyBytes) * ByteSeconds + IntervalSeconds;
}

// Length query, read command, then one request byte and one block per cycle. A
// read of a full block ends at its 50th byte; only a short last block waits out
// the interval timeout.
double RetrieveMinimum(uint32_t length) {
    double seconds = ExchangeMinimum(ReplyLengthQueryLength) + ExchangeMinimum(ReplyLengthReadText);
    uint32_t full = length / BlockSize, rest = length % BlockSize;
    seconds += full * (1 + BlockSize) * ByteSeconds;
    if (rest != 0) seconds += (1 + rest) * ByteSeconds + IntervalSeconds;
    return seconds;
}

// Capacity query, clear, begin, then each block and its one-byte acknowledgement
// (whose read ends 3 ms after it), then end-of-text and its acknowledgement.
double SendMinimum(uint32_t count) {
    double seconds = ExchangeMinimum(ReplyLengthQueryCapacity) + ExchangeMinimum(ReplyLengthClearFile) +
                     ExchangeMinimum(ReplyLengthBeginWrite);
    for (uint32_t left = count; left > 0;) {
        uint32_t block = left < BlockSize ? left : BlockSize;
        seconds += (block + ReplyLengthAcknowledge) * ByteSeconds + IntervalSeconds;
        left -= block;
    }
    return seconds + (1 + ReplyLengthAcknowledge) * ByteSeconds + IntervalSeconds;
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Row {
    const char* what;
    uint32_t bytes;
    double seconds;
    double minimum;
    uint32_t cycles;         // request/block or block/acknowledgement rounds on the line
    uint32_t fewestCycles;   // what a transfer without short reads needs
    bool intact;
};

uint32_t Blocks(uint32_t count) { return (count + BlockSize - 1) / BlockSize; }

uint32_t CountBytes(const std::string& bytes, uint8_t value) {
    uint32_t n = 0;
    for (unsigned char b : bytes) n += b == value;
    return n;
}

// With GLIMMERLY_BENCH_TRANSCRIPTS naming a host folder, quillsim saves the
// transcript of each transfer there, to see where the time went.
void SaveTranscript(const Row& row) {
    const char* folder = std::getenv("GLIMMERLY_BENCH_TRANSCRIPTS");
    if (!folder) return;
    QuillsimOk(std::string("save-transcript ") + folder + "/" + row.what + "-" + std::to_string(row.bytes) + ".txt");
}

bool Retrieve(HANDLE handle, uint32_t size, Row& row) {
    const std::string text = SampleText(size);
    if (!QuillsimReset() || !QuillsimOk("pace 9600") || !QuillsimSetFile(1, text)) return false;
    SerialBytePort port(handle);
    NoProgress progress;
    std::vector<uint8_t> block(RetrieveBlockSize, 0);
    uint32_t length = 0;
    double start = Now();
    ResultCode result = RetrieveFile(port, &progress, block.data(), RetrieveBlockSize, &length);
    double seconds = Now() - start;
    bool intact = result == ResultOk && length == size &&
                  std::string(reinterpret_cast<char*>(block.data()), length) == text;
    // Everything the PC wrote after the two command frames is request bytes.
    uint32_t requests = CountBytes(QuillsimPcBytes(), RequestNextBlock);
    row = {"retrieve", size, seconds, RetrieveMinimum(size), requests, Blocks(size), intact};
    SaveTranscript(row);
    return true;
}

bool Send(HANDLE handle, uint32_t size, Row& row) {
    const std::string text = SampleText(size);
    if (!QuillsimReset() || !QuillsimOk("pace 9600")) return false;
    SerialBytePort port(handle);
    NoProgress progress;
    double start = Now();
    ResultCode result = SendText(port, progress, reinterpret_cast<const uint8_t*>(text.data()), size, false,
                                 SendLimitForFile(0));
    double seconds = Now() - start;
    bool intact = result == ResultOk && QuillsimReadFile(1) == text;
    // Every block and the end of text got one acknowledgement.
    uint32_t acks = CountBytes(QuillsimDeviceBytes(), StatusAccepted) - 3;
    row = {"send", size, seconds, SendMinimum(size), acks - 1, Blocks(size), intact};
    SaveTranscript(row);
    return true;
}

// A device that dribbles, a byte every `gapMs`: how long each wait on it lasts
// and how it ends. Each operation must end within its limit however the bytes come.
constexpr uint32_t DribbleGaps[] = {250, 600};
constexpr uint32_t DribbleTextBytes = 120;

struct DribbleRow {
    uint32_t gapMs;
    const char* what;
    double seconds;
    std::string outcome;
};

std::string ResultName(ResultCode code) {
    switch (code) {
    case ResultOk: return "ResultOk";
    case ResultPortFailure: return "ResultPortFailure";
    case ResultBadLength: return "ResultBadLength";
    case ResultBadStatus: return "ResultBadStatus";
    case ResultBadFile: return "ResultBadFile";
    case ResultNoData: return "ResultNoData";
    case ResultFileFull: return "ResultFileFull";
    case ResultStopped: return "ResultStopped";
    }
    return "unknown";
}

// Each operation starts on a line that has just begun to dribble, with nothing
// left over from the one before (whose unanswered reply would still trickle in).
bool StartDribbling(SerialBytePort& port, uint32_t gapMs, const std::string& text) {
    if (!QuillsimOk("dribble 0") || !QuillsimSetFile(1, text)) return false;
    DrainInput(port);
    return QuillsimOk("dribble " + std::to_string(gapMs));
}

bool Dribble(HANDLE handle, uint32_t gapMs, std::vector<DribbleRow>& rows) {
    const std::string text = SampleText(DribbleTextBytes);
    SerialBytePort port(handle);
    if (!QuillsimReset() || !QuillsimOk("pace 9600") || !StartDribbling(port, gapMs, text)) return false;
    NoProgress progress;
    std::vector<uint8_t> block(RetrieveBlockSize, 0);
    uint32_t length = 0;

    double start = Now();
    ResultCode drained = DrainInput(port);
    rows.push_back({gapMs, "drain", Now() - start, ResultName(drained)});

    if (!StartDribbling(port, gapMs, text)) return false;
    start = Now();
    HelloOutcome hello = DetectDevice(port);
    const char* helloName = hello == HelloOutcome::DeviceFound ? "DeviceFound"
                            : hello == HelloOutcome::NoDevice  ? "NoDevice"
                                                               : "PortFailed";
    rows.push_back({gapMs, "hello", Now() - start, helloName});

    if (!StartDribbling(port, gapMs, text)) return false;
    start = Now();
    ResultCode retrieved = RetrieveFile(port, &progress, block.data(), RetrieveBlockSize, &length);
    rows.push_back({gapMs, "retrieve", Now() - start, ResultName(retrieved)});

    if (!StartDribbling(port, gapMs, text)) return false;
    start = Now();
    ResultCode sent = SendText(port, progress, reinterpret_cast<const uint8_t*>(text.data()),
                               DribbleTextBytes, false, SendLimitForFile(0));
    rows.push_back({gapMs, "send", Now() - start, ResultName(sent)});
    return QuillsimOk("dribble 0");
}

}  // namespace

// With a byte count as argument only that size is measured (both directions).
int main(int argc, char** argv) {
    std::vector<uint32_t> sizes(std::begin(Sizes), std::end(Sizes));
    if (argc > 1) sizes = {static_cast<uint32_t>(std::atoi(argv[1]))};
    if (!QuillsimAvailable()) {
        std::printf("bench_link: quillsim is not running (scripts/wine-run starts it)\n");
        return 2;
    }
    HANDLE handle = OpenDevicePort(QuillsimPortName().c_str());
    if (handle == INVALID_HANDLE_VALUE) {
        std::printf("bench_link: cannot open %s\n", QuillsimPortName().c_str());
        return 2;
    }
    std::vector<Row> rows;
    bool ok = true;
    for (uint32_t size : sizes) {
        Row row;
        ok = ok && Retrieve(handle, size, row);
        rows.push_back(row);
    }
    for (uint32_t size : sizes) {
        Row row;
        ok = ok && Send(handle, size, row);
        rows.push_back(row);
    }
    std::vector<DribbleRow> dribbles;
    if (argc <= 1) {
        for (uint32_t gap : DribbleGaps) ok = ok && Dribble(handle, gap, dribbles);
    }
    CloseHandle(handle);
    if (!ok) {
        std::printf("bench_link: quillsim did not take a command\n");
        return 2;
    }

    std::printf("| transfer | bytes | seconds | bytes/s | protocol minimum (s) | ratio | cycles (fewest) | intact |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---|\n");
    bool allIntact = true;
    for (const Row& r : rows) {
        std::printf("| %s | %u | %.3f | %.0f | %.3f | %.4f | %u (%u) | %s |\n", r.what, r.bytes, r.seconds,
                    r.bytes / r.seconds, r.minimum, r.seconds / r.minimum, r.cycles, r.fewestCycles,
                    r.intact ? "yes" : "NO");
        allIntact = allIntact && r.intact;
    }
    if (!dribbles.empty()) {
        std::printf("\n| dribbling device: ms between bytes | operation (120-byte file) | seconds | outcome |\n");
        std::printf("|---:|---|---:|---|\n");
        for (const DribbleRow& d : dribbles)
            std::printf("| dribble %u | %s | %.3f | %s |\n", d.gapMs, d.what, d.seconds, d.outcome.c_str());
    }
    return allIntact ? 0 : 1;
}
