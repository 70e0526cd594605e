#include "app/zentrel_app.h"

#include <commctrl.h>

#include "app/zentrel_dlg.h"

BEGIN_MESSAGE_MAP(CZentrelApp, CWinApp)
  ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

// No name: the framework takes the executable's file name, which then captions the message
// boxes.
CZentrelApp theApp;

BOOL CZentrelApp::InitInstance() {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&icc);

  CWinApp::InitInstance();
  AfxEnableControlContainer();
  // Kept for the framework's sake; nothing is ever stored under it.
  SetRegistryKey(L"应用程序向导生成的本地应用程序");

  {
    CZentrelDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
  }
  return FALSE;
}
