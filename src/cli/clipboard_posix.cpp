#include <cstdlib>
#include <vector>

#include "cli/child_process.h"
#include "cli/clipboard.h"

namespace {

// The tools hand the text to a copy of themselves that serves the clipboard
// and end at once; one that takes longer has hung.
constexpr uint32_t ToolLimitMs = 5000;

struct Tool {
    const char* name;
    std::vector<std::string> argv;
};

bool HasVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool OnWayland() { return HasVariable("WAYLAND_DISPLAY"); }
bool OnX11() { return HasVariable("DISPLAY"); }

std::vector<Tool> CopyTools() {
    if (OnWayland()) return {{"wl-copy", {"wl-copy"}}};
    if (OnX11()) return {{"xclip", {"xclip", "-selection", "clipboard"}}, {"xsel", {"xsel", "--clipboard", "--input"}}};
    return {};
}

std::vector<Tool> TypeTools() {
    if (OnWayland()) return {{"wtype", {"wtype", "-M", "ctrl", "-k", "v", "-m", "ctrl"}}};
    if (OnX11()) return {{"xdotool", {"xdotool", "key", "--clearmodifiers", "ctrl+v"}}};
    return {};
}

const Tool* FirstFound(const std::vector<Tool>& tools) {
    for (const Tool& tool : tools) {
        if (!FindOnPath(tool.name).empty()) return &tool;
    }
    return nullptr;
}

std::string Names(const std::vector<Tool>& tools) {
    std::string names;
    for (const Tool& tool : tools) names += (names.empty() ? "" : " or ") + std::string(tool.name);
    return names;
}

bool Missing(const std::vector<Tool>& tools, const char* what, std::string* reason) {
    if (tools.empty()) {
        *reason = std::string("no desktop session to ") + what + " in (neither WAYLAND_DISPLAY nor DISPLAY is set)";
    } else {
        *reason = std::string("no program to ") + what + " with: install " + Names(tools) + " (looked for on the PATH)";
    }
    return false;
}

bool Run(const Tool& tool, const std::string& input, std::string* failure) {
    std::string error;
    auto child = ChildProcess::StartProgram(tool.argv, input, &error);
    if (!child) {
        *failure = std::string(tool.name) + ": " + error;
        return false;
    }
    std::string how;
    if (!child->Wait(ToolLimitMs, &how)) {
        *failure = std::string(tool.name) + " did not finish";
        return false;
    }
    if (!how.empty()) *failure = std::string(tool.name) + " " + how;
    return how.empty();
}

}  // namespace

bool ClipboardReachable(std::string* reason) {
    return FirstFound(CopyTools()) != nullptr || Missing(CopyTools(), "reach the clipboard", reason);
}

bool PasteKeyTypable(std::string* reason) {
    return FirstFound(TypeTools()) != nullptr || Missing(TypeTools(), "type the paste key", reason);
}

bool PlaceOnClipboard(const std::string& utf8, std::string* failure) {
    const std::vector<Tool> tools = CopyTools();
    const Tool* tool = FirstFound(tools);
    if (tool == nullptr) return Missing(tools, "reach the clipboard", failure);
    return Run(*tool, utf8, failure);
}

bool TypePasteKey(std::string* failure) {
    const std::vector<Tool> tools = TypeTools();
    const Tool* tool = FirstFound(tools);
    if (tool == nullptr) return Missing(tools, "type the paste key", failure);
    return Run(*tool, "", failure);
}
