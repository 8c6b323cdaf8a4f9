#include <ctime>
#include <set>

#include <nlohmann/json.hpp>

#include "device/backup_folder.h"

namespace {

// One JSON type for reading and writing: the writer needs the keys in their
// written order, and a second type would be a second copy of the library's
// parser and printer in every program that links this.
using json = nlohmann::ordered_json;

constexpr uint32_t LargestWord = 0xFFFF;
constexpr size_t Sha256HexDigits = 64;
constexpr const char* CapacityFromTable = "table";

Outcome Damaged(const std::string& what) {
    return Failure(FailureKind::PcFile, "damaged backup: " + what);
}

bool IsHexDigest(const std::string& text) {
    if (text.size() != Sha256HexDigits) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

// One entry of "files"; its own checks keep the parse readable.
Outcome ParseEntry(const json& item, ManifestEntry* entry) {
    if (!item.is_object()) return Damaged("a file entry is not an object");
    const auto number = item.find("file");
    const auto length = item.find("length");
    const auto capacity = item.find("capacity");
    const auto sha = item.find("sha256");
    if (number == item.end() || !number->is_number_integer() || *number < 1 ||
        *number > static_cast<int>(FileCount)) {
        return Damaged("a file number outside 1 to 8");
    }
    if (length == item.end() || !length->is_number_unsigned() || *length > LargestWord) {
        return Damaged("file " + number->dump() + " has no valid length");
    }
    if (capacity != item.end() && (!capacity->is_number_unsigned() || *capacity > LargestWord)) {
        return Damaged("file " + number->dump() + " has an invalid capacity");
    }
    if (sha == item.end() || !sha->is_string() || !IsHexDigest(sha->get<std::string>())) {
        return Damaged("file " + number->dump() + " has no valid sha256");
    }
    entry->facts.number = number->get<int>();
    entry->facts.length = length->get<uint32_t>();
    entry->facts.capacity = capacity != item.end() ? capacity->get<uint32_t>() : 0;
    const auto from = item.find("capacity_from");
    entry->facts.capacityFromTable = from != item.end() && *from == CapacityFromTable;
    entry->sha256 = sha->get<std::string>();
    return Success();
}

}  // namespace

std::string ManifestJson(const Manifest& manifest) {
    // Written in the order a reader expects: format first, files last.
    json files = json::array();
    for (const ManifestEntry& entry : manifest.files) {
        json item = {{"file", entry.facts.number},
                     {"length", entry.facts.length},
                     {"capacity", entry.facts.capacity},
                     {"sha256", entry.sha256}};
        if (entry.facts.capacityFromTable) item["capacity_from"] = CapacityFromTable;
        files.push_back(item);
    }
    const json document = {{"format", BackupFormat},
                           {"identity", manifest.identity},
                           {"time", manifest.time},
                           {"files", files}};
    // An identity with bytes that are not UTF-8 is written with replacement
    // characters instead of failing the whole backup.
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

Outcome ParseManifest(std::span<const uint8_t> text, Manifest* manifest) {
    const json document = json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object()) return Damaged("manifest.json is not valid JSON");
    const auto format = document.find("format");
    if (format == document.end() || *format != BackupFormat) {
        return Damaged("manifest.json is not of format 1");
    }
    const auto files = document.find("files");
    if (files == document.end() || !files->is_array()) return Damaged("manifest.json lists no files");

    Manifest parsed;
    const auto identity = document.find("identity");
    if (identity != document.end() && identity->is_string()) parsed.identity = identity->get<std::string>();
    const auto time = document.find("time");
    if (time != document.end() && time->is_string()) parsed.time = time->get<std::string>();
    std::set<int> seen;
    for (const json& item : *files) {
        ManifestEntry entry;
        const Outcome outcome = ParseEntry(item, &entry);
        if (!outcome.Ok()) return outcome;
        if (!seen.insert(entry.facts.number).second) {
            return Damaged("file " + std::to_string(entry.facts.number) + " is listed twice");
        }
        parsed.files.push_back(entry);
    }
    *manifest = std::move(parsed);
    return Success();
}

std::string UtcTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}
