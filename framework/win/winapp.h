// The application object and the program's entry point. The entry point (wWinMain, or
// WinMain for a program linked without -municode) calls InitInstance of the one CWinApp;
// when it returns FALSE the program ends with ExitInstance's code, otherwise a message loop
// runs until WM_QUIT.
#pragma once

#include "framework/afx.h"
#include "framework/win/wnd.h"

class CWinApp : public CWinThread {
 public:
  typedef CWinApp MsgRoot;

  // Registers this object as the program's one application; a null name means the
  // executable's file name without extension.
  explicit CWinApp(LPCWSTR lpszAppName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // The message loop after an InitInstance that returned TRUE.
  virtual int Run();

  // Stores nothing: the program keeps no settings.
  void SetRegistryKey(LPCWSTR lpszRegistryKey);
  // There is no help file, so help has nothing to show.
  void OnHelp();
  HICON LoadIcon(UINT nIDResource) const;
  // Runs a command through the application's message map; FALSE if no entry takes it.
  BOOL OnCmdMsg(UINT nID, UINT nCode);

  CWnd* m_pMainWnd = nullptr;
  CString m_strAppName;
  LPCWSTR m_pszAppName = nullptr;
  HINSTANCE m_hInstance = nullptr;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

CWinApp* AfxGetApp();
// There are no contained controls to prepare.
void AfxEnableControlContainer();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
