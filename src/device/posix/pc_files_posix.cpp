// Whole files and folders through the POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/pc_files.h"

namespace {

constexpr size_t ReadChunk = 64 * 1024;
constexpr mode_t NewFileMode = 0666;
constexpr mode_t NewFolderMode = 0777;

std::string Reason() { return std::strerror(errno); }

Outcome Refused(const char* what, const PcPath& path) {
    return Failure(FailureKind::PcFile, std::string(what) + " " + path.Text() + ": " + Reason());
}

// Closes on every path out, keeping the first error.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// A rename is on the disk only once its folder is: the manifest's rename is
// what marks a backup complete.
void FlushFolderOf(const PcPath& path) {
    const PcPath parent = path.Parent();
    Descriptor folder(::open(parent.Empty() ? "." : parent.Text().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) ::fsync(folder.Get());
}

}  // namespace

Outcome WritePcFile(const PcPath& path, std::span<const uint8_t> bytes) {
    Descriptor file(::open(path.Text().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, NewFileMode));
    if (file.Get() < 0) return Refused("cannot write", path);
    // A full disk may show only at the flush or the close.
    if (!WriteAll(file.Get(), bytes) || ::fsync(file.Get()) != 0 || !file.Close()) {
        return Refused("cannot write", path);
    }
    return Success();
}

Outcome ReadPcFile(const PcPath& path, uint64_t limit, std::vector<uint8_t>* bytes, PcFileKinds kinds) {
    // A FIFO would block the open itself until a writer came; without waiting,
    // its kind is learnt first.
    const int wait = kinds == PcFileKinds::RegularOnly ? O_NONBLOCK : 0;
    Descriptor file(::open(path.Text().c_str(), O_RDONLY | O_CLOEXEC | wait));
    if (file.Get() < 0) return Refused("cannot read", path);
    struct stat facts {};
    if (kinds == PcFileKinds::RegularOnly) {
        if (::fstat(file.Get(), &facts) != 0) return Refused("cannot read", path);
        if (!S_ISREG(facts.st_mode)) return Failure(FailureKind::PcFile, path.Text() + " is not a regular file");
    }
    std::vector<uint8_t> content;
    uint8_t chunk[ReadChunk];
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Refused("cannot read", path);
        if (got == 0) break;
        content.insert(content.end(), chunk, chunk + got);
        if (content.size() > limit) {
            return Failure(FailureKind::PcFile, path.Text() + " is larger than any file the keyboard holds");
        }
    }
    *bytes = std::move(content);
    return Success();
}

Outcome RenamePcFile(const PcPath& from, const PcPath& to) {
    if (::rename(from.Text().c_str(), to.Text().c_str()) != 0) return Refused("cannot write", to);
    FlushFolderOf(to);
    return Success();
}

Outcome RemovePcFile(const PcPath& path) {
    if (::unlink(path.Text().c_str()) != 0 && errno != ENOENT) return Refused("cannot remove", path);
    return Success();
}

Outcome RemovePcFolder(const PcPath& path) {
    if (::rmdir(path.Text().c_str()) != 0) return Refused("cannot remove", path);
    return Success();
}

Outcome ListPcFolder(const PcPath& path, std::vector<std::string>* names) {
    DIR* folder = ::opendir(path.Text().c_str());
    if (folder == nullptr) return Refused("cannot read", path);
    names->clear();
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names->push_back(entry->d_name);
        }
    }
    const int error = errno;
    ::closedir(folder);
    if (error != 0) {
        errno = error;
        return Refused("cannot read", path);
    }
    return Success();
}

PcPathState InspectPcPath(const PcPath& path, std::string* reason) {
    struct stat facts {};
    if (::stat(path.Text().c_str(), &facts) != 0) {
        // ENOTDIR: a file stands where a folder above it should be.
        if (errno == ENOENT || errno == ENOTDIR) return PcPathState::Missing;
        if (reason != nullptr) *reason = Reason();
        return PcPathState::Unusable;
    }
    if (!S_ISDIR(facts.st_mode)) return PcPathState::Occupied;
    DIR* folder = ::opendir(path.Text().c_str());
    if (folder == nullptr) {
        if (reason != nullptr) *reason = Reason();
        return PcPathState::Unusable;
    }
    PcPathState state = PcPathState::EmptyFolder;
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            state = PcPathState::Occupied;
            break;
        }
    }
    ::closedir(folder);
    return state;
}

FolderMade CreateOnePcFolder(const PcPath& path, std::string* reason) {
    if (::mkdir(path.Text().c_str(), NewFolderMode) == 0) return FolderMade::Made;
    if (errno == EEXIST) return FolderMade::Exists;
    const bool noParent = errno == ENOENT;
    *reason = Reason();
    return noParent ? FolderMade::NoParent : FolderMade::Failed;
}

Outcome KeptCopiesRoot(PcPath* root) {
    // A relative state folder is to be ignored, as if it were not set.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        *root = PcPath(state) / "glimmerly" / "replaced";
        return Success();
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return Failure(FailureKind::PcFile, "neither XDG_STATE_HOME nor HOME names a folder to keep the replaced files in");
    }
    *root = PcPath(home) / ".local" / "state" / "glimmerly" / "replaced";
    return Success();
}
