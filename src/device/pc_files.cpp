#include "device/pc_files.h"

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

}  // namespace

PcPath PcPath::operator/(std::string_view name) const {
    if (text_.empty()) return PcPath(std::string(name));
    std::string joined = text_;
    if (!IsSeparator(joined.back())) joined += PcPathSeparator;
    joined += name;
    return PcPath(std::move(joined));
}

PcPath PcPath::Parent() const {
    size_t end = text_.size();
    while (end > 1 && IsSeparator(text_[end - 1])) --end;
    size_t cut = end;
    while (cut > 0 && !IsSeparator(text_[cut - 1])) --cut;
    if (cut == 0) return {};
    size_t keep = cut - 1;
    while (keep > 0 && IsSeparator(text_[keep - 1])) --keep;
    // The root ("/", "C:\") keeps its separator: "C:" alone means the drive's
    // current folder.
    if (keep == 0 || text_[keep - 1] == ':') keep = cut;
    return PcPath(text_.substr(0, keep));
}

Outcome CreatePcFolders(const PcPath& path, std::vector<PcPath>* made) {
    std::string reason;
    FolderMade step = CreateOnePcFolder(path, &reason);
    if (step == FolderMade::NoParent) {
        const PcPath parent = path.Parent();
        // Each step is shorter than the last, so this ends at the root.
        if (!parent.Empty() && parent.Text().size() < path.Text().size()) {
            const Outcome above = CreatePcFolders(parent, made);
            if (!above.Ok()) return above;
            step = CreateOnePcFolder(path, &reason);
        }
    }
    if (step == FolderMade::Made && made != nullptr) made->push_back(path);
    if (step == FolderMade::Made || step == FolderMade::Exists) return Success();
    return Failure(FailureKind::PcFile, "cannot create " + path.Text() + (reason.empty() ? "" : ": " + reason));
}
