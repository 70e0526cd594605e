#include "uikit/bgc_dialog.h"

namespace {
const COLORREF kNoColour = 0xFFFFFFFF;
const COLORREF kDefaultBackground = 0x00B4C0C8;
const COLORREF kButtonText = 0x0000FFFF;
const COLORREF kScrollBarText = 0x00FF0000;
const COLORREF kStaticText = 0x00C87A00;
}  // namespace

CMyBGCDlg::CMyBGCDlg(UINT nIDTemplate, CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_clrBackground(kNoColour) {}

// m_brBackground deletes its brush as a member.
CMyBGCDlg::~CMyBGCDlg() = default;

BOOL CMyBGCDlg::PreTranslateMessage(MSG* pMsg) { return CDialog::PreTranslateMessage(pMsg); }

LRESULT CMyBGCDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
  return CWnd::WindowProc(message, wParam, lParam);
}

void CMyBGCDlg::PreInitDialog() {
  if (m_clrBackground == kNoColour) m_clrBackground = kDefaultBackground;
  m_brBackground.CreateSolidBrush(m_clrBackground);
  CDialog::PreInitDialog();
}

BOOL CMyBGCDlg::OnEraseBkgnd(CDC* pDC) {
  RECT rc;
  GetClientRect(&rc);
  pDC->FillRect(&rc, &m_brBackground);
  return TRUE;
}

HBRUSH CMyBGCDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  switch (nCtlColor) {
    case CTLCOLOR_EDIT:
      // Edit boxes keep the system's colours, so typed text stays readable.
      return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    case CTLCOLOR_BTN:
      pDC->SetTextColor(kButtonText);
      break;
    case CTLCOLOR_SCROLLBAR:
      pDC->SetBkMode(TRANSPARENT);
      pDC->SetTextColor(kScrollBarText);
      pDC->SetBkColor(m_clrBackground);
      break;
    case CTLCOLOR_STATIC:
      pDC->SetTextColor(kStaticText);
      pDC->SetBkColor(m_clrBackground);
      break;
    default:  // message boxes, list boxes, the dialog itself and anything else
      pDC->SetBkColor(m_clrBackground);
      break;
  }
  return static_cast<HBRUSH>(m_brBackground.GetSafeHandle());
}

void CMyBGCDlg::PaintDialog() { CDialog::OnPaint(); }
