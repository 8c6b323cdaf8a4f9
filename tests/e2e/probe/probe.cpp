// glimmerly_probe: reads from outside what a running program shows, for the
// whole-program tests and the demo. It runs as its own Wine process beside the
// program under test and prints one line per record to stdout, which the caller
// redirects to a file.
//
// The program under test spends long stretches blocked in serial I/O on its
// only thread. Anything that would need that thread to answer (SendMessage,
// SetWindowPos, SetForegroundWindow on its windows) therefore goes through a
// timeout here, so a busy program can never hang a test. Window texts and
// styles are kept by the window manager and read without asking the owner.
//
// Output lines are "<record> key=value key=value ...". Texts are quoted, with
// '\\', '"' and every byte outside printable ASCII written as \xNN, so the
// exact code page 1252 bytes survive the trip through a file.
//
// Usage: glimmerly_probe COMMAND [selector] [arguments]
//   selector: --hwnd 0xH | --class NAME | --title TEXT | --pid N (all must match)
//   list [sel]                          top-level windows
//   controls [sel]                      child controls of the first match
//   icon [sel] [--timeout MS]           small/big icon (WM_GETICON) and class icons
//   edit-text [sel] [--timeout MS]      text of the first Edit child (notepad's page)
//   watch-edit [sel] --bytes N [--clear] [--poll-ms MS] [--timeout MS]
//                                       polls the Edit child until it holds N bytes
//                                       (emptied first with --clear); prints when,
//                                       on the host's wall clock, for a benchmark
//   clipboard [--tries N]               CF_TEXT on the clipboard
//   edit-copy [sel] TEXT                TEXT to the clipboard through the window's
//                                       Edit child (left empty again)
//   foreground                          the foreground window
//   close [sel]                         posts WM_CLOSE
//   move [sel] X Y [W H] [--timeout MS] moves (and sizes) a window
//   activate [sel] [--timeout MS]       makes a window the foreground window
//   reg-get KEY NAME | reg-set-sz KEY NAME DATA | reg-set-dword KEY NAME N
//   reg-delete KEY NAME                 KEY is HKLM\... or HKCU\...
//   resources --pid N                   GDI/USER objects and handle count
//   terminate --pid N                   ends a process (for notepad, which asks
//                                       before closing a changed page)
//   key-witness                         a window of class GlimmerlyKeyWitness that
//                                       stays up (until WM_CLOSE) and prints each
//                                       key message it receives with the state of
//                                       Ctrl, Shift, Alt and Win at that message;
//                                       on Ctrl+V it pastes the clipboard's text
//                                       into its own record ("paste ... text=")
// Exit code: 0 done, 1 nothing matched or the call failed or timed out, 2 usage.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

constexpr DWORD DefaultTimeoutMs = 2000;
constexpr int DefaultClipboardTries = 40;
constexpr DWORD ClipboardRetryMs = 50;
constexpr int ClassNameChars = 256;
// Extra wait for a helper thread beyond the timeout its own call was given.
constexpr DWORD HelperThreadGraceMs = 500;
// A watch polls about every millisecond: as often as the timing needs, and
// seldom enough to leave notepad and the wineserver mostly idle.
constexpr DWORD DefaultWatchPollMs = 1;

std::string Quote(const char* bytes, size_t n) {
    std::string out = "\"";
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        }
    }
    return out + "\"";
}

std::string Quote(const std::string& s) { return Quote(s.data(), s.size()); }

std::string HandleText(const void* h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
    return buf;
}

