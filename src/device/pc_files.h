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
// Which files a read accepts. A backup folder is anybody's: a FIFO or a device
// put there under a file's name must be refused, not waited on for ever.
enum class PcFileKinds { Any, RegularOnly };
// Reads at most `limit` bytes; a longer file is refused rather than cut.
Outcome ReadPcFile(const PcPath& path, uint64_t limit, std::vector<uint8_t>* bytes,
                   PcFileKinds kinds = PcFileKinds::Any);
// Moves `from` to `to`, replacing `to` in one step.
Outcome RenamePcFile(const PcPath& from, const PcPath& to);

// Removes one file; one that is not there is fine.
Outcome RemovePcFile(const PcPath& path);
// Removes a folder that is empty; anything left in it keeps it.
Outcome RemovePcFolder(const PcPath& path);

// The names in a folder, "." and ".." left out.
Outcome ListPcFolder(const PcPath& path, std::vector<std::string>* names);

enum class PcPathState {
    Missing,      // nothing by that name (the folder that would hold it may be missing too)
    EmptyFolder,  // a folder with nothing in it
    Occupied,     // a file, or a folder with something in it
    Unusable,     // cannot be looked into (no rights, an I/O error); *reason says why
};
PcPathState InspectPcPath(const PcPath& path, std::string* reason = nullptr);

// Creates the folder and any missing folders above it; one that is already
// there is fine. `made`, when given, receives the folders this call created,
// outermost first, so that work given up can take them away again.
Outcome CreatePcFolders(const PcPath& path, std::vector<PcPath>* made = nullptr);

// Where a restore keeps the files it replaces: "glimmerly/replaced" in the
// user's state folder ($XDG_STATE_HOME, else ~/.local/state) on Linux, and
// "Glimmerly\replaced" in the local application data on Windows.
Outcome KeptCopiesRoot(PcPath* root);

// The platform's single steps, for the portable code above.
enum class FolderMade { Made, Exists, NoParent, Failed };
FolderMade CreateOnePcFolder(const PcPath& path, std::string* reason);
