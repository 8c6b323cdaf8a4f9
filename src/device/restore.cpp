#include <algorithm>
#include <numeric>

#include "device/backup_folder.h"
#include "device/pc_files.h"
#include "device/progress_span.h"
#include "device/sha256.h"

namespace {

// Larger than any manifest of eight entries could honestly be.
constexpr uint64_t ManifestLimit = 64 * 1024;
constexpr uint64_t LargestLength = 0xFFFF;

Outcome Damaged(const std::string& what, int number = 0) {
    return Failure(FailureKind::PcFile, "damaged backup: " + what, number);
}

// The raw file must be exactly what the manifest says was backed up, and must
// be writable at all: the end-of-text byte would end the device's write early.
Outcome LoadRawFile(const PcPath& folder, const ManifestEntry& entry, DeviceFile* file) {
    const int number = entry.facts.number;
    std::vector<uint8_t> bytes;
    Outcome outcome = ReadPcFile(RawFilePath(folder, number), LargestLength, &bytes);
    if (!outcome.Ok()) {
        outcome.fileNumber = number;
        return outcome;
    }
    const std::string name = "file" + std::to_string(number) + ".raw";
    if (bytes.size() != entry.facts.length) return Damaged(name + " does not have the length the manifest lists", number);
    if (Sha256Hex(bytes) != entry.sha256) return Damaged(name + " does not match its SHA-256", number);
    if (std::find(bytes.begin(), bytes.end(), EndOfText) != bytes.end()) {
        return Failure(FailureKind::PcFile, name + " holds the byte 0xBB, which cannot be written to the keyboard", number);
    }
    file->facts = entry.facts;
    file->bytes = std::move(bytes);
    return Success();
}

const ManifestEntry* FindEntry(const Manifest& manifest, int number) {
    for (const ManifestEntry& entry : manifest.files) {
        if (entry.facts.number == number) return &entry;
    }
    return nullptr;
}

Outcome CheckRooms(BytePort& port, const LoadedBackup& backup) {
    for (const DeviceFile& file : backup.files) {
        uint32_t room = 0;
        const Outcome outcome = ReadRoom(port, file.facts.number, &room);
        if (!outcome.Ok()) return outcome;
        if (file.bytes.size() > room) {
            return Failure(FailureKind::TooLong,
                           "file " + std::to_string(file.facts.number) + " holds " +
                               std::to_string(file.bytes.size()) + " characters; this keyboard's file " +
                               std::to_string(file.facts.number) + " has room for " + std::to_string(room),
                           file.facts.number);
        }
    }
    return Success();
}

Outcome WriteEveryFile(BytePort& port, ProgressSink* progress, const LoadedBackup& backup) {
    Outcome outcome = CheckRooms(port, backup);
    if (!outcome.Ok()) return outcome;
    const uint32_t total = std::accumulate(backup.files.begin(), backup.files.end(), 0u,
        [](uint32_t sum, const DeviceFile& f) { return sum + static_cast<uint32_t>(f.bytes.size()); });
    if (progress != nullptr) progress->ProgressBegin(total);
    for (const DeviceFile& file : backup.files) {
        ProgressSpan share(progress, static_cast<uint32_t>(file.bytes.size()));
        outcome = ReplaceFile(port, &share, file.facts.number, file.bytes);
        if (!outcome.Ok()) return outcome;
    }
    return Success();
}

}  // namespace

Outcome LoadBackup(const PcPath& folder, const std::vector<int>& numbers, LoadedBackup* backup) {
    std::vector<uint8_t> json;
    if (InspectPcPath(folder / ManifestName) == PcPathState::Missing) {
        return Failure(FailureKind::PcFile, "incomplete backup: " + PathText(folder) + " has no manifest.json");
    }
    Outcome outcome = ReadPcFile(folder / ManifestName, ManifestLimit, &json);
    if (!outcome.Ok()) return outcome;
    LoadedBackup loaded;
    outcome = ParseManifest(json, &loaded.manifest);
    if (!outcome.Ok()) return outcome;

    std::vector<int> wanted = numbers;
    if (wanted.empty()) {
        for (const ManifestEntry& entry : loaded.manifest.files) wanted.push_back(entry.facts.number);
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    for (int number : wanted) {
        const ManifestEntry* entry = FindEntry(loaded.manifest, number);
        if (entry == nullptr) return Damaged("the manifest does not list file " + std::to_string(number), number);
        DeviceFile file;
        outcome = LoadRawFile(folder, *entry, &file);
        if (!outcome.Ok()) return outcome;
        loaded.files.push_back(std::move(file));
    }
    *backup = std::move(loaded);
    return Success();
}

Outcome RestoreDevice(BytePort& port, ProgressSink* progress, const LoadedBackup& backup) {
    DeviceVisit visit(port);
    Outcome outcome = visit.Begin();
    if (outcome.Ok()) outcome = WriteEveryFile(port, progress, backup);
    const Outcome ended = visit.End();
    return outcome.Ok() ? ended : outcome;
}
