#include "harness/probe_client.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "harness/wine_process.h"

namespace e2e {

namespace {
// The probe bounds its own waits to a few seconds; this only guards against
// Wine itself not coming back.
constexpr int ProbeRunBoundMs = 60000;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A quoted probe text: printable bytes as they are, everything else \xNN.
bool ParseQuoted(const std::string& line, size_t& pos, std::string& out) {
    ++pos;  // opening quote
    while (pos < line.size() && line[pos] != '"') {
        if (line[pos] == '\\') {
            if (pos + 3 >= line.size() || line[pos + 1] != 'x') return false;
            int hi = HexDigit(line[pos + 2]), lo = HexDigit(line[pos + 3]);
            if (hi < 0 || lo < 0) return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 4;
        } else {
            out += line[pos++];
        }
    }
    if (pos >= line.size()) return false;
    ++pos;  // closing quote
    return true;
}

bool ParseLine(std::string line, ProbeRecord& rec) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    size_t pos = line.find(' ');
    rec.kind = line.substr(0, pos);
    if (rec.kind.empty()) return false;
    while (pos != std::string::npos && pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        if (pos >= line.size()) break;
        size_t eq = line.find('=', pos);
        size_t space = line.find(' ', pos);
        if (eq == std::string::npos || (space != std::string::npos && space < eq)) {
            // A bare word ("clipboard busy"): kept as a key with no value.
            std::string word = line.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
            rec.fields[word] = "";
            pos = space;
            continue;
        }
        std::string key = line.substr(pos, eq - pos);
        pos = eq + 1;
        std::string value;
        if (pos < line.size() && line[pos] == '"') {
            if (!ParseQuoted(line, pos, value)) return false;
        } else {
            size_t end = line.find(' ', pos);
            value = line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end;
        }
        rec.fields[key] = value;
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
}  // namespace

std::string ProbeRecord::Text(const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? "" : it->second;
}

long ProbeRecord::Number(const std::string& key, long fallback) const {
    auto it = fields.find(key);
    if (it == fields.end() || it->second.empty()) return fallback;
    char* end = nullptr;
    long v = std::strtol(it->second.c_str(), &end, 0);
    return *end == '\0' ? v : fallback;
}

std::vector<ProbeRecord> ProbeOutput::OfKind(const std::string& kind) const {
    std::vector<ProbeRecord> out;
    for (const auto& r : records)
        if (r.kind == kind) out.push_back(r);
    return out;
}

std::vector<ProbeRecord> ParseProbeOutput(const std::string& text) {
    std::vector<ProbeRecord> records;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ProbeRecord rec;
        if (ParseLine(line, rec)) records.push_back(std::move(rec));
    }
    return records;
}

ProbeClient::ProbeClient(TestBedEnv env, std::string workDir) : env_(std::move(env)), workDir_(std::move(workDir)) {}

ProbeOutput ProbeClient::Run(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    ProbeOutput out;
    std::string file = workDir_ + "/probe-" + std::to_string(runs_++ % 4) + ".out";
    std::vector<std::string> command = {env_.ProbeExe()};
    command.insert(command.end(), args.begin(), args.end());
    WineProcess probe;
    probe.SetEnvironment(environment);
    if (!probe.Start(command, file, nullptr)) return out;
    auto rc = probe.WaitExit(ProbeRunBoundMs);
    if (!rc) {
        probe.Kill();
        return out;
    }
    out.exitCode = *rc;
    out.records = ParseProbeOutput(ReadFile(file));
    return out;
}

unsigned ProbeClient::CodePage(const std::vector<std::string>& environment) {
    auto found = Run({"code-page"}, environment).OfKind("codepage");
    return found.empty() ? 0 : static_cast<unsigned>(found.front().Number("acp", 0));
}

std::optional<ProbeRecord> ProbeClient::Window(const std::string& className) {
    auto found = Windows(className);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::vector<ProbeRecord> ProbeClient::Windows(const std::string& className) {
    return Run({"list", "--class", className}).OfKind("window");
}

std::vector<ProbeRecord> ProbeClient::Controls(const std::string& className) {
    return Run({"controls", "--class", className}).records;
}

std::optional<std::string> ProbeClient::EditText(const std::string& className) {
    auto out = Run({"edit-text", "--class", className});
    auto edits = out.OfKind("edit");
    if (out.exitCode != 0 || edits.empty()) return std::nullopt;
    return edits.front().Text("text");
}

ClipboardText ProbeClient::Clipboard() {
    ClipboardText clip;
    auto recs = Run({"clipboard"}).OfKind("clipboard");
    if (recs.empty() || recs.front().fields.count("busy")) return clip;
    clip.opened = true;
    if (recs.front().fields.count("text")) {
        clip.hasText = true;
        clip.text = recs.front().Text("text");
    }
    return clip;
}

bool ProbeClient::CopyThroughEdit(const std::string& className, const std::string& text) {
    return Run({"edit-copy", "--class", className, text}).exitCode == 0;
}

std::optional<ProbeRecord> ProbeClient::Foreground() {
    auto w = Run({"foreground"}).OfKind("window");
    if (w.empty()) return std::nullopt;
    return w.front();
}

bool ProbeClient::Close(const std::string& className) { return Run({"close", "--class", className}).exitCode == 0; }

bool ProbeClient::Move(const std::string& className, int x, int y, int width, int height) {
    return Run({"move", "--class", className, std::to_string(x), std::to_string(y), std::to_string(width),
                std::to_string(height)})
               .exitCode == 0;
}

bool ProbeClient::Activate(const std::string& className) {
    return Run({"activate", "--class", className}).exitCode == 0;
}

std::optional<ProbeRecord> ProbeClient::RegGet(const std::string& key, const std::string& name) {
    auto out = Run({"reg-get", key, name});
    auto recs = out.OfKind("reg");
    if (out.exitCode != 0 || recs.empty()) return std::nullopt;
    return recs.front();
}

bool ProbeClient::RegSetString(const std::string& key, const std::string& name, const std::string& value) {
    return Run({"reg-set-sz", key, name, value}).exitCode == 0;
}

bool ProbeClient::RegSetDword(const std::string& key, const std::string& name, unsigned long value) {
    return Run({"reg-set-dword", key, name, std::to_string(value)}).exitCode == 0;
}

bool ProbeClient::RegDelete(const std::string& key, const std::string& name) {
    return Run({"reg-delete", key, name}).exitCode == 0;
}

}  // namespace e2e
