#include <gtest/gtest.h>

#include <string>

#include "framework/win/controls.h"
#include "framework/win/dialog.h"
#include "test_ids.h"
#include "ui_test_support.h"

namespace {

// A window class whose own procedure answers 100 + n for WM_APP + n (n >= 3), so a test can
// see when a message went past the message map to the procedure that was replaced.
LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m >= WM_APP + 3 && m < WM_APP + 100) return 100 + LRESULT(m - WM_APP);
  return ::DefWindowProcW(h, m, w, l);
}

HWND MakePlainWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZentrelPlainTest";
    ::RegisterClassW(&wc);
    registered = true;
  }
  return ::CreateWindowExW(0, L"ZentrelPlainTest", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

class CBaseWnd : public CWnd {
 public:
  int clicks = 0, changes = 0, commands = 0;

 protected:
  LRESULT OnOne(WPARAM, LPARAM) { return 1; }
  LRESULT OnTwo(WPARAM w, LPARAM) { return 2000 + LRESULT(w); }
  void OnClicked() { ++clicks; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
  ON_MESSAGE(WM_APP + 1, &CBaseWnd::OnOne)
  ON_MESSAGE(WM_APP + 2, &CBaseWnd::OnTwo)
  ON_BN_CLICKED(7, &CBaseWnd::OnClicked)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
 protected:
  LRESULT OnOneAgain(WPARAM, LPARAM) { return 11; }
  // Passes the message in hand on and adds to the answer of the replaced procedure.
  LRESULT OnFour(WPARAM, LPARAM) { return Default() + 1000; }
  void OnChanged() { ++changes; }
  void OnCommand9() { ++commands; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
  ON_MESSAGE(WM_APP + 1, &CDerivedWnd::OnOneAgain)
  ON_MESSAGE(WM_APP + 4, &CDerivedWnd::OnFour)
  ON_EN_CHANGE(7, &CDerivedWnd::OnChanged)
  ON_COMMAND(9, &CDerivedWnd::OnCommand9)
END_MESSAGE_MAP()

TEST(WindowLayer, DerivedMapFirstThenBaseThenReplacedProcedure) {
  HWND h = MakePlainWindow();
  ASSERT_TRUE(h);
  {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(h));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(h));
    EXPECT_EQ(&wnd, CWnd::FromHandle(h));
    struct { UINT msg; WPARAM w; LRESULT want; const char* why; } rows[] = {
        {WM_APP + 1, 0, 11, "both maps name it: the derived one wins"},
        {WM_APP + 2, 5, 2005, "only the base names it"},
        {WM_APP + 3, 0, 103, "no map names it: the replaced procedure answers"},
        {WM_APP + 4, 0, 1104, "Default() hands the same message to the replaced procedure"},
    };
    for (auto& r : rows) EXPECT_EQ(r.want, ::SendMessageW(h, r.msg, r.w, 0)) << r.why;

    // Commands match on id and notification code.
    HWND ctl = h;  // any non-null handle: a control's notification
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(7, EN_CHANGE), reinterpret_cast<LPARAM>(ctl));
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(7, EN_SETFOCUS), reinterpret_cast<LPARAM>(ctl));
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(8, BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(9, 1), 0);  // an accelerator
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(9, EN_CHANGE), reinterpret_cast<LPARAM>(ctl));
    EXPECT_EQ(1, wnd.clicks);
    EXPECT_EQ(1, wnd.changes);
    EXPECT_EQ(1, wnd.commands);
  }
  // The object is gone: the window has its own procedure back.
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&PlainProc), ::GetWindowLongPtrW(h, GWLP_WNDPROC));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
  EXPECT_EQ(103, ::SendMessageW(h, WM_APP + 3, 0, 0));
  EXPECT_EQ(0, ::SendMessageW(h, WM_APP + 1, 0, 0));
  ::DestroyWindow(h);
}

