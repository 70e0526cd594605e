#include "uikit/mem_dc.h"

int CmyMemDC::s_nBlitCount = 0;

CmyMemDC::CmyMemDC(CDC* pDC) : m_pOldBitmap(nullptr), m_pTargetDC(pDC), m_rcClip{0, 0, 0, 0} {
  pDC->GetClipBox(&m_rcClip);
  CreateCompatibleDC(pDC);
  m_bmpOffscreen.CreateCompatibleBitmap(pDC, m_rcClip.right - m_rcClip.left, m_rcClip.bottom - m_rcClip.top);
  m_pOldBitmap = SelectObject(&m_bmpOffscreen);
  SetWindowOrg(m_rcClip.left, m_rcClip.top);
}

CmyMemDC::~CmyMemDC() {
  m_pTargetDC->BitBlt(m_rcClip.left, m_rcClip.top, m_rcClip.right - m_rcClip.left,
                      m_rcClip.bottom - m_rcClip.top, this, m_rcClip.left, m_rcClip.top, SRCCOPY);
  ++s_nBlitCount;
  SelectObject(m_pOldBitmap ? m_pOldBitmap->GetSafeHandle() : nullptr);
  m_bmpOffscreen.DeleteObject();
  DeleteDC();
}
