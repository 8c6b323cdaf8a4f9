#include <numeric>

#include "device/backup_folder.h"
#include "device/pc_files.h"
#include "device/progress_span.h"
#include "device/sha256.h"
#include "device/text_forms.h"

namespace {

// A kept copy is named by the time to the second; a second restore within the
// same second gets "-2", "-3" and so on, up to this.
constexpr int MostSameSecondCopies = 100;

// What a backup has put on the PC so far, so that work given up can take it
// away again: the files, then the folders it created, newest first.
struct FolderWork {
    std::vector<PcPath> files;
    std::vector<PcPath> madeFolders;

    void Undo() {
        for (auto file = files.rbegin(); file != files.rend(); ++file) RemovePcFile(*file);
        for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder) RemovePcFolder(*folder);
        files.clear();
        madeFolders.clear();
    }
};

PcPath NumberedPath(const PcPath& folder, int number, const char* extension) {
    return folder / ("file" + std::to_string(number) + extension);
}

// A backup never mixes with other files: the folder is made here, or was empty.
Outcome PrepareFolder(const PcPath& folder, FolderWork* work) {
    std::string reason;
    switch (InspectPcPath(folder, &reason)) {
    case PcPathState::EmptyFolder: return Success();
    case PcPathState::Missing: return CreatePcFolders(folder, &work->madeFolders);
    case PcPathState::Unusable: return Failure(FailureKind::PcFile, "cannot use " + PathText(folder) + ": " + reason);
    case PcPathState::Occupied: break;
    }
    return Failure(FailureKind::Usage, PathText(folder) + " exists and is not an empty folder");
}

Outcome WriteInto(const PcPath& path, std::span<const uint8_t> bytes, FolderWork* work) {
    work->files.push_back(path);
    return WritePcFile(path, bytes);
}

Outcome SaveFile(const PcPath& folder, const DeviceFile& file, Manifest* manifest, FolderWork* work) {
    const int number = file.facts.number;
    Outcome outcome = WriteInto(RawFilePath(folder, number), file.bytes, work);
    if (!outcome.Ok()) return outcome;
    const std::string text = DeviceToUtf8(file.bytes, NativeLineEnd);
    outcome = WriteInto(TextFilePath(folder, number),
                        {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, work);
    if (!outcome.Ok()) return outcome;
    const std::string digest = Sha256Hex(file.bytes);
    if (digest.empty()) return Failure(FailureKind::PcFile, "the system could not compute a SHA-256");
    manifest->files.push_back({file.facts, digest});
    return Success();
}

// The manifest goes in under a temporary name and is renamed into place, so
// that even a crash while writing it leaves no folder that looks complete.
Outcome SaveManifest(const PcPath& folder, const Manifest& manifest, FolderWork* work) {
    const std::string json = ManifestJson(manifest);
    const PcPath temporary = folder / "manifest.json.partial";
    const Outcome outcome =
        WriteInto(temporary, {reinterpret_cast<const uint8_t*>(json.data()), json.size()}, work);
    if (!outcome.Ok()) return outcome;
    work->files.push_back(folder / ManifestName);
    return RenamePcFile(temporary, folder / ManifestName);
}

// Reads each file, whose facts are known, into the folder: the progress runs
// once over all of them.
Outcome CopyDeviceFiles(BytePort& port, ProgressSink* progress, const std::vector<FileFacts>& facts,
                        const PcPath& folder, Manifest* manifest, FolderWork* work) {
    for (const FileFacts& announced : facts) {
        ProgressSpan share(progress, announced.length);
        DeviceFile file;
        Outcome outcome = ReadKnownFile(port, &share, announced, &file);
        if (!outcome.Ok()) return outcome;
        outcome = SaveFile(folder, file, manifest, work);
        if (!outcome.Ok()) return outcome;
    }
    return Success();
}

uint32_t TotalLength(const std::vector<FileFacts>& facts) {
    return std::accumulate(facts.begin(), facts.end(), 0u,
                           [](uint32_t sum, const FileFacts& f) { return sum + f.length; });
}

// A new folder of its own for one kept copy.
Outcome MakeKeptCopyFolder(const PcPath& root, PcPath* folder, FolderWork* work) {
    Outcome outcome = CreatePcFolders(root, &work->madeFolders);
    if (!outcome.Ok()) return outcome;
    const std::string name = UtcTimeForName();
    for (int copy = 1; copy <= MostSameSecondCopies; ++copy) {
        const PcPath candidate = root / (copy == 1 ? name : name + "-" + std::to_string(copy));
        std::string reason;
        switch (CreateOnePcFolder(candidate, &reason)) {
        case FolderMade::Made:
            work->madeFolders.push_back(candidate);
            *folder = candidate;
            return Success();
        case FolderMade::Exists: continue;
        case FolderMade::NoParent:
        case FolderMade::Failed:
            return Failure(FailureKind::PcFile, "cannot create " + PathText(candidate) + ": " + reason);
        }
    }
    return Failure(FailureKind::PcFile, "too many copies named " + name + " in " + PathText(root));
}

}  // namespace

PcPath RawFilePath(const PcPath& folder, int number) { return NumberedPath(folder, number, ".raw"); }
PcPath TextFilePath(const PcPath& folder, int number) { return NumberedPath(folder, number, ".txt"); }

Outcome BackupDevice(BytePort& port, ProgressSink* progress, const PcPath& folder,
                     const std::string& identity, Manifest* written) {
    FolderWork work;
    Outcome outcome = PrepareFolder(folder, &work);
    if (!outcome.Ok()) return outcome;

    Manifest manifest;
    manifest.identity = identity;
    manifest.time = UtcTimeNow();
    DeviceVisit visit(port);
    std::array<FileFacts, FileCount> facts;
    outcome = visit.Begin();
    if (outcome.Ok()) outcome = ReadAllFacts(port, &facts);
    if (outcome.Ok()) {
        // Each file's facts are read once: the reads below take them as they are.
        const std::vector<FileFacts> all(facts.begin(), facts.end());
        if (progress != nullptr) progress->ProgressBegin(TotalLength(all));
        outcome = CopyDeviceFiles(port, progress, all, folder, &manifest, &work);
    }
    const Outcome ended = visit.End();
    if (outcome.kind == FailureKind::Stopped) {
        // Stopped on purpose: nothing is left in the way of the same command run again.
        work.Undo();
        return outcome;
    }
    if (!outcome.Ok()) return outcome;
    // A device that could not be put back as it was is a failure too; without
    // the manifest the folder shows that this backup did not finish cleanly.
    if (!ended.Ok()) return ended;

    outcome = SaveManifest(folder, manifest, &work);
    if (!outcome.Ok()) return outcome;
    if (written != nullptr) *written = std::move(manifest);
    return Success();
}

Outcome KeepCopy(BytePort& port, ProgressSink* progress, const std::vector<FileFacts>& facts,
                 const std::string& identity, const PcPath& root, PcPath* folder) {
    FolderWork work;
    PcPath made;
    Outcome outcome = MakeKeptCopyFolder(root, &made, &work);
    if (outcome.Ok()) {
        Manifest manifest;
        manifest.identity = identity;
        manifest.time = UtcTimeNow();
        outcome = CopyDeviceFiles(port, progress, facts, made, &manifest, &work);
        if (outcome.Ok()) outcome = SaveManifest(made, manifest, &work);
    }
    if (!outcome.Ok()) {
        // Half a copy would only be mistaken for a whole one.
        work.Undo();
        return outcome;
    }
    *folder = made;
    return Success();
}
