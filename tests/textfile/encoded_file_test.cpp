#include "textfile/encoded_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/textfile/expected_rewrite.h"

#include "tests/textfile/byte_literals.h"

namespace {

using ztest::B;
using ztest::Bytes;
using ztest::U;
using ztest::Units;

Units A(const char* ascii) {
  Units s;
  for (; *ascii; ++ascii) s += WCHAR(BYTE(*ascii));
  return s;
}

// UTF-16 bytes of the units, low byte first or high byte first.
Bytes Le(const Units& u) {
  Bytes s;
  for (WCHAR c : u) s += char(c & 0xFF), s += char(c >> 8);
  return s;
}
Bytes Be(const Units& u) {
  Bytes s;
  for (WCHAR c : u) s += char(c >> 8), s += char(c & 0xFF);
  return s;
}

struct Outcome {
  int encoding = -99;
  BOOL unicode = -1, utf8 = -1, isText = -1;
  std::vector<Units> lines;
  Bytes rewritten;  // in place: SetLength(0) and WriteLine of every line through the same object
  Bytes copied;     // the same lines through CopyEncodingFrom into a new file
};

const UINT kReadWrite = CFile::modeReadWrite | CFile::shareDenyNone;                       // 66
const UINT kCreateWrite = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite;  // 4129

Outcome RunRewrite(const Bytes& bytes) {
  ztest::ScratchDir dir;
  const CString path = dir / _T("in.txt");
  const CString copyPath = dir / _T("copy.txt");
  Outcome o;
  for (int pass = 0; pass < 2; ++pass) {
    ztest::WriteBytes(path, bytes);
    CReadAUStdioFile f;
    EXPECT_TRUE(f.Open(path, kReadWrite));
    if (pass == 0) {
      EXPECT_EQ(2, sizeof(WCHAR));
      o.encoding = f.m_nEncoding;
      o.unicode = f.m_bUnicode;
      o.utf8 = f.m_bUtf8;
      o.isText = f.m_bIsText;
    }
    std::vector<CString> lines;
    CString line;
    while (f.ReadString(line)) lines.push_back(line);
    EXPECT_TRUE(line.IsEmpty());
    if (pass == 0) {
      for (auto& l : lines) o.lines.push_back(l.Str());
      f.SetLength(0);
      for (auto& l : lines) f.WriteLine(l);
      f.Close();
      o.rewritten = ztest::ReadBytes(path);
    } else {
      CReadAUStdioFile out;
      EXPECT_TRUE(out.Open(copyPath, kCreateWrite));
      out.CopyEncodingFrom(f);
      for (auto& l : lines) out.WriteLine(l);
      out.Close();
      f.Close();
      o.copied = ztest::ReadBytes(copyPath);
      EXPECT_EQ(bytes, ztest::ReadBytes(path)) << "reading alone must not touch the file";
    }
  }
  return o;
}

std::string Hex(const Bytes& b) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : b) s += d[c >> 4], s += d[c & 15], s += ' ';
  return s;
}

// ---- The corpus: one text, every encoding. ----

// "Zentrel 替换" / "第二行" / "" / "end", the last line without a line end, with line ends
// CR LF, LF and CR CR LF in between; the Unicode encodings add "é😀" as a fifth line.
struct CorpusRow {
  const char* name;
  Bytes in;
  int encoding;
  BOOL unicode, utf8, isText;
  Bytes out;
  bool hasEmoji;
};

const Units kLine1 = U({'Z', 'e', 'n', 't', 'r', 'e', 'l', ' ', 0x66FF, 0x6362});
const Units kLine2 = U({0x7B2C, 0x4E8C, 0x884C});
const Units kLine4 = A("end");
const Units kLine5 = U({0xE9, 0xD83D, 0xDE00});

