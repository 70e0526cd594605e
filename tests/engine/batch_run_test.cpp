#include "engine/batch_run.h"

#include <cstdlib>

#include "engine/data_folder.h"
#include "tests/engine/engine_fixture.h"

using namespace ztest;

namespace {

const Bytes kU16("\xFF\xFE" "f\0o\0o\0\n\0", 10);
const Bytes kU16Done("\xFF\xFE" "b\0a\0r\0\r\0\n\0", 12);
const Bytes kBinary("foo\0foo\r\n", 9);

Tree Fixture() {
  return {{"Docs\\", ""},
          {"Docs\\Foo Notes.TXT", "a foo\r\nfoo bar\n"},
          {"Docs\\u16.txt", kU16},
          {"Docs\\u8.txt", "\xEF\xBB\xBF" "中 foo\n"},
          {"bin.dat", kBinary},
          {"plain.txt", "nothing here"},
          {"FooDir\\", ""},
          {"FooDir\\x.txt", "x"}};
}

class Run : public SummaryFileTest {};

struct SwitchRow {
  const char* name;
  BOOL findOnly, renameOnly;
  Tree after;
  std::string summary;
  int steps;
};

class Switches : public Run, public ::testing::WithParamInterface<SwitchRow> {};

const std::string kNameLines = "File:\\docs\\foo notes.txt\r\n";
const std::string kContentLines =
    "File:\\docs\\foo notes.txt Line:1\r\nFile:\\docs\\foo notes.txt Line:2\r\n"
    "File:\\docs\\u8.txt Line:1\r\nFile:\\docs\\u16.txt Line:1\r\n";
const std::string kFolderLine = "File:\\foodir\r\n";

TEST_P(Switches, WholeRun) {
  const SwitchRow& r = GetParam();
  ScratchDir dir;
  BuildTree(dir.Path(), Fixture());
  DialogCapture capture;
  RunJob(MakeJob(dir.Path(), {_T("foo")}, {_T("bar")}, TRUE, r.findOnly, TRUE, r.renameOnly, TRUE, FALSE));
  EXPECT_EQ(Snapshot(dir.Path()), r.after);
  EXPECT_EQ(ReadBytes(summary), r.summary);
  EXPECT_EQ(Dones(), 1);
  EXPECT_EQ(Steps(), r.steps);
  EXPECT_EQ(counter.Total(), r.steps + 1) << "no other notification";
  EXPECT_TRUE(capture.boxes.empty());
  EXPECT_EQ(capture.opened, std::vector<CString>{summary});
}

Tree Renamed(Tree t, bool folders) {
  Tree out;
  for (auto& [k, v] : t) {
    std::string n = k;
    if (n == "Docs\\Foo Notes.TXT") n = "Docs\\bar notes.txt";
    if (folders && n.rfind("FooDir\\", 0) == 0) n = "bardir\\" + n.substr(7);
    out[n] = v;
  }
  return out;
}

Tree Rewritten() {
  Tree t = Fixture();
  t["Docs\\Foo Notes.TXT"] = "a bar\r\nbar bar\r\n";
  t["Docs\\u16.txt"] = kU16Done;
  t["Docs\\u8.txt"] = "\xEF\xBB\xBF" "中 bar\r\n";
  t["plain.txt"] = "nothing here\r\n";
  t["FooDir\\x.txt"] = "x\r\n";
  return t;
}

// Steps: 6 files collected, 5 text files read, 6 collected and 6 passed again for renaming,
// 8 folder entries offered and 3 folders passed.
INSTANTIATE_TEST_SUITE_P(
    Table, Switches,
    ::testing::Values(
        SwitchRow{"content_run", 0, 0, Renamed(Rewritten(), true), kNameLines + kContentLines + kFolderLine, 34},
        SwitchRow{"rename_only", 0, 1, Renamed(Fixture(), true), kNameLines + kFolderLine, 23},
        SwitchRow{"find_only", 1, 0, Fixture(), kNameLines + kContentLines + kFolderLine, 34},
        SwitchRow{"find_and_rename_only", 1, 1, Renamed(Fixture(), false), kNameLines + kFolderLine, 23}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

TEST_F(Run, SingleFileTargetIgnoresTheFilter) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"One.LOG", "foo\n"}, {"other.txt", "foo\n"}});
  DialogCapture capture;
  RunJob(MakeJob(dir / _T("One.LOG"), {_T("foo")}, {_T("bar")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE, _T(".txt")));
  EXPECT_EQ(Snapshot(dir.Path()), (Tree{{"One.LOG", "bar\r\n"}, {"other.txt", "foo\n"}}));
  EXPECT_EQ(ReadBytes(summary), "File: Line:1\r\n");
  EXPECT_EQ(Steps(), 1);
}

