// glimmerly-cli.exe as a user runs it on Windows: a backup into a folder whose
// name needs the wide calls, and a restore from it, with quillsim as COM7.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "quillsim_client.h"

namespace {

constexpr DWORD GenerousWaitMs = 120000;

std::wstring Wide(const std::string& text) {
    std::wstring wide;
    for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

std::wstring ProgramPath() {
    std::string path = GLIMMERLY_CLI_PATH;
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
    }
    return Wide(path);
}

// Runs the command line and returns its exit code, or -1 when it did not end.
// With `interruptAfter`, the program gets a Ctrl-C in its console once
// quillsim has counted that many read commands.
int RunCli(const std::wstring& arguments, int interruptAfter = 0) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // A console of its own, which this test then joins to press Ctrl-C in it.
    const DWORD flags = interruptAfter != 0 ? CREATE_NEW_CONSOLE : 0;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        nullptr, &startup, &info)) {
        return -1;
    }
    if (interruptAfter != 0) {
        while (QuillsimCount(0x84) < interruptAfter && WaitForSingleObject(info.hProcess, 5) == WAIT_TIMEOUT) {
        }
        FreeConsole();
        EXPECT_TRUE(AttachConsole(info.dwProcessId)) << GetLastError();
        SetConsoleCtrlHandler(nullptr, TRUE);  // the test itself stays
        EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, GenerousWaitMs) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return "<missing>";
    char chunk[4096];
    size_t n = 0;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    fclose(file);
    return bytes;
}

// The backup's own files and the folder, so that a later run starts afresh.
void RemoveBackup(const std::wstring& folder) {
    for (int n = 1; n <= 8; ++n) {
        DeleteFileW((folder + L"\\file" + std::to_wstring(n) + L".raw").c_str());
        DeleteFileW((folder + L"\\file" + std::to_wstring(n) + L".txt").c_str());
    }
    DeleteFileW((folder + L"\\manifest.json").c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(CliOnWindows, BackupAndRestoreThroughTheComPort) {
    if (!QuillsimAvailable()) GTEST_SKIP() << "no quillsim";
    ASSERT_TRUE(QuillsimReset());
    const std::string file2("Zeile\r\x96\x00\xFB", 9);
    ASSERT_TRUE(QuillsimSetFile(2, file2));
    ASSERT_TRUE(QuillsimSetFile(7, "x"));
    ASSERT_TRUE(QuillsimSetCurrent(5));

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // A name outside code page 1252: only the wide calls can make it.
    const std::wstring folder = std::wstring(temp) + L"glimmerly \u00E9\u2603 " + std::to_wstring(GetCurrentProcessId());
    RemoveBackup(folder);
    const std::wstring port = L"--port " + Wide(QuillsimPortName()) + L" ";
    ASSERT_EQ(RunCli(port + L"backup \"" + folder + L"\""), 0);
    EXPECT_EQ(ReadAll(folder + L"\\file2.raw"), file2);
    EXPECT_EQ(ReadAll(folder + L"\\file2.txt"), "Zeile\r\n\xC3\xA9\xC3\xA7 ");
    EXPECT_NE(ReadAll(folder + L"\\manifest.json").find("\"format\": 1"), std::string::npos);
    EXPECT_EQ(QuillsimCommand("get-current"), "ok 5");

    ASSERT_TRUE(QuillsimReset());
    ASSERT_TRUE(QuillsimSetFile(3, "junk"));
    ASSERT_TRUE(QuillsimSetCurrent(3));
    EXPECT_EQ(RunCli(port + L"restore \"" + folder + L"\""), 2) << "no terminal and no --yes";
    EXPECT_EQ(RunCli(port + L"restore --yes \"" + folder + L"\""), 0);
    EXPECT_EQ(QuillsimReadFile(2), file2);
    EXPECT_EQ(QuillsimReadFile(7), "x");
    EXPECT_EQ(QuillsimReadFile(3), "");
    EXPECT_EQ(QuillsimCommand("get-current"), "ok 3");
    RemoveBackup(folder);

    // Interrupted in the middle of reading the second file, at the line's own pace.
    for (int n = 1; n <= 3; ++n) ASSERT_TRUE(QuillsimSetFile(n, std::string(1500, 'a')));
    ASSERT_TRUE(QuillsimMisbehave("pace 9600"));
    ASSERT_TRUE(QuillsimClearTranscript());
    EXPECT_EQ(RunCli(port + L"backup \"" + folder + L"\"", 2), 130);
    EXPECT_EQ(QuillsimCount(0x92), 1);
    EXPECT_EQ(QuillsimCommand("get-current"), "ok 3");
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the stopped backup is taken away";
    RemoveBackup(folder);
}

}  // namespace
