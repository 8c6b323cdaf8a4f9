// The real glimmerly.exe started as a user starts it: its window, the
// single-instance guard, the settings it repairs and stores, and its exit code.
// The program writes the same registry this test reads: the prefix's.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr const char* EnumPath = "Enum\\Infrared\\COM\\ROOT&INFRARED&0000";
constexpr const char* SettingsPath = "Software\\ORVEX\\GetUtil\\v3.0";
constexpr const char* SettingsTop = "Software\\ORVEX";
constexpr const char* MainClass = "OrvexDlgClass";
constexpr const char* HelperClass = "OrvexClass";
constexpr const char* CompactTitle = "Glimmerly v3.0";
constexpr const char* FullTitle = "Quillatron Get Utility v3.0";
constexpr const char* MessageBoxClass = "#32770";
constexpr DWORD GenerousWaitMs = 30000;
constexpr DWORD PollStepMs = 20;
constexpr DWORD ExitNormal = 1;
constexpr DWORD ExitBadCommandLine = 2;

// The build passes the programs' paths as the build tree knows them; under Wine
// a Unix path is reached through drive Z:.
std::string BuildTreePath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
    }
    return path;
}

std::string ProgramPath() {
    if (const char* fromEnv = std::getenv("GLIMMERLY_EXE")) return fromEnv;
    return BuildTreePath(GLIMMERLY_EXE_PATH);
}

std::optional<DWORD> ReadNumber(HKEY root, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, SettingsPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD number = 0, type = 0, size = sizeof number;
    const LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return number;
}

std::optional<std::string> ReadText(HKEY root, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, SettingsPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    char text[1024] = {};
    DWORD type = 0, size = sizeof text - 1;
    const LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::string(text);
}

void WriteNumber(HKEY root, const char* name, DWORD number) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, SettingsPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
}

// A started copy of the program. One that a failed check leaves running is
// ended when this goes out of scope, so that the next case starts clean.
struct Started {
    PROCESS_INFORMATION info = {};
    std::string commandLine;

    Started() = default;
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    Started(Started&& other) noexcept : info(other.info), commandLine(std::move(other.commandLine)) {
        other.info = {};
    }
    ~Started() {
        if (!info.hProcess) return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info.hProcess, 0);
            WaitForSingleObject(info.hProcess, GenerousWaitMs);
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
};

std::optional<Started> Start(const std::string& arguments = "") {
    Started started;
    started.commandLine = "\"" + ProgramPath() + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string writable = started.commandLine;
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started.info))
        return std::nullopt;
    return started;
}

DWORD WindowProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// The window exists before the dialog manager shows it, at the end of its
// creation: wait until it is visible, as a user would first see it.
HWND WaitForMainWindow(DWORD process, const char* title = CompactTitle) {
    for (DWORD waited = 0; waited < GenerousWaitMs; waited += PollStepMs) {
        HWND window = FindWindowA(MainClass, title);
        if (window && WindowProcess(window) == process && IsWindowVisible(window)) return window;
        Sleep(PollStepMs);
    }
    return nullptr;
}

struct VisibleWindowSearch {
    DWORD process;
    bool found;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<VisibleWindowSearch*>(param);
    if (WindowProcess(window) == search->process && IsWindowVisible(window)) search->found = true;
    return TRUE;
}

// Waits for the process to end, watching all the while for a visible window of its own.
bool EndsWithoutShowingAWindow(const PROCESS_INFORMATION& info) {
    VisibleWindowSearch search = {info.dwProcessId, false};
    for (DWORD waited = 0; waited < GenerousWaitMs; waited += PollStepMs) {
        EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (WaitForSingleObject(info.hProcess, PollStepMs) == WAIT_OBJECT_0) return !search.found;
    }
    ADD_FAILURE() << "the process did not end";
    return false;
}

DWORD ExitCodeAfterEnd(HANDLE process) {
    EXPECT_EQ(WaitForSingleObject(process, GenerousWaitMs), WAIT_OBJECT_0) << "the program should end";
    DWORD code = 0xDEADBEEF;
    GetExitCodeProcess(process, &code);
    return code;
}