std::string WindowText(HWND w) {
    // GetWindowTextA on another process's window reads the stored title
    // without sending WM_GETTEXT, so it answers even while the owner is busy.
    int n = GetWindowTextLengthA(w);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowTextA(w, s.data(), n + 1);
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

std::string ClassOf(HWND w) {
    char buf[ClassNameChars] = {};
    GetClassNameA(w, buf, ClassNameChars);
    return buf;
}

// Runs `call` on a helper thread and gives up after `ms`: calls such as
// SetWindowPos on another thread's window wait for that thread to answer.
// On a timeout the probe ends at once, since the stuck call still refers to
// the caller's variables.
bool RunWithTimeout(const std::function<void()>& call, DWORD ms) {
    HANDLE t = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
        (*static_cast<const std::function<void()>*>(p))();
        return 0;
    }, const_cast<std::function<void()>*>(&call), 0, nullptr);
    if (!t) return false;
    if (WaitForSingleObject(t, ms) != WAIT_OBJECT_0) {
        std::printf("timeout after=%lu\n", static_cast<unsigned long>(ms));
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), ExitFailed);
    }
    CloseHandle(t);
    return true;
}

struct Selector {
    HWND hwnd = nullptr;
    bool hasClass = false, hasTitle = false, hasPid = false;
    std::string className, title;
    DWORD pid = 0;

    bool Matches(HWND w) const {
        if (hwnd && w != hwnd) return false;
        if (hasClass && ClassOf(w) != className) return false;
        if (hasTitle && WindowText(w) != title) return false;
        if (hasPid) {
            DWORD p = 0;
            GetWindowThreadProcessId(w, &p);
            if (p != pid) return false;
        }
        return true;
    }
};

struct Args {
    std::vector<std::string> positional;
    Selector sel;
    DWORD timeoutMs = DefaultTimeoutMs;
    int tries = DefaultClipboardTries;
    long bytes = -1;
    bool clear = false;
    DWORD pollMs = DefaultWatchPollMs;
};

