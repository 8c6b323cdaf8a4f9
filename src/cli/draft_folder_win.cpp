#include <windows.h>

#include "cli/draft_folder.h"
#include "cli/platform.h"
#include "device/utf16.h"

NewName GiveNewName(const PcPath& from, const PcPath& to, std::string* reason) {
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that is taken.
    if (MoveFileExW(Utf16FromUtf8(from.Text()).c_str(), Utf16FromUtf8(to.Text()).c_str(), MOVEFILE_WRITE_THROUGH)) {
        return NewName::Given;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return NewName::Taken;
    *reason = SystemErrorText(error);
    return NewName::Failed;
}

void RemoveFileQuietly(const PcPath& path) { DeleteFileW(Utf16FromUtf8(path.Text()).c_str()); }
