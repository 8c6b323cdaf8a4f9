// Any bytes as a backup's manifest. The reader follows the JSON library's
// events; here the same document is parsed into the library's plain tree and
// judged by the rules written out a second time, the simple way. The two must
// agree on whether the manifest is sound and, when it is, on every entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

#include <nlohmann/json.hpp>

#include "device/backup_folder.h"

namespace {

using json = nlohmann::json;

constexpr uint64_t LargestWord = 0xFFFF;

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsWord(const json& value) { return value.is_number_unsigned() && value.get<uint64_t>() <= LargestWord; }

bool IsDigest(const json& value) {
    if (!value.is_string()) return false;
    const std::string& text = value.get_ref<const std::string&>();
    if (text.size() != 64) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool IsFormatOne(const json& document) {
    if (!document.contains("format")) return false;
    const json& format = document["format"];
    return (format.is_number_unsigned() && format.get<uint64_t>() == 1) ||
           (format.is_number_float() && format.get<double>() == 1.0);
}

// The manifest as the rules read it from the tree, or false when it is not sound.
bool Judge(const json& document, Manifest* manifest) {
    if (!document.is_object() || !IsFormatOne(document)) return false;
    if (!document.contains("files") || !document["files"].is_array()) return false;
    if (document.contains("identity") && document["identity"].is_string()) manifest->identity = document["identity"];
    if (document.contains("time") && document["time"].is_string()) manifest->time = document["time"];
    std::set<uint64_t> seen;
    for (const json& entry : document["files"]) {
        if (!entry.is_object() || !entry.contains("file") || !entry["file"].is_number_unsigned()) return false;
        const uint64_t number = entry["file"].get<uint64_t>();
        if (number < 1 || number > FileCount || !seen.insert(number).second) return false;
        if (!entry.contains("length") || !IsWord(entry["length"])) return false;
        if (entry.contains("capacity") && !IsWord(entry["capacity"])) return false;
        if (!entry.contains("sha256") || !IsDigest(entry["sha256"])) return false;
        ManifestEntry read;
        read.facts.number = static_cast<int>(number);
        read.facts.length = entry["length"].get<uint32_t>();
        read.facts.capacity = entry.contains("capacity") ? entry["capacity"].get<uint32_t>() : 0;
        read.facts.capacityFromTable = entry.contains("capacity_from") && entry["capacity_from"] == "table";
        read.sha256 = entry["sha256"];
        manifest->files.push_back(read);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Manifest byEvents;
    const bool eventsSound = ParseManifest({data, size}, &byEvents).Ok();

    const json document = json::parse(data, data + size, nullptr, false);
    Manifest byTree;
    const bool treeSound = !document.is_discarded() && Judge(document, &byTree);
    Check(eventsSound == treeSound);
    if (!eventsSound) return 0;
    Check(byEvents.identity == byTree.identity && byEvents.time == byTree.time);
    Check(byEvents.files.size() == byTree.files.size());
    for (size_t i = 0; i < byTree.files.size(); ++i) {
        const ManifestEntry& a = byEvents.files[i];
        const ManifestEntry& b = byTree.files[i];
        Check(a.facts.number == b.facts.number && a.facts.length == b.facts.length &&
              a.facts.capacity == b.facts.capacity && a.facts.capacityFromTable == b.facts.capacityFromTable &&
              a.sha256 == b.sha256);
    }
    // What the program writes, it reads back the same.
    Manifest again;
    const std::string written = ManifestJson(byEvents);
    Check(ParseManifest({reinterpret_cast<const uint8_t*>(written.data()), written.size()}, &again).Ok());
    Check(again.files.size() == byEvents.files.size());
    return 0;
}