bool ParseArgs(int argc, char** argv, Args& a) {
    for (int i = 2; i < argc; ++i) {
        std::string k = argv[i];
        bool hasValue = i + 1 < argc;
        if (k == "--hwnd" && hasValue) {
            a.sel.hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[++i], nullptr, 0)));
        } else if (k == "--class" && hasValue) {
            a.sel.hasClass = true;
            a.sel.className = argv[++i];
        } else if (k == "--title" && hasValue) {
            a.sel.hasTitle = true;
            a.sel.title = argv[++i];
        } else if (k == "--pid" && hasValue) {
            a.sel.hasPid = true;
            a.sel.pid = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (k == "--timeout" && hasValue) {
            a.timeoutMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (k == "--tries" && hasValue) {
            a.tries = std::atoi(argv[++i]);
        } else if (k == "--bytes" && hasValue) {
            a.bytes = std::atol(argv[++i]);
        } else if (k == "--poll-ms" && hasValue) {
            a.pollMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (k == "--clear") {
            a.clear = true;
        } else if (k.rfind("--", 0) == 0) {
            return false;
        } else {
            a.positional.push_back(k);
        }
    }
    return true;
}

std::vector<HWND> TopLevelWindows(const Selector& sel) {
    struct Ctx { const Selector* sel; std::vector<HWND> found; } ctx{&sel, {}};
    EnumWindows([](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        if (c->sel->Matches(w)) c->found.push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND FirstWindow(const Selector& sel) {
    // An explicit handle may name a child window, which EnumWindows skips.
    if (sel.hwnd) return IsWindow(sel.hwnd) && sel.Matches(sel.hwnd) ? sel.hwnd : nullptr;
    auto found = TopLevelWindows(sel);
    return found.empty() ? nullptr : found.front();
}

void PrintWindow(HWND w) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(w, &pid);
    RECT r = {};
    GetWindowRect(w, &r);
    std::printf("window hwnd=%s pid=%lu tid=%lu visible=%d enabled=%d foreground=%d "
                "rect=%ld,%ld,%ld,%ld class=%s title=%s\n",
                HandleText(w).c_str(), static_cast<unsigned long>(pid), static_cast<unsigned long>(tid),
                IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0,
                GetForegroundWindow() == w ? 1 : 0, r.left, r.top, r.right, r.bottom,
                Quote(ClassOf(w)).c_str(), Quote(WindowText(w)).c_str());
}

int CmdList(const Args& a) {
    auto found = TopLevelWindows(a.sel);
    for (HWND w : found) PrintWindow(w);
    return found.empty() ? ExitFailed : ExitDone;
}

int CmdControls(const Args& a) {
    HWND w = FirstWindow(a.sel);
    if (!w) return ExitFailed;
    PrintWindow(w);
    EnumChildWindows(w, [](HWND c, LPARAM) -> BOOL {
        std::printf("control hwnd=%s id=%d visible=%d enabled=%d style=0x%08lX class=%s text=%s\n",
                    HandleText(c).c_str(), GetDlgCtrlID(c), IsWindowVisible(c) ? 1 : 0,
                    IsWindowEnabled(c) ? 1 : 0, static_cast<unsigned long>(GetWindowLongA(c, GWL_STYLE)),
                    Quote(ClassOf(c)).c_str(), Quote(WindowText(c)).c_str());
        return TRUE;
    }, 0);
    return ExitDone;
}

// Messages that the owner's thread must answer. SendMessageTimeout alone is
// not enough: under Wine it was seen to wait for a blocked thread well past
// its timeout, so the call also runs under RunWithTimeout. A zero return with
// the last error left at zero means the owner answered 0.
bool SendWithTimeout(HWND w, UINT msg, WPARAM wp, LPARAM lp, DWORD ms, DWORD_PTR& result) {
    result = 0;
    bool answered = false;
    RunWithTimeout([&] {
        SetLastError(ERROR_SUCCESS);
        LRESULT ok = SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, ms, &result);
        answered = ok != 0 || GetLastError() == ERROR_SUCCESS;
    }, ms + HelperThreadGraceMs);
    return answered;
}

int CmdIcon(const Args& a) {
    HWND w = FirstWindow(a.sel);
    if (!w) return ExitFailed;
    // WM_GETICON is answered by the owner's thread: a busy program answers
    // late, which is reported as answered=0 rather than waited for.
    DWORD_PTR small = 0, big = 0;
    bool answered = SendWithTimeout(w, WM_GETICON, ICON_SMALL, 0, a.timeoutMs, small) &&
                    SendWithTimeout(w, WM_GETICON, ICON_BIG, 0, a.timeoutMs, big);
    std::printf("icon hwnd=%s answered=%d small=%s big=%s class_small=%s class_big=%s\n",
                HandleText(w).c_str(), answered ? 1 : 0, HandleText(reinterpret_cast<void*>(small)).c_str(),
                HandleText(reinterpret_cast<void*>(big)).c_str(),
                HandleText(reinterpret_cast<void*>(GetClassLongPtrA(w, GCLP_HICONSM))).c_str(),
                HandleText(reinterpret_cast<void*>(GetClassLongPtrA(w, GCLP_HICON))).c_str());
    return answered ? ExitDone : ExitFailed;
}

HWND FirstChildOfClass(HWND parent, const char* cls) {
    struct Ctx { const char* cls; HWND found; } ctx{cls, nullptr};
    EnumChildWindows(parent, [](HWND c, LPARAM p) -> BOOL {
        auto* x = reinterpret_cast<Ctx*>(p);
        if (lstrcmpiA(ClassOf(c).c_str(), x->cls) == 0) {
            x->found = c;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

int CmdEditText(const Args& a) {
    HWND w = FirstWindow(a.sel);
    HWND edit = w ? FirstChildOfClass(w, "Edit") : nullptr;
    if (!edit) return ExitFailed;
    // An edit control keeps its text itself, so only WM_GETTEXT reaches it.
    DWORD_PTR len = 0;
    if (!SendWithTimeout(edit, WM_GETTEXTLENGTH, 0, 0, a.timeoutMs, len)) return ExitFailed;
    std::vector<char> buf(len + 1, '\0');
    DWORD_PTR got = 0;
    if (!SendWithTimeout(edit, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), a.timeoutMs, got))
        return ExitFailed;
    size_t n = std::min<size_t>(got, len);
    std::printf("edit hwnd=%s bytes=%zu text=%s\n", HandleText(edit).c_str(), n, Quote(buf.data(), n).c_str());
    return ExitDone;
}

// Microseconds since 1970 on the wall clock. Under Wine this is the host's
// CLOCK_REALTIME, the one clock the host driver can compare with its own.
long long WallClockUs() {
    constexpr long long FileTimeTo1970 = 116444736000000000LL;  // 100 ns units from 1601 to 1970
    constexpr long long FileTimeUnitsPerUs = 10;
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    long long units = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (units - FileTimeTo1970) / FileTimeUnitsPerUs;
}

constexpr DWORD WatchMessageMs = 5000;

struct EditWatch {
    HWND edit = nullptr;
    long long lastShortUs = 0;  // when the last poll that found too little was sent
    long long seenUs = 0;       // when the poll that found enough was answered
    long polls = 0;
};

// One length query; false when notepad did not answer. Notepad answers only
// once it has finished what it is doing, a paste included, so the answer that
// first shows the whole text comes after the text is in place.
bool EditLength(HWND edit, DWORD_PTR& length) {
    return SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, WatchMessageMs, &length) != 0;
}

void PrintEditText(HWND edit, const char* record, const EditWatch& watch, bool complete) {
    DWORD_PTR len = 0;
    EditLength(edit, len);
    std::vector<char> buf(len + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(edit, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                        WatchMessageMs, &got);
    size_t n = std::min<size_t>(got, len);
    std::printf("%s complete=%d seen_us=%lld last_short_us=%lld polls=%ld bytes=%zu text=%s\n", record,
                complete ? 1 : 0, watch.seenUs, watch.lastShortUs, watch.polls, n, Quote(buf.data(), n).c_str());
}

// Watches an edit control fill up, for timing a paste from outside. The wait
// is bounded by a watchdog rather than per call, so each poll is one plain
// message and the polls follow each other closely.
int CmdWatchEdit(const Args& a) {
    HWND w = FirstWindow(a.sel);
    HWND edit = w ? FirstChildOfClass(w, "Edit") : nullptr;
    if (!edit || a.bytes < 0) return edit ? ExitUsage : ExitFailed;
    static EditWatch watch;
    watch.edit = edit;
    static DWORD timeoutMs;
    timeoutMs = a.timeoutMs;
    HANDLE watchdog = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
        Sleep(timeoutMs);
        PrintEditText(watch.edit, "watch-timeout", watch, false);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), ExitFailed);
        return 0;
    }, nullptr, 0, nullptr);
    if (!watchdog) return ExitFailed;
    DWORD_PTR ignored = 0;
    if (a.clear && !SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG,
                                        WatchMessageMs, &ignored))
        return ExitFailed;
    std::printf("watching hwnd=%s clock_us=%lld\n", HandleText(edit).c_str(), WallClockUs());
    std::fflush(stdout);
    for (;;) {
        long long sentUs = WallClockUs();
        DWORD_PTR len = 0;
        bool answered = EditLength(edit, len);
        ++watch.polls;
        if (answered && static_cast<long>(len) >= a.bytes) {
            watch.seenUs = WallClockUs();
            break;
        }
        watch.lastShortUs = sentUs;
        Sleep(a.pollMs);
    }
    PrintEditText(edit, "watch-edit", watch, true);
    return ExitDone;
}

