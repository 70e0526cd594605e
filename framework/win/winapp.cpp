#include "framework/win/winapp.h"

namespace {
CWinApp* g_pApp = nullptr;
}

const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}
const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }

CWinApp::CWinApp(LPCWSTR lpszAppName) {
  m_strAppName = lpszAppName ? CString(lpszAppName) : AfxGetAppName();
  m_pszAppName = m_strAppName;
  g_pApp = this;
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    CWnd* pWnd = CWnd::FromHandlePermanent(msg.hwnd);
    if (pWnd && pWnd->PreTranslateMessage(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return ExitInstance();
}

void CWinApp::SetRegistryKey(LPCWSTR) {}
void CWinApp::OnHelp() {}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
}

BOOL CWinApp::OnCmdMsg(UINT nID, UINT nCode) {
  WPARAM w = MAKEWPARAM(nID, nCode);
  const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, w, 0);
  LRESULT r = 0;
  return e ? e->pfnDispatch(static_cast<MsgRoot*>(this), WM_COMMAND, w, 0, &r) : FALSE;
}

CWinApp* AfxGetApp() { return g_pApp; }
void AfxEnableControlContainer() {}
HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandleW(nullptr); }
HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleW(nullptr); }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
  CWinApp* pApp = AfxGetApp();
  if (!pApp) return -1;
  pApp->m_hInstance = hInstance;
  if (!pApp->InitInstance()) return pApp->ExitInstance();
  return pApp->Run();
}

// The program's entry point lives beside the application object, so any program with a
// CWinApp gets it from the library whatever order the linker reads the libraries in. Both
// forms: the run-time calls wWinMain when linked with -municode, WinMain otherwise. A program
// with its own main (the tests) never calls them.
int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPWSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrev, lpCmdLine, nCmdShow);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPSTR, int nCmdShow) {
  return AfxWinMain(hInstance, hPrev, ::GetCommandLineW(), nCmdShow);
}
