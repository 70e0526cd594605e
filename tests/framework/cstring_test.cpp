#include <gtest/gtest.h>

#include "framework/collections.h"
#include "tests/support/test_support.h"

using ztest::Utf8;

TEST(CString, ReplaceIsLeftToRightWithoutRescanning) {
  struct Row {
    const WCHAR* text;
    const WCHAR* from;
    const WCHAR* to;
    const WCHAR* out;
    int count;
  } rows[] = {
      {_T("abcabc"), _T("abc"), _T("xyz"), _T("xyzxyz"), 2},
      {_T("aaa"), _T("aa"), _T("b"), _T("ba"), 1},            // no overlap
      {_T("aa"), _T("a"), _T("aa"), _T("aaaa"), 2},           // inserted text not searched
      {_T("abc"), _T(""), _T("x"), _T("abc"), 0},             // empty old text: nothing
      {_T(""), _T("a"), _T("b"), _T(""), 0},
      {_T("ABC abc"), _T("abc"), _T(""), _T("ABC "), 1},      // case significant
      {_T("中文中"), _T("中"), _T("zh"), _T("zh文zh"), 2},
  };
  for (const Row& r : rows) {
    CString s(r.text);
    EXPECT_EQ(s.Replace(r.from, r.to), r.count) << Utf8(r.text);
    EXPECT_EQ(s, r.out) << Utf8(r.text);
  }
}

TEST(CString, KeepsZeroUnitsInsideAndCutsThePointerThere) {
  const WCHAR raw[] = {'a', 0, 'b'};
  CString s(raw, 3);
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_EQ(lstrlenW(s), 1);
  s.Replace(_T("b"), _T("c"));
  EXPECT_EQ(s.GetAt(2), WCHAR('c'));
  EXPECT_EQ(s.GetAt(1), WCHAR(0));
}

TEST(CString, CaseMappingTouchesOnlyAtoZ) {
  CString s(_T("ÀBÇ Straße ÄÖÜ XyZ"));
  EXPECT_EQ(CString(s).MakeLower(), _T("ÀbÇ straße ÄÖÜ xyz"));
  EXPECT_EQ(CString(s).MakeUpper(), _T("ÀBÇ STRAßE ÄÖÜ XYZ"));
}

TEST(CString, FormatAndSlices) {
  CString s;
  s.Format(_T("File:%s Line:%d"), _T("\\a\\b.txt"), 42);
  EXPECT_EQ(s, _T("File:\\a\\b.txt Line:42"));
  struct Row {
    const WCHAR* fmt;
    int v;
    const WCHAR* out;
  } rows[] = {{_T("%02d"), 7, _T("07")},     {_T("%03d"), 7, _T("007")},   {_T("%05d"), 7, _T("00007")},
              {_T("%02d"), 123, _T("123")},  {_T("%d"), -5, _T("-5")},     {_T("%d%%"), 5, _T("5%")},
              {_T("%04d"), -12, _T("-012")}, {_T("[%3d]"), 5, _T("[  5]")}};
  for (const Row& r : rows) {
    s.Format(r.fmt, r.v);
    EXPECT_EQ(s, r.out) << Utf8(r.fmt);
  }
  CString t(_T("abcdef"));
  EXPECT_EQ(t.Left(2), _T("ab"));
  EXPECT_EQ(t.Right(2), _T("ef"));
  EXPECT_EQ(t.Mid(4), _T("ef"));
  EXPECT_EQ(t.Mid(1, 2), _T("bc"));
  EXPECT_EQ(t.Mid(9), _T(""));
  EXPECT_EQ(t.Find(_T("cd")), 2);
  EXPECT_EQ(t.Find(_T("")), -1);
  EXPECT_EQ(t.ReverseFind(WCHAR('z')), -1);
}

TEST(CString, OrderIsUnsignedCodeUnits) {
  CStringSet set;
  set.insert(_T("b"));
  set.insert(_T("B"));
  set.insert(_T("\\"));
  set.insert(_T("中"));
  set.insert(_T("b"));
  std::vector<CString> v(set.begin(), set.end());
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0], _T("B"));
  EXPECT_EQ(v[1], _T("\\"));
  EXPECT_EQ(v[2], _T("b"));
  EXPECT_EQ(v[3], _T("中"));
}
