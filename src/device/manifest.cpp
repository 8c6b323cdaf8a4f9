#include <ctime>

#include <nlohmann/json.hpp>

#include "device/backup_folder.h"

namespace {

// Keeps the keys in the order they are written in.
using json = nlohmann::ordered_json;

constexpr const char* CapacityFromTable = "table";

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

namespace {

std::string UtcTimeAs(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

}  // namespace

std::string UtcTimeNow() { return UtcTimeAs("%Y-%m-%dT%H:%M:%SZ"); }

// No colons: Windows takes none in a name.
std::string TimeAsName(const std::string& isoTime) {
    std::string name;
    for (const char c : isoTime) {
        if (c == 'T') {
            name += '-';
        } else if (c != '-' && c != ':') {
            name += c;
        }
    }
    return name;
}

std::string UtcTimeForName() { return TimeAsName(UtcTimeNow()); }
