#include "app/command_line.h"

namespace {

constexpr std::string_view PortSwitch = "/port";
constexpr std::string_view FullSwitch = "/full";
constexpr std::string_view CompactSwitch = "/compact";
constexpr std::string_view AutomaticPort = "auto";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameWordAnyCase(std::string_view word, std::string_view known) {
    if (word.size() != known.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != known[i]) return false;
    }
    return true;
}

// Splits off the next blank-separated word; `rest` moves past it.
std::string_view NextWord(std::string_view& rest) {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

// The program's path may hold blanks when it is quoted; a quote never closed
// means the whole line was the path.
std::string_view SkipProgramPath(std::string_view line) {
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (!line.empty() && line.front() == '"') {
        const size_t close = line.find('"', 1);
        return close == std::string_view::npos ? std::string_view{} : line.substr(close + 1);
    }
    NextWord(line);
    return line;
}

// Shortcut editors and scripts quote arguments: one pair of quotes around the
// whole name is taken off, anything else stays part of the name.
std::string_view Unquoted(std::string_view word) {
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') return word.substr(1, word.size() - 2);
    return word;
}

// "/port:COM5" names the port in the same word as the switch.
bool IsJoinedPortSwitch(std::string_view word) {
    return word.size() > PortSwitch.size() && word[PortSwitch.size()] == ':' &&
           SameWordAnyCase(word.substr(0, PortSwitch.size()), PortSwitch);
}

void TakePortWord(std::string_view word, CommandLineChoices& choices) {
    if (choices.port == PortChoice::Invalid) return;
    word = Unquoted(word);
    if (SameWordAnyCase(word, AutomaticPort)) {
        choices.port = PortChoice::Automatic;
        choices.portName[0] = '\0';
        return;
    }
    if (FormatComPortName(ComPortNumber(word), choices.portName)) {
        choices.port = PortChoice::Named;
        return;
    }
    choices.port = PortChoice::Invalid;
    choices.portName[0] = '\0';
}

}  // namespace

CommandLineChoices ParseCommandLine(std::string_view commandLine) {
    CommandLineChoices choices;
    std::string_view rest = SkipProgramPath(commandLine);
    for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest)) {
        if (SameWordAnyCase(word, PortSwitch)) {
            TakePortWord(NextWord(rest), choices);
        } else if (IsJoinedPortSwitch(word)) {
            TakePortWord(word.substr(PortSwitch.size() + 1), choices);
        } else if (SameWordAnyCase(word, FullSwitch)) {
            choices.window = WindowChoice::Full;
        } else if (SameWordAnyCase(word, CompactSwitch)) {
            choices.window = WindowChoice::Compact;
        }
    }
    return choices;
}
