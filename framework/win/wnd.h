// The window wrapper. A CWnd is tied to its HWND through a permanent map (Attach) and, once it
// has subclassed the window, receives the window's messages in WindowProc, which routes them
// through the class's message map and hands the rest to the procedure it replaced.
#pragma once

#include "framework/cstring.h"
#include "framework/win/gdi.h"
#include "framework/win/msgmap.h"

class CWnd;

// What DoDataExchange needs to know: the dialog, and whether values go to it or come from it.
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
      : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

class CWnd {
 public:
  typedef CWnd MsgRoot;

  CWnd() = default;
  // Gives the window its own procedure back and forgets it; the window itself stays.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // Enters the window in the permanent map; fails if this object or that window is taken.
  BOOL Attach(HWND hWnd);
  HWND Detach();
  // Attach, then route the window's messages to this object's WindowProc.
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  static CWnd* FromHandlePermanent(HWND hWnd);
  // The permanent object if there is one, else a temporary wrapper (owned by the framework,
  // good until the thread ends). Null for a null handle.
  static CWnd* FromHandle(HWND hWnd);

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The procedure the window had before SubclassWindow, or the system default.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual void DoDataExchange(CDataExchange* pDX);
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // The message being handled now, passed on to DefWindowProc unchanged.
  LRESULT Default();

  // The standard colours: the system's answer to the WM_CTLCOLOR* message being handled.
  virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

  CWnd* GetDlgItem(int nID) const;
  int GetDlgItemText(int nID, CString& text) const;
  void SetDlgItemText(int nID, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, nID, text); }
  int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
  void GetWindowText(CString& text) const;
  void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
  }
  LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
  }
  void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
  UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }
  void GetClientRect(LPRECT rc) const { ::GetClientRect(m_hWnd, rc); }
  void GetWindowRect(LPRECT rc) const { ::GetWindowRect(m_hWnd, rc); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
  BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  HICON SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(hIcon)));
  }
  void DragAcceptFiles(BOOL bAccept = TRUE) { ::DragAcceptFiles(m_hWnd, bAccept); }
  BOOL DestroyWindow();

 protected:
  // Searches the message map; TRUE with *pResult set when an entry took the message.
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Called after the window's last message (WM_NCDESTROY), once it is detached.
  virtual void PostNcDestroy() {}

  WNDPROC m_pfnSuper = nullptr;

  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);

  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

// The window procedure of every subclassed window.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
