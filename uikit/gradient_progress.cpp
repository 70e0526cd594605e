#include "uikit/gradient_progress.h"

#include <cstdlib>

#include "uikit/mem_dc.h"

BEGIN_MESSAGE_MAP(CGradientProgressCtrl, CProgressCtrl)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_PRINTCLIENT, &CGradientProgressCtrl::OnPrintClient)
END_MESSAGE_MAP()

CGradientProgressCtrl::CGradientProgressCtrl()
    : m_clrStart(0x000000FF),
      m_clrEnd(0x00FF0000),
      m_clrBarBackground(::GetSysColor(COLOR_BTNFACE)),
      m_nLower(0),
      m_nUpper(100),
      m_nStep(1),
      m_nPos(0) {}

CGradientProgressCtrl::~CGradientProgressCtrl() = default;

int CGradientProgressCtrl::SetRange(int nLower, int nUpper) {
  m_nUpper = nUpper;
  m_nLower = nLower;
  m_nPos = nLower;
  LPARAM range = MAKELPARAM(WORD(nLower & 0xFFFF), WORD(nUpper & 0xFFFF));
  return int(::SendMessageW(m_hWnd, PBM_SETRANGE, 0, range));
}

int CGradientProgressCtrl::SetPos(int nPos) {
  m_nPos = nPos;
  return int(::SendMessageW(m_hWnd, PBM_SETPOS, WPARAM(nPos), 0));
}

int CGradientProgressCtrl::StepIt() {
  m_nPos += m_nStep;
  return int(::SendMessageW(m_hWnd, PBM_STEPIT, 0, 0));
}

BOOL CGradientProgressCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CGradientProgressCtrl::OnPaint() {
  CPaintDC dc(this);
  PaintBar(&dc);
}

LRESULT CGradientProgressCtrl::OnPrintClient(WPARAM wParam, LPARAM) {
  PaintBar(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
  return 0;
}

void CGradientProgressCtrl::PaintBar(CDC* pDC) {
  RECT rc;
  GetClientRect(&rc);
  if (m_nLower < m_nPos && m_nPos < m_nUpper) {
    // The lower end does not enter the fraction; the single-precision store is deliberate,
    // it decides which pixel the background starts at.
    float fMax = float(double(m_nPos) / double(m_nUpper) * double(rc.right));
    DrawGradient(pDC, rc, int(fMax));
  } else {
    CBrush face;
    face.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    pDC->FillRect(&rc, &face);
  }
}

void CGradientProgressCtrl::DrawGradient(CDC* pDC, const RECT& rcClient, int nMaxWidth) {
  CmyMemDC memDC(pDC);
  // The bitmap starts uninitialised, and no band covers it when the two colours are equal or
  // when the last single-precision band ends a pixel short of the edge: the background goes
  // under the whole clip box first, so those pixels show the bar's background colour.
  memDC.FillSolidRect(&memDC.ClipRect(), m_clrBarBackground);

  int r1 = GetRValue(m_clrStart), g1 = GetGValue(m_clrStart), b1 = GetBValue(m_clrStart);
  int dR = GetRValue(m_clrEnd) - r1, dG = GetGValue(m_clrEnd) - g1, dB = GetBValue(m_clrEnd) - b1;
  int n = std::abs(dR);
  if (std::abs(dG) > n) n = std::abs(dG);
  if (std::abs(dB) > n) n = std::abs(dB);
  if (n == 0) return;  // equal colours: no band

  float w = float(double(rcClient.right) / n);
  float sR = float(double(dR) / n), sG = float(double(dG) / n), sB = float(double(dB) / n);
  for (int i = 0; i < n; ++i) {
    RECT band;
    ::SetRect(&band, int(i * double(w)), 0, int((i + 1) * double(w)), rcClient.bottom + 1);
    int red = int(r1 + i * double(sR)) & 0xFF;
    int green = int(g1 + i * double(sG)) & 0xFF;
    int blue = int(b1 + i * double(sB)) & 0xFF;
    memDC.FillSolidRect(&band, RGB(red, green, blue));
    if (band.right > nMaxWidth) {
      RECT rest;
      ::SetRect(&rest, band.right, 0, rcClient.right, rcClient.bottom);
      memDC.FillSolidRect(&rest, m_clrBarBackground);
      break;
    }
  }
}
