#pragma once
// The main window procedure driven on real dialogs of both templates, with
// quillsim on a pseudo-terminal as the device. Ticks are sent by hand rather
// than waited for; posted commands are delivered by pumping the queue.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "settings/win/store/settings_store.h"
#include "app/startup.h"
#include "controller/main_window.h"
#include "controller/report.h"
#include "controller/session.h"
#include "controller_support.h"
#include "quillsim_client.h"
#include "link/exchange.h"
#include "res/resource_ids.h"


inline constexpr char TestSettingsPath[] = "Software\\GlimmerlyTests\\Controller";
inline constexpr LCID EnglishUs = 0x0409;
inline constexpr WPARAM FileChosen = MAKEWPARAM(IDC_FILE_LIST, CBN_SELCHANGE);

inline int Count(const std::string& command) {
    return std::atoi(Sim("count " + command).c_str() + 3);
}

inline std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                   reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = text ? text : "";
    LocalFree(text);
    return result;
}

inline DWORD StoredOption(const char* name) {
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegQueryValueExA(UserSettingsKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                     &size);
    return value;
}

class Controller : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AppInstance = GetModuleHandleA(nullptr);
        InitCommonControls();
        ASSERT_NE(RegisterWindowClasses(AppInstance), nullptr);
        InstanceMutex = CreateMutexA(nullptr, TRUE, nullptr);
        const char* port = std::getenv("QUILLSIM_PORT");
        lstrcpynA(PortName, port ? port : "", PortNameSize);
        // As if the driver named it: each tick re-reads the user's choice and
        // falls back on the driver's port.
        lstrcpynA(DriverPortName, PortName, PortNameSize);
        RegCreateKeyExA(HKEY_CURRENT_USER, TestSettingsPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &UserSettingsKey, nullptr);
    }

    void SetUp() override {
        ASSERT_EQ(Sim("reset"), "ok") << "quillsim runs beside every test program (scripts/wine-run)";
        Sim("pace burst");
        ConnectedFlag = BusyFlag = ClipboardTextFlag = CurrentFile = TransferLength = 0;
        MainWindow = nullptr;
        AutoUploadFlag = 1;
        AppendFlag = 0;
        DisclosedFlag = 1;  // the full window keeps its panel, as the template draws it
        SavedWindowPosition = {};  // centred, as the template says
        RegDeleteValueA(UserSettingsKey, "AppendFlag");
        RegDeleteValueA(UserSettingsKey, "AutoUploadFlag");
        RegDeleteValueA(UserSettingsKey, "PortName");
        ClearClipboard();
    }

    void TearDown() override {
        if (other_ != nullptr) DestroyWindow(other_);
        if (window_ != nullptr) DestroyWindow(window_);
        PumpMessages();
        MainWindow = nullptr;
    }

    HWND Open(int templateId) {
        window_ = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(templateId), nullptr,
                                     reinterpret_cast<DLGPROC>(MainWindowProc), 0);
        EXPECT_NE(window_, nullptr);
        // The test sends the ticks itself.
        KillTimer(window_, PollTimer);
        PollTimer = 0;
        SetForegroundWindow(window_);
        PumpMessages();
        return window_;
    }

    LRESULT Tick() { return SendMessageA(window_, WM_TIMER, PollTimerId, 0); }

    LRESULT Command(WPARAM wParam) { return SendMessageA(window_, WM_COMMAND, wParam, 0); }

    // Connects on one tick and takes the automatic retrieve out of the queue undelivered.
    void Connect() {
        Tick();
        ASSERT_EQ(ConnectedFlag, 1u);
        TakePostedRetrieves();
    }

    int TakePostedRetrieves() {
        int count = 0;
        MSG message;
        while (PeekMessageA(&message, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            if (message.wParam == IDC_RETRIEVE) ++count;
        }
        return count;
    }

    void PutInBackground() {
        other_ = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60,
                                 nullptr, nullptr, AppInstance, nullptr);
        SetForegroundWindow(other_);
        PumpMessages();
        ASSERT_NE(GetForegroundWindow(), window_);
    }

    // The one status picture that is showing, or 0 when not exactly one is.
    int VisiblePicture() {
        int shown = 0, count = 0;
        for (int id = IDC_PICTURE_CABLE_IDLE; id <= IDC_PICTURE_WAVES_LINKED; ++id) {
            if (GetWindowLongA(GetDlgItem(window_, id), GWL_STYLE) & WS_VISIBLE) {
                shown = id;
                ++count;
            }
        }
        return count == 1 ? shown : 0;
    }

    POINT Corner() {
        RECT rect = {};
        GetWindowRect(window_, &rect);
        return {rect.left, rect.top};
    }

    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(window_, id)) != 0; }

    HICON SmallIcon() {
        return reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0));
    }

    LRESULT Selection() { return SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_GETCURSEL, 0, 0); }

    void Choose(int index) {
        SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_SETCURSEL, index, 0);
        Command(FileChosen);
    }

    void ExpectConnectedLook() {
        EXPECT_EQ(ItemText(window_, IDC_STATUS_TEXT), "Quillatron found.");
        EXPECT_EQ(WindowText(window_), "Connected to Quillatron");
        EXPECT_EQ(SmallIcon(), ConnectedIcon);
        EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_LINKED);
    }

    HWND window_ = nullptr;
    HWND other_ = nullptr;
};

