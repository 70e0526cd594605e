#include "engine/collect.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include "tests/engine/engine_fixture.h"

using namespace ztest;

namespace {
std::vector<std::string> Strings(const CStringArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(Utf8(a[i]));
  return out;
}

std::vector<std::string> Rel(const CStringArray& a, const CString& root) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(Utf8(a[i].Mid(root.GetLength())));
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> Rel(const CStringSet& s, const CString& root) {
  std::vector<std::string> out;
  for (const CString& p : s) out.push_back(p == root ? "<root>" : Utf8(p.Mid(root.GetLength())));
  return out;
}
}  // namespace

TEST(SplitToList, FilterTexts) {
  struct Row {
    const WCHAR* text;
    std::vector<std::string> items;
  } rows[] = {
      {_T(".txt|.html|.htm|.cpp|.h"), {".txt", ".html", ".htm", ".cpp", ".h"}},
      {_T(".txt||.h|"), {".txt", ".h"}},
      {_T("|.txt"), {".txt"}},
      {_T(""), {""}},
      {_T("|"), {""}},
      {_T("||"), {""}},
      {_T(" .txt |.TXT"), {" .txt ", ".TXT"}},  // verbatim: no trimming, no change of case
  };
  for (const Row& r : rows) {
    CStringArray list;
    list.Add(_T("stale"));
    SplitToList(r.text, WCHAR('|'), list);
    EXPECT_EQ(Strings(list), r.items) << Utf8(r.text);
  }
}

TEST(SplitAtSeparator, Cases) {
  struct Row {
    const WCHAR* text;
    const WCHAR* sep;
    bool found;
    const char* left;
    const char* right;
  } rows[] = {
      {_T("D:\\a\\b.txt"), _T("\\"), true, "D:\\a", "b.txt"},
      {_T("b.txt"), _T("."), true, "b", "txt"},
      {_T("name."), _T("."), true, "name", ""},
      {_T("archive.tar.gz"), _T("."), true, "archive.tar", "gz"},
      {_T(".profile"), _T("."), true, "", "profile"},
      {_T("abc"), _T("."), false, "keep-l", "keep-r"},
      {_T(""), _T("\\"), false, "keep-l", "keep-r"},
      {_T("C:\\"), _T("\\"), true, "C:", ""},
  };
  for (const Row& r : rows) {
    CString left(_T("keep-l")), right(_T("keep-r"));
    EXPECT_EQ(SplitAtSeparator(r.text, &left, &right, r.sep, TRUE) != FALSE, r.found) << Utf8(r.text);
    EXPECT_EQ(Utf8(left), r.left) << Utf8(r.text);
    EXPECT_EQ(Utf8(right), r.right) << Utf8(r.text);
  }
  CString right;
  EXPECT_TRUE(SplitAtSeparator(_T("a.b.c"), nullptr, &right, _T("."), FALSE));
  EXPECT_EQ(right, _T("b.c"));
}

class Collect : public EngineTest {};

TEST_F(Collect, FilterDecidesByLoweredExtension) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"Notes.TXT", "n"}, {"README", "r"}, {".profile", "p"}, {"archive.tar.gz", "a"},
                         {"page.HTM", "h"}, {"x.txt.bak", "b"}});
  struct Row {
    const WCHAR* filter;
    std::vector<std::string> files;
  } rows[] = {
      {_T("*.*"), {"\\.profile", "\\archive.tar.gz", "\\notes.txt", "\\page.htm", "\\x.txt.bak"}},
      {_T(".txt"), {"\\notes.txt"}},
      {_T(".txt|.htm"), {"\\notes.txt", "\\page.htm"}},
      {_T(".gz|.profile"), {"\\.profile", "\\archive.tar.gz"}},
      {_T(".TXT"), {}},
      {_T("*.txt"), {}},
      {_T(""), {}},
      {_T(" .txt"), {}},
  };
  for (const Row& r : rows) {
    CStringArray types, files;
    if (CString(r.filter) != _T("*.*")) SplitToList(r.filter, WCHAR('|'), types);
    counter.Clear();
    CollectFiles(dir.Path(), types, files, TRUE);
    EXPECT_EQ(Rel(files, dir.Path()), r.files) << Utf8(r.filter);
    EXPECT_EQ(Steps(), int(r.files.size())) << "one step per collected file";
  }
}

TEST_F(Collect, PathFormAndRecursion) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"Sub\\", ""}, {"Sub\\File.TXT", "f"}, {"Sub\\Deep\\", ""}, {"Sub\\Deep\\Z.txt", "z"},
                         {"top.txt", "t"}});
  CStringArray none, files;
  CollectFiles(dir.Path(), none, files, TRUE);
  EXPECT_EQ(Rel(files, dir.Path()), (std::vector<std::string>{"\\sub\\deep\\z.txt", "\\sub\\file.txt", "\\top.txt"}));
  for (int i = 0; i < files.GetSize(); ++i) EXPECT_TRUE(PathFileExistsW(files[i])) << Utf8(files[i]);
  files.RemoveAll();
  CollectFiles(dir.Path(), none, files, FALSE);
  EXPECT_EQ(Rel(files, dir.Path()), (std::vector<std::string>{"\\top.txt"}));
  // A trailing backslash is kept, so the names follow a doubled one.
  files.RemoveAll();
  CollectFiles(dir.Path() + _T("\\"), none, files, FALSE);
  ASSERT_EQ(files.GetSize(), 1);
  EXPECT_EQ(files[0], dir.Path() + _T("\\\\top.txt"));
  // Too short a folder text, and a missing folder, give nothing and send nothing.
  counter.Clear();
  files.RemoveAll();
  CollectFiles(_T("x"), none, files, TRUE);
  CollectFiles(_T(""), none, files, TRUE);
  CollectFiles(dir / _T("missing"), none, files, TRUE);
  EXPECT_EQ(files.GetSize(), 0);
  EXPECT_EQ(counter.Total(), 0);
}

