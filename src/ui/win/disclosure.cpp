#include "ui/disclosure.h"

#include "res/resource_ids.h"

// The triangle above the full window's options panel. It paints itself with
// bevel pens in the system's 3D colours, follows one press of the left button
// with the mouse capture, and on a release over itself shows or hides the
// panel row, moving the controls below and resizing the window by the row's
// height.

namespace {

enum PenUse { FacePen, HighlightPen, LightPen, ShadowPen, DarkShadowPen, PenCount };

constexpr int PenColours[PenCount] = {COLOR_BTNFACE, COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT,
                                      COLOR_BTNSHADOW, COLOR_3DDKSHADOW};

// Shared by every control of the class; they live while any control does.
HPEN Pens[PenCount];
int LiveControls = 0;
bool PressedLook = false;

constexpr LRESULT Handled = 0;
constexpr LRESULT NotForUs = 1;

// The panel row and the first control below it, in dialog units: the distance
// the controls below move and the window grows or shrinks.
constexpr int PanelTopDialogUnits = 108;
constexpr int BelowPanelDialogUnits = 124;

constexpr int MovingControls[] = {
    IDC_STATUS_TEXT,          IDC_STATUS_FRAME,        IDC_PICTURE_CABLE_IDLE,
    IDC_PICTURE_CABLE_LINKED, IDC_PICTURE_WAVES_SEARCHING, IDC_PICTURE_WAVES_LINKED,
    IDC_PROGRESS,             IDC_STATUS_LINE,
};
constexpr int PanelControls[] = {IDC_APPEND, IDC_RETRIEVE};

// The setting the triangle shows and toggles is stored with the control, so the
// control needs nothing of the program around it.
constexpr const char* DisclosedFlagProperty = "GlimmerlyDisclosedFlag";

constexpr const char* HideCaption = "Hide Options";
constexpr const char* MoreCaption = "More Options";

uint32_t* BoundFlag(HWND control) {
    return static_cast<uint32_t*>(GetPropA(control, DisclosedFlagProperty));
}

// Until a setting is bound the panel is shown, as the template draws it.
bool Disclosed(HWND control) {
    const uint32_t* flag = BoundFlag(control);
    return !flag || *flag != 0;
}

void CreatePens() {
    for (int i = 0; i < PenCount; ++i)
        if (!Pens[i]) Pens[i] = CreatePen(PS_SOLID, 0, GetSysColor(PenColours[i]));
}

void DeletePens() {
    for (HPEN& pen : Pens) {
        if (pen) DeleteObject(pen);
        pen = nullptr;
    }
}

// The four pens of a bevel, swapped between the raised and the pressed look.
struct Bevel {
    HPEN outerSlant, outerStraight, innerSlant, innerStraight;
};

Bevel ChooseBevel(bool pressed) {
    if (pressed) return {Pens[HighlightPen], Pens[DarkShadowPen], Pens[LightPen], Pens[ShadowPen]};
    return {Pens[DarkShadowPen], Pens[HighlightPen], Pens[ShadowPen], Pens[LightPen]};
}

void LineWith(HDC dc, HPEN pen, int x, int y) {
    SelectObject(dc, pen);
    LineTo(dc, x, y);
}

void DrawPointingDown(HDC dc, const RECT& r, const Bevel& b) {
    const int lastX = r.right - 1, lastY = r.bottom - 1, midX = lastX / 2;
    MoveToEx(dc, r.left, r.top, nullptr);
    LineWith(dc, b.outerSlant, midX, lastY);
    LineWith(dc, b.outerSlant, lastX, r.top);
    LineWith(dc, b.outerStraight, r.left, r.top);
    MoveToEx(dc, r.left + 1, r.top + 1, nullptr);
    LineWith(dc, b.innerSlant, midX, lastY - 1);
    LineWith(dc, b.innerSlant, lastX - 1, r.top + 1);
    LineWith(dc, b.innerStraight, r.left + 1, r.top + 1);
}

void DrawPointingRight(HDC dc, const RECT& r, const Bevel& b) {
    const int lastX = r.right - 1, lastY = r.bottom - 1, midY = lastY / 2;
    MoveToEx(dc, r.left, lastY, nullptr);
    LineWith(dc, b.outerSlant, lastX, midY);
    LineWith(dc, b.outerSlant, r.left, r.top);
    LineWith(dc, b.outerStraight, r.left, lastY);
    MoveToEx(dc, r.left + 1, lastY - 1, nullptr);
    LineWith(dc, b.innerSlant, lastX - 1, midY);
    LineWith(dc, b.innerSlant, r.left + 1, r.top + 1);
    LineWith(dc, b.innerStraight, r.left + 1, lastY - 1);
}

LRESULT OnPaint(HWND control) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT client;
    GetClientRect(control, &client);
    // The face colour is read at every paint; the pens keep the colours they were made with.
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldPen = SelectObject(dc, Pens[FacePen]);
    const Bevel bevel = ChooseBevel(PressedLook);
    if (Disclosed(control))
        DrawPointingDown(dc, client, bevel);
    else
        DrawPointingRight(dc, client, bevel);
    SelectObject(dc, oldPen);
    EndPaint(control, &paint);
    return Handled;
}

