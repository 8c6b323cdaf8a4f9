#pragma once
// Every picture file of the program's resources, by its path under src/res.
#include <string>
#include <vector>

#include "formats.h"

namespace artgen {

struct ArtFile {
    std::string path;  // relative to src/res, e.g. "icons/main.ico"
    Bytes bytes;
};

std::vector<ArtFile> AllArt();

// Writes every file under `resDir`, creating the subfolders. False on a write error.
bool WriteArt(const std::string& resDir);

} // namespace artgen
