// Whole files and folders through the Win32 wide calls: the paths are UTF-8
// everywhere else and become UTF-16 only here.
#include <windows.h>

#include "device/pc_files.h"
#include "link/win/system_message.h"

namespace {

constexpr DWORD ReadChunk = 64 * 1024;
constexpr DWORD WriteChunk = 1024 * 1024;

// Invalid UTF-8 gives an empty name, which every call below refuses.
std::wstring Wide(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

// The system's words for the last error, as UTF-8 without the final line end.
std::string Reason() {
    const DWORD error = GetLastError();
    const SystemMessage message(error);
    std::string words;
    if (message.Text() != nullptr) {
        const int length = static_cast<int>(message.Length());
        const int size = WideCharToMultiByte(CP_UTF8, 0, message.Text(), length, nullptr, 0, nullptr, nullptr);
        words.resize(static_cast<size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, message.Text(), length, words.data(), size, nullptr, nullptr);
    }
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) words.pop_back();
    if (words.empty()) words = "system error " + std::to_string(error);
    return words;
}

Outcome Refused(const char* what, const PcPath& path) {
    return Failure(FailureKind::PcFile, std::string(what) + " " + path.Text() + ": " + Reason());
}

// Closes on every path out.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (Valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD asked = static_cast<DWORD>(bytes.size() - done < WriteChunk ? bytes.size() - done : WriteChunk);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, asked, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

Outcome WritePcFile(const PcPath& path, std::span<const uint8_t> bytes) {
    FileHandle file(CreateFileW(Wide(path.Text()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Refused("cannot write", path);
    // A full disk may show only at the flush or the close.
    if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) || !file.Close()) {
        return Refused("cannot write", path);
    }
    return Success();
}

Outcome ReadPcFile(const PcPath& path, uint64_t limit, std::vector<uint8_t>* bytes) {
    FileHandle file(CreateFileW(Wide(path.Text()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Refused("cannot read", path);
    std::vector<uint8_t> content;
    uint8_t chunk[ReadChunk];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) return Refused("cannot read", path);
        if (got == 0) break;
        content.insert(content.end(), chunk, chunk + got);
        if (content.size() > limit) {
            return Failure(FailureKind::PcFile, path.Text() + " is larger than any file the keyboard holds");
        }
    }
    *bytes = std::move(content);
    return Success();
}

Outcome RenamePcFile(const PcPath& from, const PcPath& to) {
    if (!MoveFileExW(Wide(from.Text()).c_str(), Wide(to.Text()).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Refused("cannot write", to);
    }
    return Success();
}

PcPathState InspectPcPath(const PcPath& path) {
    const std::wstring wide = Wide(path.Text());
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing && !wide.empty() ? PcPathState::Missing : PcPathState::Occupied;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return PcPathState::Occupied;
    const std::wstring pattern = wide + (wide.back() == L'\\' || wide.back() == L'/' ? L"*" : L"\\*");
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." entry: nothing found means empty.
        return GetLastError() == ERROR_FILE_NOT_FOUND ? PcPathState::EmptyFolder : PcPathState::Occupied;
    }
    PcPathState state = PcPathState::EmptyFolder;
    do {
        if (lstrcmpW(entry.cFileName, L".") != 0 && lstrcmpW(entry.cFileName, L"..") != 0) {
            state = PcPathState::Occupied;
            break;
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return state;
}

FolderMade CreateOnePcFolder(const PcPath& path, std::string* reason) {
    if (CreateDirectoryW(Wide(path.Text()).c_str(), nullptr)) return FolderMade::Made;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return FolderMade::Exists;
    *reason = Reason();
    return error == ERROR_PATH_NOT_FOUND ? FolderMade::NoParent : FolderMade::Failed;
}
