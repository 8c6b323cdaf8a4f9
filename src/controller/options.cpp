#include "controller/commands.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"

LRESULT AutoRetrieveOptionCommand(HWND window) {
    AutoUploadFlag = static_cast<uint32_t>(
        SendDlgItemMessageA(window, IDC_AUTO_RETRIEVE, BM_GETCHECK, 0, 0));
    StoreOption(AutoUploadFlagValue, AutoUploadFlag);
    return TRUE;
}

// A plain check box: the program sets its mark itself. Stored when the window closes.
LRESULT AppendOptionCommand(HWND window) {
    const bool appending =
        SendDlgItemMessageA(window, IDC_APPEND, BM_GETCHECK, 0, 0) == BST_CHECKED;
    AppendFlag = appending ? 0 : 1;
    SendDlgItemMessageA(window, IDC_APPEND, BM_SETCHECK, appending ? BST_UNCHECKED : BST_CHECKED,
                        0);
    return TRUE;
}
