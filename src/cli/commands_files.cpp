// info, get and put: one file, or the facts of all, at a time.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/exit_codes.h"
#include "cli/platform.h"
#include "cli/progress_bar.h"
#include "cli/terminal_text.h"
#include "device/device_files.h"
#include "device/pc_files.h"
#include "device/text_forms.h"
#include "link/protocol.h"

namespace {

#ifdef _WIN32
constexpr const char* EndOfInputKeys = "Ctrl-Z, Enter";
#else
constexpr const char* EndOfInputKeys = "Ctrl-D";
#endif

// UTF-8 can take three bytes for one device character; anything much larger
// than that for the largest file is not text meant for the keyboard.
constexpr uint64_t InputLimit = 4 * 1024 * 1024;

std::unique_ptr<ProgressBar> BarIfTerminal() {
    return StderrIsTerminal() ? std::make_unique<ProgressBar>() : nullptr;
}

std::string PcForm(const std::vector<uint8_t>& device, TextForm form) {
    switch (form) {
    case TextForm::Raw: return std::string(device.begin(), device.end());
    case TextForm::Cp1252: return DeviceToCp1252(device, NativeLineEnd);
    case TextForm::Utf8: break;
    }
    return DeviceToUtf8(device, NativeLineEnd);
}

Outcome ReadInput(const std::string& input, std::vector<uint8_t>* bytes) {
    if (input.empty() || input == "-") {
        // Someone who meant to name a file would otherwise wait on a silent terminal.
        if (StdinIsTerminal()) Say(std::string("reading the text from the terminal until ") + EndOfInputKeys);
        if (!ReadStdin(bytes, InputLimit)) return Failure(FailureKind::PcFile, "cannot read standard input, or it is too long");
        return Success();
    }
    return ReadPcFile(PathFromUtf8(input), InputLimit, bytes);
}

// The input as device bytes, or the reason it cannot be sent.
Outcome ToDevice(const std::vector<uint8_t>& input, TextForm form, std::vector<uint8_t>* device) {
    if (form == TextForm::Raw) {
        if (std::find(input.begin(), input.end(), EndOfText) != input.end()) {
            return Failure(FailureKind::PcFile, "the input holds the byte 0xBB, which cannot be written to the keyboard");
        }
        *device = input;
        return Success();
    }
    DeviceTextResult converted = form == TextForm::Utf8 ? Utf8ToDevice(input) : Cp1252ToDevice(input);
    if (!converted.valid) {
        return Failure(FailureKind::PcFile, "the input is not valid UTF-8 (at byte " +
                                                std::to_string(converted.invalidOffset) + "); nothing was sent");
    }
    if (converted.replaced != 0) {
        Say(std::to_string(converted.replaced) + " character(s) the keyboard cannot show were sent as spaces");
    }
    *device = std::move(converted.bytes);
    return Success();
}

// The room an append or a replace may fill in the file.
uint32_t RoomFor(const FileFacts& facts, bool append) {
    const uint32_t room = RoomOf(facts);
    if (!append) return room;
    return facts.length < room ? room - facts.length : 0;
}

Outcome PutBytes(BytePort& port, const PutOptions& options, std::vector<uint8_t> bytes, FileFate* fate) {
    FileFacts facts;
    Outcome outcome = ReadFileFacts(port, options.number, &facts);
    if (!outcome.Ok()) return outcome;
    const uint32_t room = RoomFor(facts, options.append);
    if (bytes.size() > room) {
        if (!options.truncate) {
            return Failure(FailureKind::TooLong, "the text has " + std::to_string(bytes.size()) +
                                                     " characters; file " + std::to_string(options.number) +
                                                     " has room for " + std::to_string(room) +
                                                     " (--truncate cuts it to fit); nothing was changed");
        }
        Say("cut from " + std::to_string(bytes.size()) + " to " + std::to_string(room) + " characters to fit");
        bytes.resize(room);
    }
    std::unique_ptr<ProgressBar> bar = BarIfTerminal();
    if (options.append) return AppendToFile(port, bar.get(), facts, bytes, fate);
    return ReplaceFile(port, bar.get(), options.number, bytes, fate);
}

}  // namespace

int RunInfo(const GlobalOptions& global) {
    Connection connection;
    if (const int failed = Connect(global.port, &connection)) return failed;
    DeviceVisit visit(*connection.port);
    std::array<FileFacts, FileCount> facts;
    Outcome outcome = visit.Begin();
    if (outcome.Ok()) outcome = ReadAllFacts(*connection.port, &facts);
    const Outcome ended = visit.End();
    if (!outcome.Ok()) return Report(outcome);
    if (!ended.Ok()) return Report(ended);

    std::string text = "Identity:     " + Printable(connection.identity) + "\n" +
                       "Current file: " + std::to_string(visit.CurrentNumber()) + "\n" +
                       "File  Length  Capacity\n";
    for (const FileFacts& file : facts) {
        char line[64];
        std::snprintf(line, sizeof line, "%4d  %6u  %8u%s\n", file.number, file.length, file.capacity,
                      file.capacityFromTable ? " (from the built-in table)" : "");
        text += line;
    }
    return WriteStdout(text, true) ? ExitDone : Report(Failure(FailureKind::PcFile, "cannot write standard output"));
}

int RunGet(const GlobalOptions& global, const GetOptions& options) {
    Connection connection;
    if (const int failed = Connect(global.port, &connection)) return failed;
    DeviceVisit visit(*connection.port);
    DeviceFile file;
    Outcome outcome = visit.Begin();
    {
        std::unique_ptr<ProgressBar> bar = BarIfTerminal();
        if (outcome.Ok()) outcome = ReadWholeFile(*connection.port, bar.get(), options.number, &file);
    }
    const Outcome ended = visit.End();
    if (!outcome.Ok()) return Report(outcome);
    if (!ended.Ok()) return Report(ended);

    const std::string text = PcForm(file.bytes, options.form);
    if (!options.output.empty()) {
        return Report(WritePcFile(PathFromUtf8(options.output),
                                  {reinterpret_cast<const uint8_t*>(text.data()), text.size()}));
    }
    if (!WriteStdout(text, options.form == TextForm::Utf8)) {
        return Report(Failure(FailureKind::PcFile, "cannot write standard output"));
    }
    return ExitDone;
}

int RunPut(const GlobalOptions& global, const PutOptions& options) {
    // Everything on the PC's side is settled before the port is opened.
    std::vector<uint8_t> input;
    Outcome outcome = ReadInput(options.input, &input);
    // An interrupted read of standard input leaves text that is not all there.
    if (const int interrupted = InterruptedBeforeSending()) return interrupted;
    if (!outcome.Ok()) return Report(outcome);
    std::vector<uint8_t> device;
    outcome = ToDevice(input, options.form, &device);
    if (!outcome.Ok()) return Report(outcome);
    if (device.empty() && !options.allowEmpty) {
        Say("the input is empty; --allow-empty clears the file");
        return ExitUsage;
    }

    Connection connection;
    if (const int failed = Connect(global.port, &connection)) return failed;
    DeviceVisit visit(*connection.port);
    FileFate fate;
    outcome = visit.Begin();
    if (outcome.Ok()) outcome = PutBytes(*connection.port, options, std::move(device), &fate);
    const Outcome ended = visit.End();
    const int code = Report(outcome.Ok() ? ended : outcome);
    if (!outcome.Ok() && fate.kind != FateKind::NotTouched) Say(FateLine(fate));
    return code;
}