std::vector<CorpusRow> Corpus() {
  const Bytes u8l1 = "Zentrel " + B({0xE6, 0x9B, 0xBF, 0xE6, 0x8D, 0xA2});
  const Bytes u8l2 = B({0xE7, 0xAC, 0xAC, 0xE4, 0xBA, 0x8C, 0xE8, 0xA1, 0x8C});
  const Bytes u8l5 = B({0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80});
  const Bytes gbl1 = "Zentrel " + B({0xCC, 0xE6, 0xBB, 0xBB});
  const Bytes gbl2 = B({0xB5, 0xDA, 0xB6, 0xFE, 0xD0, 0xD0});
  const Bytes mark8 = B({0xEF, 0xBB, 0xBF});
  auto eight = [](const Bytes& mark, const Bytes& l1, const Bytes& l2, const Bytes& l5, bool in) {
    if (in) return mark + l1 + "\r\n" + l2 + "\n" + "\r\r\n" + "end" + (l5.empty() ? "" : "\n" + l5);
    return mark + l1 + "\r\n" + l2 + "\r\n" + "\r\n" + "end\r\n" + (l5.empty() ? "" : l5 + "\r\n");
  };
  auto sixteen = [](Bytes (*enc)(const Units&), const Bytes& mark, bool in) {
    const Units cr = U({0x0D}), lf = U({0x0A}), crlf = U({0x0D, 0x0A});
    if (in) return mark + enc(kLine1 + crlf + kLine2 + lf + cr + cr + lf + kLine4 + lf + kLine5);
    return mark + enc(kLine1 + crlf + kLine2 + crlf + crlf + kLine4 + crlf + kLine5 + crlf);
  };
  return {
      {"UTF-16 LE with mark", sixteen(Le, B({0xFF, 0xFE}), true), 1, TRUE, FALSE, TRUE,
       sixteen(Le, B({0xFF, 0xFE}), false), true},
      {"UTF-16 BE with mark", sixteen(Be, B({0xFE, 0xFF}), true), 2, TRUE, FALSE, TRUE,
       sixteen(Be, B({0xFE, 0xFF}), false), true},
      {"UTF-8 with mark", eight(mark8, u8l1, u8l2, u8l5, true), 3, FALSE, TRUE, TRUE,
       eight(mark8, u8l1, u8l2, u8l5, false), true},
      {"UTF-8 without mark", eight("", u8l1, u8l2, u8l5, true), 0, FALSE, TRUE, TRUE,
       eight("", u8l1, u8l2, u8l5, false), true},
      {"ANSI (code page 936)", eight("", gbl1, gbl2, "", true), 0, FALSE, FALSE, TRUE,
       eight("", gbl1, gbl2, "", false), false},
  };
}

TEST(EncodedFileCorpus, SameTextInEveryEncoding) {
  for (const auto& row : Corpus()) {
    SCOPED_TRACE(row.name);
    Outcome o = RunRewrite(row.in);
    EXPECT_EQ(row.encoding, o.encoding);
    EXPECT_EQ(row.unicode, o.unicode);
    EXPECT_EQ(row.utf8, o.utf8);
    EXPECT_EQ(row.isText, o.isText);
    std::vector<Units> lines = {kLine1, kLine2, Units(), kLine4};
    if (row.hasEmoji) lines.push_back(kLine5);
    EXPECT_EQ(lines, o.lines);
    EXPECT_EQ(Hex(row.out), Hex(o.rewritten));
    EXPECT_EQ(Hex(row.out), Hex(o.copied));
    EXPECT_EQ(Hex(ztest::ExpectedRewrite(row.in)), Hex(row.out)) << "the independent rule agrees";
  }
}

// ---- Edge cases: bytes in, lines and bytes out. ----

struct EdgeRow {
  const char* name;
  Bytes in;
  int encoding;
  BOOL unicode, utf8, isText;
  std::vector<Units> lines;
  Bytes out;
};

