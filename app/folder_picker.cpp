#include "app/folder_picker.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_hookMutex;
FolderPickerHook g_pickerHook;
}  // namespace

void SetFolderPickerHook(FolderPickerHook hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_pickerHook = std::move(hook);
}

CString ProgramFolderOf(LPCWSTR moduleFileName) {
  CString folder(moduleFileName);
  int slash = folder.ReverseFind(WCHAR('\\'));
  if (slash >= 0) folder.Truncate(slash);
  return folder;
}

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM, LPARAM lpData) {
  if (uMsg == BFFM_INITIALIZED && lpData) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, lpData);
  return 1;
}

BOOL BrowseForFolder(WCHAR* path, HWND owner) {
  FolderPickerHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    hook = g_pickerHook;
  }
  if (hook) return hook(path, owner);

  // 256 units: a longer program path is cut, and the browser then simply finds no start
  // folder, which is harmless.
  WCHAR module[256] = {0};
  GetModuleFileNameW(nullptr, module, 256);
  module[255] = 0;
  CString programFolder = ProgramFolderOf(module);

  BROWSEINFOW bi = {};
  bi.hwndOwner = owner;
  bi.pidlRoot = nullptr;
  bi.pszDisplayName = nullptr;
  bi.lpszTitle = L"选择文件夹";
  bi.ulFlags = 0;
  bi.lpfn = BrowseCallbackProc;
  bi.lParam = LPARAM(lstrlenW(path) > 0 ? path : programFolder.GetString());
  bi.iImage = 0;

  LPITEMIDLIST pidl = SHBrowseForFolderW(&bi);
  if (!pidl) return FALSE;
  SHGetPathFromIDListW(pidl, path);
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return FALSE;
  malloc->Free(pidl);
  malloc->Release();
  return TRUE;
}
