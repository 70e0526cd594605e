#include "engine/replace.h"

#include "tests/engine/engine_fixture.h"

using namespace ztest;

namespace {
struct ContentRow {
  const char* name;
  Bytes before;
  std::vector<CString> find;
  std::vector<CString> replace;
  BOOL caseSensitive;
  Bytes after;
  std::vector<std::string> results;  // display path is "\\f.txt"
};

class Content : public EngineTest, public ::testing::WithParamInterface<ContentRow> {};

TEST_P(Content, OneFile) {
  const ContentRow& r = GetParam();
  ScratchDir dir;
  WriteBytes(dir / _T("f.txt"), r.before);
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), r.find, r.replace, r.caseSensitive, FALSE, TRUE, FALSE, TRUE, FALSE));
  CStringArray files, unwritten;
  files.Add(dir / _T("f.txt"));
  ReplaceInFiles(*job, files, &unwritten);
  EXPECT_EQ(ReadBytes(dir / _T("f.txt")), r.after);
  EXPECT_EQ(Results(), r.results);
  EXPECT_EQ(Steps(), 1);
  EXPECT_EQ(unwritten.GetSize(), 0);
  EXPECT_EQ(ListDir(dir.Path()), std::vector<std::string>{"f.txt"}) << "no temporary file left";

  // The same job find-only: the bytes stay, the finds are the same.
  WriteBytes(dir / _T("f.txt"), r.before);
  g_findResults.RemoveAll();
  job->m_bFindOnly = TRUE;
  ReplaceInFiles(*job, files, &unwritten);
  EXPECT_EQ(ReadBytes(dir / _T("f.txt")), r.before);
  EXPECT_EQ(Results(), r.results);
}

const char* kL5 = "File:\\f.txt Line:5";

INSTANTIATE_TEST_SUITE_P(
    Table, Content,
    ::testing::Values(
        ContentRow{"twice_on_a_line_one_result", "abcabc\r\n", {_T("abc")}, {_T("xyz")}, TRUE, "xyzxyz\r\n",
                   {"File:\\f.txt Line:1"}},
        ContentRow{"ignore_case_replaces_three_variants", "ABC Abc abc\r\n", {_T("abc")}, {_T("xyz")}, FALSE,
                   "xyz Abc xyz\r\n", {"File:\\f.txt Line:1"}},
        ContentRow{"empty_find_line_matches_empty_lines", "a\r\n\r\n \r\n\r\n", {_T("")}, {_T("-")}, TRUE,
                   "a\r\n-\r\n \r\n-\r\n", {"File:\\f.txt Line:2", "File:\\f.txt Line:4"}},
        ContentRow{"block_of_two", "1\r\n2\r\n3\r\n4\r\na foo\r\nbar b\r\n7\r\n8\r\nfoo\r\nbar\r\n", {_T("foo"), _T("bar")},
                   {_T("X"), _T("Y")}, TRUE, "1\r\n2\r\n3\r\n4\r\na X\r\nY b\r\n7\r\n8\r\nX\r\nY\r\n",
                   {kL5, "File:\\f.txt Line:9"}},
        ContentRow{"block_needs_find_at_line_end", "foo foo\r\nbar\r\n", {_T("foo"), _T("bar")}, {_T("X"), _T("Y")},
                   TRUE, "foo foo\r\nbar\r\n", {}},
        ContentRow{"block_of_three_middle_dropped", "x a\r\nb extra\r\nc end\r\n", {_T("a"), _T("b"), _T("c")},
                   {_T("1"), _T("2"), _T("3")}, TRUE, "x 1\r\n2\r\n3 end\r\n", {"File:\\f.txt Line:1"}},
        ContentRow{"block_cut_by_end_of_file", "x a\r\nb\r\n", {_T("a"), _T("b"), _T("c")}, {_T("1"), _T("2")}, TRUE,
                   "x a\r\nb\r\n", {}},
        ContentRow{"failed_block_lines_examined_again", "a\r\na\r\nb\r\n", {_T("a"), _T("b")}, {_T("1"), _T("2")}, TRUE,
                   "a\r\n1\r\n2\r\n", {"File:\\f.txt Line:2"}},
        ContentRow{"one_line_to_three", "1a2\r\n", {_T("a")}, {_T("X"), _T("Y"), _T("Z")}, TRUE, "1X2\r\nY\r\nZ\r\n",
                   {"File:\\f.txt Line:1"}},
        ContentRow{"line_ends_normalised_without_find", "a\nb\r\nc", {_T("zzz")}, {_T("y")}, TRUE, "a\r\nb\r\nc\r\n", {}},
        // A find box ending in a line break with a one-line replacement: no line lost, numbers right.
        ContentRow{"block_with_single_replacement_keeps_last_line", "x foo\r\ny\r\nz\r\nfoo\r\nq\r\n",
                   {_T("foo"), _T("")}, {_T("bar")}, TRUE, "x bar\r\ny\r\nz\r\nbar\r\nq\r\n",
                   {"File:\\f.txt Line:1", "File:\\f.txt Line:4"}},
        ContentRow{"block_with_single_replacement_cuts_last_find", "a foo\r\nbar tail\r\n", {_T("foo"), _T("bar")},
                   {_T("X")}, TRUE, "a X\r\n tail\r\n", {"File:\\f.txt Line:1"}},
        ContentRow{"empty_file_stays_empty", "", {_T("a")}, {_T("b")}, TRUE, "", {}},
        ContentRow{"utf16_file_keeps_its_encoding",
                   std::string("\xFF\xFE" "a\0b\0c\0\n\0", 10), {_T("b")}, {_T("中")}, TRUE,
                   std::string("\xFF\xFE" "a\0\x2D\x4E" "c\0\r\0\n\0", 12), {"File:\\f.txt Line:1"}},
        ContentRow{"utf8_with_mark", "\xEF\xBB\xBF" "中文 abc\n", {_T("文")}, {_T("字")}, TRUE,
                   "\xEF\xBB\xBF" "中字 abc\r\n", {"File:\\f.txt Line:1"}},
        ContentRow{"gbk_ansi", "\xD6\xD0\xCE\xC4 x\r\n", {_T("中")}, {_T("A")}, TRUE, "A\xCE\xC4 x\r\n",
                   {"File:\\f.txt Line:1"}}),
    [](const auto& info) { return std::string(info.param.name); });
}  // namespace

