#include "engine/summary.h"

#include <cstdlib>

#include "engine/batch_job.h"
#include "engine/collect.h"
#include "engine/data_folder.h"
#include "tests/engine/engine_fixture.h"

using namespace ztest;

TEST(NaturalLess, Order) {
  // Each row: a sorts strictly before b.
  struct Row {
    const WCHAR* a;
    const WCHAR* b;
  } rows[] = {
      {_T("File:\\a.txt"), _T("File:\\a.txt Line:2")},          // the name line first
      {_T("File:\\a.txt Line:2"), _T("File:\\a.txt Line:10")},  // first digits differ: by value
      {_T("File:\\a.txt Line:9"), _T("File:\\a.txt Line:10")},
      {_T("File:\\a.txt Line:1000"), _T("File:\\a.txt Line:15")},  // from the first differing digit
      {_T("File:\\b2.txt Line:1"), _T("File:\\b10.txt Line:1")},
      {_T("File:\\B.txt"), _T("File:\\b.txt")},                   // capitals first
      {_T("File:\\Z"), _T("File:\\\\")},                          // backslash after capitals
      {_T("File:\\\\"), _T("File:\\a")},                          // and before small letters
      {_T("x"), _T("x1")},
  };
  for (const Row& r : rows) {
    EXPECT_TRUE(NaturalLess(r.a, r.b)) << Utf8(r.a) << " < " << Utf8(r.b);
    EXPECT_FALSE(NaturalLess(r.b, r.a)) << Utf8(r.b) << " !< " << Utf8(r.a);
  }
  EXPECT_FALSE(NaturalLess(_T("a1"), _T("a1")));
  // Numbers past the largest 32-bit value all count as that value, so neither comes first.
  EXPECT_FALSE(NaturalLess(_T("x2147483647"), _T("x9999999999a")));
  EXPECT_FALSE(NaturalLess(_T("x9999999999a"), _T("x2147483647")));
  EXPECT_FALSE(NaturalLess(_T("a01"), _T("a1x"))); // 01 and 1 are the same number
  EXPECT_FALSE(NaturalLess(_T("a1x"), _T("a01")));
}

using Summary = SummaryFileTest;

TEST_F(Summary, DataFolderIsMadeOnFirstUse) {
  CString folder = GetDataFilePath(_T(""));
  EXPECT_EQ(folder.Right(7), _T("\\Morlix"));
  EXPECT_TRUE(IsDirectory(folder));
  EXPECT_EQ(GetDataFilePath(_T("findresult.txt")), folder + _T("\\findresult.txt"));
#ifndef _WIN32
  EXPECT_EQ(folder, data.Path() + _T("\\Morlix"));
#endif
}

TEST_F(Summary, SortedLinesInAnsiWithCrLfThenDoneThenOpen) {
  DialogCapture capture;
  const WCHAR* lines[] = {_T("File:\\b.txt Line:10"), _T("File:\\中.txt Line:2"), _T("File:\\b.txt Line:2"),
                          _T("File:\\b.txt")};
  for (auto* l : lines) g_findResults.Add(l);
  WriteFindResults();
  CString path = GetDataFilePath(_T("findresult.txt"));
  EXPECT_EQ(ReadBytes(path),
            "File:\\b.txt\r\nFile:\\b.txt Line:2\r\nFile:\\b.txt Line:10\r\nFile:\\\xD6\xD0.txt Line:2\r\n");
  EXPECT_EQ(Dones(), 1);
  ASSERT_EQ(capture.opened.size(), 1u);
  EXPECT_EQ(capture.opened[0], path);
  EXPECT_TRUE(capture.boxes.empty());
  EXPECT_EQ(Utf8(g_findResults[0]), "File:\\b.txt");  // sorted in place
}

#ifndef _WIN32
TEST_F(Summary, UnwritableDataFolderGivesTheMessageAndNoDone) {
  DialogCapture capture;
  g_findResults.Add(_T("File:x"));
  // A file where the folder should be: neither the folder nor the fallback beside the program
  // (pointed at the same place) can be made.
  setenv("XDG_DATA_HOME", Utf8(data / _T("blocked")).c_str(), 1);
  WriteBytes(data / _T("blocked"), "");
  PosixSetModuleFileName(data / _T("blocked\\zentrel.exe"));
  WriteFindResults();
  PosixSetModuleFileName(nullptr);
  EXPECT_EQ(capture.boxes, std::vector<CString>{CString(_T("无法创建查找结果汇总文件！"))});
  EXPECT_EQ(Dones(), 0);
  EXPECT_TRUE(capture.opened.empty());
}
#endif

#ifndef _WIN32
TEST_F(Summary, PathBeyond255CharactersIsGivenWhole) {
  // The local data folder cannot be had, and the program file lies deep: the fallback beside
  // it is longer than the old fixed buffers and must come back whole.
  CString deep = data.Path();
  for (int i = 0; i < 30; ++i) deep += _T("\\folder-number-") + CString(WCHAR('a' + i % 26));
  setenv("XDG_DATA_HOME", Utf8(data / _T("blocked")).c_str(), 1);
  WriteBytes(data / _T("blocked"), "");
  PosixSetModuleFileName(deep + _T("\\zentrel.exe"));
  CString a = GetDataFilePath(_T("findresult.txt"));
  CString b = GetDataFilePath(_T(""));
  PosixSetModuleFileName(nullptr);
  EXPECT_GT(a.GetLength(), 300);
  EXPECT_EQ(a, deep + _T("\\Morlix\\findresult.txt"));
  EXPECT_EQ(b, deep + _T("\\Morlix"));
}
#endif
