// Device contexts and GDI objects. Like the window classes, a wrapper owns what it holds: a
// CGdiObject deletes its object and a CDC deletes its device context when destroyed, unless
// they were detached first. FromHandle hands out temporary wrappers that own nothing.
#pragma once

#include "platform/platform.h"

class CWnd;

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ m_hObject = nullptr;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ h) {
    if (m_hObject || !h) return FALSE;
    m_hObject = h;
    return TRUE;
  }
  HGDIOBJ Detach() {
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
  }
  BOOL DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
  }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  static CBrush* FromHandle(HBRUSH h);
};

class CDC;

class CBitmap : public CGdiObject {
 public:
  BOOL CreateCompatibleBitmap(CDC* pDC, int width, int height);
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  static CBitmap* FromHandle(HBITMAP h);
};

class CDC {
 public:
  CDC() = default;
  virtual ~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
  }
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  BOOL Attach(HDC h) {
    if (m_hDC || !h) return FALSE;
    m_hDC = h;
    return TRUE;
  }
  HDC Detach() {
    HDC h = m_hDC;
    m_hDC = nullptr;
    return h;
  }
  // A temporary wrapper for a handle that someone else owns; good until the thread ends.
  static CDC* FromHandle(HDC h);

  BOOL CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }
  BOOL DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
  }

  CBitmap* SelectObject(CBitmap* pBitmap);
  CBrush* SelectObject(CBrush* pBrush);
  HGDIOBJ SelectObject(HGDIOBJ h) { return ::SelectObject(m_hDC, h); }

  // A null brush paints nothing.
  void FillRect(LPCRECT rc, CBrush* pBrush) {
    HBRUSH h = pBrush ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr;
    if (h) ::FillRect(m_hDC, rc, h);
  }
  // Leaves the context's colours as they were.
  void FillSolidRect(LPCRECT rc, COLORREF color);
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  int GetBkMode() const { return ::GetBkMode(m_hDC); }
  int GetClipBox(LPRECT rc) const { return ::GetClipBox(m_hDC, rc); }
  POINT SetWindowOrg(int x, int y) {
    POINT old = {0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
  }
  BOOL BitBlt(int x, int y, int width, int height, CDC* pSrc, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, rop);
  }
  BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
};

// Painting inside WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 protected:
  HWND m_hWnd;
};

// The client area's device context outside WM_PAINT.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd;
};
