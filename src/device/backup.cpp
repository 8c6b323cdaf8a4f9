#include <numeric>

#include "device/backup_folder.h"
#include "device/pc_files.h"
#include "device/progress_span.h"
#include "device/sha256.h"
#include "device/text_forms.h"

namespace {

PcPath NumberedPath(const PcPath& folder, int number, const char* extension) {
    return folder / ("file" + std::to_string(number) + extension);
}

// A backup never mixes with other files: the folder is made here, or was empty.
Outcome PrepareFolder(const PcPath& folder) {
    switch (InspectPcPath(folder)) {
    case PcPathState::EmptyFolder: return Success();
    case PcPathState::Missing: return CreatePcFolders(folder);
    case PcPathState::Occupied: break;
    }
    return Failure(FailureKind::Usage, PathText(folder) + " exists and is not an empty folder");
}

Outcome SaveFile(const PcPath& folder, const DeviceFile& file, Manifest* manifest) {
    const int number = file.facts.number;
    Outcome outcome = WritePcFile(RawFilePath(folder, number), file.bytes);
    if (!outcome.Ok()) return outcome;
    const std::string text = DeviceToUtf8(file.bytes, NativeLineEnd);
    outcome = WritePcFile(TextFilePath(folder, number),
                          {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    if (!outcome.Ok()) return outcome;
    const std::string digest = Sha256Hex(file.bytes);
    if (digest.empty()) return Failure(FailureKind::PcFile, "the system could not compute a SHA-256");
    manifest->files.push_back({file.facts, digest});
    return Success();
}

// The manifest goes in under a temporary name and is renamed into place, so
// that even a crash while writing it leaves no folder that looks complete.
Outcome SaveManifest(const PcPath& folder, const Manifest& manifest) {
    const std::string json = ManifestJson(manifest);
    const PcPath temporary = folder / "manifest.json.partial";
    const Outcome outcome =
        WritePcFile(temporary, {reinterpret_cast<const uint8_t*>(json.data()), json.size()});
    if (!outcome.Ok()) return outcome;
    return RenamePcFile(temporary, folder / ManifestName);
}

Outcome ReadEveryFile(BytePort& port, ProgressSink* progress, const PcPath& folder,
                      Manifest* manifest) {
    std::array<FileFacts, FileCount> facts;
    Outcome outcome = ReadAllFacts(port, &facts);
    if (!outcome.Ok()) return outcome;
    const uint32_t total = std::accumulate(facts.begin(), facts.end(), 0u,
                                           [](uint32_t sum, const FileFacts& f) { return sum + f.length; });
    if (progress != nullptr) progress->ProgressBegin(total);
    for (const FileFacts& announced : facts) {
        ProgressSpan share(progress, announced.length);
        DeviceFile file;
        outcome = ReadWholeFile(port, &share, announced.number, &file);
        if (!outcome.Ok()) return outcome;
        outcome = SaveFile(folder, file, manifest);
        if (!outcome.Ok()) return outcome;
    }
    return Success();
}

}  // namespace

PcPath RawFilePath(const PcPath& folder, int number) { return NumberedPath(folder, number, ".raw"); }
PcPath TextFilePath(const PcPath& folder, int number) { return NumberedPath(folder, number, ".txt"); }

Outcome BackupDevice(BytePort& port, ProgressSink* progress, const PcPath& folder,
                     const std::string& identity, Manifest* written) {
    Outcome outcome = PrepareFolder(folder);
    if (!outcome.Ok()) return outcome;

    Manifest manifest;
    manifest.identity = identity;
    manifest.time = UtcTimeNow();
    DeviceVisit visit(port);
    outcome = visit.Begin();
    if (outcome.Ok()) outcome = ReadEveryFile(port, progress, folder, &manifest);
    const Outcome ended = visit.End();
    if (!outcome.Ok()) return outcome;
    // A device that could not be put back as it was is a failure too; without
    // the manifest the folder shows that this backup did not finish cleanly.
    if (!ended.Ok()) return ended;

    outcome = SaveManifest(folder, manifest);
    if (!outcome.Ok()) return outcome;
    if (written != nullptr) *written = std::move(manifest);
    return Success();
}
