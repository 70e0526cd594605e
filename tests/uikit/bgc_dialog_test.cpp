#include "uikit/bgc_dialog.h"

#include <gtest/gtest.h>

#include "test_ids.h"
#include "ui_test_support.h"
#include "uikit/gradient_progress.h"

namespace {

using uitest::Canvas;

class CTestBGCDlg : public CMyBGCDlg {
 public:
  CTestBGCDlg() : CMyBGCDlg(IDD_PLAIN) {}
  int erasesSeenByMap = 0;
  int paints = 0;
  CGradientProgressCtrl m_progress;

  BOOL OnInitDialog() override {
    CMyBGCDlg::OnInitDialog();
    m_progress.m_clrStart = 0x000000FF;
    m_progress.m_clrEnd = 0x0000FFFF;
    m_progress.m_clrBarBackground = 0x00EAE8C8;
    m_progress.SetRange(0, 1000);
    m_progress.StepIt();
    return TRUE;
  }
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PROGRESS, m_progress); }

 protected:
  LRESULT OnEraseSeen(WPARAM, LPARAM) {
    ++erasesSeenByMap;
    return 0;
  }
  void OnPaint() {
    ++paints;
    PaintDialog();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestBGCDlg, CMyBGCDlg)
  ON_WM_PAINT()
  ON_WM_CTLCOLOR()
  ON_MESSAGE(WM_ERASEBKGND, &CTestBGCDlg::OnEraseSeen)
END_MESSAGE_MAP()

TEST(BGCDialog, EraseFillsTheClientAreaWithTheChosenColour) {
  struct { COLORREF preset, shown; const char* what; } cases[] = {
      {0xFFFFFFFF, 0x00B4C0C8, "no colour chosen"},
      {0x00000000, 0x00000000, "black is a colour"},
      {0x00123456, 0x00123456, "any other colour unchanged"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    HBRUSH brush = nullptr;
    {
    CTestBGCDlg dlg;
    dlg.m_clrBackground = c.preset;
    uitest::RunModal(dlg, [&] {
      EXPECT_EQ(c.shown, dlg.m_clrBackground);
      brush = static_cast<HBRUSH>(dlg.m_brBackground.GetSafeHandle());
      LOGBRUSH lb = {};
      ASSERT_TRUE(::GetObjectW(brush, sizeof(lb), &lb));
      EXPECT_EQ(c.shown, lb.lbColor);

      RECT rc;
      ::GetClientRect(dlg.m_hWnd, &rc);
      Canvas canvas(rc.right + 10, rc.bottom + 10);  // larger: the fill stops at the client area
      canvas.Fill(RGB(1, 2, 3));
      LRESULT r = dlg.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()));
      EXPECT_EQ(1, r);
      EXPECT_EQ(0, canvas.CountOther(0, 0, rc.right, rc.bottom, c.shown));
      EXPECT_EQ(0, canvas.CountOther(rc.right, 0, rc.right + 10, rc.bottom + 10, RGB(1, 2, 3)));
      EXPECT_EQ(0, dlg.erasesSeenByMap) << "WM_ERASEBKGND never reaches the derived map";

      // A real repaint of the whole window goes the same way.
      ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      EXPECT_EQ(0, dlg.erasesSeenByMap);
      EXPECT_GE(dlg.paints, 1) << "WM_PAINT reaches the derived map";
      // The screen shows the colour where no control covers the client area.
      HDC hdc = ::GetDC(dlg.m_hWnd);
      EXPECT_EQ(c.shown, ::GetPixel(hdc, 3, rc.bottom - 3));
      EXPECT_EQ(c.shown, ::GetPixel(hdc, rc.right - 3, 3));
      ::ReleaseDC(dlg.m_hWnd, hdc);
      dlg.EndDialog(IDCANCEL);
    });
    EXPECT_NE(0u, ::GetObjectType(brush)) << "the brush lives as long as the dialog object";
    }
    ASSERT_TRUE(brush);
    EXPECT_EQ(0u, ::GetObjectType(brush)) << "the dialog object took its brush with it";
  }
}

struct DcState {
  COLORREF text, bk;
  int mode;
};