TEST_F(Run, NothingFoundLeavesTheOldSummary) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"a.txt", "abc\n"}});
  WriteBytes(summary, "previous\r\n");
  DialogCapture capture;
  RunJob(MakeJob(dir.Path(), {_T("zzz")}, {_T("y")}, TRUE, TRUE, TRUE, FALSE, TRUE, FALSE));
  EXPECT_EQ(capture.boxes, std::vector<CString>{CString(_T("没找到任何符合条件的文件！"))});
  EXPECT_EQ(ReadBytes(summary), "previous\r\n");
  EXPECT_EQ(Dones(), 0);
  EXPECT_TRUE(capture.opened.empty());
  // A target that cannot be walked ends the same way.
  capture.boxes.clear();
  RunJob(MakeJob(dir / _T("missing"), {_T("a")}, {_T("y")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  EXPECT_EQ(capture.boxes.size(), 1u);
}

TEST_F(Run, EmptyFindAndReplacementInEverySwitchCombination) {
  for (int bits = 0; bits < 16; ++bits) {
    ScratchDir dir;
    Tree before{{"a.txt", "x\r\n\r\ny"}, {"S\\", ""}, {"S\\b.txt", ""}};
    BuildTree(dir.Path(), before);
    DialogCapture capture;
    g_findResults.RemoveAll();
    RunJob(MakeJob(dir.Path(), {_T("")}, {_T("")}, TRUE, bits & 1, TRUE, (bits >> 1) & 1, (bits >> 2) & 1, (bits >> 3) & 1));
    Tree after = Snapshot(dir.Path());
    // Whatever the switches, no file is lost and the folder stays: an empty find selects every file
    // for renaming but no folder.
    EXPECT_EQ(after.size(), before.size()) << bits;
    EXPECT_TRUE(after.count("S\\")) << bits;
    std::multiset<std::string> a, b;
    for (auto& [k, v] : before) if (k.back() != '\\') b.insert(v == "x\r\n\r\ny" && !(bits & 3) ? "x\r\n\r\ny\r\n" : v);
    for (auto& [k, v] : after) if (k.back() != '\\') a.insert(v);
    EXPECT_EQ(a, b) << bits;
  }
}

#ifndef _WIN32
TEST_F(Run, UnwrittenFilesAreNamedInAMessage) {
  ScratchDir dir;
  BuildTree(dir.Path(), {{"a.txt", "foo\n"}});
  DialogCapture capture;
  PosixFailWritesAfter(0);
  RunJob(MakeJob(dir.Path(), {_T("foo")}, {_T("bar")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  PosixFailWritesAfter(-1);
  EXPECT_EQ(ReadBytes(dir / _T("a.txt")), "foo\n");
  // The summary could not be written either (the disk is full), then the files are named.
  ASSERT_EQ(capture.boxes.size(), 2u);
  EXPECT_EQ(capture.boxes[0], _T("无法创建查找结果汇总文件！"));
  EXPECT_EQ(capture.boxes[1], UnwrittenFilesMessage([&] {
              CStringArray a;
              a.Add(dir / _T("a.txt"));
              return a;
            }()));
  EXPECT_NE(capture.boxes[1].Find(dir / _T("a.txt")), -1);
}
#endif
