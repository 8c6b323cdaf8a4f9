#pragma once
// Runs glimmerly_probe under Wine and reads its records back: what the
// program and notepad show, the clipboard and the registry, seen from outside.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "harness/testbed_env.h"

namespace e2e {

// One output line of the probe: "<kind> key=value ...", texts unescaped to
// their exact code page 1252 bytes.
struct ProbeRecord {
    std::string kind;
    std::map<std::string, std::string> fields;

    std::string Text(const std::string& key) const;
    long Number(const std::string& key, long fallback = -1) const;
};

struct ProbeOutput {
    int exitCode = -1;  // -1: the probe itself could not run or did not end
    std::vector<ProbeRecord> records;
    std::vector<ProbeRecord> OfKind(const std::string& kind) const;
};

// Parses the probe's output text; lines that do not parse are skipped.
std::vector<ProbeRecord> ParseProbeOutput(const std::string& text);

struct ClipboardText {
    bool opened = false;  // false: the clipboard stayed busy
    bool hasText = false;
    std::string text;     // CF_TEXT bytes without the terminating zero
};

class ProbeClient {
public:
    ProbeClient(TestBedEnv env, std::string workDir);

    // `environment` ("NAME=value") is set for this run over the host's own.
    ProbeOutput Run(const std::vector<std::string>& args, const std::vector<std::string>& environment = {});
    // The ANSI code page a program gets under `environment`; 0 if unknown.
    unsigned CodePage(const std::vector<std::string>& environment);

    // The first top-level window of the class, if any.
    std::optional<ProbeRecord> Window(const std::string& className);
    std::vector<ProbeRecord> Windows(const std::string& className);
    // The window record (kind "window") followed by its controls.
    std::vector<ProbeRecord> Controls(const std::string& className);
    std::optional<std::string> EditText(const std::string& className);
    ClipboardText Clipboard();
    // Puts text on the clipboard by copying it from the window's edit control.
    bool CopyThroughEdit(const std::string& className, const std::string& text);
    std::optional<ProbeRecord> Foreground();

    bool Close(const std::string& className);
    bool Move(const std::string& className, int x, int y, int width, int height);
    bool Activate(const std::string& className);

    std::optional<ProbeRecord> RegGet(const std::string& key, const std::string& name);
    bool RegSetString(const std::string& key, const std::string& name, const std::string& value);
    bool RegSetDword(const std::string& key, const std::string& name, unsigned long value);
    bool RegDelete(const std::string& key, const std::string& name);

private:
    TestBedEnv env_;
    std::string workDir_;
    unsigned runs_ = 0;
};

}  // namespace e2e
