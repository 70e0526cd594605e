// New names made from the user's replacement text: nothing may leave its folder, whatever the
// text holds, and a name the platform refuses leaves everything else as it was.
#include <cstdio>

#include "tests/reliability/rel_fixture.h"

using namespace ztest;

namespace {

const Tree kBefore = {{"keep.txt", "4"},           {"t\\", ""},          {"t\\foo.txt", "1"},
                      {"t\\.foo", "2"},            {"t\\foo\\", ""},     {"t\\foo\\x.txt", "3"}};

struct MoveRow {
  const char* name;
  const wchar_t* replacement;  // ASCII only
  Tree after;
  bool trailingDots;  // a new name ends in a dot, which Windows takes off
};

const MoveRow kMoveRows[] = {
    {"backslash_up", L"..\\x", kBefore, false},
    {"slash_up", L"../x", kBefore, false},
    {"backslash_down", L"a\\b", kBefore, false},
    {"slash_root", L"/", kBefore, false},
    // foo.txt -> ..txt is an ordinary name; .foo -> .. and the folder foo -> . are refused.
    {"dot", L".",
     {{"keep.txt", "4"}, {"t\\", ""}, {"t\\..txt", "1"}, {"t\\.foo", "2"}, {"t\\foo\\", ""}, {"t\\foo\\x.txt", "3"}},
     false},
    // .foo -> ... is a name of its own here; the folder foo -> .. is refused.
    {"dot_dot", L"..",
     {{"keep.txt", "4"}, {"t\\", ""}, {"t\\...txt", "1"}, {"t\\...", "2"}, {"t\\foo\\", ""}, {"t\\foo\\x.txt", "3"}},
     true},
    // foo.txt -> .txt; .foo -> . and the folder foo -> (nothing) are refused.
    {"empty", L"",
     {{"keep.txt", "4"}, {"t\\", ""}, {"t\\.txt", "1"}, {"t\\.foo", "2"}, {"t\\foo\\", ""}, {"t\\foo\\x.txt", "3"}},
     false},
};

class Moves : public RelTest, public ::testing::WithParamInterface<MoveRow> {};

CString FromWide(const wchar_t* s) {
  CString out;
  for (; *s; ++s) out += WCHAR(*s);
  return out;
}

TEST_P(Moves, NothingLeavesItsFolder) {
  const MoveRow& row = GetParam();
  BuildTree(dir.Path(), kBefore);
  RunJob(MakeJob(dir / _T("t"), {_T("foo")}, {FromWide(row.replacement)}, FALSE, FALSE, TRUE, TRUE, TRUE, FALSE));
  const Tree after = Snapshot(dir.Path());
  // Every selected entry is reported whether or not it moved.
  std::vector<std::string> results = Results();
  std::sort(results.begin(), results.end());
  EXPECT_EQ(results, (std::vector<std::string>{"File:\\.foo", "File:\\foo", "File:\\foo.txt"}));
#ifdef _WIN32
  if (row.trailingDots) {
    // Windows reads "..." as no name at all; the entry stays or is renamed inside t.
    EXPECT_EQ(after.at("keep.txt"), "4");
    EXPECT_EQ(after.size(), kBefore.size());
    for (const auto& [rel, bytes] : after)
      if (rel != "keep.txt") {
        EXPECT_EQ(rel.rfind("t\\", 0), 0u) << rel;
      }
    return;
  }
#endif
  EXPECT_EQ(after, row.after);
}

INSTANTIATE_TEST_SUITE_P(Names, Moves, ::testing::ValuesIn(kMoveRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Names that Windows refuses. Where the platform takes them (Linux takes all of them), the
// entry is renamed to exactly that name; where it refuses, the entry keeps its name. Either
// way nothing else changes and the run goes on to the next file.
struct RefusedRow {
  const char* name;
  const wchar_t* replacement;
  const char* newName;
};

const RefusedRow kRefusedRows[] = {
    {"device_con", L"con", "con.txt"},   {"device_nul", L"nul", "nul.txt"}, {"device_com1", L"com1", "com1.txt"},
    {"colon", L"a:b", "a:b.txt"},        {"star", L"a*b", "a*b.txt"},       {"question", L"a?b", "a?b.txt"},
    {"pipe", L"a|b", "a|b.txt"},         {"angle", L"a<b", "a<b.txt"},
};

class Refused : public RelTest, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(Refused, FailsQuietlyNothingElseTouched) {
  const RefusedRow& row = GetParam();
  const Tree before = {{"foo.txt", "1"}, {"zfoo.txt", "2"}, {"other.txt", "3"}};
  BuildTree(dir.Path(), before);
  RunJob(MakeJob(dir.Path(), {_T("foo")}, {FromWide(row.replacement)}, FALSE, FALSE, FALSE, TRUE, TRUE, FALSE));
  const Tree after = Snapshot(dir.Path());
  EXPECT_EQ(after.at("other.txt"), "3");
  ASSERT_EQ(after.size(), 3u);
  // zfoo.txt -> z<replacement>.txt, the same fate as foo.txt.
  const std::string moved = row.newName, movedZ = std::string("z") + row.newName;
  const bool renamed = after.count(moved) != 0;
#ifdef _WIN32
  // Each of the two files keeps its name or takes exactly its new one, whichever the platform
  // allows for that name (Wine takes some names Windows refuses, and "zcon" is no device).
  EXPECT_TRUE(renamed ? after.at(moved) == "1" : after.count("foo.txt") && after.at("foo.txt") == "1");
  EXPECT_TRUE(after.count(movedZ) ? after.at(movedZ) == "2" : after.count("zfoo.txt") && after.at("zfoo.txt") == "2");
#else
  EXPECT_TRUE(renamed) << "Linux takes " << row.newName;
  EXPECT_EQ(after, (Tree{{moved, "1"}, {movedZ, "2"}, {"other.txt", "3"}}));
#endif
  EXPECT_EQ(int(g_findResults.GetSize()), 2);
  printf("[ info ] %s: %s\n", row.newName, renamed ? "renamed" : "refused, kept");
}

INSTANTIATE_TEST_SUITE_P(Names, Refused, ::testing::ValuesIn(kRefusedRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
