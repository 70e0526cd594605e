// Helpers of the window and toolkit tests: a bitmap whose pixels can be read back exactly,
// a plain host window, and a way to act inside a running modal dialog.
#pragma once

#include <functional>

#include "framework/win/dialog.h"

namespace uitest {

// Registers the common control classes once (the progress bar's among them).
void EnsureCommonControls();

// A 32-bit top-down DIB selected into its own memory DC, so every pixel is exact.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return m_hdc; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  void Fill(COLORREF c);
  COLORREF Pixel(int x, int y) const;
  // Number of pixels in the rectangle [x0,x1) x [y0,y1) that are not `c`.
  int CountOther(int x0, int y0, int x1, int y1, COLORREF c) const;

 private:
  int m_width, m_height;
  HDC m_hdc = nullptr;
  HBITMAP m_bmp = nullptr;
  HGDIOBJ m_old = nullptr;
  DWORD* m_bits = nullptr;
};

// A top-level window with a native progress bar child of exactly the given client size (no
// border), for the toolkit's control to subclass. Hidden unless a test needs the screen:
// showing and destroying a window costs seconds under Wine.
class ProgressHost {
 public:
  ProgressHost(int width, int height, bool visible = false);
  ~ProgressHost();
  HWND Bar() const { return m_bar; }
  HWND Top() const { return m_top; }

 private:
  HWND m_top = nullptr;
  HWND m_bar = nullptr;
};

// Runs `dlg` modally and calls `body` once from inside its modal loop, after WM_INITDIALOG.
// After a fatal failure in `body` the dialog is ended with -2; one still open 10 s later is
// ended with -3, so a broken test cannot hang the run.
INT_PTR RunModal(CDialog& dlg, const std::function<void()>& body);

}  // namespace uitest
