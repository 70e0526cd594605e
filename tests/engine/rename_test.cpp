#include "engine/rename.h"

#include "engine/collect.h"
#include "tests/engine/engine_fixture.h"

using namespace ztest;

namespace {
std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}
std::vector<std::string> Names(const Tree& t) {
  std::vector<std::string> out;
  for (auto& [k, v] : t) out.push_back(k);
  return out;
}
}  // namespace

TEST(NumberFormat, WidthFollowsTheFileCount) {
  struct Row {
    int count;
    int value;
    const char* text;
  } rows[] = {{1, 7, "07"},     {9, 7, "07"},      {10, 7, "007"},   {99, 12, "012"},  {100, 7, "0007"},
              {999, 7, "0007"}, {1000, 7, "00007"}, {50000, 7, "00007"}, {9, 123, "123"}};
  for (const Row& r : rows) {
    CString s;
    s.Format(NumberFormatFor(r.count), r.value);
    EXPECT_EQ(Utf8(s), r.text) << r.count;
  }
}

TEST(NameContains, LastComponentIgnoringCase) {
  EXPECT_TRUE(NameContains(_T("D:\\memo\\x.txt"), _T("")));
  EXPECT_TRUE(NameContains(_T("D:\\a\\Memo1.TXT"), _T("memo")));
  EXPECT_FALSE(NameContains(_T("D:\\memo\\x.txt"), _T("memo")));
  EXPECT_FALSE(NameContains(_T("memo.txt"), _T("memo")));  // no backslash: no name
}

struct RenameRow {
  const char* name;
  Tree before;
  const WCHAR* find;
  const WCHAR* replace;
  BOOL findOnly, subFolders, renameOnly, keepName, numberFiles;
  std::vector<std::string> after;    // every entry afterwards
  std::vector<std::string> results;  // sorted
};

class Rename : public EngineTest, public ::testing::WithParamInterface<RenameRow> {};

TEST_P(Rename, FilesThenFolders) {
  const RenameRow& r = GetParam();
  ScratchDir dir;
  BuildTree(dir.Path(), r.before);
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {r.find}, {r.replace}, TRUE, r.findOnly, r.subFolders,
                                         r.renameOnly, r.keepName, r.numberFiles));
  CStringArray types, files;
  RenameFiles(*job, types, files);
  int filesCollected = files.GetSize();
  CStringSet folders;
  RenameFolders(*job, folders);
  std::vector<std::string> results = Results();
  for (auto& s : results) {
    std::string root = Utf8(dir.Path());
    size_t at = s.find(root);
    if (at != std::string::npos) s.replace(at, root.size(), "<root>");
  }
  EXPECT_EQ(Names(Snapshot(dir.Path())), Sorted(r.after));
  EXPECT_EQ(Sorted(results), Sorted(r.results));
  // One step per collected file twice (walk and pass) and per folder entry and set member.
  EXPECT_GE(Steps(), 2 * filesCollected + int(folders.size()));
  // Every file still holds its own bytes: a rename moves them, never replaces them.
  std::multiset<std::string> before, after;
  for (auto& [k, v] : r.before) if (k.back() != '\\') before.insert(v);
  for (auto& [k, v] : Snapshot(dir.Path())) if (k.back() != '\\') after.insert(v);
  EXPECT_EQ(before, after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Rename,
    ::testing::Values(
        RenameRow{"memo_note", {{"Memo1.TXT", "m"}, {"list.txt", "l"}}, _T("memo"), _T("note"), 0, 1, 0, 1, 0,
                  {"list.txt", "note1.txt"}, {"File:\\memo1.txt"}},
        RenameRow{"ext_dropped", {{"a.txt", ""}}, _T(".txt"), _T(""), 0, 1, 0, 1, 0, {"a"}, {"File:\\a.txt"}},
        RenameRow{"collision_across_renamed_names",
                  {{"memo.txt", "1"}, {"note.txt", "2"}}, _T("memo"), _T("note"), 0, 1, 0, 1, 0,
                  {"memo.txt", "note.txt"}, {"File:\\memo.txt"}},
        RenameRow{"folders_innermost_first",
                  {{"Old\\", ""}, {"Old\\Old2\\", ""}, {"Old\\Old2\\f.dat", "f"}}, _T("old"), _T("new"), 0, 1, 0, 1, 0,
                  {"new\\", "new\\new2\\", "new\\new2\\f.dat"}, {"File:\\old", "File:\\old\\old2"}},
        RenameRow{"find_only_changes_nothing",
                  {{"Old\\", ""}, {"old.txt", ""}}, _T("old"), _T("new"), 1, 1, 0, 1, 0,
                  {"Old\\", "old.txt"}, {"File:\\old", "File:\\old.txt"}},
        RenameRow{"find_only_with_rename_only_renames_files",
                  {{"Old\\", ""}, {"old.txt", ""}}, _T("old"), _T("new"), 1, 1, 1, 1, 0,
                  {"Old\\", "new.txt"}, {"File:\\old", "File:\\old.txt"}},
        RenameRow{"no_subfolders", {{"S\\", ""}, {"S\\memo.txt", ""}, {"memo.txt", ""}}, _T("memo"), _T("m"), 0, 0, 0, 1, 0,
                  {"S\\", "S\\memo.txt", "m.txt"}, {"File:\\memo.txt"}},
        RenameRow{"separator_in_replacement_is_not_used",
                  {{"sub\\", ""}, {"sub\\a.txt", "a"}}, _T("a"), _T("..\\..\\x"), 0, 1, 0, 1, 0,
                  {"sub\\", "sub\\a.txt"}, {"File:\\sub\\a.txt"}},
        RenameRow{"dotdot_name_is_not_used", {{"ab\\", ""}}, _T("ab"), _T(".."), 0, 1, 0, 1, 0, {"ab\\"}, {"File:\\ab"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TwelveFilesNumberedWithoutNames) {
  ScratchDir dir;
  Tree t;
  for (int i = 0; i < 12; ++i) t["f" + std::to_string(100 + i) + (i % 2 ? ".txt" : ".log")] = std::to_string(i);
  BuildTree(dir.Path(), t);
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("")}, {_T("")}, TRUE, FALSE, TRUE, FALSE, FALSE, TRUE));
  CStringArray types, files;
  RenameFiles(*job, types, files);
  Tree after = Snapshot(dir.Path());
  ASSERT_EQ(after.size(), 12u);
  std::set<std::string> contents;
  for (auto& [name, bytes] : after) {
    // Three digits for twelve files, then the file's own extension.
    EXPECT_EQ(name.size(), 7u) << name;
    EXPECT_TRUE(name.substr(3) == ".txt" || name.substr(3) == ".log") << name;
    int n = std::stoi(name.substr(0, 3));
    EXPECT_GE(n, 1);
    EXPECT_LE(n, 12);
    contents.insert(bytes);
  }
  EXPECT_EQ(contents.size(), 12u);  // nothing overwritten
}

