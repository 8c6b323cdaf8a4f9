#include "controller/folder_chooser.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "device/utf16.h"

namespace {

enum class Chooser { Shown, Unavailable };

// The chooser's answer as a path; a place without one (a library, a phone)
// cannot be offered, since FOS_FORCEFILESYSTEM keeps them out.
PcPath ChosenPath(IFileOpenDialog* dialog) {
    PcPath chosen;
    IShellItem* item = nullptr;
    if (FAILED(dialog->GetResult(&item))) return chosen;
    wchar_t* path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        chosen = PcPath(Utf8FromUtf16(path));
        CoTaskMemFree(path);
    }
    item->Release();
    return chosen;
}

Chooser ChooseWithFileDialog(HWND owner, const wchar_t* title, PcPath* chosen) {
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&dialog)))) {
        return Chooser::Unavailable;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST))) {
        dialog->Release();
        return Chooser::Unavailable;
    }
    dialog->SetTitle(title);
    // Cancelling is a failed Show too: either way nothing is chosen.
    if (SUCCEEDED(dialog->Show(owner))) *chosen = ChosenPath(dialog);
    dialog->Release();
    return Chooser::Shown;
}

PcPath ChooseWithFolderTree(HWND owner, const wchar_t* title) {
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PcPath chosen;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(item, path)) chosen = PcPath(Utf8FromUtf16(path));
        CoTaskMemFree(item);
    }
    return chosen;
}

}  // namespace

PcPath ChooseFolder(HWND owner, const wchar_t* title) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PcPath chosen;
    if (ChooseWithFileDialog(owner, title, &chosen) == Chooser::Unavailable) chosen = ChooseWithFolderTree(owner, title);
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}
