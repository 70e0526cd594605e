#include "framework/afx.h"

#include <thread>

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int, UINT, DWORD, void*) {
  if (!proc) return nullptr;
  auto* t = new CWinThread;
  t->m_pfnThreadProc = proc;
  t->m_pThreadParams = param;
  try {
    std::thread([t] {
      t->m_pfnThreadProc(t->m_pThreadParams);
      delete t;
    }).detach();
  } catch (...) {
    delete t;
    return nullptr;
  }
  return t;
}

CString AfxGetAppName() {
  WCHAR path[1024];
  DWORD n = GetModuleFileNameW(nullptr, path, 1024);
  CString name(path, int(n < 1024 ? n : 1023));
  int slash = name.ReverseFind(WCHAR('\\'));
  int fwd = name.ReverseFind(WCHAR('/'));
  if (fwd > slash) slash = fwd;
  name = name.Mid(slash + 1);
  int dot = name.ReverseFind(WCHAR('.'));
  if (dot > 0) name = name.Left(dot);
  return name;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  if ((type & 0xF0) == 0) type |= MB_ICONEXCLAMATION;
  CString caption = AfxGetAppName();
  return PlatformMessageBox(nullptr, text, caption, type);
}
