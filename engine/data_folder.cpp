#include "engine/data_folder.h"

CString GetDataFilePath(LPCWSTR fileName) {
  WCHAR appData[MAX_PATH + 1] = {0};
  CString folder;
  if (SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, FALSE) && appData[0]) {
    folder = CString(appData) + _T("\\Morlix");
    if (!PathFileExistsW(folder) && !CreateDirectoryW(folder, nullptr) && !PathFileExistsW(folder))
      folder.Empty();
  }
  if (folder.IsEmpty()) {
    // Beside the program file. The buffer grows until the whole name fits.
    CString module;
    for (DWORD size = 512; size <= 32768; size *= 2) {
      LPWSTR p = module.GetBuffer(int(size));
      DWORD n = GetModuleFileNameW(nullptr, p, size);
      module.ReleaseBuffer(int(n < size ? n : 0));
      if (n && n < size) break;
    }
    int slash = module.ReverseFind(WCHAR('\\'));
    folder = module.Left(slash + 1) + _T("Morlix");
    CreateDirectoryW(folder, nullptr);
  }
  if (fileName && *fileName) folder += CString(_T("\\")) + fileName;
  return folder;
}
