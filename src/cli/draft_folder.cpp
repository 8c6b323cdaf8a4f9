#include "cli/draft_folder.h"

#include "device/backup_folder.h"

namespace {

// More drafts in one second from one keyboard than this is not a person.
constexpr int MostSameNames = 1000;

std::string DraftName(const std::string& time, int copy, int fileNumber) {
    const std::string suffix = copy > 1 ? "-" + std::to_string(copy) : "";
    return time + suffix + "-file" + std::to_string(fileNumber) + ".txt";
}

}  // namespace

Outcome WriteDraft(const PcPath& folder, const std::string& isoTime, int fileNumber, const std::string& text,
                   PcPath* written) {
    const std::string time = TimeAsName(isoTime);
    const PcPath part = folder / ("." + DraftName(time, 1, fileNumber) + ".part");
    Outcome outcome = WritePcFile(part, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    if (!outcome.Ok()) {
        RemoveFileQuietly(part);
        return outcome;
    }
    for (int copy = 1; copy <= MostSameNames; ++copy) {
        const PcPath target = folder / DraftName(time, copy, fileNumber);
        std::string reason;
        const NewName named = GiveNewName(part, target, &reason);
        if (named == NewName::Given) {
            *written = target;
            return Success();
        }
        if (named == NewName::Failed) {
            RemoveFileQuietly(part);
            return Failure(FailureKind::PcFile, "cannot name " + PathText(target) + ": " + reason);
        }
    }
    RemoveFileQuietly(part);
    return Failure(FailureKind::PcFile, "every name for this second is taken in " + PathText(folder));
}