TEST(WindowLayer, AttachRefusesTakenWindowsAndDestroyDetaches) {
  HWND h = MakePlainWindow();
  CDerivedWnd a, b;
  ASSERT_TRUE(a.SubclassWindow(h));
  EXPECT_FALSE(b.SubclassWindow(h));
  EXPECT_EQ(nullptr, b.m_hWnd);
  ::DestroyWindow(h);
  EXPECT_EQ(nullptr, a.m_hWnd);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
}

// A control member that counts the paints its message map receives.
class CPaintCounter : public CWnd {
 public:
  int paints = 0;

 protected:
  void OnPaint() {
    CPaintDC dc(this);
    ++paints;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintCounter, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

class CDdxDlg : public CDialog {
 public:
  CDdxDlg() : CDialog(IDD_PLAIN) {}
  CPaintCounter m_bar;
  CComboBox m_combo;
  CWnd m_list;
  int exchanges = 0;
  int oks = 0;

  void DoDataExchange(CDataExchange* pDX) override {
    ++exchanges;
    DDX_Control(pDX, IDC_PROGRESS, m_bar);
    DDX_Control(pDX, IDC_COMBO, m_combo);
    DDX_Control(pDX, IDC_LIST, m_list);
  }
  void OnOK() override {
    ++oks;
    CDialog::OnOK();
  }
};

TEST(WindowLayer, DdxControlSubclassesOnceSoTheMemberGetsPaint) {
  CDdxDlg dlg;
  INT_PTR r = uitest::RunModal(dlg, [&] {
    EXPECT_EQ(1, dlg.exchanges) << "OnInitDialog runs UpdateData(FALSE) once";
    HWND hBar = ::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS);
    EXPECT_EQ(hBar, dlg.m_bar.m_hWnd);
    EXPECT_EQ(&dlg.m_bar, CWnd::FromHandlePermanent(hBar));
    EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(dlg.m_hWnd));
    int before = dlg.m_bar.paints;
    ::InvalidateRect(hBar, nullptr, TRUE);
    ::UpdateWindow(hBar);
    EXPECT_EQ(before + 1, dlg.m_bar.paints);

    // A second exchange must not subclass again: a message the member's map lacks still
    // reaches the native control (a doubled subclass would loop forever here).
    dlg.UpdateData(FALSE);
    EXPECT_EQ(2, dlg.exchanges);
    ::SendMessageW(hBar, PBM_SETPOS, 30, 0);
    EXPECT_EQ(30, ::SendMessageW(hBar, PBM_GETPOS, 0, 0));
    dlg.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, r);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_EQ(nullptr, dlg.m_bar.m_hWnd) << "the control's destruction detaches the member";
}

TEST(WindowLayer, ExecuteDlgInitFillsControlsFromTheTemplateResource) {
  CDdxDlg dlg;
  uitest::RunModal(dlg, [&] {
    // Sorted list: "*.*" < ".txt..." < the two Chinese characters (decoded from GBK).
    ASSERT_EQ(3, dlg.m_combo.GetCount());
    CString item;
    dlg.m_combo.GetLBText(0, item);
    EXPECT_TRUE(item == L"*.*");
    dlg.m_combo.GetLBText(1, item);
    EXPECT_TRUE(item == L".txt|.html|.htm|.cpp|.h");
    dlg.m_combo.GetLBText(2, item);
    EXPECT_TRUE(item == L"\x4E2D\x6587");
    dlg.m_combo.GetLBText(7, item);
    EXPECT_TRUE(item.IsEmpty());
    ASSERT_EQ(1, dlg.m_list.SendMessage(LB_GETCOUNT));
    WCHAR buf[16] = {};
    dlg.m_list.SendMessage(LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buf));
    EXPECT_EQ(std::wstring(L"alpha"), buf);
    dlg.EndDialog(IDCANCEL);
  });
}

// Initialisation records built byte by byte: {id, message, length} then the bytes.
std::string Record(WORD id, WORD msg, const std::string& bytes, DWORD len = 0xFFFFFFFF) {
  if (len == 0xFFFFFFFF) len = DWORD(bytes.size());
  std::string r(8, '\0');
  memcpy(&r[0], &id, 2);
  memcpy(&r[2], &msg, 2);
  memcpy(&r[4], &len, 4);
  return r + bytes;
}
const std::string kEnd("\0\0", 2);