TEST_F(EngineTest, TargetFolderNamedLikeTheFindIsRenamedAndShownWhole) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"OldWork\\", ""}, {"OldWork\\f.txt", "x"}});
  CString target = dir / _T("oldwork");
  std::unique_ptr<CBatchJob> job(MakeJob(target, {_T("old")}, {_T("new")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  CStringSet folders;
  RenameFolders(*job, folders);
  EXPECT_EQ(Results(), std::vector<std::string>{"File:" + Utf8(target)});
  EXPECT_EQ(Names(Snapshot(dir.Path())), (std::vector<std::string>{"newwork\\", "newwork\\f.txt"}));
}

namespace {
// The platform's walk order, which numbering and collisions follow.
std::vector<std::string> WalkOrder(const CString& root) {
  CStringArray none, files;
  CollectFiles(root, none, files, TRUE);
  std::vector<std::string> out;
  for (int i = 0; i < files.GetSize(); ++i) out.push_back(Utf8(files[i].Mid(root.GetLength() + 1)));
  return out;
}
}  // namespace

TEST_F(EngineTest, EmptyFindAppendsReplacementAndNumbersInWalkOrder) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}});
  std::vector<std::string> order = WalkOrder(dir.Path());
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("")}, {_T("bak")}, TRUE, FALSE, TRUE, FALSE, TRUE, TRUE));
  CStringArray types, files;
  RenameFiles(*job, types, files);
  Tree expected;
  for (size_t i = 0; i < order.size(); ++i)
    expected[order[i].substr(0, 1) + "bak0" + std::to_string(i + 1) + ".txt"] = std::string(1, char(order[i][0] - 32));
  EXPECT_EQ(Snapshot(dir.Path()), expected);
  EXPECT_EQ(Sorted(Results()), (std::vector<std::string>{"File:\\a.txt", "File:\\b.txt", "File:\\c.txt"}));
}

TEST_F(EngineTest, CollidingNewNamesNeverOverwrite) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"a.txt", "1"}, {"b.txt", "2"}, {"c.txt", "3"}, {"d.log", "4"}});
  std::vector<std::string> order = WalkOrder(dir.Path());
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("")}, {_T("x")}, TRUE, FALSE, TRUE, FALSE, FALSE, FALSE));
  CStringArray types, files;
  RenameFiles(*job, types, files);
  // The first .txt of the walk becomes x.txt; the others keep their names; d.log becomes x.log.
  std::string first;
  for (auto& n : order)
    if (n.size() > 4 && n.substr(n.size() - 4) == ".txt") { first = n; break; }
  Tree before{{"a.txt", "1"}, {"b.txt", "2"}, {"c.txt", "3"}};
  Tree expected{{"x.log", "4"}};
  for (auto& [k, v] : before) expected[k == first ? "x.txt" : k] = v;
  EXPECT_EQ(Snapshot(dir.Path()), expected);
  EXPECT_EQ(Results().size(), 4u);
}
