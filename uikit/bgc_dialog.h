// A dialog base with a solid background colour and fixed control colours. It has no message
// map: it erases in WindowProc, so a derived dialog cannot take WM_ERASEBKGND away from it,
// and a derived dialog routes WM_CTLCOLOR to OnCtlColor and calls PaintDialog from its own
// WM_PAINT handler.
#pragma once

#include "framework/win/dialog.h"

class CMyBGCDlg : public CDialog {
 public:
  CMyBGCDlg(UINT nIDTemplate, CWnd* pParent = nullptr);
  ~CMyBGCDlg() override;

  BOOL PreTranslateMessage(MSG* pMsg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PreInitDialog() override;
  // Fills the client area with the background brush.
  virtual BOOL OnEraseBkgnd(CDC* pDC);

  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  // The standard dialog painting; the background is the eraser's business.
  void PaintDialog();

  // 0xFFFFFFFF until a colour is chosen; a derived dialog may set it before the window exists.
  COLORREF m_clrBackground;
  // Made in PreInitDialog, deleted with the object; empty if it could not be made.
  CBrush m_brBackground;
};
