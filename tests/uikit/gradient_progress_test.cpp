#include "uikit/gradient_progress.h"

#include <gtest/gtest.h>

#include <functional>

#include "ui_test_support.h"
#include "uikit/mem_dc.h"

namespace {

using uitest::Canvas;
using uitest::ProgressHost;

const COLORREF kSentinel = RGB(1, 2, 3);  // what the target held before the paint
const COLORREF kMainStart = 0x000000FF, kMainEnd = 0x0000FFFF, kMainBack = 0x00EAE8C8;

struct Bar {
  ProgressHost host;
  CGradientProgressCtrl ctl;
  Bar(int width, int height, bool visible = false) : host(width, height, visible) { EXPECT_TRUE(ctl.SubclassWindow(host.Bar())); }
};

// Paints the bar through WM_PRINTCLIENT into a canvas of its client size that starts out as
// kSentinel; returns how many off-screen copies the paint made.
int PaintInto(Bar& bar, Canvas& canvas) {
  canvas.Fill(kSentinel);
  int before = CmyMemDC::s_nBlitCount;
  bar.ctl.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  return CmyMemDC::s_nBlitCount - before;
}

const COLORREF kAny = CLR_INVALID;  // a column whose colour a case does not fix

// First column whose pixels are not all `expect(x)`, or -1. A kAny column may hold anything
// but the sentinel: the paint must cover the whole target.
int FirstBadColumn(const Canvas& c, const std::function<COLORREF(int)>& expect, COLORREF* got) {
  for (int x = 0; x < c.Width(); ++x)
    for (int y = 0; y < c.Height(); ++y)
      if (expect(x) == kAny ? c.Pixel(x, y) == kSentinel : c.Pixel(x, y) != expect(x)) {
        *got = c.Pixel(x, y);
        return x;
      }
  return -1;
}

struct PaintCase {
  const char* what;
  int width;
  COLORREF start, end, back;
  int lower, upper, pos;
  std::function<COLORREF(int)> expect;
  int blits;  // off-screen copies expected
};

TEST(GradientProgress, PaintsBandsAndBackgroundByPosition) {
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF back = RGB(0x12, 0x34, 0x56);
  const PaintCase cases[] = {
      {"1 of 1000 on a wide bar: only the first band, then background", 300, kMainStart, kMainEnd,
       kMainBack, 0, 1000, 1, [](int x) { return x == 0 ? kMainStart : kMainBack; }, 1},
      {"999 of 1000, main colours, 2-pixel bands: green rises 0..254", 510, kMainStart, kMainEnd,
       kMainBack, 0, 1000, 999, [](int x) { return RGB(255, x / 2, 0); }, 1},
      {"500 of 1000: the band passing pixel 255 is drawn whole", 510, kMainStart, kMainEnd, kMainBack,
       0, 1000, 500, [](int x) { return x < 256 ? RGB(255, x / 2, 0) : kMainBack; }, 1},
      {"321 wide at 999: the last band ends one pixel short; that pixel is background", 321,
       kMainStart, kMainEnd, kMainBack, 0, 1000, 999,
       [](int x) { return x == 320 ? kMainBack : x == 319 ? RGB(255, 254, 0) : x == 0 ? kMainStart : kAny; },
       1},
      {"narrow bar, red to blue: bands 0 and 1 are empty, band 2 shows", 100, 0x000000FF, 0x00FF0000,
       back, 0, 1000, 1, [back](int x) { return x == 0 ? RGB(253, 0, 2) : back; }, 1},
      {"equal start and end colours: no band, all background", 200, RGB(0x33, 0x66, 0x99),
       RGB(0x33, 0x66, 0x99), back, 0, 1000, 500, [back](int) { return back; }, 1},
      {"position at the lower end: button face", 200, kMainStart, kMainEnd, back, 0, 1000, 0,
       [face](int) { return face; }, 0},
      {"position at the upper end: button face", 200, kMainStart, kMainEnd, back, 0, 1000, 1000,
       [face](int) { return face; }, 0},
      {"position below the range: button face", 200, kMainStart, kMainEnd, back, 10, 1000, 5,
       [face](int) { return face; }, 0},
      {"position above the range: button face", 200, kMainStart, kMainEnd, back, 0, 1000, 1001,
       [face](int) { return face; }, 0},
      {"the lower end stays out of the fraction: 60 of 50..100 covers 60%", 255, 0x00000000,
       0x00FFFFFF, back, 50, 100, 60,
       [back](int x) { return x <= 153 ? RGB(x, x, x) : back; }, 1},
  };
  for (const PaintCase& c : cases) {
    SCOPED_TRACE(c.what);
    Bar bar(c.width, 6);
    bar.ctl.m_clrStart = c.start;
    bar.ctl.m_clrEnd = c.end;
    bar.ctl.m_clrBarBackground = c.back;
    bar.ctl.SetRange(c.lower, c.upper);
    bar.ctl.SetPos(c.pos);
    Canvas canvas(c.width, 6);
    EXPECT_EQ(c.blits, PaintInto(bar, canvas));
    COLORREF got = 0;
    int x = FirstBadColumn(canvas, c.expect, &got);
    EXPECT_EQ(-1, x) << "column " << x << " is 0x" << std::hex << got << ", expected 0x"
                     << (x >= 0 ? c.expect(x) : 0);
  }
}

TEST(GradientProgress, BandColourDoesNotDependOnPosition) {
  Bar bar(510, 4);
  bar.ctl.m_clrStart = kMainStart;
  bar.ctl.m_clrEnd = kMainEnd;
  bar.ctl.m_clrBarBackground = kMainBack;
  bar.ctl.SetRange(0, 1000);
  Canvas whole(510, 4), part(510, 4);
  bar.ctl.SetPos(999);
  PaintInto(bar, whole);
  for (int pos : {100, 400, 800}) {
    bar.ctl.SetPos(pos);
    PaintInto(bar, part);
    int edge = 0;
    while (edge < 510 && part.Pixel(edge, 0) != kMainBack) ++edge;
    EXPECT_GT(edge, 0);
    for (int x = 0; x < edge; ++x) ASSERT_EQ(whole.Pixel(x, 0), part.Pixel(x, 0)) << pos << " " << x;
    // The background begins at most one band (2 pixels) beyond the position's share.
    int share = int(float(pos / 1000.0 * 510));
    EXPECT_GT(edge, share) << pos;
    EXPECT_LE(edge, share + 2) << pos;
  }
}

TEST(GradientProgress, OffscreenCopyCoversOnlyTheClipBox) {
  // A target whose clip box does not start at the origin: the copy lands in the same place
  // and nothing outside the clip box changes.
  Bar bar(510, 6);
  bar.ctl.m_clrStart = kMainStart;
  bar.ctl.m_clrEnd = kMainEnd;
  bar.ctl.m_clrBarBackground = kMainBack;
  bar.ctl.SetRange(0, 1000);
  bar.ctl.SetPos(999);
  Canvas canvas(510, 6);
  canvas.Fill(kSentinel);
  ::IntersectClipRect(canvas.Dc(), 100, 2, 300, 5);
  int before = CmyMemDC::s_nBlitCount;
  bar.ctl.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(1, CmyMemDC::s_nBlitCount - before);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 510; ++x) {
      bool inside = x >= 100 && x < 300 && y >= 2 && y < 5;
      COLORREF want = inside ? RGB(255, x / 2, 0) : kSentinel;
      ASSERT_EQ(want, canvas.Pixel(x, y)) << x << "," << y;
    }
}

