// Arbitrary bytes written to a file, read line by line, and written back through the same object
// (and through a second object given the first one's encoding) must give the input with only its
// line ends made CR LF. The expectation is worked out from the bytes alone.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/textfile/expected_rewrite.h"
#include "textfile/encoded_file.h"

namespace {

std::string g_in, g_copy;

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) abort();
  fclose(f);
}

std::string ReadFileBytes(const std::string& path) {
  std::string s;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) abort();
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  fclose(f);
  return s;
}

CString Wide(const std::string& ascii) {
  CString s;
  for (char c : ascii) s += WCHAR(BYTE(c));
  return s;
}

void Fail(const char* what, const std::string& in, const std::string& want, const std::string& got) {
  auto hex = [](const std::string& b) {
    for (unsigned char c : b) fprintf(stderr, "%02X", c);
    fprintf(stderr, "\n");
  };
  fprintf(stderr, "round trip failed (%s)\ninput:    ", what);
  hex(in);
  fprintf(stderr, "expected: ");
  hex(want);
  fprintf(stderr, "got:      ");
  hex(got);
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_in.empty()) {
    std::string base = "/dev/shm/zentrel-fuzz-" + std::to_string(getpid());
    g_in = base + ".txt";
    g_copy = base + ".copy.txt";
  }
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string want = ztest::ExpectedRewrite(in);
  WriteFileBytes(g_in, in);

  std::vector<CString> lines;
  {
    CReadAUStdioFile f;
    if (!f.Open(Wide(g_in), CFile::modeReadWrite | CFile::shareDenyNone)) abort();
    CString line;
    while (f.ReadString(line)) {
      if (line.Find(WCHAR(0x0A)) >= 0) Fail("line holds a line feed", in, want, "");
      lines.push_back(line);
    }
    CReadAUStdioFile copy;
    if (!copy.Open(Wide(g_copy), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite)) abort();
    copy.CopyEncodingFrom(f);
    for (const auto& l : lines) copy.WriteLine(l);
    copy.Close();
    f.SetLength(0);
    for (const auto& l : lines) f.WriteLine(l);
    f.Close();
  }
  std::string got = ReadFileBytes(g_in);
  if (got != want) Fail("in place", in, want, got);
  got = ReadFileBytes(g_copy);
  if (got != want) Fail("copy", in, want, got);
  unlink(g_in.c_str());
  unlink(g_copy.c_str());
  return 0;
}