// Wine's clipboard manager may hold the clipboard for a moment after a change,
// so opening it is retried briefly.
bool OpenClipboardPatiently(int tries) {
    for (int i = 0; i < tries; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(ClipboardRetryMs);
    }
    return false;
}

int CmdClipboard(const Args& a) {
    if (!OpenClipboardPatiently(a.tries)) {
        std::printf("clipboard busy\n");
        return ExitFailed;
    }
    HANDLE h = IsClipboardFormatAvailable(CF_TEXT) ? GetClipboardData(CF_TEXT) : nullptr;
    const char* p = h ? static_cast<const char*>(GlobalLock(h)) : nullptr;
    if (!p) {
        CloseClipboard();
        std::printf("clipboard empty\n");
        return ExitDone;
    }
    // Bounded by the block's size: a block without its zero must not run us off its end.
    size_t size = GlobalSize(h);
    size_t n = strnlen(p, size);
    std::printf("clipboard format=CF_TEXT bytes=%zu block=%zu text=%s\n", n, size, Quote(p, n).c_str());
    GlobalUnlock(h);
    CloseClipboard();
    return ExitDone;
}

// Puts TEXT on the clipboard through another program's edit control (notepad):
// sets it, copies it and empties the control again. Wine drops clipboard data
// whose owner has ended, so the probe cannot be the owner itself.
int CmdEditCopy(const Args& a) {
    if (a.positional.size() != 1) return ExitUsage;
    HWND w = FirstWindow(a.sel);
    HWND edit = w ? FirstChildOfClass(w, "Edit") : nullptr;
    if (!edit) return ExitFailed;
    DWORD_PTR ignored = 0;
    const char* empty = "";
    bool done = SendWithTimeout(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.positional[0].c_str()), a.timeoutMs,
                                ignored) &&
                SendWithTimeout(edit, EM_SETSEL, 0, -1, a.timeoutMs, ignored) &&
                SendWithTimeout(edit, WM_COPY, 0, 0, a.timeoutMs, ignored) &&
                SendWithTimeout(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(empty), a.timeoutMs, ignored);
    return done ? ExitDone : ExitFailed;
}

