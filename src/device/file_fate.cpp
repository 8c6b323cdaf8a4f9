#include "device/file_fate.h"

std::string FateLine(const FileFate& fate) {
    const std::string file = "file " + std::to_string(fate.number) + ": ";
    switch (fate.kind) {
    case FateKind::NotTouched: return file + "not touched";
    case FateKind::Verified: return file + "restored and verified";
    case FateKind::WrittenUnverified: return file + "written, not verified";
    case FateKind::ReadsBackOtherwise: return file + "written, but reads back differently";
    case FateKind::PartlyWritten: break;
    }
    return file + "partly written, " + std::to_string(fate.written) + " of " + std::to_string(fate.length) +
           " characters";
}

std::string FateLines(const std::vector<FileFate>& fates) {
    std::string lines;
    for (const FileFate& fate : fates) lines += FateLine(fate) + "\n";
    return lines;
}
