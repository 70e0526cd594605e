#include "framework/win/gdi.h"

#include <map>
#include <memory>

#include "framework/win/wnd.h"

namespace {

// Temporary wrappers of handles owned elsewhere, one per handle and thread; detached before
// deletion so the handle survives them.
template <class T, class H>
T* TempFor(H h) {
  struct Release {
    void operator()(T* p) const {
      p->Detach();
      delete p;
    }
  };
  thread_local std::map<H, std::unique_ptr<T, Release>> temps;
  if (!h) return nullptr;
  auto& slot = temps[h];
  if (!slot) {
    slot.reset(new T);
    slot->Attach(h);
  }
  return slot.get();
}

}  // namespace

CBrush* CBrush::FromHandle(HBRUSH h) { return TempFor<CBrush>(h); }
CBitmap* CBitmap::FromHandle(HBITMAP h) { return TempFor<CBitmap>(h); }
CDC* CDC::FromHandle(HDC h) { return TempFor<CDC>(h); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int width, int height) {
  return Attach(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, width, height));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
  HGDIOBJ old = ::SelectObject(m_hDC, pBitmap ? pBitmap->m_hObject : nullptr);
  return CBitmap::FromHandle(static_cast<HBITMAP>(old));
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
  HGDIOBJ old = ::SelectObject(m_hDC, pBrush ? pBrush->m_hObject : nullptr);
  return CBrush::FromHandle(static_cast<HBRUSH>(old));
}

void CDC::FillSolidRect(LPCRECT rc, COLORREF color) {
  HBRUSH brush = ::CreateSolidBrush(color);
  if (!brush) return;
  ::FillRect(m_hDC, rc, brush);
  ::DeleteObject(brush);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }
