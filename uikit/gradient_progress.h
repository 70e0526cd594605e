// A progress bar that paints a banded colour gradient itself. It keeps its own range, step
// and position, and only that copy decides the picture; every change is also sent to the
// native control, whose repaint request then runs OnPaint. Drawing goes through CmyMemDC and
// erasing does nothing, so the bar does not flicker.
#pragma once

#include "framework/win/controls.h"

class CGradientProgressCtrl : public CProgressCtrl {
 public:
  CGradientProgressCtrl();
  ~CGradientProgressCtrl() override;

  // Moves the position to nLower. The native control gets each end cut to 16 bits.
  int SetRange(int nLower, int nUpper);
  int SetPos(int nPos);
  // Neither wraps nor clamps: keeping the position in range is the owner's business.
  int StepIt();

  int GetLower() const { return m_nLower; }
  int GetUpper() const { return m_nUpper; }
  int GetStep() const { return m_nStep; }
  int GetPosition() const { return m_nPos; }

  // Written by the owner before the first paint.
  COLORREF m_clrStart;
  COLORREF m_clrEnd;
  COLORREF m_clrBarBackground;

 protected:
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnPaint();
  // WM_PRINTCLIENT: the same picture as a paint, into the given context.
  LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
  void PaintBar(CDC* pDC);
  void DrawGradient(CDC* pDC, const RECT& rcClient, int nMaxWidth);

  int m_nLower;
  int m_nUpper;
  int m_nStep;
  int m_nPos;

  DECLARE_MESSAGE_MAP()
};