void ExpectCentredOnTheWorkArea(HWND window) {
    RECT frame, work;
    GetWindowRect(window, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG tolerance = 2;
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, tolerance) << "centred across";
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, tolerance) << "centred down";
}

bool PictureVisible(HWND window, int id) {
    HWND picture = GetDlgItem(window, id);
    EXPECT_NE(picture, nullptr) << "picture " << id << " exists";
    return picture && IsWindowVisible(picture);
}

// The program must not find a device here: a port name left by another test
// (which may point at a live emulated device) is set aside and put back.
class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SettingsTop);
        RegDeleteTreeA(HKEY_CURRENT_USER, SettingsTop);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EnumPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        DWORD size = sizeof savedPortName_;
        if (RegQueryValueExA(key, "PortName", nullptr, &savedType_, savedPortName_, &size) == ERROR_SUCCESS) {
            savedSize_ = size;
            RegDeleteValueA(key, "PortName");
        }
        RegCloseKey(key);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SettingsTop);
        RegDeleteTreeA(HKEY_CURRENT_USER, SettingsTop);
        if (!savedSize_) return;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EnumPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        RegSetValueExA(key, "PortName", 0, savedType_, savedPortName_, savedSize_);
        RegCloseKey(key);
    }

private:
    BYTE savedPortName_[256] = {};
    DWORD savedType_ = 0;
    DWORD savedSize_ = 0;
};

TEST_F(Startup, OneCopyRunsItsWindowASecondEndsAndClosingStoresTheOptions) {
    auto first = Start();
    ASSERT_TRUE(first) << "could not start " << ProgramPath() << ", error " << GetLastError();
    HWND window = WaitForMainWindow(first->info.dwProcessId);
    ASSERT_NE(window, nullptr) << "the compact window should appear";

    // The window as start-up and its first message leave it.
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, CompactTitle);
    ExpectCentredOnTheWorkArea(window);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX) << "can be minimized";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "cannot be maximized";
    EXPECT_FALSE(style & WS_THICKFRAME) << "cannot be resized";
    EXPECT_TRUE(PictureVisible(window, 1017)) << "searching picture";
    EXPECT_FALSE(PictureVisible(window, 1015));
    EXPECT_FALSE(PictureVisible(window, 1016));
    EXPECT_FALSE(PictureVisible(window, 1018));

    HWND helper = FindWindowA(HelperClass, nullptr);
    EXPECT_NE(helper, nullptr) << "the hidden helper window exists";
    if (helper) {
        EXPECT_EQ(WindowProcess(helper), first->info.dwProcessId);
        EXPECT_FALSE(IsWindowVisible(helper));
    }

    // First start on empty keys: the settings were created and repaired.
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, "ProgPath"), first->commandLine);
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, "ComPortSel"), 1u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "AutoUploadFlag"), 0u)
        << "the program runs with the automatic retrieve on, but the registry keeps what it had";
    EXPECT_FALSE(ReadNumber(HKEY_CURRENT_USER, "DisclosedFlag")) << "stored only at close";
    EXPECT_FALSE(ReadNumber(HKEY_CURRENT_USER, "AppendFlag")) << "stored only at close";

    // A second copy repairs the settings, then ends quietly.
    WriteNumber(HKEY_CURRENT_USER, "AutoUploadFlag", 2);
    auto second = Start();
    ASSERT_TRUE(second);
    EXPECT_TRUE(EndsWithoutShowingAWindow(second->info)) << "a second copy shows nothing";
    EXPECT_EQ(ExitCodeAfterEnd(second->info.hProcess), ExitNormal);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "AutoUploadFlag"), 0u) << "the second copy repaired it";
    EXPECT_EQ(FindWindowA(MainClass, CompactTitle), window) << "the first copy's window is the only one";

    // Closing the window ends the program and stores the two options.
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCodeAfterEnd(first->info.hProcess), ExitNormal);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "DisclosedFlag"), 0u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "AppendFlag"), 0u);
}

