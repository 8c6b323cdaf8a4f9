#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What a write left in one keyboard file, so that a person whose restore or
// put was stopped or failed knows which drafts are whole. Both programs show
// these lines: the command line on standard error, the window in its message.
enum class FateKind {
    NotTouched,         // nothing was sent to this file
    Verified,           // written whole and read back the same
    WrittenUnverified,  // written whole; the read-back did not finish
    ReadsBackOtherwise, // written whole, and the keyboard gives back something else
    PartlyWritten,      // `written` of `length` characters reached the file
};

struct FileFate {
    int number = 0;
    FateKind kind = FateKind::NotTouched;
    uint32_t written = 0;
    uint32_t length = 0;
};

// "file 3: partly written, 150 of 400 characters", one line, no line end.
std::string FateLine(const FileFate& fate);

// One line a file, each ended with a line end; empty for no files.
std::string FateLines(const std::vector<FileFate>& fates);
