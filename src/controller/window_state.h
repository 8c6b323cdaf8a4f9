#pragma once
#include <windows.h>

// What the main window shows about the connection. Every helper addresses
// controls by identifier; a control the window lacks is simply not touched.

// Shows exactly one of the four stacked status pictures (1015..1018).
void ShowStatusPicture(HWND window, int pictureId);

// Enables or disables the send button, the file list and the retrieve button.
void EnableTransferControls(HWND window, BOOL enable);

// Caption text and small icon of a connected device.
void ShowConnectedTitle(HWND window);

// The main window's caption.
void SetWindowTitle(HWND window, const char* text);

// The status text 107.
void SetStatusText(HWND window, const char* text);

// The status line 1008 under the pictures, at its own width beside the
// progress bar; an empty text clears it.
void SetStatusLine(HWND window, const char* text);

// A note on the status line while the progress bar is hidden (no port known,
// a paste that was refused, a transfer cancelled): the line is widened to
// reach as far as the bar, until the next SetStatusLine.
void ShowStatusNote(HWND window, const char* text);

// Shows or hides the progress bar 1000.
void ShowProgressBar(HWND window, bool visible);

// The device answered the hello: connected picture, texts, title and icon.
void ShowConnectedState(HWND window);

// The connected device stopped answering the poll: closes the port and shows
// the searching state again.
void ApplyLossSteps(HWND window);

// A port failure was reported: closes the port and shows the idle cable picture
// under a title of its own, so that it reads apart from a device simply gone.
void ApplyPortFailureReset(HWND window);

// Closes PortHandle if it is open and marks it closed.
void ClosePort();
