#pragma once
#include <windows.h>

// What a command shows while it holds the thread: the wait cursor, and the
// progress bar when the command moves text. Opened inside the busy scope,
// after it, and closed before it: the bar is hidden first, then the cursor the
// user had comes back.

enum class WithProgress { No, Yes };

class DisplayScope {
public:
    [[nodiscard]] DisplayScope(HWND window, WithProgress bar);
    ~DisplayScope();
    DisplayScope(const DisplayScope&) = delete;
    DisplayScope& operator=(const DisplayScope&) = delete;

private:
    HWND window_;
    WithProgress bar_;
    HCURSOR savedCursor_;
};
