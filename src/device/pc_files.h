#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/outcome.h"

// Whole files and folders on the PC, with every failure turned into an
// outcome that names the file: nothing here throws. The window program links
// this too, so it stays on the system's own file calls (one source per
// platform) rather than on the standard library's streams and paths, whose
// locale machinery alone would be several times the size of the program.

#ifdef _WIN32
inline constexpr char PcPathSeparator = '\\';
#else
inline constexpr char PcPathSeparator = '/';
#endif

// A path kept as UTF-8 text: the portable code joins and shows it, and only
// the platform's file calls convert it (to UTF-16 on Windows).
class PcPath {
public:
    PcPath() = default;
    explicit PcPath(std::string utf8) : text_(std::move(utf8)) {}

    const std::string& Text() const { return text_; }
    bool Empty() const { return text_.empty(); }
    // `name` inside this folder, with one separator between them.
    PcPath operator/(std::string_view name) const;
    // The folder that holds this path; empty when the text names none.
    PcPath Parent() const;

private:
    std::string text_;
};

// The path as UTF-8 text for messages.
inline const std::string& PathText(const PcPath& path) { return path.Text(); }

// Writes the whole file (replacing one that is there) and flushes it to the
// disk, so that a file written before another is on the disk before it.
Outcome WritePcFile(const PcPath& path, std::span<const uint8_t> bytes);
// Reads at most `limit` bytes; a longer file is refused rather than cut.
Outcome ReadPcFile(const PcPath& path, uint64_t limit, std::vector<uint8_t>* bytes);
// Moves `from` to `to`, replacing `to` in one step.
Outcome RenamePcFile(const PcPath& from, const PcPath& to);

enum class PcPathState {
    Missing,      // nothing by that name (the folder that would hold it may be missing too)
    EmptyFolder,  // a folder with nothing in it
    Occupied,     // a file, a folder with something in it, or anything that cannot be looked into
};
PcPathState InspectPcPath(const PcPath& path);

// Creates the folder and any missing folders above it; one that is already
// there is fine.
Outcome CreatePcFolders(const PcPath& path);

// The platform's single steps, for the portable code above.
enum class FolderMade { Made, Exists, NoParent, Failed };
FolderMade CreateOnePcFolder(const PcPath& path, std::string* reason);