int CmdForeground(const Args&) {
    HWND w = GetForegroundWindow();
    if (!w) {
        std::printf("foreground none\n");
        return ExitFailed;
    }
    PrintWindow(w);
    return ExitDone;
}

// The ANSI code page of this process: what the program gets when it runs
// under the same environment.
int CmdCodePage(const Args&) {
    std::printf("codepage acp=%u\n", GetACP());
    return ExitDone;
}

int CmdClose(const Args& a) {
    HWND w = FirstWindow(a.sel);
    if (!w) return ExitFailed;
    // Posted, never sent: the program may be busy and must close in its own time.
    return PostMessageA(w, WM_CLOSE, 0, 0) ? ExitDone : ExitFailed;
}

// A window-menu command, as the menu itself would post it.
int CmdSysCommand(const Args& a) {
    HWND w = FirstWindow(a.sel);
    if (!w || a.positional.size() != 1) return w ? ExitUsage : ExitFailed;
    const WPARAM id = std::strtoul(a.positional[0].c_str(), nullptr, 0);
    return PostMessageA(w, WM_SYSCOMMAND, id, 0) ? ExitDone : ExitFailed;
}

int CmdMove(const Args& a) {
    HWND w = FirstWindow(a.sel);
    size_t n = a.positional.size();
    if (!w || (n != 2 && n != 4)) return n == 2 || n == 4 ? ExitFailed : ExitUsage;
    int v[4] = {};
    for (size_t i = 0; i < n; ++i) v[i] = std::atoi(a.positional[i].c_str());
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (n == 2 ? SWP_NOSIZE : 0);
    BOOL ok = FALSE;
    bool done = RunWithTimeout([&] { ok = SetWindowPos(w, nullptr, v[0], v[1], v[2], v[3], flags); }, a.timeoutMs);
    if (done && ok) PrintWindow(w);
    return done && ok ? ExitDone : ExitFailed;
}

int CmdActivate(const Args& a) {
    HWND w = FirstWindow(a.sel);
    if (!w) return ExitFailed;
    BOOL ok = FALSE;
    bool done = RunWithTimeout([&] { ok = SetForegroundWindow(w); }, a.timeoutMs);
    return done && ok ? ExitDone : ExitFailed;
}

