#include "ui_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace uitest {

void EnsureCommonControls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&icc);
  done = true;
}

Canvas::Canvas(int width, int height) : m_width(width), m_height(height) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  m_bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  m_bits = static_cast<DWORD*>(bits);
  m_hdc = ::CreateCompatibleDC(nullptr);
  m_old = ::SelectObject(m_hdc, m_bmp);
}

Canvas::~Canvas() {
  ::SelectObject(m_hdc, m_old);
  ::DeleteDC(m_hdc);
  ::DeleteObject(m_bmp);
}

void Canvas::Fill(COLORREF c) {
  ::GdiFlush();
  DWORD v = (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
  for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = v;
}

COLORREF Canvas::Pixel(int x, int y) const {
  ::GdiFlush();
  DWORD v = m_bits[y * m_width + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Canvas::CountOther(int x0, int y0, int x1, int y1, COLORREF c) const {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (Pixel(x, y) != c) ++n;
  return n;
}

ProgressHost::ProgressHost(int width, int height, bool visible) {
  EnsureCommonControls();
  m_top = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, width + 40,
                            height + 40, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  m_bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 5, 5, width, height,
                            m_top, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

ProgressHost::~ProgressHost() { ::DestroyWindow(m_top); }

namespace {
struct ModalRun {
  CDialog* dlg;
  const std::function<void()>* body;
};
thread_local ModalRun* t_run = nullptr;

thread_local HWND t_watched = nullptr;

void CALLBACK OnWatchdog(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (t_watched && ::IsWindow(t_watched)) {
    ADD_FAILURE() << "dialog still open after 10 s";
    ::EndDialog(t_watched, -3);
  }
}

void CALLBACK OnModalTimer(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ModalRun* run = t_run;
  if (!run) return;
  t_run = nullptr;
  t_watched = run->dlg->m_hWnd;
  ::SetTimer(nullptr, 0, 10000, &OnWatchdog);
  (*run->body)();
  if (::testing::Test::HasFatalFailure() && run->dlg->m_hWnd) ::EndDialog(run->dlg->m_hWnd, -2);
}
}  // namespace

INT_PTR RunModal(CDialog& dlg, const std::function<void()>& body) {
  EnsureCommonControls();
  ModalRun run = {&dlg, &body};
  t_run = &run;
  // A thread timer: the modal loop dispatches it once the dialog is up.
  ::SetTimer(nullptr, 0, 20, &OnModalTimer);
  INT_PTR r = dlg.DoModal();
  t_run = nullptr;
  t_watched = nullptr;
  return r;
}

}  // namespace uitest