TEST_F(Startup, StoredOptionsComeBackAndTheNextStartSucceeds) {
    WriteNumber(HKEY_CURRENT_USER, "DisclosedFlag", 7);
    WriteNumber(HKEY_CURRENT_USER, "AppendFlag", 1);
    auto started = Start();
    ASSERT_TRUE(started);
    HWND window = WaitForMainWindow(started->info.dwProcessId);
    EXPECT_NE(window, nullptr) << "a start after a closed copy finds the mutex free";
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCodeAfterEnd(started->info.hProcess), ExitNormal);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "DisclosedFlag"), 7u) << "kept unchanged through a run";
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "AppendFlag"), 1u) << "kept unchanged through a run";
}

void DeleteValue(HKEY root, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, SettingsPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// The choices on the command line are stored for the next start, by the copy
// that runs and by a second copy that only passes them on.
TEST_F(Startup, PortAndWindowSwitchesAreStoredByAnyCopyAndTheFullWindowOpens) {
    auto first = Start("/PORT com006 /compact unknown-word /Full");
    ASSERT_TRUE(first);
    HWND window = WaitForMainWindow(first->info.dwProcessId, FullTitle);
    ASSERT_NE(window, nullptr) << "the last of /compact and /full wins";
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "PortName"), std::string("COM6")) << "stored without leading zeros";
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "FullWindow"), 1u);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, "ProgPath"), first->commandLine) << "still the whole command line";

    auto second = Start("/port auto /compact");
    ASSERT_TRUE(second);
    EXPECT_TRUE(EndsWithoutShowingAWindow(second->info));
    EXPECT_EQ(ExitCodeAfterEnd(second->info.hProcess), ExitNormal);
    EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, "PortName")) << "auto removes the user's port";
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "FullWindow"), 0u);
    EXPECT_EQ(FindWindowA(MainClass, FullTitle), window) << "the running copy is not switched";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCodeAfterEnd(first->info.hProcess), ExitNormal);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, "FullWindow"), 0u) << "closing keeps the stored choice";
}

TEST_F(Startup, ABadPortSaysWhatIsAcceptedEndsWithCode2AndStoresNothing) {
    for (const char* arguments : {"/port COM0", "/port COM257", "/port LPT1", "/full /port", "/port COM6 /port x"}) {
        SCOPED_TRACE(arguments);
        DeleteValue(HKEY_LOCAL_MACHINE, "ProgPath");
        auto started = Start(arguments);
        ASSERT_TRUE(started);
        HWND box = nullptr;
        for (DWORD waited = 0; !box && waited < GenerousWaitMs; waited += PollStepMs) {
            HWND candidate = FindWindowA(MessageBoxClass, nullptr);
            if (candidate && WindowProcess(candidate) == started->info.dwProcessId) box = candidate;
            else Sleep(PollStepMs);
        }
        ASSERT_NE(box, nullptr) << "a message box names the accepted forms";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(ExitCodeAfterEnd(started->info.hProcess), ExitBadCommandLine);
        EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, "PortName"));
        EXPECT_FALSE(ReadNumber(HKEY_CURRENT_USER, "FullWindow"));
        EXPECT_FALSE(ReadText(HKEY_LOCAL_MACHINE, "ProgPath")) << "nothing at all is written";
    }
}

// A text of the version resource, as the file's properties in Explorer show it.
std::string VersionText(const std::string& path, const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::string block(size, '\0');
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return "<no version resource>";
    char* text = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) return "<none>";
    return text;
}

TEST(Release, EachProgramNamesItsVersionAuthorsLicenceAndReleaseFile) {
    const std::pair<std::string, const char*> programs[] = {
        {ProgramPath(), "glimmerly-win64.exe"}, {BuildTreePath(GLIMMERLY_CLI_PATH), "glimmerly-cli-win64.exe"}};
    for (const auto& [path, releaseName] : programs) {
        SCOPED_TRACE(path);
        EXPECT_EQ(VersionText(path, "OriginalFilename"), releaseName);
        EXPECT_EQ(VersionText(path, "ProductVersion"), GLIMMERLY_VERSION) << "the build's one version";
        EXPECT_EQ(VersionText(path, "FileVersion"), GLIMMERLY_VERSION);
        EXPECT_EQ(VersionText(path, "CompanyName"), "The Glimmerly authors");
        EXPECT_EQ(VersionText(path, "LegalCopyright"), "Copyright (C) 2026 The Glimmerly authors. MIT License.");
    }
}

}  // namespace
