// Reading and rewriting a big text file line by line, against `wc -l` over the same file in the
// same run: the text layer should stay within a small factor of a pure line counter.
//   textfile_bench [folder] [MiB]   (defaults: /dev/shm, 256)
// The generated files are removed before the program ends.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "textfile/encoded_file.h"
#include "textfile/utf8.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

CString Wide(const std::string& ascii) {
  CString s;
  for (char c : ascii) s += WCHAR(BYTE(c));
  return s;
}

// Mixed lines: source-like ASCII, Chinese text, and both together, of varying length.
std::string MakeUtf8(size_t bytes) {
  const std::string zh = "\xE6\x9B\xBF\xE6\x8D\xA2\xE6\x96\x87\xE6\x9C\xAC\xE4\xB8\xAD\xE7\x9A\x84\xE5\x86\x85\xE5\xAE\xB9";
  const std::string ascii = "    result = ReplaceInFiles(job, folder, \"pattern\");  // ";
  std::string s;
  s.reserve(bytes + 256);
  unsigned n = 0;
  while (s.size() < bytes) {
    switch (n++ % 4) {
      case 0: s += ascii + std::to_string(n) + "\r\n"; break;
      case 1: s += zh + zh + "\r\n"; break;
      case 2: s += ascii + zh + "\r\n"; break;
      default: s += "\r\n"; break;
    }
  }
  return s;
}

std::string Utf8ToUtf16Le(const std::string& u8) {
  CString w;
  Utf8ToUtf16(u8.data(), w, u8.size());
  std::string s = "\xFF\xFE";
  s.reserve(2 + 2 * w.Str().size());
  for (WCHAR c : w.Str()) s += char(c & 0xFF), s += char(c >> 8);
  return s;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

double TimeWc(const std::string& path) {
  std::string cmd = "wc -l '" + path + "' >/dev/null";
  double t = Now();
  if (system(cmd.c_str()) != 0) fprintf(stderr, "wc failed\n");
  return Now() - t;
}

// Read every line and write it to a new file with the same encoding, as the engine does.
double TimeRewrite(const std::string& in, const std::string& out, size_t* lines) {
  double t = Now();
  CReadAUStdioFile src, dst;
  if (!src.Open(Wide(in), CFile::modeReadWrite | CFile::shareDenyNone)) return -1;
  if (!dst.Open(Wide(out), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite)) return -1;
  dst.CopyEncodingFrom(src);
  CString line;
  size_t n = 0;
  while (src.ReadString(line)) {
    dst.WriteLine(line);
    ++n;
  }
  dst.Close();
  src.Close();
  *lines = n;
  return Now() - t;
}

bool SameFiles(const std::string& a, const std::string& b) {
  std::string cmd = "cmp -s '" + a + "' '" + b + "'";
  return system(cmd.c_str()) == 0;
}

void Run(const char* name, const std::string& path, const std::string& bytes) {
  const std::string out = path + ".out";
  if (!WriteAll(path, bytes)) {
    fprintf(stderr, "cannot write %s\n", path.c_str());
    exit(1);
  }
  // Warm both readers once so neither pays for a cold cache alone.
  TimeWc(path);
  double wc = 1e9, ours = 1e9;
  size_t lines = 0;
  for (int i = 0; i < 3; ++i) {
    double w = TimeWc(path);
    double o = TimeRewrite(path, out, &lines);
    if (w < wc) wc = w;
    if (o >= 0 && o < ours) ours = o;
  }
  bool same = SameFiles(path, out);
  printf("%-8s %6.1f MiB  %9zu lines  wc -l %.3f s  read+rewrite %.3f s  ratio %.2f  output %s\n", name,
         bytes.size() / 1048576.0, lines, wc, ours, ours / wc, same ? "identical" : "DIFFERS");
  unlink(path.c_str());
  unlink(out.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/dev/shm";
  size_t mib = argc > 2 ? size_t(atol(argv[2])) : 256;
  const std::string base = folder + "/zentrel-bench-" + std::to_string(getpid());
  std::string u8 = MakeUtf8(mib << 20);
  Run("UTF-8", base + "-utf8.txt", u8);
  u8.clear();
  u8.shrink_to_fit();
  // The same kind of text in UTF-16: these lines take about 4/3 of their UTF-8 size.
  std::string u16 = Utf8ToUtf16Le(MakeUtf8((mib << 20) / 4 * 3));
  Run("UTF-16LE", base + "-utf16.txt", u16);
  return 0;
}