TEST_F(Collect, SubFolderFilesStandWhereItsEntryCame) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"a\\", ""}, {"a\\1.txt", ""}, {"a\\2.txt", ""}, {"b.txt", ""}, {"c\\", ""}, {"c\\3.txt", ""}});
  CStringArray none, files;
  CollectFiles(dir.Path(), none, files, TRUE);
  // Whatever the platform's order, each folder's files come as one run (depth first).
  std::vector<std::string> got = Strings(files);
  ASSERT_EQ(got.size(), 4u);
  auto pos = [&](const char* tail) {
    for (size_t i = 0; i < got.size(); ++i)
      if (got[i].size() >= strlen(tail) && got[i].compare(got[i].size() - strlen(tail), strlen(tail), tail) == 0)
        return int(i);
    return -1;
  };
  EXPECT_EQ(std::abs(pos("a\\1.txt") - pos("a\\2.txt")), 1);
}

TEST_F(Collect, FolderSetOrderAndNotifications) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"A\\", ""}, {"A\\B\\", ""}, {"f.txt", ""}});
  CStringSet set;
  CollectFolders(dir.Path(), set, TRUE);
  EXPECT_EQ(Rel(set, dir.Path()), (std::vector<std::string>{"<root>", "\\a", "\\a\\b"}));
  // Entries offered: root's . .. A, A's . .. B, B's . .. — one step each, duplicates included.
  EXPECT_EQ(Steps(), 8);
  set.clear();
  counter.Clear();
  CollectFolders(dir.Path(), set, FALSE);
  EXPECT_EQ(Rel(set, dir.Path()), (std::vector<std::string>{"<root>", "\\a"}));
  EXPECT_EQ(Steps(), 3);
}

TEST_F(Collect, HundredsOfLevelsDoNotExhaustTheStack) {
  ScratchDir dir;
  CString path = dir.Path();
  const int depth = 300;
  for (int i = 0; i < depth; ++i) {
    path += _T("\\d");
    MakeDir(path);
  }
  WriteBytes(path + _T("\\leaf.txt"), "x");
  CStringArray none, files;
  CollectFiles(dir.Path(), none, files, TRUE);
  ASSERT_EQ(files.GetSize(), 1);
  EXPECT_EQ(files[0], path + _T("\\leaf.txt"));
  CStringSet set;
  CollectFolders(dir.Path(), set, TRUE);
  EXPECT_EQ(int(set.size()), depth + 1);
}

#ifndef _WIN32
TEST_F(Collect, LinkBackToParentIsNotFollowed) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"a\\", ""}, {"a\\f.txt", "f"}});
  ASSERT_EQ(symlink("..", (Utf8(dir.Path()) + "/a/loop").c_str()), 0);
  CStringArray none, files;
  CollectFiles(dir.Path(), none, files, TRUE);
  EXPECT_EQ(Rel(files, dir.Path()), (std::vector<std::string>{"\\a\\f.txt"}));
  CStringSet set;
  CollectFolders(dir.Path(), set, TRUE);
  // The link is an entry of its folder (and may be renamed) but is not walked into.
  EXPECT_EQ(Rel(set, dir.Path()), (std::vector<std::string>{"<root>", "\\a", "\\a\\loop"}));
}
#endif

TEST(IsDirectory, FileFolderMissing) {
  ScratchDir dir;
  WriteBytes(dir / _T("f.txt"), "");
  EXPECT_TRUE(IsDirectory(dir.Path()));
  EXPECT_FALSE(IsDirectory(dir / _T("f.txt")));
  EXPECT_FALSE(IsDirectory(dir / _T("none")));
  EXPECT_FALSE(IsDirectory(_T("")));
}

// A drive root is three characters: the pattern gets no second backslash, the paths get two.
// Under Wine, scripts/with-wine maps T: to an empty folder of its own.
TEST_F(Collect, DriveRootFolderText) {
#ifdef _WIN32
  if (GetFileAttributesW(L"T:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no drive T: here";
  const CString root(L"T:");
#else
  ScratchDir dir;
  PosixMapDrive(WCHAR('T'), Utf8(dir.Path()).c_str());
  const CString root(_T("T:"));
#endif
  BuildTree(root, {{"Top.TXT", "t"}, {"sub\\", ""}, {"sub\\in.txt", "i"}});
  CStringArray none, files;
  CollectFiles(_T("T:\\"), none, files, FALSE);
  CStringSet set;
  CollectFolders(_T("T:\\"), set, FALSE);
  RemoveTree(root + _T("\\sub"));
  DeleteFileW(root + _T("\\Top.TXT"));
#ifndef _WIN32
  PosixMapDrive(WCHAR('T'), nullptr);
#endif
  EXPECT_EQ(Strings(files), std::vector<std::string>{"T:\\\\top.txt"});
  EXPECT_TRUE(set.count(_T("T:\\\\sub")));
}