TEST(GradientProgress, EraseDrawsNothingAndAnswersOne) {
  Bar bar(200, 6);
  bar.ctl.SetRange(0, 100);
  bar.ctl.SetPos(50);
  Canvas canvas(200, 6);
  canvas.Fill(kSentinel);
  LRESULT r = bar.ctl.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()));
  EXPECT_EQ(1, r);
  EXPECT_EQ(0, canvas.CountOther(0, 0, 200, 6, kSentinel));
}

TEST(GradientProgress, RealPaintMakesOneCopyToTheScreen) {
  Bar bar(300, 8, true);
  bar.ctl.m_clrStart = kMainStart;
  bar.ctl.m_clrEnd = kMainEnd;
  bar.ctl.m_clrBarBackground = kMainBack;
  bar.ctl.SetRange(0, 1000);
  bar.ctl.StepIt();
  ::UpdateWindow(bar.host.Top());
  int before = CmyMemDC::s_nBlitCount;
  ::InvalidateRect(bar.host.Bar(), nullptr, TRUE);
  ::UpdateWindow(bar.host.Bar());
  EXPECT_EQ(1, CmyMemDC::s_nBlitCount - before);
  // What reached the window: read it back from the window's own device context.
  Canvas canvas(300, 8);
  canvas.Fill(kSentinel);
  HDC hdc = ::GetDC(bar.host.Bar());
  ::BitBlt(canvas.Dc(), 0, 0, 300, 8, hdc, 0, 0, SRCCOPY);
  ::ReleaseDC(bar.host.Bar(), hdc);
  EXPECT_EQ(kMainStart, canvas.Pixel(0, 4));
  EXPECT_EQ(0, canvas.CountOther(1, 0, 300, 8, kMainBack));
}