TEST(WindowLayer, ExecuteDlgInitDataTable) {
  struct Case {
    const char* what;
    std::string data;
    BOOL ok;
    int comboItems;
  };
  const Case cases[] = {
      {"new-style CB_ADDSTRING", Record(IDC_COMBO, CB_ADDSTRING, std::string("ab\0", 3)) + kEnd, TRUE, 1},
      {"old 16-bit 0x0403, two records", Record(IDC_COMBO, 0x0403, std::string("a\0", 2)) +
                                             Record(IDC_COMBO, 0x0403, std::string("b\0", 2)) + kEnd, TRUE, 2},
      {"text without its zero ends at the record", Record(IDC_COMBO, 0x0403, "abc") + kEnd, TRUE, 1},
      {"other messages are passed over", Record(IDC_COMBO, WM_SETTEXT, std::string("x\0", 2)) + kEnd, TRUE, 0},
      {"only the terminator", kEnd, TRUE, 0},
      {"missing terminator", Record(IDC_COMBO, 0x0403, std::string("a\0", 2)), FALSE, 1},
      {"length runs past the end", Record(IDC_COMBO, 0x0403, std::string("a\0", 2), 50) + kEnd, FALSE, 0},
      {"truncated header", std::string("\xCB\x00\x03", 3), FALSE, 0},
  };
  CDialog dlg(IDD_BARE);
  uitest::RunModal(dlg, [&] {
    HWND combo = ::GetDlgItem(dlg.m_hWnd, IDC_COMBO);
    EXPECT_EQ(0, ::SendMessageW(combo, CB_GETCOUNT, 0, 0)) << "IDD_BARE has no initialisation data";
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
      EXPECT_EQ(c.ok, dlg.ExecuteDlgInitData(c.data.data(), c.data.size()));
      EXPECT_EQ(c.comboItems, ::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    }
    // A zero byte inside the text ends it.
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    std::string d = Record(IDC_COMBO, CB_ADDSTRING, std::string("ab\0cd", 5)) + kEnd;
    dlg.ExecuteDlgInitData(d.data(), d.size());
    WCHAR buf[8] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buf));
    EXPECT_EQ(std::wstring(L"ab"), buf);
    dlg.EndDialog(IDCANCEL);
  });
}

class CClickDlg : public CDialog {
 public:
  CClickDlg() : CDialog(IDD_PLAIN) {}
  int clicks = 0, oks = 0;
  void OnOK() override {
    ++oks;
    CDialog::OnOK();
  }

 protected:
  void OnBnClickedOk() { ++clicks; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClickDlg, CDialog)
  ON_BN_CLICKED(IDOK, &CClickDlg::OnBnClickedOk)
END_MESSAGE_MAP()

TEST(WindowLayer, OkEntryTakesIdokOverAndCancelStillEnds) {
  CClickDlg dlg;
  INT_PTR r = uitest::RunModal(dlg, [&] {
    HWND ok = ::GetDlgItem(dlg.m_hWnd, IDOK);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    // A real click on the button, through the button's own procedure.
    ::SendMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(2, dlg.clicks);
    EXPECT_EQ(0, dlg.oks);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDCANCEL)));
  });
  EXPECT_EQ(IDCANCEL, r);
  EXPECT_EQ(0, dlg.oks);
}

TEST(WindowLayer, WithoutAnEntryIdokRunsOnOk) {
  CDdxDlg dlg;
  INT_PTR r = uitest::RunModal(dlg, [&] {
    ::SendMessageW(::GetDlgItem(dlg.m_hWnd, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(IDOK, r);
  EXPECT_EQ(1, dlg.oks);
}

TEST(WindowLayer, CloseBoxCancels) {
  CDdxDlg dlg;
  INT_PTR r = uitest::RunModal(dlg, [&] { dlg.SendMessage(WM_CLOSE); });
  EXPECT_EQ(IDCANCEL, r);
}

TEST(WindowLayer, MissingTemplateFails) {
  CDialog dlg(4242);
  EXPECT_EQ(-1, dlg.DoModal());
}

}  // namespace