bool SplitKey(const std::string& full, HKEY& root, std::string& path) {
    auto slash = full.find('\\');
    std::string head = full.substr(0, slash);
    path = slash == std::string::npos ? "" : full.substr(slash + 1);
    if (head == "HKLM" || head == "HKEY_LOCAL_MACHINE") root = HKEY_LOCAL_MACHINE;
    else if (head == "HKCU" || head == "HKEY_CURRENT_USER") root = HKEY_CURRENT_USER;
    else return false;
    return true;
}

int CmdRegGet(const Args& a) {
    HKEY root;
    std::string path;
    if (a.positional.size() != 2 || !SplitKey(a.positional[0], root, path)) return ExitUsage;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::printf("reg missing key\n");
        return ExitFailed;
    }
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, a.positional[1].c_str(), nullptr, &type, nullptr, &size);
    std::vector<char> data(size + 1, '\0');
    if (rc == ERROR_SUCCESS)
        rc = RegQueryValueExA(key, a.positional[1].c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        std::printf("reg missing value\n");
        return ExitFailed;
    }
    std::printf("reg type=%lu bytes=%lu", static_cast<unsigned long>(type), static_cast<unsigned long>(size));
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD v;
        std::memcpy(&v, data.data(), sizeof v);
        std::printf(" dword=%lu", static_cast<unsigned long>(v));
    }
    std::printf(" data=%s\n", Quote(data.data(), size).c_str());
    return ExitDone;
}

int RegSet(const Args& a, DWORD type) {
    HKEY root;
    std::string path;
    if (a.positional.size() != 3 || !SplitKey(a.positional[0], root, path)) return ExitUsage;
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return ExitFailed;
    const std::string& text = a.positional[2];
    DWORD number = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
    const BYTE* bytes = type == REG_DWORD ? reinterpret_cast<const BYTE*>(&number)
                                          : reinterpret_cast<const BYTE*>(text.c_str());
    DWORD size = type == REG_DWORD ? sizeof number : static_cast<DWORD>(text.size() + 1);
    LONG rc = RegSetValueExA(key, a.positional[1].c_str(), 0, type, bytes, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? ExitDone : ExitFailed;
}

int CmdRegDelete(const Args& a) {
    HKEY root;
    std::string path;
    if (a.positional.size() != 2 || !SplitKey(a.positional[0], root, path)) return ExitUsage;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return ExitDone;
    LONG rc = RegDeleteValueA(key, a.positional[1].c_str());
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? ExitDone : ExitFailed;
}

int CmdResources(const Args& a) {
    if (!a.sel.hasPid) return ExitUsage;
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, a.sel.pid);
    if (!p) return ExitFailed;
    DWORD handles = 0;
    BOOL gotHandles = GetProcessHandleCount(p, &handles);
    std::printf("resources pid=%lu gdi=%lu user=%lu handles=%ld\n", static_cast<unsigned long>(a.sel.pid),
                static_cast<unsigned long>(GetGuiResources(p, GR_GDIOBJECTS)),
                static_cast<unsigned long>(GetGuiResources(p, GR_USEROBJECTS)),
                gotHandles ? static_cast<long>(handles) : -1L);
    CloseHandle(p);
    return ExitDone;
}

int CmdTerminate(const Args& a) {
    if (!a.sel.hasPid) return ExitUsage;
    HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, a.sel.pid);
    if (!p) return ExitFailed;
    BOOL ok = TerminateProcess(p, ExitFailed);
    CloseHandle(p);
    return ok ? ExitDone : ExitFailed;
}

// The key witness: which keys a paste really delivers, and the modifier state
// the receiving window sees with each, which an application's own shortcut
// handling would judge. Notepad cannot tell us: it pastes on Ctrl+Shift+V too.
constexpr const char* KeyWitnessClass = "GlimmerlyKeyWitness";
constexpr int KeyWitnessSize = 300;