void Redraw(HWND control) {
    InvalidateRect(control, nullptr, FALSE);
}

// The position comes as two unsigned 16-bit words, so a pointer left of or
// above the control reads as a large number and counts as outside. The column
// and row just past the client area still count as over it.
bool PointerOver(HWND control, LPARAM position) {
    RECT client;
    GetClientRect(control, &client);
    const LONG x = LOWORD(position), y = HIWORD(position);
    return x >= client.left && x <= client.right && y >= client.top && y <= client.bottom;
}

int CollapseDistance(HWND mainWindow) {
    RECT rows = {0, PanelTopDialogUnits, 0, BelowPanelDialogUnits};
    MapDialogRect(mainWindow, &rows);
    return rows.bottom - rows.top;
}

void ShowPanel(HWND mainWindow, int showCommand) {
    for (int id : PanelControls) {
        HWND panelControl = GetDlgItem(mainWindow, id);
        if (panelControl) ShowWindow(panelControl, showCommand);
    }
}

void SetOptionsCaption(HWND mainWindow, const char* caption) {
    HWND captionControl = GetDlgItem(mainWindow, IDC_OPTIONS_CAPTION);
    if (captionControl) SendMessageA(captionControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption));
}

void ShiftMovingControls(HWND mainWindow, int delta) {
    for (int id : MovingControls) ShiftControl(mainWindow, id, delta, delta);
}

void ResizeWindowBy(HWND mainWindow, int heightDelta) {
    RECT frame;
    GetWindowRect(mainWindow, &frame);
    MoveWindow(mainWindow, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top + heightDelta, TRUE);
}

// Controls move up first and the window shrinks last, so nothing is cut off
// on the way.
void CollapsePanel(HWND mainWindow) {
    const int distance = CollapseDistance(mainWindow);
    ShowPanel(mainWindow, SW_HIDE);
    SetOptionsCaption(mainWindow, MoreCaption);
    ShiftMovingControls(mainWindow, -distance);
    ResizeWindowBy(mainWindow, -distance);
}

// The window grows first, so the controls have room to move down into.
void ExpandPanel(HWND mainWindow) {
    const int distance = CollapseDistance(mainWindow);
    ResizeWindowBy(mainWindow, distance);
    ShowPanel(mainWindow, SW_SHOW);
    SetOptionsCaption(mainWindow, HideCaption);
    ShiftMovingControls(mainWindow, distance);
}

// The triangle sits in the main window, so its parent is the window it folds.
void TogglePanel(HWND control) {
    uint32_t* flag = BoundFlag(control);
    if (!flag) return;  // nothing to keep the choice in
    // Any stored value other than 0 reads as expanded, so a toggle always collapses it.
    *flag = *flag ? 0 : 1;
    if (*flag)
        ExpandPanel(GetParent(control));
    else
        CollapsePanel(GetParent(control));
}

LRESULT OnButtonDown(HWND control) {
    SetCapture(control);
    PressedLook = true;
    Redraw(control);
    return Handled;
}

LRESULT OnMouseMove(HWND control, LPARAM position) {
    if (GetCapture() != control) return NotForUs;
    const bool over = PointerOver(control, position);
    if (over != PressedLook) {
        PressedLook = over;
        Redraw(control);
    }
    return Handled;
}

LRESULT OnButtonUp(HWND control, LPARAM position) {
    if (GetCapture() != control) return NotForUs;
    PressedLook = false;
    Redraw(control);
    ReleaseCapture();
    if (!PointerOver(control, position)) return NotForUs;
    TogglePanel(control);
    return Handled;
}

LRESULT OnCreate() {
    ++LiveControls;
    CreatePens();
    return Handled;
}

LRESULT OnDestroy(HWND control) {
    RemovePropA(control, DisclosedFlagProperty);
    if (LiveControls > 0) --LiveControls;
    if (LiveControls == 0) DeletePens();
    return Handled;
}

}  // namespace

LRESULT CALLBACK DisclosureProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: return OnDestroy(control);
    case WM_PAINT: return OnPaint(control);
    case WM_LBUTTONDOWN: return OnButtonDown(control);
    case WM_MOUSEMOVE: return OnMouseMove(control, lParam);
    case WM_LBUTTONUP: return OnButtonUp(control, lParam);
    default: return DefWindowProcA(control, message, wParam, lParam);
    }
}

void ShiftControl(HWND mainWindow, int controlId, int topDelta, int bottomDelta) {
    HWND control = GetDlgItem(mainWindow, controlId);
    if (!control) return;
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&place), 2);
    const int top = place.top + topDelta;
    const int bottom = place.bottom + bottomDelta;
    MoveWindow(control, place.left, top, place.right - place.left, bottom - top, TRUE);
}

void ApplyStoredDisclosure(HWND mainWindow, uint32_t* disclosedFlag) {
    HWND triangle = GetDlgItem(mainWindow, IDC_DISCLOSURE);
    if (!triangle || !disclosedFlag) return;
    SetPropA(triangle, DisclosedFlagProperty, disclosedFlag);
    if (*disclosedFlag) return;
    CollapsePanel(mainWindow);
    Redraw(triangle);
}
