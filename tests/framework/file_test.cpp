#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "framework/afx.h"
#include "framework/file.h"
#include "tests/support/test_support.h"

using namespace ztest;

namespace {
// Exposes the raw line read to the test.
class RawLines : public CStdioFile {
 public:
  using CStdioFile::ReadRawLine;
};
}  // namespace

TEST(CFile, OpenFlagsAndErrors) {
  ScratchDir dir;
  CFile f;
  CFileException err;
  EXPECT_FALSE(f.Open(dir / _T("missing.txt"), CFile::modeReadWrite | CFile::shareDenyNone, &err));
  EXPECT_EQ(err.m_cause, CFileException::fileNotFound);
  ASSERT_TRUE(f.Open(dir / _T("n.txt"), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite));
  f.Write("hello", 5);
  EXPECT_EQ(f.GetLength(), 5u);
  f.SetLength(2);
  EXPECT_EQ(f.GetPosition(), 2u);
  f.Close();
  EXPECT_EQ(ReadBytes(dir / _T("n.txt")), "he");
  // Create on an existing file cuts it to nothing.
  ASSERT_TRUE(f.Open(dir / _T("n.txt"), CFile::modeCreate | CFile::modeWrite));
  f.Close();
  EXPECT_EQ(ReadBytes(dir / _T("n.txt")), "");
}

TEST(CStdioFile, BufferedPositionSeekAndTruncate) {
  ScratchDir dir;
  std::string content;
  for (int i = 0; i < 5000; ++i) content += "line " + std::to_string(i) + "\r\n";
  WriteBytes(dir / _T("t.txt"), content);
  RawLines f;
  f.SetBufferSize(64);  // small, so lines straddle the buffer
  ASSERT_TRUE(f.Open(dir / _T("t.txt"), CFile::modeReadWrite | CFile::shareDenyNone));
  std::string line;
  ASSERT_TRUE(f.ReadRawLine(line, 1));
  EXPECT_EQ(line, "line 0\r\n");
  ULONGLONG mark = f.GetPosition();
  EXPECT_EQ(mark, 8u);
  std::string all;
  while (true) {
    std::string l;
    if (!f.ReadRawLine(l, 1)) break;
    all += l;
  }
  EXPECT_EQ(all, content.substr(8));
  f.Seek(LONGLONG(mark), CFile::begin);
  line.clear();
  ASSERT_TRUE(f.ReadRawLine(line, 1));
  EXPECT_EQ(line, "line 1\r\n");
  f.SetLength(0);
  EXPECT_EQ(f.GetPosition(), 0u);
  f.Write("x\r\n", 3);
  f.Close();
  EXPECT_EQ(ReadBytes(dir / _T("t.txt")), "x\r\n");
}

TEST(CStdioFile, SixteenBitLinesEndOnAlignedUnits) {
  ScratchDir dir;
  // "A" LF-unit "\x0A\x41" (a unit 410A, not a line feed) LF-unit, then a lone byte.
  std::string bytes("\x41\x00\x0A\x00\x0A\x41\x0A\x00\x7F", 9);
  WriteBytes(dir / _T("u.txt"), bytes);
  RawLines f;
  f.SetBufferSize(16);
  ASSERT_TRUE(f.Open(dir / _T("u.txt"), CFile::modeRead));
  std::string a, b, c;
  ASSERT_TRUE(f.ReadRawLine(a, 2));
  EXPECT_EQ(a, std::string("\x41\x00\x0A\x00", 4));
  ASSERT_TRUE(f.ReadRawLine(b, 2));
  EXPECT_EQ(b, std::string("\x0A\x41\x0A\x00", 4));
  EXPECT_FALSE(f.ReadRawLine(c, 2));  // the odd byte is no unit
  char rest;
  EXPECT_EQ(f.Read(&rest, 1), 1u);
  EXPECT_EQ(rest, '\x7F');
}

TEST(CStdioFile, ReadStringIntoBufferStopsAtCapacity) {
  ScratchDir dir;
  WriteBytes(dir / _T("b.txt"), "abcdef\r\nz");
  CStdioFile f;
  ASSERT_TRUE(f.Open(dir / _T("b.txt"), CFile::modeRead));
  WCHAR buf[4];
  ASSERT_NE(f.ReadString(buf, 4), nullptr);
  EXPECT_EQ(CString(buf), _T("abc"));
  EXPECT_THROW(f.ReadString(nullptr, 4), CInvalidArgException);
}

TEST(Afx, MessageBoxIsObservedWithTheProgramNameAsCaption) {
  DialogCapture capture;
  EXPECT_EQ(AfxMessageBox(_T("没找到任何符合条件的文件！"), MB_OK), IDOK);
  ASSERT_EQ(capture.boxes.size(), 1u);
  EXPECT_EQ(capture.boxes[0], _T("没找到任何符合条件的文件！"));
  EXPECT_EQ(capture.captions[0], _T("framework_tests"));
}

TEST(Afx, BeginThreadRunsTheProcedure) {
  static std::atomic<int> ran{0};
  static int seven = 7;
  ran = 0;
  CWinThread* t = AfxBeginThread([](LPVOID p) -> UINT {
    ran = *static_cast<int*>(p);
    return 0;
  }, &seven);
  ASSERT_NE(t, nullptr);
  for (int i = 0; i < 500 && ran == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ran, 7);
}
