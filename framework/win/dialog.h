// Modal dialogs from the executable's dialog templates, and DDX_Control.
#pragma once

#include "framework/win/wnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
  explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParent = nullptr);

  // Runs the dialog with the platform's modal loop; returns the EndDialog value, or -1 when
  // the dialog could not be made.
  virtual INT_PTR DoModal();
  // Called on WM_INITDIALOG once the window is attached, before OnInitDialog.
  virtual void PreInitDialog();
  // Runs the template's initialisation data, then UpdateData(FALSE); TRUE lets the platform
  // put the focus on the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

  // Sends the initialisation data stored for a template (resource type 240 with the
  // template's name) to the dialog's controls. No such resource is no error.
  BOOL ExecuteDlgInit(LPCWSTR lpszResourceName);
  BOOL ExecuteDlgInit(UINT nIDResource) { return ExecuteDlgInit(MAKEINTRESOURCEW(nIDResource)); }
  // The records themselves: {WORD control id, WORD message, DWORD byte count, bytes}... ended
  // by a WORD 0. The add-string messages (CB_ADDSTRING, LB_ADDSTRING, and their old 16-bit
  // numbers 0x0403 and 0x0401) carry ANSI text ended by a zero, which the control gets as
  // UTF-16; other messages are passed over. FALSE for a record that runs past `size` or a
  // control that refuses a string.
  BOOL ExecuteDlgInitData(const void* pData, size_t size);

 protected:
  // The standard dialog painting: an (empty) paint, then the default procedure.
  void OnPaint();

  LPCWSTR m_lpszTemplateName;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()
};

// Subclasses the dialog's control `nIDC` with `rControl` the first time it runs, so that
// the member's message map sees the control's messages.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
