#pragma once
#include <string>

#include "device/outcome.h"
#include "device/pc_files.h"

// Each arrival's text as a file of its own in the user's folder, named for the
// time it came (UTC) and the keyboard's file: 20261209-084500Z-file3.txt, with
// -2, -3, ... after the time when that name is taken. A file is never
// replaced, and a reader of the folder never sees half of one: it is written
// under a hidden temporary name and then given its own.
Outcome WriteDraft(const PcPath& folder, const std::string& isoTime, int fileNumber, const std::string& text,
                   PcPath* written);

// The platform's step: gives `from` the name `to` unless that name is taken.
enum class NewName { Given, Taken, Failed };
NewName GiveNewName(const PcPath& from, const PcPath& to, std::string* reason);
void RemoveFileQuietly(const PcPath& path);