TEST(EncodedFileEdges, BytesInLinesAndBytesOut) {
  const EdgeRow rows[] = {
      {"empty file", "", 0, FALSE, FALSE, TRUE, {}, ""},
      {"no line end", "abc", 0, FALSE, FALSE, TRUE, {A("abc")}, "abc\r\n"},
      {"no empty line after final LF", "abc\r\n", 0, FALSE, FALSE, TRUE, {A("abc")}, "abc\r\n"},
      {"two empty lines", "\r\n\r\n", 0, FALSE, FALSE, TRUE, {Units(), Units()}, "\r\n\r\n"},
      {"bare LFs", "a\nb\n", 0, FALSE, FALSE, TRUE, {A("a"), A("b")}, "a\r\nb\r\n"},
      {"every CR before LF goes", "a\r\r\n", 0, FALSE, FALSE, TRUE, {A("a")}, "a\r\n"},
      {"CR inside a line stays", "a\rb\n", 0, FALSE, FALSE, TRUE, {A("a\rb")}, "a\rb\r\n"},
      {"CR at the very end goes", "a\r", 0, FALSE, FALSE, TRUE, {A("a")}, "a\r\n"},
      {"UTF-16 LE", B({0xFF, 0xFE, 0x41, 0, 0x0D, 0, 0x0A, 0}), 1, TRUE, FALSE, TRUE, {A("A")},
       B({0xFF, 0xFE, 0x41, 0, 0x0D, 0, 0x0A, 0})},
      {"UTF-16 BE is high byte first", B({0xFE, 0xFF, 0, 0x41, 0x4E, 0x2D, 0, 0x0A}), 2, TRUE, FALSE, TRUE,
       {U({0x41, 0x4E2D})}, B({0xFE, 0xFF, 0, 0x41, 0x4E, 0x2D, 0, 0x0D, 0, 0x0A})},
      {"UTF-16 BE: byte 0A low in a unit is no line end", B({0xFE, 0xFF, 0x0A, 0x00, 0, 0x41}), 2, TRUE, FALSE,
       TRUE, {U({0x0A00, 0x41})}, B({0xFE, 0xFF, 0x0A, 0x00, 0, 0x41, 0, 0x0D, 0, 0x0A})},
      {"UTF-16 mark alone", B({0xFF, 0xFE}), 1, TRUE, FALSE, TRUE, {}, ""},
      {"UTF-16 mark and one byte", B({0xFF, 0xFE, 0x41}), 1, TRUE, FALSE, TRUE, {}, ""},
      {"UTF-16 odd byte after the last line", B({0xFF, 0xFE, 0x41, 0, 0x42}), 1, TRUE, FALSE, TRUE, {A("A")},
       B({0xFF, 0xFE, 0x41, 0, 0x0D, 0, 0x0A, 0, 0x42})},
      {"UTF-16 BE odd byte after a line end", B({0xFE, 0xFF, 0, 0x41, 0, 0x0A, 0x7E}), 2, TRUE, FALSE, TRUE,
       {A("A")}, B({0xFE, 0xFF, 0, 0x41, 0, 0x0D, 0, 0x0A, 0x7E})},
      {"UTF-16 lone surrogates and zero unit", B({0xFF, 0xFE, 0x00, 0xD8, 0, 0, 0x00, 0xDC, 0x80, 0xDC}), 1, TRUE,
       FALSE, TRUE, {U({0xD800, 0, 0xDC00, 0xDC80})},
       B({0xFF, 0xFE, 0x00, 0xD8, 0, 0, 0x00, 0xDC, 0x80, 0xDC, 0x0D, 0, 0x0A, 0})},
      {"UTF-16 mark: text whatever it holds", B({0xFF, 0xFE, 0, 0, 0x0A, 0}), 1, TRUE, FALSE, TRUE, {U({0})},
       B({0xFF, 0xFE, 0, 0, 0x0D, 0, 0x0A, 0})},
      {"UTF-8 mark", B({0xEF, 0xBB, 0xBF, 0x78}), 3, FALSE, TRUE, TRUE, {A("x")}, B({0xEF, 0xBB, 0xBF, 0x78, 0x0D, 0x0A})},
      {"UTF-8 mark alone", B({0xEF, 0xBB, 0xBF}), 3, FALSE, TRUE, TRUE, {}, ""},
      {"unmarked UTF-8", B({0xC3, 0xA9, 0x0A}), 0, FALSE, TRUE, TRUE, {U({0xE9})}, B({0xC3, 0xA9, 0x0D, 0x0A})},
      {"CJK character on bytes 2 to 4 is still UTF-8", B({0x78, 0x79, 0xE4, 0xB8, 0xAD}), 0, FALSE, TRUE, TRUE,
       {U({0x78, 0x79, 0x4E2D})}, B({0x78, 0x79, 0xE4, 0xB8, 0xAD, 0x0D, 0x0A})},
      {"CJK character on bytes 1 to 3 is still UTF-8", B({0x78, 0xE4, 0xB8, 0xAD}), 0, FALSE, TRUE, TRUE,
       {U({0x78, 0x4E2D})}, B({0x78, 0xE4, 0xB8, 0xAD, 0x0D, 0x0A})},
      {"four-byte UTF-8 is a pair", B({0xF0, 0x9F, 0x98, 0x80}), 0, FALSE, TRUE, TRUE, {U({0xD83D, 0xDE00})},
       B({0xF0, 0x9F, 0x98, 0x80, 0x0D, 0x0A})},
      {"forms the test passes and the decoder refuses", B({0xC3, 0xA9, 0xC0, 0x80, 0xED, 0xA0, 0x80, 0x0A}), 0,
       FALSE, TRUE, TRUE, {U({0xE9, 0xDCC0, 0xDC80, 0xDCED, 0xDCA0, 0xDC80})},
       B({0xC3, 0xA9, 0xC0, 0x80, 0xED, 0xA0, 0x80, 0x0D, 0x0A})},
      {"zero byte: not text, lines still whole", B({0x61, 0, 0x62, 0x0A}), 0, FALSE, FALSE, FALSE,
       {U({0x61, 0, 0x62})}, B({0x61, 0, 0x62, 0x0D, 0x0A})},
      {"UTF-16 LE without mark is not text", B({0x41, 0, 0x42, 0}), 0, FALSE, FALSE, FALSE, {U({0x41, 0, 0x42, 0})},
       B({0x41, 0, 0x42, 0, 0x0D, 0x0A})},
      {"GBK", B({0xCC, 0xE6, 0xBB, 0xBB, 0x0A}), 0, FALSE, FALSE, TRUE, {U({0x66FF, 0x6362})},
       B({0xCC, 0xE6, 0xBB, 0xBB, 0x0D, 0x0A})},
      {"GBK lead byte alone before the line end", B({0xCC, 0xE6, 0x81, 0x0D, 0x0A}), 0, FALSE, FALSE, TRUE,
       {U({0x66FF, 0xDC81})}, B({0xCC, 0xE6, 0x81, 0x0D, 0x0A})},
      {"GBK lead byte with a trail it cannot have", B({0x81, 0x7F, 0x41}), 0, FALSE, FALSE, TRUE,
       {U({0xDC81, 0x7F, 0x41})}, B({0x81, 0x7F, 0x41, 0x0D, 0x0A})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Outcome o = RunRewrite(row.in);
    EXPECT_EQ(row.encoding, o.encoding);
    EXPECT_EQ(row.unicode, o.unicode);
    EXPECT_EQ(row.utf8, o.utf8);
    EXPECT_EQ(row.isText, o.isText);
    EXPECT_EQ(row.lines, o.lines);
    EXPECT_EQ(Hex(row.out), Hex(o.rewritten));
    EXPECT_EQ(Hex(row.out), Hex(o.copied));
  }
}

// ---- Bytes no decoder accepts: only the bytes out are the same on every platform. ----

struct LosslessRow {
  const char* name;
  Bytes in;
  BOOL utf8;
};

Bytes Repeat(const Bytes& unit, size_t times) {
  Bytes s;
  s.reserve(unit.size() * times);
  for (size_t i = 0; i < times; ++i) s += unit;
  return s;
}

TEST(EncodedFileLossless, UndecodableBytesComeBackUnchanged) {
  const Bytes longUtf8 = Repeat("abc " + B({0xC3, 0xA9}) + "\r\n", 20000);  // 160000 bytes, past the sample
  const LosslessRow rows[] = {
      {"invalid UTF-8 after the detection sample", longUtf8 + "x" + B({0xFF, 0x80, 0xC3}) + "y\n" + B({0xE4, 0xB8}), TRUE},
      {"truncated sequences in a UTF-8 file", longUtf8 + B({0xE4, 0xB8, 0x0A, 0xF0, 0x9F, 0x98, 0x0D, 0x0A}), TRUE},
      {"bytes 80 and FF in ANSI", B({0x41, 0x80, 0x42, 0xFF, 0x43, 0x0A, 0xFE, 0xFE}), FALSE},
      {"lead byte before LF", B({0xCC, 0xE6, 0x81, 0x0A, 0xCC}), FALSE},
      {"lead byte before CR", B({0xCC, 0x0D, 0x41, 0x0A}), FALSE},
      {"zero inside a GBK character", B({0xCC, 0x00, 0xE6, 0x0A}), FALSE},
      {"UTF-8 bytes that fail the test as ANSI", B({0xE4, 0xB8, 0xAD, 0xFF, 0xC3, 0xA9, 0x0A}), FALSE},
      {"zero after the NUL sample", Repeat("a", 16384) + B({0, 0x62, 0x0A}), FALSE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Outcome o = RunRewrite(row.in);
    EXPECT_EQ(row.utf8, o.utf8);
    const Bytes want = ztest::ExpectedRewrite(row.in);
    EXPECT_TRUE(want == o.rewritten) << "want " << Hex(want.substr(want.size() > 64 ? want.size() - 64 : 0))
                                     << "\n got " << Hex(o.rewritten.substr(o.rewritten.size() > 64 ? o.rewritten.size() - 64 : 0));
    EXPECT_TRUE(want == o.copied);
    for (const auto& l : o.lines) ASSERT_EQ(Units::npos, l.find(WCHAR(0x0A)));
  }
}

TEST(EncodedFileLossless, SampleCutInsideACharacterStillCountsAsUtf8) {
  // The UTF-8 test sample is 102400 bytes; the CJK character here covers bytes 102399 to 102401.
  const Bytes in = B({0xC3, 0xA9, 0x0A}) + Repeat("a", 102400 - 3 - 1) + B({0xE4, 0xB8, 0xAD, 0x0A});
  Outcome o = RunRewrite(in);
  EXPECT_EQ(TRUE, o.utf8);
  ASSERT_EQ(2u, o.lines.size());
  EXPECT_EQ(WCHAR(0x4E2D), o.lines[1].back());
  EXPECT_TRUE(ztest::ExpectedRewrite(in) == o.rewritten);
}

struct ChangeRow {
  const char* name;
  Bytes in;
  Bytes out;
};

// A changed line keeps the bytes of its unchanged parts.
TEST(EncodedFileLossless, ChangedLineKeepsUndecodableBytes) {
  const ChangeRow rows[] = {
      {"ANSI", B({0x66, 0x6F, 0x6F, 0x20, 0xFF, 0x81, 0x20, 0xCC, 0xE6, 0x81}),
       B({0x71, 0x75, 0x78, 0xCC, 0xE6, 0x20, 0xFF, 0x81, 0x20, 0xCC, 0xE6, 0x81, 0x0D, 0x0A})},
      {"UTF-8", B({0xC3, 0xA9, 0x66, 0x6F, 0x6F, 0xC0, 0x80, 0xF0, 0x9F, 0x98, 0x80}),
       B({0xC3, 0xA9, 0x71, 0x75, 0x78, 0xE6, 0x9B, 0xBF, 0xC0, 0x80, 0xF0, 0x9F, 0x98, 0x80, 0x0D, 0x0A})},
      {"UTF-16 BE with lone surrogate and odd byte", B({0xFE, 0xFF, 0, 0x66, 0, 0x6F, 0, 0x6F, 0xDC, 0x00, 0x33}),
       B({0xFE, 0xFF, 0, 0x71, 0, 0x75, 0, 0x78, 0x66, 0xFF, 0xDC, 0x00, 0, 0x0D, 0, 0x0A, 0x33})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ztest::ScratchDir dir;
    const CString path = dir / _T("c.txt");
    ztest::WriteBytes(path, row.in);
    CReadAUStdioFile f;
    ASSERT_TRUE(f.Open(path, kReadWrite));
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    const WCHAR qux[] = {'q', 'u', 'x', 0x66FF, 0};
    EXPECT_EQ(1, line.Replace(CString(_T("foo")), CString(qux)));
    f.SetLength(0);
    f.WriteLine(line);
    f.Close();
    EXPECT_EQ(Hex(row.out), Hex(ztest::ReadBytes(path)));
  }
}

// ---- Long lines: far longer than a read piece and than the stream buffer. ----

TEST(EncodedFileLongLines, ComeBackWholeInEveryEncoding) {
  struct Row {
    const char* name;
    Bytes unit;   // one character's bytes, repeated
    WCHAR text;   // what it reads as
    size_t times;
    Bytes mark;
    bool wide;
  };
  const Row rows[] = {
      {"ANSI, three read pieces", B({0xCC, 0xE6}), 0x66FF, 3 * 5120 / 2 + 1, "", false},
      {"UTF-8, three read pieces", B({0xE4, 0xB8, 0xAD}), 0x4E2D, 3 * 5120 / 3 + 1, "", false},
      {"UTF-8 past the stream buffer", B({0xE4, 0xB8, 0xAD}), 0x4E2D, 300000, "", false},
      {"UTF-16 past the stream buffer", B({0x2D, 0x4E}), 0x4E2D, 200000, B({0xFF, 0xFE}), true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Bytes end = row.wide ? B({0x0D, 0, 0x0A, 0}) : Bytes("\r\n");
    const Bytes in = row.mark + Repeat(row.unit, row.times) + end + (row.wide ? B({0x78, 0}) : "x");
    Outcome o = RunRewrite(in);
    ASSERT_EQ(2u, o.lines.size());
    EXPECT_EQ(Units(row.times, row.text), o.lines[0]);
    EXPECT_EQ(A("x"), o.lines[1]);
    EXPECT_TRUE(in + end == o.rewritten);
    EXPECT_TRUE(in + end == o.copied);
  }
}

// ---- The buffer form of ReadString. ----

TEST(EncodedFileBufferRead, PiecesFitAndJoinToTheLine) {
  struct Row {
    const char* name;
    Bytes in;
    UINT capacity;
    std::vector<Units> pieces;
  };
  const Row rows[] = {
      {"line end kept, CR with it", "abc\r\n", 16, {A("abc\r\n")}},
      {"CR at the end of the file goes", "abc\r", 16, {A("abc")}},
      {"line longer than the buffer", "abcdef\n", 4, {A("abc"), A("def"), A("\n")}},
      {"UTF-8 character not split", B({0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x61, 0x62, 0x0A}), 5,
       {U({0x4E2D}), U({0x6587, 0x61}), U({0x62, 0x0A})}},
      {"GBK character not split", B({0xCC, 0xE6, 0xBB, 0xBB, 0x78, 0x0A}), 4, {U({0x66FF}), U({0x6362, 0x78}), A("\n")}},
      {"UTF-16", B({0xFF, 0xFE, 0x41, 0, 0x2D, 0x4E, 0x42, 0, 0x0A, 0}), 3, {U({0x41, 0x4E2D}), U({0x42, 0x0A})}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ztest::ScratchDir dir;
    const CString path = dir / _T("b.txt");
    ztest::WriteBytes(path, row.in);
    CReadAUStdioFile f;
    ASSERT_TRUE(f.Open(path, kReadWrite));
    std::vector<WCHAR> buf(row.capacity + 1, 0x7777);
    std::vector<Units> pieces;
    while (LPWSTR got = f.ReadString(buf.data(), row.capacity)) {
      ASSERT_EQ(buf.data(), got);
      pieces.push_back(Units(got));
      ASSERT_LT(pieces.back().size(), row.capacity);
      ASSERT_LT(pieces.size(), 20u);
    }
    EXPECT_EQ(row.pieces, pieces);
    EXPECT_EQ(WCHAR(0x7777), buf[row.capacity]) << "nothing written past the capacity";
  }
}

TEST(EncodedFileBufferRead, NullBufferIsRefused) {
  ztest::ScratchDir dir;
  ztest::WriteBytes(dir / _T("n.txt"), "abc");
  CReadAUStdioFile f;
  ASSERT_TRUE(f.Open(dir / _T("n.txt"), kReadWrite));
  EXPECT_THROW(f.ReadString(nullptr, 16), CInvalidArgException);
}

// ---- Open, Close and writing. ----

TEST(EncodedFileWrite, OpenedForWritingOnlyIsAnsiWithoutMark) {
  struct Row {
    const char* name;
    Bytes before;
    Units text;
    Bytes after;
  };
  const Row rows[] = {
      {"new file", "", A("x"), B({0x78, 0x0D, 0x0A})},
      {"UTF-16 file is emptied and written as ANSI", B({0xFF, 0xFE, 0x41, 0}), A("x"), B({0x78, 0x0D, 0x0A})},
      {"Chinese in code page 936", "", U({0x66FF, 0x6362}), B({0xCC, 0xE6, 0xBB, 0xBB, 0x0D, 0x0A})},
      {"zero unit survives the CString form", "", U({0x61, 0, 0x62}), B({0x61, 0, 0x62, 0x0D, 0x0A})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ztest::ScratchDir dir;
    const CString path = dir / _T("w.txt");
    if (!row.before.empty()) ztest::WriteBytes(path, row.before);
    CReadAUStdioFile f;
    ASSERT_TRUE(f.Open(path, kCreateWrite));
    EXPECT_EQ(0, f.m_nEncoding);
    EXPECT_FALSE(f.m_bUnicode);
    EXPECT_FALSE(f.m_bUtf8);
    f.WriteLine(CString(row.text));
    f.Close();
    EXPECT_EQ(Hex(row.after), Hex(ztest::ReadBytes(path)));
  }
}

TEST(EncodedFileWrite, PointerFormsStopAtZeroAndAddNoLineEnd) {
  ztest::ScratchDir dir;
  const CString path = dir / _T("p.txt");
  ztest::WriteBytes(path, B({0xEF, 0xBB, 0xBF, 0x61}));
  CReadAUStdioFile f;
  ASSERT_TRUE(f.Open(path, kReadWrite));
  f.SetLength(0);
  const WCHAR text[] = {0x4E2D, 0, 0x41, 0};
  f.WriteString(text);
  f.WriteString(_T("|"));
  f.WriteLine(text);
  f.Close();
  EXPECT_EQ(Hex(B({0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD, 0x7C, 0xE4, 0xB8, 0xAD, 0x0D, 0x0A})),
            Hex(ztest::ReadBytes(path)));
}

TEST(EncodedFileWrite, MarkOnlyWhenTheFileIsEmptyAtTheFirstWrite) {
  ztest::ScratchDir dir;
  const CString path = dir / _T("m.txt");
  ztest::WriteBytes(path, B({0xFF, 0xFE, 0x41, 0, 0x0A, 0}));
  CReadAUStdioFile f;
  ASSERT_TRUE(f.Open(path, kReadWrite));
  CString line;
  ASSERT_TRUE(f.ReadString(line));
  f.WriteLine(_T("B"));  // appended after the existing content: no second mark
  f.Close();
  EXPECT_EQ(Hex(B({0xFF, 0xFE, 0x41, 0, 0x0A, 0, 0x42, 0, 0x0D, 0, 0x0A, 0})), Hex(ztest::ReadBytes(path)));
}

TEST(EncodedFileLifecycle, CloseResetsEverythingAndOpenDetectsAgain) {
  ztest::ScratchDir dir;
  const CString ascii = dir / _T("a.txt");
  const CString wide = dir / _T("w.txt");
  ztest::WriteBytes(ascii, "plain\n");
  ztest::WriteBytes(wide, B({0xFE, 0xFF, 0, 0x41}));
  CReadAUStdioFile f(1, TRUE);
  EXPECT_EQ(1, f.m_nEncoding);
  EXPECT_TRUE(f.m_bAssumeUtf8);
  ASSERT_TRUE(f.Open(ascii, kReadWrite));
  EXPECT_EQ(1, f.m_nEncoding);  // a preset stands over an unmarked file
  EXPECT_FALSE(f.m_bUnicode);
  EXPECT_TRUE(f.m_bUtf8);  // taken as UTF-8 untested
  f.Close();
  EXPECT_EQ(-1, f.m_nEncoding);
  EXPECT_FALSE(f.m_bIsText || f.m_bUnicode || f.m_bUtf8 || f.m_bAssumeUtf8 || f.m_bBomWritten);
  f.WriteLine(_T("ignored"));  // a closed object writes nothing and raises nothing
  ASSERT_TRUE(f.Open(ascii, kReadWrite));
  EXPECT_EQ(0, f.m_nEncoding);
  EXPECT_FALSE(f.m_bUtf8);
  f.Close();
  ASSERT_TRUE(f.Open(wide, kReadWrite));
  EXPECT_EQ(2, f.m_nEncoding);
  CString line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(A("A"), line.Str());
  f.Close();
  EXPECT_EQ(Hex(B({0xFE, 0xFF, 0, 0x41})), Hex(ztest::ReadBytes(wide)));
  EXPECT_FALSE(f.Open(dir / _T("missing.txt"), kReadWrite));
}

TEST(EncodedFileLifecycle, DestructorFlushesWhatWasWritten) {
  ztest::ScratchDir dir;
  const CString path = dir / _T("d.txt");
  ztest::WriteBytes(path, B({0xFF, 0xFE, 0x41, 0, 0x42}));
  {
    CReadAUStdioFile f;
    ASSERT_TRUE(f.Open(path, kReadWrite));
    f.SetLength(0);
    f.WriteLine(_T("C"));
  }
  EXPECT_EQ(Hex(B({0xFF, 0xFE, 0x43, 0, 0x0D, 0, 0x0A, 0, 0x42})), Hex(ztest::ReadBytes(path)));
}

TEST(EncodedFileRead, Utf8BlockComesBackInTheCodePage) {
  ztest::ScratchDir dir;
  const CString path = dir / _T("r.txt");
  ztest::WriteBytes(path, B({0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD, 0x41}));
  CReadAUStdioFile f;
  ASSERT_TRUE(f.Open(path, kReadWrite));
  char buf[16];
  memset(buf, 0x55, sizeof buf);
  EXPECT_EQ(3u, f.Read(buf, sizeof buf));
  EXPECT_EQ(Hex(B({0xD6, 0xD0, 0x41, 0})), Hex(Bytes(buf, 4)));
  // A count too small for the text and its zero: cut to fit.
  f.Seek(3, CFile::begin);
  memset(buf, 0x55, sizeof buf);
  EXPECT_EQ(2u, f.Read(buf, 3));
  EXPECT_EQ(Hex(B({0xD6, 0xD0, 0})), Hex(Bytes(buf, 3)));
}

#ifndef _WIN32
TEST(EncodedFileWrite, DiskFullRaisesFileException) {
  ztest::ScratchDir dir;
  const CString path = dir / _T("f.txt");
  ztest::WriteBytes(path, "old\n");
  CReadAUStdioFile f;
  ASSERT_TRUE(f.Open(path, kReadWrite));
  f.SetLength(0);
  PosixFailWritesAfter(3);
  bool raised = false;
  try {
    for (int i = 0; i < 100000; ++i) f.WriteLine(_T("a line that will not fit"));
    f.Close();
  } catch (CFileException& e) {
    raised = true;
    EXPECT_EQ(CFileException::diskFull, e.m_cause);
  }
  PosixFailWritesAfter(-1);
  EXPECT_TRUE(raised);
}
#endif

// ---- The round-trip property on arbitrary bytes (the fuzz target checks the same at scale). ----

TEST(EncodedFileRoundTrip, RandomBytesComeBackNormalised) {
  std::mt19937 rng(4242);
  const int pool[] = {0x00, 0x0A, 0x0D, 0x41, 0x7F, 0x80, 0x81, 0xA0, 0xBF, 0xC0, 0xC3, 0xCC, 0xD8, 0xDC,
                      0xE4, 0xE6, 0xED, 0xEF, 0xF0, 0xF4, 0xFE, 0xFF, 0xBB, 0xA9, 0x40, 0x20};
  const Bytes marks[] = {"", B({0xFF, 0xFE}), B({0xFE, 0xFF}), B({0xEF, 0xBB, 0xBF})};
  for (int round = 0; round < 300; ++round) {
    Bytes in = marks[rng() % 4];
    int len = int(rng() % 40);
    for (int i = 0; i < len; ++i) in += char(pool[rng() % (sizeof pool / sizeof pool[0])]);
    Outcome o = RunRewrite(in);
    const Bytes want = ztest::ExpectedRewrite(in);
    ASSERT_EQ(Hex(want), Hex(o.rewritten)) << "input " << Hex(in);
    ASSERT_EQ(Hex(want), Hex(o.copied)) << "input " << Hex(in);
  }
}

}  // namespace