TEST_F(EngineTest, BinaryAndReadOnlyFilesArePassedOver) {
  ScratchDir dir;
  Bytes binary("ab\0cd\r\nabc\r\n", 12);
  WriteBytes(dir / _T("bin.dat"), binary);
  WriteBytes(dir / _T("ro.txt"), "abc\n");
  ASSERT_TRUE(SetFileAttributesW(dir / _T("ro.txt"), FILE_ATTRIBUTE_READONLY));
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("abc")}, {_T("x")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  CStringArray files, unwritten;
  files.Add(dir / _T("bin.dat"));
  files.Add(dir / _T("ro.txt"));
  files.Add(dir / _T("missing.txt"));
  ReplaceInFiles(*job, files, &unwritten);
  EXPECT_EQ(ReadBytes(dir / _T("bin.dat")), binary);
  EXPECT_EQ(ReadBytes(dir / _T("ro.txt")), "abc\n");
  EXPECT_EQ(Results(), std::vector<std::string>{});
  EXPECT_EQ(counter.Total(), 0);
  SetFileAttributesW(dir / _T("ro.txt"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(EngineTest, RewriteKeepsTheNameAsSpelledOnDisk) {
  ScratchDir dir;
  WriteBytes(dir / _T("ReadMe.TXT"), "hello\n");
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("hello")}, {_T("bye")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  CStringArray files;
  files.Add(dir / _T("readme.txt"));  // collected paths are lowered
  ReplaceInFiles(*job, files);
  EXPECT_EQ(Snapshot(dir.Path()), (Tree{{"ReadMe.TXT", "bye\r\n"}}));
}

#ifndef _WIN32
TEST_F(EngineTest, FailedWriteLeavesOldBytesAndIsReported) {
  ScratchDir dir;
  std::string big(200000, 'a');
  WriteBytes(dir / _T("a.txt"), "foo\n" + big + "\n");
  WriteBytes(dir / _T("b.txt"), "foo\n");
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("foo")}, {_T("bar")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  CStringArray files, unwritten;
  files.Add(dir / _T("a.txt"));
  files.Add(dir / _T("b.txt"));
  PosixFailWritesAfter(1000);  // the disk fills up during the first file's write
  ReplaceInFiles(*job, files, &unwritten, 1);  // one thread: the files are written in list order
  PosixFailWritesAfter(-1);
  EXPECT_EQ(ReadBytes(dir / _T("a.txt")), "foo\n" + big + "\n");
  ASSERT_EQ(unwritten.GetSize(), 2);
  EXPECT_EQ(unwritten[0], dir / _T("a.txt"));
  EXPECT_EQ(ReadBytes(dir / _T("b.txt")), "foo\n");
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt"})) << "no temporary file left";
  // Both were read to the end, so both were reported.
  EXPECT_EQ(Results().size(), 2u);
}
#endif

#ifndef _WIN32
TEST_F(EngineTest, ReadFailingPartWayLeavesTheFileAsItWas) {
  ScratchDir dir;
  std::string body;
  while (body.size() < 600000) body += "foo line\n";
  WriteBytes(dir / _T("a.txt"), body);
  WriteBytes(dir / _T("b.txt"), "foo\n");
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("foo")}, {_T("bar")}, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE));
  for (bool fast : {true, false}) {
    WriteBytes(dir / _T("a.txt"), body);
    WriteBytes(dir / _T("b.txt"), "foo\n");
    g_findResults.RemoveAll();
    counter.Clear();
    CStringArray files, unwritten;
    files.Add(dir / _T("a.txt"));
    files.Add(dir / _T("b.txt"));
    PosixFailReadsAfter(300000);  // the disk fails half way through the first file
    ReplaceInFiles(*job, files, &unwritten, 1, fast);
    PosixFailReadsAfter(-1);
    EXPECT_EQ(ReadBytes(dir / _T("a.txt")), body) << fast;
    EXPECT_EQ(Results(), std::vector<std::string>{}) << fast;
    EXPECT_EQ(Steps(), 0) << "no notification for a file not read to its end";
    EXPECT_EQ(unwritten.GetSize(), 0);
    EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt"}));
  }
}
#endif
