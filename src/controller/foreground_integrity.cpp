#include "controller/foreground_integrity.h"

namespace {

// Large enough for a mandatory label: the structure and a SID of one sub-authority.
constexpr DWORD LabelBufferSize = 64;

// The level is the last sub-authority of the token's mandatory label.
bool TokenLevel(HANDLE process, DWORD* level) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[LabelBufferSize];
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size) != FALSE;
    CloseHandle(token);
    if (!read) return false;
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
    if (sid == nullptr || !IsValidSid(sid)) return false;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (count == 0) return false;
    *level = *GetSidSubAuthority(sid, count - 1u);
    return true;
}

// The least access that reads a token's label; enough even for an elevated
// process, whose other information a normal one may not read.
bool SystemForegroundLevel(HWND foreground, DWORD* level) {
    DWORD processId = 0;
    if (GetWindowThreadProcessId(foreground, &processId) == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return false;
    const bool read = TokenLevel(process, level);
    CloseHandle(process);
    return read;
}

ForegroundLevelQuery ForegroundLevel = SystemForegroundLevel;

}  // namespace

bool ForegroundTakesTypedKeys() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return false;
    DWORD own = 0, target = 0;
    if (!TokenLevel(GetCurrentProcess(), &own)) return false;
    if (!ForegroundLevel(foreground, &target)) return false;
    return target <= own;
}

void SetForegroundLevelQuery(ForegroundLevelQuery query) {
    ForegroundLevel = query != nullptr ? query : SystemForegroundLevel;
}
