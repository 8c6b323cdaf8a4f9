#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/draft_folder.h"

namespace {

NewName Refused(std::string* reason) {
    *reason = std::strerror(errno);
    return NewName::Failed;
}

// For a file system that knows neither the no-replace rename nor hard links
// (FAT on a memory stick): a look, then the rename. Only another writer in
// the same instant could slip between them.
NewName LookThenRename(const PcPath& from, const PcPath& to, std::string* reason) {
    struct stat facts;
    if (lstat(to.Text().c_str(), &facts) == 0) return NewName::Taken;
    if (errno != ENOENT) return Refused(reason);
    return rename(from.Text().c_str(), to.Text().c_str()) == 0 ? NewName::Given : Refused(reason);
}

}  // namespace

NewName GiveNewName(const PcPath& from, const PcPath& to, std::string* reason) {
    if (renameat2(AT_FDCWD, from.Text().c_str(), AT_FDCWD, to.Text().c_str(), RENAME_NOREPLACE) == 0) {
        return NewName::Given;
    }
    if (errno == EEXIST) return NewName::Taken;
    if (errno != EINVAL && errno != ENOSYS) return Refused(reason);
    if (link(from.Text().c_str(), to.Text().c_str()) == 0) {
        unlink(from.Text().c_str());
        return NewName::Given;
    }
    if (errno == EEXIST) return NewName::Taken;
    if (errno != EPERM && errno != ENOTSUP) return Refused(reason);
    return LookThenRename(from, to, reason);
}

void RemoveFileQuietly(const PcPath& path) { unlink(path.Text().c_str()); }
