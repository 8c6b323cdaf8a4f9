#include "controller_support.h"

#include "controller/esc_stop.h"

#include <cstdio>
#include <cstring>

#include "quillsim_client.h"

std::string Sim(const std::string& line) {
    return QuillsimCommand(line);
}

std::string SimBytes(const std::string& line) {
    const std::string reply = Sim(line);
    return reply.size() > 3 ? QuillsimUnhex(reply.substr(3)) : std::string();
}

std::string Hex(const std::string& bytes) {
    return QuillsimHex(bytes);
}

bool OpenClipboardRetrying(HWND owner) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(20);
    }
    return false;
}

void PutClipboardText(const std::string& text) {
    if (!OpenClipboardRetrying(nullptr)) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

void PutClipboardPicture() {
    if (!OpenClipboardRetrying(nullptr)) return;
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, CreateBitmap(4, 4, 1, 32, nullptr));
    CloseClipboard();
}

void ClearClipboard() {
    if (!OpenClipboardRetrying(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

bool ClipboardHasText() {
    return IsClipboardFormatAvailable(CF_TEXT) != 0;
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboardRetrying(nullptr)) return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

LCID ClipboardLocale() {
    LCID locale = 0;
    if (!OpenClipboardRetrying(nullptr)) return 0;
    if (IsClipboardFormatAvailable(CF_LOCALE)) {
        if (HANDLE data = GetClipboardData(CF_LOCALE)) {
            locale = *static_cast<const LCID*>(GlobalLock(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return locale;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string PumpKeys(DWORD waitMs) {
    std::string keys;
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            if (message.message == WM_KEYDOWN || message.message == WM_KEYUP) {
                char key[8];
                std::snprintf(key, sizeof key, "%s%c%02X", keys.empty() ? "" : " ",
                              message.message == WM_KEYDOWN ? 'd' : 'u',
                              static_cast<unsigned>(message.wParam));
                keys += key;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < waitMs);
    return keys;
}

ClipboardHolder::ClipboardHolder()
    : opened_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        OpenClipboardRetrying(nullptr);
        SetEvent(opened_);
        WaitForSingleObject(release_, INFINITE);
        CloseClipboard();
    });
    WaitForSingleObject(opened_, INFINITE);
}

ClipboardHolder::~ClipboardHolder() {
    SetEvent(release_);
    thread_.join();
    CloseHandle(opened_);
    CloseHandle(release_);
}

UnrenderedClipboardText::UnrenderedClipboardText()
    : owner_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                             nullptr)) {
    if (!OpenClipboardRetrying(owner_)) return;
    EmptyClipboard();
    SetClipboardData(CF_TEXT, nullptr);
    CloseClipboard();
}

UnrenderedClipboardText::~UnrenderedClipboardText() {
    ClearClipboard();
    DestroyWindow(owner_);
}

namespace {

std::mutex WitnessLock;
std::string WitnessKeys;
int WitnessDoneCount = -1;

LRESULT CALLBACK WitnessHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        std::lock_guard<std::mutex> hold(WitnessLock);
        if (WitnessKeys.empty()) WitnessDoneCount = QuillsimCount(0x92);
        char text[8];
        std::snprintf(text, sizeof text, "%s%c%02lX", WitnessKeys.empty() ? "" : " ",
                      down ? 'd' : 'u', static_cast<unsigned long>(key->vkCode));
        WitnessKeys += text;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

KeyWitness::KeyWitness() {
    {
        std::lock_guard<std::mutex> hold(WitnessLock);
        WitnessKeys.clear();
        WitnessDoneCount = -1;
    }
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] {
        threadId_ = GetCurrentThreadId();
        HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, WitnessHook, GetModuleHandleA(nullptr), 0);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists now
        SetEvent(ready);
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        UnhookWindowsHookEx(hook);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

KeyWitness::~KeyWitness() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

std::string KeyWitness::Keys() {
    std::lock_guard<std::mutex> hold(WitnessLock);
    return WitnessKeys;
}

int KeyWitness::DoneCountAtFirstKey() {
    std::lock_guard<std::mutex> hold(WitnessLock);
    return WitnessDoneCount;
}

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND window, int id) {
    char text[4096] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

namespace {

// The message text is the box's static control that is not its icon.
BOOL CALLBACK CollectText(HWND child, LPARAM into) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_ICON) != SS_ICON) {
        std::string text = WindowText(child);
        if (!text.empty()) *reinterpret_cast<std::string*>(into) = text;
    }
    return TRUE;
}

HWND FindOurBox(std::string* caption) {
    for (const char* name : {"Quillatron Error", "Quillatron Notice", "Find the keyboard", "Quillatron Backup"}) {
        HWND box = FindWindowA("#32770", name);
        DWORD process = 0;
        if (box != nullptr) GetWindowThreadProcessId(box, &process);
        if (box != nullptr && process == GetCurrentProcessId() && IsWindowVisible(box)) {
            *caption = name;
            return box;
        }
    }
    return nullptr;
}

}  // namespace

BoxWatcher::BoxWatcher(Inspect inspect) : inspect_(std::move(inspect)) {
    thread_ = std::thread([this] { Run(); });
}

BoxWatcher::~BoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> BoxWatcher::Seen() {
    std::lock_guard<std::mutex> hold(lock_);
    return seen_;
}

void BoxWatcher::Run() {
    while (!stop_) {
        std::string caption;
        HWND box = FindOurBox(&caption);
        if (box == nullptr) {
            Sleep(20);
            continue;
        }
        SeenBox seen{caption, "", ""};
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&seen.text));
        if (inspect_) seen.note = inspect_(box);
        {
            std::lock_guard<std::mutex> hold(lock_);
            seen_.push_back(seen);
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
    }
}

namespace {
int EscLooks = 0;
int EscFirstLook = 0;
}  // namespace

EscHeldFrom::EscHeldFrom(int look) {
    EscLooks = 0;
    EscFirstLook = look;
    SetKeyStateCall(KeyState);
}

EscHeldFrom::~EscHeldFrom() { SetKeyStateCall(nullptr); }

int EscHeldFrom::Looks() const { return EscLooks; }

SHORT WINAPI EscHeldFrom::KeyState(int virtualKey) {
    if (virtualKey != VK_ESCAPE) return 0;
    return ++EscLooks >= EscFirstLook ? static_cast<SHORT>(0x8000) : 0;
}