bool KeyIsDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

std::string ModifierState() {
    char text[64];
    std::snprintf(text, sizeof text, "ctrl=%d shift=%d alt=%d win=%d", KeyIsDown(VK_CONTROL) ? 1 : 0,
                  KeyIsDown(VK_SHIFT) ? 1 : 0, KeyIsDown(VK_MENU) ? 1 : 0,
                  KeyIsDown(VK_LWIN) || KeyIsDown(VK_RWIN) ? 1 : 0);
    return text;
}

std::string ClipboardTextOrEmpty() {
    std::string text;
    if (!OpenClipboardPatiently(DefaultClipboardTries)) return text;
    HANDLE h = GetClipboardData(CF_TEXT);
    const char* p = h ? static_cast<const char*>(GlobalLock(h)) : nullptr;
    if (p) {
        text.assign(p, strnlen(p, GlobalSize(h)));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

LRESULT CALLBACK KeyWitnessProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    const char* kind = msg == WM_KEYDOWN      ? "down"
                       : msg == WM_KEYUP      ? "up"
                       : msg == WM_SYSKEYDOWN ? "sysdown"
                       : msg == WM_SYSKEYUP   ? "sysup"
                                              : nullptr;
    if (kind) {
        const std::string state = ModifierState();
        std::printf("key msg=%s vk=%u %s\n", kind, static_cast<unsigned>(wp), state.c_str());
        bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
        if (down && wp == 'V' && KeyIsDown(VK_CONTROL)) {
            std::printf("paste %s text=%s\n", state.c_str(), Quote(ClipboardTextOrEmpty()).c_str());
        }
        std::fflush(stdout);
        return 0;  // no menu bar for a lone Alt: the record is the point
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, msg, wp, lp);
}

int CmdKeyWitness(const Args&) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = KeyWitnessProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = KeyWitnessClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    if (!RegisterClassA(&wc)) return ExitFailed;
    HWND w = CreateWindowA(KeyWitnessClass, "Key witness", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, KeyWitnessSize,
                           KeyWitnessSize, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return ExitFailed;
    SetForegroundWindow(w);
    SetFocus(w);
    std::printf("ready hwnd=%s\n", HandleText(w).c_str());
    std::fflush(stdout);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return ExitDone;
}

struct Command {
    const char* name;
    int (*run)(const Args&);
};

const Command Commands[] = {
    {"list", CmdList},
    {"controls", CmdControls},
    {"icon", CmdIcon},
    {"edit-text", CmdEditText},
    {"watch-edit", CmdWatchEdit},
    {"clipboard", CmdClipboard},
    {"edit-copy", CmdEditCopy},
    {"foreground", CmdForeground},
    {"close", CmdClose},
    {"code-page", CmdCodePage},
    {"move", CmdMove},
    {"syscommand", CmdSysCommand},
    {"activate", CmdActivate},
    {"reg-get", CmdRegGet},
    {"reg-set-sz", [](const Args& a) { return RegSet(a, REG_SZ); }},
    {"reg-set-dword", [](const Args& a) { return RegSet(a, REG_DWORD); }},
    {"reg-delete", CmdRegDelete},
    {"resources", CmdResources},
    {"terminate", CmdTerminate},
    {"key-witness", CmdKeyWitness},
};

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (argc < 2 || !ParseArgs(argc, argv, args)) {
        std::fprintf(stderr, "usage: glimmerly_probe COMMAND [--hwnd H|--class C|--title T|--pid N] [args]\n");
        return ExitUsage;
    }
    for (const Command& c : Commands) {
        if (std::strcmp(argv[1], c.name) == 0) {
            int rc = c.run(args);
            std::fflush(stdout);
            return rc;
        }
    }
    std::fprintf(stderr, "glimmerly_probe: unknown command %s\n", argv[1]);
    return ExitUsage;
}