TEST(GradientProgress, KeepsItsOwnCopyAndTellsTheNativeControl) {
  Bar bar(200, 6);
  CGradientProgressCtrl& p = bar.ctl;
  EXPECT_EQ(0, p.GetLower());
  EXPECT_EQ(100, p.GetUpper());
  EXPECT_EQ(1, p.GetStep());
  EXPECT_EQ(0, p.GetPosition());

  struct RangeCase {
    int lower, upper;
    int nativeLower, nativeUpper;  // what PBM_GETRANGE reads back
  } ranges[] = {
      {0, 1000, 0, 1000},
      {3, 70000, 3, 70000 & 0xFFFF},
      {65536 + 7, 2 * 65536 + 9, 7, 9},
  };
  for (const RangeCase& c : ranges) {
    SCOPED_TRACE(c.upper);
    p.SetPos(c.lower + 1);
    int oldLower = 0, oldUpper = 0;
    p.GetRange(oldLower, oldUpper);
    int prev = p.SetRange(c.lower, c.upper);
    // PBM_SETRANGE answers the previous range, low word the lower end.
    EXPECT_EQ(MAKELONG(oldLower, oldUpper), prev);
    EXPECT_EQ(c.lower, p.GetLower());
    EXPECT_EQ(c.upper, p.GetUpper());
    EXPECT_EQ(c.lower, p.GetPosition()) << "SetRange moves the position to the lower end";
    int nl = 0, nu = 0;
    p.GetRange(nl, nu);
    EXPECT_EQ(c.nativeLower, nl);
    EXPECT_EQ(c.nativeUpper, nu);
  }

  // Position: ours whole, the native control's from PBM_SETPOS.
  p.SetRange(0, 1000);
  int nativeBefore = p.GetPos();  // PBM_SETRANGE clamps the native position but does not reset it
  int prev = p.SetPos(400);
  EXPECT_EQ(nativeBefore, prev);
  EXPECT_EQ(400, p.GetPosition());
  EXPECT_EQ(400, p.GetPos());

  // StepIt adds our step of 1; the native control steps by its own default of 10.
  prev = p.StepIt();
  EXPECT_EQ(400, prev);
  EXPECT_EQ(401, p.GetPosition());
  EXPECT_EQ(410, p.GetPos());
}

TEST(GradientProgress, StepItNeitherWrapsNorClamps) {
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  struct { int from, after; } cases[] = {{1000, 1001}, {999, 1000}};
  for (auto c : cases) {
    SCOPED_TRACE(c.from);
    Bar bar(200, 6);
    bar.ctl.m_clrBarBackground = RGB(9, 9, 9);
    bar.ctl.SetRange(0, 1000);
    bar.ctl.SetPos(c.from);
    bar.ctl.StepIt();
    EXPECT_EQ(c.after, bar.ctl.GetPosition());
    Canvas canvas(200, 6);
    PaintInto(bar, canvas);
    EXPECT_EQ(0, canvas.CountOther(0, 0, 200, 6, face));
  }
}

}  // namespace
