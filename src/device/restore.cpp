#include <algorithm>
#include <cctype>
#include <numeric>
#include <set>

#include "device/backup_folder.h"
#include "device/pc_files.h"
#include "device/progress_span.h"
#include "device/sha256.h"
#include "link/stop_request.h"

namespace {

// Larger than any manifest of eight entries could honestly be.
constexpr uint64_t ManifestLimit = 64 * 1024;
constexpr uint64_t LargestLength = 0xFFFF;

Outcome Damaged(const std::string& what, int number = 0) {
    return Failure(FailureKind::PcFile, "damaged backup: " + what, number);
}

std::string NumberList(const std::set<int>& numbers) {
    std::string list;
    for (int number : numbers) list += (list.empty() ? "" : ", ") + std::to_string(number);
    return list;
}

// The raw file must be exactly what the manifest says was backed up, and must
// be writable at all: the end-of-text byte would end the device's write early.
Outcome LoadRawFile(const PcPath& folder, const ManifestEntry& entry, DeviceFile* file) {
    const int number = entry.facts.number;
    std::vector<uint8_t> bytes;
    Outcome outcome = ReadPcFile(RawFilePath(folder, number), LargestLength, &bytes, PcFileKinds::RegularOnly);
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

// The file numbers whose fileN.raw the folder holds. Names are compared
// without regard to case, as Windows opens them.
std::set<int> RawFilesIn(const std::vector<std::string>& names) {
    std::set<int> numbers;
    for (std::string name : names) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (name.size() == 9 && name.compare(0, 4, "file") == 0 && name.compare(5, 4, ".raw") == 0 &&
            name[4] >= '1' && name[4] <= '0' + static_cast<int>(FileCount)) {
            numbers.insert(name[4] - '0');
        }
    }
    return numbers;
}

// The folder and its manifest must tell the same story: a file left out of
// the manifest would otherwise go unrestored without a word.
Outcome CheckAgreement(const Manifest& manifest, const std::vector<std::string>& names) {
    const std::set<int> present = RawFilesIn(names);
    std::set<int> listed;
    for (const ManifestEntry& entry : manifest.files) listed.insert(entry.facts.number);
    std::set<int> unlisted, missing;
    std::set_difference(present.begin(), present.end(), listed.begin(), listed.end(),
                        std::inserter(unlisted, unlisted.end()));
    std::set_difference(listed.begin(), listed.end(), present.begin(), present.end(),
                        std::inserter(missing, missing.end()));
    if (!unlisted.empty()) return Damaged("the manifest does not list file(s) " + NumberList(unlisted) + " of the folder");
    if (!missing.empty()) return Damaged("the manifest lists file(s) " + NumberList(missing) + " that the folder lacks");
    return Success();
}

Outcome OpenBackupFolder(const PcPath& folder, std::vector<std::string>* names) {
    std::string reason;
    switch (InspectPcPath(folder, &reason)) {
    case PcPathState::Missing: return Failure(FailureKind::PcFile, PathText(folder) + " does not exist");
    case PcPathState::Unusable: return Failure(FailureKind::PcFile, "cannot read " + PathText(folder) + ": " + reason);
    case PcPathState::EmptyFolder:
    case PcPathState::Occupied: break;
    }
    Outcome outcome = ListPcFolder(folder, names);
    if (!outcome.Ok()) return outcome;
    if (std::find(names->begin(), names->end(), ManifestName) == names->end()) {
        return Failure(FailureKind::PcFile, "incomplete backup: " + PathText(folder) + " has no manifest.json");
    }
    return Success();
}

// Each selected file's facts as the keyboard has them now, read once: its room
// decides whether the backup's text fits, its length what a kept copy reads.
Outcome CheckRooms(BytePort& port, const LoadedBackup& backup, std::vector<FileFacts>* current) {
    for (const DeviceFile& file : backup.files) {
        FileFacts facts;
        const Outcome outcome = ReadFileFacts(port, file.facts.number, &facts);
        if (!outcome.Ok()) return outcome;
        const uint32_t room = RoomOf(facts);
        if (file.bytes.size() > room) {
            return Failure(FailureKind::TooLong,
                           "file " + std::to_string(file.facts.number) + " holds " +
                               std::to_string(file.bytes.size()) + " characters; this keyboard's file " +
                               std::to_string(file.facts.number) + " has room for " + std::to_string(room),
                           file.facts.number);
        }
        current->push_back(facts);
    }
    return Success();
}

uint32_t LengthOf(const std::vector<FileFacts>& facts) {
    return std::accumulate(facts.begin(), facts.end(), 0u, [](uint32_t sum, const FileFacts& f) { return sum + f.length; });
}

uint32_t LengthOf(const std::vector<DeviceFile>& files) {
    return std::accumulate(files.begin(), files.end(), 0u,
                           [](uint32_t sum, const DeviceFile& f) { return sum + static_cast<uint32_t>(f.bytes.size()); });
}

Outcome WriteEveryFile(BytePort& port, ProgressSink* progress, const LoadedBackup& backup, const RestorePlan& plan,
                       RestoreReport* report) {
    std::vector<FileFacts> current;
    Outcome outcome = CheckRooms(port, backup, &current);
    if (!outcome.Ok()) return outcome;
    const bool keep = !plan.keepRoot.Empty();
    const uint32_t keptLength = keep ? LengthOf(current) : 0;
    // Each file is written and read back: twice its length.
    const uint32_t written = LengthOf(backup.files) * 2;
    if (progress != nullptr) progress->ProgressBegin(keptLength + written);
    if (keep) {
        ProgressSpan share(progress, keptLength);
        outcome = KeepCopy(port, &share, current, plan.identity, plan.keepRoot, &report->keptCopy);
        if (!outcome.Ok()) return outcome;
        if (plan.kept) plan.kept(report->keptCopy);
    }
    for (size_t i = 0; i < backup.files.size(); ++i) {
        const DeviceFile& file = backup.files[i];
        if (StopRequested()) return Stopped();
        ProgressSpan share(progress, static_cast<uint32_t>(file.bytes.size()) * 2);
        outcome = ReplaceFile(port, &share, file.facts.number, file.bytes, &report->files[i]);
        if (!outcome.Ok()) return outcome;
    }
    return Success();
}

}  // namespace

Outcome LoadBackup(const PcPath& folder, const std::vector<int>& numbers, LoadedBackup* backup) {
    std::vector<std::string> names;
    Outcome outcome = OpenBackupFolder(folder, &names);
    if (!outcome.Ok()) return outcome;
    std::vector<uint8_t> json;
    outcome = ReadPcFile(folder / ManifestName, ManifestLimit, &json, PcFileKinds::RegularOnly);
    if (!outcome.Ok()) return outcome;
    LoadedBackup loaded;
    outcome = ParseManifest(json, &loaded.manifest);
    if (!outcome.Ok()) return outcome;
    outcome = CheckAgreement(loaded.manifest, names);
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

Outcome RestoreDevice(BytePort& port, ProgressSink* progress, const LoadedBackup& backup, const RestorePlan& plan,
                      RestoreReport* report) {
    RestoreReport unused;
    RestoreReport& told = report != nullptr ? *report : unused;
    told = {};
    for (const DeviceFile& file : backup.files) {
        told.files.push_back({file.facts.number, FateKind::NotTouched, 0, static_cast<uint32_t>(file.bytes.size())});
    }
    DeviceVisit visit(port);
    Outcome outcome = visit.Begin();
    if (outcome.Ok()) outcome = WriteEveryFile(port, progress, backup, plan, &told);
    const Outcome ended = visit.End();
    return outcome.Ok() ? ended : outcome;
}
