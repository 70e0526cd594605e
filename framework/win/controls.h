// Thin wrappers of the standard controls: each call is the control's message.
#pragma once

#include "framework/win/wnd.h"

#include <commctrl.h>

class CButton : public CWnd {
 public:
  int GetCheck() const { return int(SendMessage(BM_GETCHECK)); }
  void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, WPARAM(nCheck)); }
};

class CEdit : public CWnd {
 public:
  void SetSel(int nStart, int nEnd) { SendMessage(EM_SETSEL, WPARAM(nStart), LPARAM(nEnd)); }
  void ReplaceSel(LPCWSTR text, BOOL bCanUndo = FALSE) {
    SendMessage(EM_REPLACESEL, WPARAM(bCanUndo), reinterpret_cast<LPARAM>(text));
  }
  int GetLineCount() const { return int(SendMessage(EM_GETLINECOUNT)); }
};

class CComboBox : public CWnd {
 public:
  int GetCount() const { return int(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return int(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int nSelect) { return int(SendMessage(CB_SETCURSEL, WPARAM(nSelect))); }
  int AddString(LPCWSTR text) { return int(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int GetLBTextLen(int nIndex) const { return int(SendMessage(CB_GETLBTEXTLEN, WPARAM(nIndex))); }
  // Empties `text` for an index outside the list.
  void GetLBText(int nIndex, CString& text) const;
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
  void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, WPARAM(nLower), LPARAM(nUpper)); }
  void GetRange(int& nLower, int& nUpper) const {
    PBRANGE r = {0, 0};
    SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&r));
    nLower = r.iLow;
    nUpper = r.iHigh;
  }
  int SetPos(int nPos) { return int(SendMessage(PBM_SETPOS, WPARAM(nPos))); }
  int GetPos() const { return int(SendMessage(PBM_GETPOS)); }
  int OffsetPos(int nPos) { return int(SendMessage(PBM_DELTAPOS, WPARAM(nPos))); }
  int SetStep(int nStep) { return int(SendMessage(PBM_SETSTEP, WPARAM(nStep))); }
  int StepIt() { return int(SendMessage(PBM_STEPIT)); }
};
