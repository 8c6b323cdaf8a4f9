#pragma once
#include <windows.h>

// The program's own items on the window menu (the system menu: Alt+Space or
// a right click on the title bar) of either window.

// Command ids of the window menu. The system keeps the low four bits of a
// WM_SYSCOMMAND for itself, so every id is a multiple of 16, below 0xF000.
inline constexpr UINT WindowMenuIdMask = 0xFFF0;
inline constexpr UINT IdSwitchWindow = 0x1000;
inline constexpr UINT IdBackUpAllFiles = 0x1010;
inline constexpr UINT IdRestoreFiles = 0x1020;
inline constexpr UINT IdStartWithWindows = 0x1030;
inline constexpr UINT IdPortFirst = 0x2000;  // one id every 16 for each listed port
inline constexpr UINT IdPortStep = 0x10;
inline constexpr UINT IdDriverPort = 0x2800;
inline constexpr UINT IdFindKeyboard = 0x2810;

// Adds the items to the window's menu; at WM_INITDIALOG.
void InstallWindowMenu(HWND window);

// WM_INITMENUPOPUP: greys what cannot run during a command, and fills the
// Port submenu afresh when it opens.
void OnInitWindowMenu(HWND window, HMENU menu, BOOL isWindowMenu);

// WM_SYSCOMMAND, or WM_COMMAND from a submenu: true when the id is ours and was handled.
bool OnWindowMenuCommand(HWND window, UINT id);
