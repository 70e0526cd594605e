// The whole-file path of the content pass must give exactly what reading line by line gives:
// every byte written, every result line, every notification. Both run here on the same files.
#include <random>

#include "engine/replace.h"
#include "tests/engine/engine_fixture.h"

using namespace ztest;

namespace {

struct Outcome {
  Bytes bytes;
  std::vector<std::string> results;
  int steps;
  bool operator==(const Outcome& o) const { return bytes == o.bytes && results == o.results && steps == o.steps; }
};

class FastPath : public EngineTest {
 protected:
  Outcome RunOne(const Bytes& content, CBatchJob& job, bool fast, int threads) {
    ScratchDir dir;
    WriteBytes(dir / _T("f.txt"), content);
    WriteBytes(dir / _T("g.txt"), content + "\r\ntail " + content);
    job.m_strFolder = dir.Path();
    CStringArray files;
    files.Add(dir / _T("f.txt"));
    files.Add(dir / _T("g.txt"));
    g_findResults.RemoveAll();
    counter.Clear();
    ReplaceInFiles(job, files, nullptr, threads, fast);
    Outcome o{ReadBytes(dir / _T("f.txt")) + "|" + ReadBytes(dir / _T("g.txt")), Results(), Steps()};
    EXPECT_EQ(ListDir(dir.Path()).size(), 2u) << "no temporary file left";
    return o;
  }
};

std::string Hex(const Bytes& b) {
  static const char* x = "0123456789abcdef";
  std::string s;
  for (unsigned char c : b) s += std::string(1, x[c >> 4]) + x[c & 15] + " ";
  return s;
}

// Pieces that make the interesting cases likely: the find text whole and cut, line ends of every
// kind, bytes no decoder takes, marks, zeros, CJK in UTF-8 and GBK.
const char* kPieces[] = {"foo", "fo", "o", "bar", "\r\n", "\n", "\r", "\r\r\n", " ", "x", "\xE4\xB8\xAD", "\xD6\xD0",
                         "\xFF", "\x80", "\xC3", "\xED\xA0\x80", "\xF0\x9F\x98\x80", std::string("\0", 1).c_str(), "FOO"};

Bytes RandomContent(std::mt19937& rng) {
  Bytes out;
  int kind = int(rng() % 6);
  if (kind == 1) out = "\xEF\xBB\xBF";
  bool u16 = kind == 2 || kind == 3;
  if (kind == 2) out = "\xFF\xFE";
  if (kind == 3) out = "\xFE\xFF";
  int n = int(rng() % 40);
  for (int i = 0; i < n; ++i) {
    size_t p = rng() % (sizeof kPieces / sizeof *kPieces);
    std::string piece = p == 17 ? std::string("\0", 1) : kPieces[p];
    if (u16) {
      for (char c : piece) {
        out += kind == 2 ? c : '\0';
        out += kind == 2 ? '\0' : c;
      }
    } else {
      out += piece;
    }
  }
  if (kind == 5 && !out.empty()) out.pop_back();
  return out;
}

}  // namespace

TEST_F(FastPath, SameBytesResultsAndNotificationsAsLineByLine) {
  struct JobRow {
    std::vector<CString> find, replace;
    BOOL findOnly;
  } jobs[] = {
      {{_T("foo")}, {_T("bar")}, FALSE},
      {{_T("foo")}, {_T("中")}, FALSE},
      {{_T("o")}, {_T("")}, FALSE},
      {{_T("foo")}, {_T("X"), _T("Y"), _T("Z")}, FALSE},
      {{_T("foo"), _T("bar")}, {_T("1"), _T("2")}, FALSE},
      {{_T("中")}, {_T("zh")}, FALSE},
      {{_T("foo")}, {_T("bar")}, TRUE},
  };
  std::mt19937 rng(20261211);
  int compared = 0;
  for (int round = 0; round < 60; ++round) {
    Bytes content = RandomContent(rng);
    for (const JobRow& j : jobs) {
      std::unique_ptr<CBatchJob> job(MakeJob(_T(""), j.find, j.replace, TRUE, j.findOnly, TRUE, FALSE, TRUE, FALSE));
      Outcome slow = RunOne(content, *job, false, 1);
      Outcome fast = RunOne(content, *job, true, 1);
      Outcome parallel = RunOne(content, *job, true, 2);
      ASSERT_TRUE(slow == fast) << "input " << Hex(content) << "\nslow " << Hex(slow.bytes) << "\nfast "
                                << Hex(fast.bytes) << "\nresults " << slow.results.size() << " vs " << fast.results.size();
      ASSERT_TRUE(slow == parallel) << Hex(content);
      ++compared;
    }
  }
  EXPECT_EQ(compared, 60 * 7);
}

TEST_F(FastPath, ManyFilesOnSeveralThreadsKeepListOrder) {
  ScratchDir dir;
  CStringArray files;
  for (int i = 0; i < 200; ++i) {
    CString name;
    name.Format(_T("f%03d.txt"), i);
    std::string body;
    for (int l = 0; l < i % 7; ++l) body += (l % 2 ? "foo\n" : "x\r\n");
    WriteBytes(dir / name, body);
    files.Add(dir / name);
  }
  std::unique_ptr<CBatchJob> job(MakeJob(dir.Path(), {_T("foo")}, {_T("bar")}, TRUE, TRUE, TRUE, FALSE, TRUE, FALSE));
  ReplaceInFiles(*job, files, nullptr, 1, false);
  std::vector<std::string> single = Results();
  g_findResults.RemoveAll();
  ReplaceInFiles(*job, files, nullptr, 4, true);
  EXPECT_EQ(Results(), single);
  EXPECT_FALSE(single.empty());
}
