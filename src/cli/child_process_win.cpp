#include <windows.h>

#include <algorithm>
#include <thread>

#include "cli/child_process.h"
#include "cli/platform.h"
#include "device/utf16.h"
#include "link/stop_request.h"

namespace {

// How long one wait on the process may take before a stop request is seen.
constexpr DWORD SliceMs = 20;

// Our environment block with the additions in place of any variables of the
// same name (names compare without regard to case on Windows).
std::wstring EnvironmentBlockWith(const EnvironmentAdditions& additions) {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry != nullptr && *entry != L'\0'; entry += lstrlenW(entry) + 1) {
        const std::wstring text = entry;
        bool replaced = false;
        for (const auto& [name, value] : additions) {
            const std::wstring prefix = Utf16FromUtf8(name + "=");
            replaced = replaced || CompareStringOrdinal(text.c_str(), static_cast<int>(std::min(text.size(), prefix.size())),
                                                        prefix.c_str(), static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
        }
        if (!replaced) block += text + L'\0';
    }
    if (strings != nullptr) FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : additions) block += Utf16FromUtf8(name + "=" + value) + L'\0';
    block += L'\0';
    return block;
}

std::wstring CommandInterpreter() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ComSpec", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring(L"cmd.exe");
}

// A write to a pipe blocks until the program reads, so the input is written
// by a thread of its own, which ends when all is written or the program is gone.
void FeedInBackground(HANDLE input, std::string text) {
    std::thread([input, text = std::move(text)] {
        size_t written = 0;
        while (written < text.size()) {
            DWORD count = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - written, 1 << 16));
            if (!WriteFile(input, text.data() + written, chunk, &count, nullptr)) break;
            written += count;
        }
        CloseHandle(input);
    }).detach();
}

}  // namespace

struct ChildProcess::State {
    HANDLE process = nullptr;
};

ChildProcess::ChildProcess(std::unique_ptr<State> state) : state_(std::move(state)) {}

// A program still running is left to run on; it is not ours to end.
ChildProcess::~ChildProcess() { CloseHandle(state_->process); }

std::unique_ptr<ChildProcess> ChildProcess::StartShell(const std::string& command,
                                                       const EnvironmentAdditions& environment,
                                                       std::string input, std::string* error) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        *error = SystemErrorText(GetLastError());
        return nullptr;
    }
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);  // only the program's end is inherited

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // /s with the whole command in quotes: the interpreter takes it as typed.
    std::wstring line = L"\"" + CommandInterpreter() + L"\" /d /s /c \"" + Utf16FromUtf8(command) + L"\"";
    std::wstring block = EnvironmentBlockWith(environment);
    PROCESS_INFORMATION started = {};
    const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                   block.data(), nullptr, &startup, &started);
    const DWORD lastError = GetLastError();
    CloseHandle(readEnd);
    if (!ok) {
        CloseHandle(writeEnd);
        *error = SystemErrorText(lastError);
        return nullptr;
    }
    CloseHandle(started.hThread);
    FeedInBackground(writeEnd, std::move(input));
    auto state = std::make_unique<State>();
    state->process = started.hProcess;
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(state)));
}

bool ChildProcess::Wait(uint32_t ms, std::string* failure) {
    DWORD waited = 0;
    for (;;) {
        const DWORD slice = std::min<DWORD>(SliceMs, ms - waited);
        if (WaitForSingleObject(state_->process, slice) == WAIT_OBJECT_0) break;
        waited += slice;
        if (waited >= ms || StopRequested()) return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(state_->process, &code);
    *failure = code == 0 ? std::string() : "exited with " + std::to_string(code);
    return true;
}
