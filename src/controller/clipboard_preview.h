#pragma once
#include <windows.h>

// Looks at the clipboard with `owner` as the opening window. When it holds
// text, sets ClipboardTextFlag and shows the text in the main window's preview
// edit 105; otherwise leaves the preview as it was. Does not clear the flag:
// callers that want a fresh verdict clear it first.
void PreviewClipboard(HWND owner);

// The preview run on every change of the active application, from either
// top-level window: the flag follows the clipboard from scratch.
void RefreshClipboardPreview(HWND owner);
