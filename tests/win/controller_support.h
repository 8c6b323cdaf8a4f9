#pragma once
// Helpers for driving the main window procedure on real dialogs under Wine,
// with quillsim as the device.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One command line to quillsim's control port; returns its reply line.
std::string Sim(const std::string& line);

// The bytes of a quillsim hex reply ("ok 4869" -> "Hi").
std::string SimBytes(const std::string& line);
std::string Hex(const std::string& bytes);

// The clipboard, opened with a short retry: Wine's clipboard manager may hold it.
bool OpenClipboardRetrying(HWND owner);
void PutClipboardText(const std::string& text);
void PutClipboardPicture();
void ClearClipboard();
bool ClipboardHasText();
std::string ClipboardText();
LCID ClipboardLocale();  // 0 when the clipboard holds none

// Delivers every posted message waiting for this thread (the automatic retrieve
// is posted), and drops the quit message that closing a window leaves behind.
void PumpMessages();

// Pumps like PumpMessages for up to `waitMs`, and writes down the keys that
// arrive: "d11 d56 u56 u11" is Ctrl down, V down, V up, Ctrl up.
std::string PumpKeys(DWORD waitMs);

// Holds the clipboard open from another thread, as a busy program would.
class ClipboardHolder {
public:
    ClipboardHolder();
    ~ClipboardHolder();

private:
    HANDLE opened_;
    HANDLE release_;
    std::thread thread_;
};

// Announces CF_TEXT on the clipboard without data, owned by a window that
// never renders it, so that GetClipboardData(CF_TEXT) returns null.
class UnrenderedClipboardText {
public:
    UnrenderedClipboardText();
    ~UnrenderedClipboardText();

private:
    HWND owner_;
};

// Watches the synthesized keys from a low-level keyboard hook on its own
// thread. Input waits for the hook, so what the hook asks quillsim at the first
// key shows what the device had heard before the paste was typed.
class KeyWitness {
public:
    KeyWitness();
    ~KeyWitness();
    std::string Keys();         // "d11 d56 u56 u11"
    int DoneCountAtFirstKey();  // done commands the device had received; -1 without keys

private:
    std::thread thread_;
    DWORD threadId_ = 0;
};

// Plays the Esc key held down from the `look`-th time the transfer looks at
// it (1 = the first look), for as long as the object lives.
class EscHeldFrom {
public:
    explicit EscHeldFrom(int look);
    ~EscHeldFrom();
    int Looks() const;  // how often the transfer looked

private:
    static SHORT WINAPI KeyState(int virtualKey);
};

std::string WindowText(HWND window);
std::string ItemText(HWND window, int id);

// A message box seen by the watcher.
struct SeenBox {
    std::string caption;
    std::string text;
    std::string note;  // whatever the watcher's inspection wrote down
};

// Closes every message box of ours from a second thread (boxes are modal and
// would block the test), after recording it and, optionally, inspecting the
// program while the box is up.
class BoxWatcher {
public:
    using Inspect = std::function<std::string(HWND box)>;
    explicit BoxWatcher(Inspect inspect = nullptr);
    ~BoxWatcher();
    std::vector<SeenBox> Seen();

private:
    void Run();
    Inspect inspect_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};