TEST(BGCDialog, ControlColoursByCategory) {
  const COLORREF kBack = 0x00123456;
  const DcState kBefore = {RGB(7, 8, 9), RGB(10, 11, 12), OPAQUE};
  struct { UINT msg; DcState after; const char* what; } rows[] = {
      {WM_CTLCOLORMSGBOX, {kBefore.text, kBack, OPAQUE}, "message box: background colour only"},
      {WM_CTLCOLORLISTBOX, {kBefore.text, kBack, OPAQUE}, "list box: background colour only"},
      {WM_CTLCOLORBTN, {0x0000FFFF, kBefore.bk, OPAQUE}, "button: text colour only"},
      {WM_CTLCOLORDLG, {kBefore.text, kBack, OPAQUE}, "dialog: background colour only"},
      {WM_CTLCOLORSCROLLBAR, {0x00FF0000, kBack, TRANSPARENT}, "scroll bar: transparent, blue text"},
      {WM_CTLCOLORSTATIC, {0x00C87A00, kBack, OPAQUE}, "static: text and background, stays opaque"},
  };
  CTestBGCDlg dlg;
  dlg.m_clrBackground = kBack;
  uitest::RunModal(dlg, [&] {
    HWND child = ::GetDlgItem(dlg.m_hWnd, IDC_LABEL);
    HBRUSH background = static_cast<HBRUSH>(dlg.m_brBackground.GetSafeHandle());
    Canvas canvas(4, 4);
    auto prepare = [&] {
      ::SetTextColor(canvas.Dc(), kBefore.text);
      ::SetBkColor(canvas.Dc(), kBefore.bk);
      ::SetBkMode(canvas.Dc(), kBefore.mode);
    };
    for (auto& row : rows) {
      SCOPED_TRACE(row.what);
      prepare();
      LRESULT r = dlg.SendMessage(row.msg, reinterpret_cast<WPARAM>(canvas.Dc()),
                                  reinterpret_cast<LPARAM>(child));
      EXPECT_EQ(reinterpret_cast<LRESULT>(background), r);
      EXPECT_EQ(row.after.text, ::GetTextColor(canvas.Dc()));
      EXPECT_EQ(row.after.bk, ::GetBkColor(canvas.Dc()));
      EXPECT_EQ(row.after.mode, ::GetBkMode(canvas.Dc()));
    }

    // Edit boxes get exactly what the default procedure gives them.
    HWND edit = ::GetDlgItem(dlg.m_hWnd, IDC_EDIT);
    Canvas reference(4, 4);
    ::SetTextColor(reference.Dc(), kBefore.text);
    ::SetBkColor(reference.Dc(), kBefore.bk);
    ::SetBkMode(reference.Dc(), kBefore.mode);
    LRESULT standard = ::DefWindowProcW(dlg.m_hWnd, WM_CTLCOLOREDIT,
                                        reinterpret_cast<WPARAM>(reference.Dc()),
                                        reinterpret_cast<LPARAM>(edit));
    prepare();
    LRESULT r = dlg.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.Dc()),
                                reinterpret_cast<LPARAM>(edit));
    EXPECT_NE(reinterpret_cast<LRESULT>(background), r);
    EXPECT_EQ(standard, r);
    EXPECT_EQ(::GetTextColor(reference.Dc()), ::GetTextColor(canvas.Dc()));
    EXPECT_EQ(::GetBkColor(reference.Dc()), ::GetBkColor(canvas.Dc()));
    EXPECT_EQ(::GetBkMode(reference.Dc()), ::GetBkMode(canvas.Dc()));

    // A category no message carries is treated like the dialog's own.
    prepare();
    CDC* pDC = CDC::FromHandle(canvas.Dc());
    EXPECT_EQ(background, dlg.OnCtlColor(pDC, nullptr, 7));
    EXPECT_EQ(kBefore.text, ::GetTextColor(canvas.Dc()));
    EXPECT_EQ(kBack, ::GetBkColor(canvas.Dc()));
    dlg.EndDialog(IDCANCEL);
  });
}

TEST(BGCDialog, MainDialogBarStartsAtOneOfAThousand) {
  // The bar wired as the main dialog wires it: attached by DDX_Control, coloured, ranged,
  // stepped once. Its picture: the first band in the start colour, the rest background.
  CTestBGCDlg dlg;
  uitest::RunModal(dlg, [&] {
    EXPECT_EQ(1, dlg.m_progress.GetPosition());
    RECT rc;
    dlg.m_progress.GetClientRect(&rc);
    ASSERT_GT(rc.right, 255);
    Canvas canvas(rc.right, rc.bottom);
    canvas.Fill(RGB(1, 2, 3));
    dlg.m_progress.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    int firstBand = int(float(double(rc.right) / 255));  // band 0 ends here
    EXPECT_EQ(0, canvas.CountOther(0, 0, firstBand, rc.bottom, 0x000000FF));
    EXPECT_EQ(0, canvas.CountOther(firstBand, 0, rc.right, rc.bottom, 0x00EAE8C8));
    dlg.EndDialog(IDCANCEL);
  });
}

}  // namespace
