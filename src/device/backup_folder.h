#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "device/device_files.h"
#include "device/file_fate.h"
#include "device/outcome.h"
#include "device/pc_files.h"
#include "link/byte_port.h"
#include "link/progress.h"

// A backup folder: file1.raw..file8.raw (the device's bytes exactly),
// file1.txt..file8.txt (the same text as UTF-8 with the platform's line ends)
// and manifest.json, written last, so that a folder without it is known to be
// incomplete.
inline constexpr int BackupFormat = 1;
inline constexpr const char* ManifestName = "manifest.json";

PcPath RawFilePath(const PcPath& folder, int number);
PcPath TextFilePath(const PcPath& folder, int number);

struct ManifestEntry {
    FileFacts facts;
    std::string sha256;
};

struct Manifest {
    std::string identity;
    std::string time;  // ISO 8601, UTC
    std::vector<ManifestEntry> files;
};

std::string ManifestJson(const Manifest& manifest);
// Reads a manifest; anything malformed is a PcFile outcome naming what is wrong.
Outcome ParseManifest(std::span<const uint8_t> json, Manifest* manifest);

// The current time as ISO 8601 UTC, to the second.
std::string UtcTimeNow();
// The same as a name any file system takes: "20261209-084500Z".
std::string UtcTimeForName();
// An ISO 8601 UTC time written that way: 2026-12-09T08:45:00Z becomes 20261209-084500Z.
std::string TimeAsName(const std::string& isoTime);

// Backs up all eight files into `folder`, which must not exist or be empty.
// The device's current file is left as found and the transfer is ended once.
// A backup stopped on request takes away what it wrote (and the folders it
// made), so that the same backup can simply be started again.
Outcome BackupDevice(BytePort& port, ProgressSink* progress, const PcPath& folder,
                     const std::string& identity, Manifest* written);

// Within a visit: reads the files of `facts` (read beforehand) into a new
// folder inside `root` named for the time, in the backup format, manifest
// last. Anything short of a whole copy is taken away again.
Outcome KeepCopy(BytePort& port, ProgressSink* progress, const std::vector<FileFacts>& facts,
                 const std::string& identity, const PcPath& root, PcPath* folder);

// A backup read back from its folder, checked: each selected file's bytes
// match the manifest's length and SHA-256 and hold no end-of-text byte.
struct LoadedBackup {
    Manifest manifest;
    std::vector<DeviceFile> files;  // the selected ones, in file order
};

// `numbers` empty selects every file the manifest lists.
Outcome LoadBackup(const PcPath& folder, const std::vector<int>& numbers,
                   LoadedBackup* backup);

// How a restore keeps what it replaces.
struct RestorePlan {
    PcPath keepRoot;       // where the kept copy goes (KeptCopiesRoot); empty: none is kept
    std::string identity;  // the keyboard's, for the kept copy's manifest
    // Told the kept copy's folder once it is whole, before the first write.
    std::function<void(const PcPath&)> kept;
};

// What a restore did, also when it failed or was stopped part way.
struct RestoreReport {
    PcPath keptCopy;               // empty when none was made
    std::vector<FileFate> files;   // one for each file of the backup, in order
};

// Writes the loaded files back and reads each one back. Before anything is
// sent, every file's length is checked against the room this device reports
// (when one does not fit, nothing at all is written), and then, when the plan
// asks for it, the files about to be replaced are saved as they are now; when
// that copy cannot be made, nothing is written either. The progress runs once
// over the copy, the writes and the read-backs.
Outcome RestoreDevice(BytePort& port, ProgressSink* progress, const LoadedBackup& backup,
                      const RestorePlan& plan = {}, RestoreReport* report = nullptr);
