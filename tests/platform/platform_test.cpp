// What the portable code relies on from the platform. Run natively against the stand-in and
// under Wine against the real services: the same expectations hold for both.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace ztest;

TEST(Platform, LoweredPathReachesNameWithCapitals) {
  ScratchDir dir;
  MakeDir(dir / _T("Sub"));
  WriteBytes(dir / _T("Sub\\ReadMe.TXT"), "x");
  EXPECT_TRUE(PathFileExistsW(dir / _T("sub\\readme.txt")));
  DWORD a = GetFileAttributesW(dir / _T("SUB"));
  ASSERT_NE(a, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(a & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(GetFileAttributesW(dir / _T("sub\\readme.txt")) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(ReadBytes(dir / _T("sub\\readme.txt")), "x");
  EXPECT_FALSE(PathFileExistsW(dir / _T("sub\\readme.tx")));
  EXPECT_EQ(GetFileAttributesW(dir / _T("nothing")), INVALID_FILE_ATTRIBUTES);
}

TEST(Platform, MoveNeverReplaces) {
  ScratchDir dir;
  WriteBytes(dir / _T("a.txt"), "A");
  WriteBytes(dir / _T("B.txt"), "B");
  MakeDir(dir / _T("F"));
  EXPECT_FALSE(MoveFileW(dir / _T("a.txt"), dir / _T("B.txt")));
  EXPECT_FALSE(MoveFileW(dir / _T("a.txt"), dir / _T("b.txt")));  // same name, other case
  EXPECT_FALSE(MoveFileW(dir / _T("a.txt"), dir / _T("f")));
  EXPECT_EQ(ReadBytes(dir / _T("B.txt")), "B");
  EXPECT_EQ(ReadBytes(dir / _T("a.txt")), "A");
  EXPECT_TRUE(MoveFileW(dir / _T("a.txt"), dir / _T("c.txt")));
  EXPECT_EQ(ReadBytes(dir / _T("c.txt")), "A");
  EXPECT_FALSE(PathFileExistsW(dir / _T("a.txt")));
  // A folder moves too, and a lowered source path reaches it.
  EXPECT_TRUE(MoveFileW(dir / _T("f"), dir / _T("g")));
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"B.txt", "c.txt", "g\\"}));
}

TEST(Platform, RenameThatOnlyChangesCaseTakesTheNewSpelling) {
  ScratchDir dir;
  WriteBytes(dir / _T("Memo.TXT"), "m");
  EXPECT_TRUE(MoveFileW(dir / _T("memo.txt"), dir / _T("memo.txt")));
#ifdef _WIN32
  // Wine leaves the spelling alone when both names are the same text; nothing may be lost.
  EXPECT_EQ(ListDir(dir.Path()).size(), 1u);
  EXPECT_EQ(ReadBytes(dir / _T("memo.txt")), "m");
#else
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"memo.txt"}));
#endif
}

TEST(Platform, ReplaceFileKeepsTheTargetsPlace) {
  ScratchDir dir;
  WriteBytes(dir / _T("Data.txt"), "old");
  WriteBytes(dir / _T("new.tmp"), "new");
  // The replaced name is given as spelled on disk: the result takes the spelling it is given.
  ASSERT_TRUE(ReplaceFileW(dir / _T("Data.txt"), dir / _T("new.tmp"), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"Data.txt"}));
  EXPECT_EQ(ReadBytes(dir / _T("Data.txt")), "new");
}

TEST(Platform, ReadOnlyFileRefusesWriting) {
  ScratchDir dir;
  WriteBytes(dir / _T("r.txt"), "r");
  ASSERT_TRUE(SetFileAttributesW(dir / _T("r.txt"), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(GetFileAttributesW(dir / _T("r.txt")) & FILE_ATTRIBUTE_READONLY);
#ifndef _WIN32
  // Windows refuses this to every user. Wine run as root does not, which is why the engine tests
  // the attribute itself before it writes.
  HANDLE h = CreateFileW(dir / _T("r.txt"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
#endif
  SetFileAttributesW(dir / _T("r.txt"), FILE_ATTRIBUTE_NORMAL);
}

TEST(Platform, CodePage936BothWays) {
  EXPECT_EQ(GetACP(), 936u);
  const char gbk[] = "\xD6\xD0\xCE\xC4 ok";  // 中文 ok
  WCHAR wide[16];
  int n = MultiByteToWideChar(CP_ACP, 0, gbk, int(sizeof gbk - 1), wide, 16);
  ASSERT_EQ(n, 5);
  EXPECT_EQ(CString(wide, n), CString(_T("中文 ok")));
  char back[16];
  int m = WideCharToMultiByte(CP_THREAD_ACP, 0, wide, n, back, 16, nullptr, nullptr);
  EXPECT_EQ(std::string(back, size_t(m)), std::string(gbk, sizeof gbk - 1));
  // A character the code page lacks becomes its default character.
  BOOL used = FALSE;
  m = WideCharToMultiByte(CP_THREAD_ACP, 0, _T("\x0E01"), 1, back, 16, nullptr, &used);
  EXPECT_EQ(std::string(back, size_t(m)), "?");
  EXPECT_TRUE(used);
  EXPECT_TRUE(IsDBCSLeadByteEx(936, 0xD6));
  EXPECT_FALSE(IsDBCSLeadByteEx(936, 0x41));
}

TEST(Platform, CaseInsensitiveSearchGoesBeyondAtoZ) {
  struct Row {
    const WCHAR* text;
    const WCHAR* find;
    int at;  // -1: not found
  } rows[] = {
      {_T("Hello World"), _T("WORLD"), 6},
      {_T("CAFÉ"), _T("café"), 0},
      {_T("ΑΒΓ"), _T("βγ"), 1},
      {_T("ПРИВЕТ"), _T("привет"), 0},
      {_T("ＡＢＣ"), _T("ｂ"), 1},
      {_T("abc"), _T(""), -1},
      {_T(""), _T("a"), -1},
      {_T("中文"), _T("文"), 1},
  };
  for (const Row& r : rows) {
    LPCWSTR hit = StrStrIW(r.text, r.find);
    EXPECT_EQ(hit ? int(hit - r.text) : -1, r.at) << Utf8(r.text) << " / " << Utf8(r.find);
  }
  EXPECT_EQ(StrStrW(_T("abcABC"), _T("ABC")) - (LPCWSTR)_T("abcABC"), 0 + 3);
  EXPECT_EQ(StrStrW(_T("abc"), _T("")), nullptr);
  EXPECT_EQ(StrCmpNIW(_T("BARx"), _T("bar"), 3), 0);
  EXPECT_EQ(StrCmpNIW(_T("éa"), _T("Éa"), 2), 0);
  EXPECT_NE(StrCmpNW(_T("BARx"), _T("bar"), 3), 0);
  EXPECT_EQ(StrCmpNW(_T("barx"), _T("bar"), 3), 0);
}

TEST(Platform, EnumerationYieldsDotEntriesAndAttributes) {
  ScratchDir dir;
  MakeDir(dir / _T("Sub"));
  WriteBytes(dir / _T("f.txt"), "");
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(dir / _T("*"), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::map<std::string, bool> seen;
  do seen[Utf8(fd.cFileName)] = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  while (FindNextFileW(h, &fd));
  FindClose(h);
  EXPECT_EQ(seen, (std::map<std::string, bool>{{".", true}, {"..", true}, {"Sub", true}, {"f.txt", false}}));
  EXPECT_EQ(FindFirstFileW(dir / _T("missing\\*"), &fd), INVALID_HANDLE_VALUE);
}
