#include "harness/wire_summary.h"

#include <cstdio>

namespace e2e {

namespace {
constexpr double MicrosPerSecond = 1e6;

std::string Hex(const std::vector<uint8_t>& bytes, size_t max = 8) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%s%02X", i ? " " : "", bytes[i]);
        out += buf;
    }
    if (bytes.size() > max) out += " ...";
    return out;
}

std::string Printable(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (uint8_t b : bytes) out += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
    return out;
}

unsigned Word(const std::vector<uint8_t>& reply) { return reply.size() >= 3 ? reply[1] * 256u + reply[2] : 0; }

std::string Describe(const WireExchange& x) {
    char buf[160];
    const char* none = "no answer";
    switch (x.command) {
    case CmdHello:
        std::snprintf(buf, sizeof buf, "hello BC BD -> %s", x.reply.empty() ? none : ("\"" + Printable(x.reply) + "\"").c_str());
        break;
    case CmdQueryLength:
        std::snprintf(buf, sizeof buf, "length query BC 90 -> %s (%u characters)", Hex(x.reply).c_str(), Word(x.reply));
        break;
    case CmdQueryFile:
        std::snprintf(buf, sizeof buf, "current-file query BC 88 -> %s", x.reply.empty() ? none : Hex(x.reply).c_str());
        break;
    case CmdReadText:
        std::snprintf(buf, sizeof buf, "read text BC 84 -> %s, then %d block requests FB answered with %zu bytes",
                      x.reply.empty() ? none : Hex(x.reply).c_str(), x.blocks, x.blockBytes);
        break;
    case CmdDone:
        std::snprintf(buf, sizeof buf, "end of transfer BC 92 -> %s", x.reply.empty() ? none : Hex(x.reply).c_str());
        break;
    default:
        std::snprintf(buf, sizeof buf, "command BC %02X -> %s", x.command, x.reply.empty() ? none : Hex(x.reply).c_str());
    }
    return buf;
}
}  // namespace

std::vector<WireExchange> Exchanges(const std::vector<quillsim::TranscriptRun>& runs) {
    std::vector<WireExchange> out;
    for (size_t i = 0; i < runs.size(); ++i) {
        const auto& run = runs[i];
        if (!run.fromPc) continue;
        // The keyboard's answer is everything it sent before the PC spoke
        // again: a paced reply can arrive as several runs when the emulator's
        // thread is late by a couple of milliseconds.
        std::vector<uint8_t> reply;
        for (size_t j = i + 1; j < runs.size() && !runs[j].fromPc; ++j)
            reply.insert(reply.end(), runs[j].bytes.begin(), runs[j].bytes.end());
        if (run.bytes.size() >= 2 && run.bytes[0] == Prefix) {
            WireExchange x;
            x.atUs = run.startUs;
            x.command = run.bytes[1];
            x.reply = std::move(reply);
            out.push_back(std::move(x));
        } else if (run.bytes.size() == 1 && run.bytes[0] == BlockRequest && !out.empty() &&
                   out.back().command == CmdReadText) {
            ++out.back().blocks;
            out.back().blockBytes += reply.size();
        }
    }
    return out;
}

std::vector<int64_t> CommandTimes(const std::vector<WireExchange>& exchanges, uint8_t command) {
    std::vector<int64_t> times;
    for (const auto& x : exchanges)
        if (x.command == command) times.push_back(x.atUs);
    return times;
}

std::vector<std::string> SummarizeWire(const std::vector<WireExchange>& exchanges) {
    // Repeated polls and unanswered hellos fold into one line each, so the
    // summary shows the shape of the conversation rather than every tick.
    std::vector<std::string> lines;
    char buf[240];
    const WireExchange* first = nullptr;
    int repeats = 0;
    int64_t lastUs = 0;
    auto flush = [&] {
        if (!first) return;
        if (repeats == 1) {
            std::snprintf(buf, sizeof buf, "%9.3f s  %s", first->atUs / MicrosPerSecond, Describe(*first).c_str());
        } else {
            double every = (lastUs - first->atUs) / MicrosPerSecond / (repeats - 1);
            std::snprintf(buf, sizeof buf, "%9.3f s  %d x %s, one every %.1f s", first->atUs / MicrosPerSecond,
                          repeats, Describe(*first).c_str(), every);
        }
        lines.push_back(buf);
        first = nullptr;
    };
    for (const auto& x : exchanges) {
        bool foldable = x.command == CmdHello || x.command == CmdQueryFile;
        if (first && foldable && x.command == first->command && x.reply == first->reply) {
            ++repeats;
            lastUs = x.atUs;
            continue;
        }
        flush();
        first = &x;
        repeats = 1;
        lastUs = x.atUs;
    }
    flush();
    return lines;
}

}  // namespace e2e
