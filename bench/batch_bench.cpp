// Whole runs of the engine against the tools a user would otherwise reach for, on the same
// generated trees in the same invocation: find-only against rg and grep, a replace run against
// sed -i and sd, peak memory of each, and the time of a four-times larger tree.
//
//   batch_bench [--work DIR] [--runs N] [--scale-only|--no-scale]
//
// The trees are made from a fixed seed, so every run of the benchmark measures the same bytes.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "tests/support/test_support.h"

namespace {

const char* kNeedle = "ZentrelNeedle";
const char* kNew = "ZentrelThread";

struct Rng {
  uint64_t s;
  uint64_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
  size_t Below(size_t n) { return size_t(Next() % n); }
};

const char* kWords[] = {"int", "return", "value", "count", "buffer", "index", "static", "const", "void",
                        "string", "result", "if", "else", "for", "while", "size_t", "nullptr", "auto",
                        "template", "struct", "class", "public", "private", "std::vector", "data", "length"};
const char* kCjk[] = {"中文", "文件", "替换", "编码", "目录", "查找", "结果", "名称", "字符", "批量"};

enum class Enc { Ansi, Utf8, Utf8Bom, Utf16, Gbk };

std::string Line(Rng& r, bool cjk, bool needle) {
  std::string s(r.Below(4) * 2, ' ');
  int words = 3 + int(r.Below(10));
  for (int i = 0; i < words; ++i) {
    if (i) s += ' ';
    s += cjk && r.Below(3) == 0 ? kCjk[r.Below(10)] : kWords[r.Below(26)];
  }
  if (needle) s += std::string(" ") + kNeedle + "(x);";
  else s += ';';
  return s;
}

// UTF-8 to the bytes of the file's encoding.
std::string Encode(const std::string& utf8, Enc e) {
  if (e == Enc::Ansi || e == Enc::Utf8 || e == Enc::Utf8Bom) return utf8;
  CString w = ztest::Wide(utf8);
  if (e == Enc::Utf16) return std::string(reinterpret_cast<const char*>(w.GetString()), size_t(w.GetLength()) * 2);
  int n = WideCharToMultiByte(CP_ACP, 0, w, w.GetLength(), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, w.GetLength(), &out[0], n, nullptr, nullptr);
  return out;
}

bool g_reuse = false;
bool g_oursOnly = false;

void MakeTree(const std::string& root, int files, size_t totalBytes, bool mixed, uint64_t seed) {
  struct stat st;
  if (g_reuse && stat(root.c_str(), &st) == 0) return;
  Rng r{seed};
  std::string cmd = "rm -rf '" + root + "' && mkdir -p '" + root + "'";
  if (system(cmd.c_str()) != 0) exit(1);
  size_t perFile = totalBytes / size_t(files);
  for (int f = 0; f < files; ++f) {
    std::string dir = root + "/d" + std::to_string(f / 50) + "/s" + std::to_string((f / 10) % 5);
    mkdir((root + "/d" + std::to_string(f / 50)).c_str(), 0777);
    mkdir(dir.c_str(), 0777);
    Enc e = Enc::Ansi;
    if (mixed) e = Enc(1 + f % 4);
    const char* eol = mixed ? "\n" : "\r\n";
    size_t target = perFile / 2 + r.Below(perFile);
    std::string text;
    if (e == Enc::Utf8Bom) text = "\xEF\xBB\xBF";
    if (e == Enc::Utf16) text = "\xFF\xFE";
    while (text.size() < target) {
      bool needle = r.Below(500) == 0;  // about 0.2 % of the lines
      text += Encode(Line(r, mixed && e != Enc::Ansi, needle) + eol, e);
    }
    std::ofstream(dir + "/f" + std::to_string(f) + (f % 3 ? ".cpp" : ".txt"), std::ios::binary) << text;
  }
}

struct Sample {
  double seconds;
  long maxRssKb;
  double user, sys;  // CPU seconds of the child and its children
};

Sample RunChild(const std::function<void()>& child) {
  auto t0 = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    child();
    _exit(0);
  }
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (!WIFEXITED(status)) fprintf(stderr, "child failed\n");
  return {s, ru.ru_maxrss, ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6,
          ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6};
}

Sample RunShell(const std::string& cmd) {
  return RunChild([&] { execl("/bin/sh", "sh", "-c", cmd.c_str(), (char*)nullptr); });
}

Sample RunOurs(const std::string& root, bool findOnly) {
  return RunChild([&] {
    HWND wnd = PosixCreateStandInWindow([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    g_hMainWnd = wnd;
    SetMessageBoxHook([](HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; });
    SetShellOpenHook([](HWND, LPCWSTR, LPCWSTR, INT) {});
    auto* job = new CBatchJob;
    job->m_strFolder = ztest::Wide(root);
    job->m_findList.Add(ztest::Wide(kNeedle));
    job->m_replaceList.Add(ztest::Wide(kNew));
    job->m_bCaseSensitive = TRUE;
    job->m_bFindOnly = findOnly;
    job->m_bSubFolders = TRUE;
    job->m_bKeepName = TRUE;
    job->m_strFileTypes = _T("*.*");
    BatchThreadProc(job);
  });
}

struct Stats {
  std::string tool;
  double median, min, max;
  long rssKb;
  double user, sys;  // medians
};

Stats Measure(const std::string& tool, int runs, const std::function<void()>& prepare,
              const std::function<Sample()>& run) {
  std::vector<double> t, u, k;
  long rss = 0;
  for (int i = 0; i < runs; ++i) {
    if (prepare) prepare();
    Sample s = run();
    t.push_back(s.seconds);
    u.push_back(s.user);
    k.push_back(s.sys);
    rss = std::max(rss, s.maxRssKb);
  }
  std::sort(t.begin(), t.end());
  std::sort(u.begin(), u.end());
  std::sort(k.begin(), k.end());
  return {tool, t[t.size() / 2], t.front(), t.back(), rss, u[u.size() / 2], k[k.size() / 2]};
}

Stats MeasurePeer(const std::string& tool, int runs, const std::function<void()>& prepare,
                  const std::function<Sample()>& run) {
  if (g_oursOnly) return {tool + " (not run)", 0, 0, 0, 0, 0, 0};
  return Measure(tool, runs, prepare, run);
}

void Print(const char* title, const std::vector<Stats>& rows) {
  printf("\n%s\n", title);
  printf("| tool | median s | min s | max s | ratio to ours | user s | sys s | peak RSS MiB |\n"
         "|---|---|---|---|---|---|---|---|\n");
  for (const Stats& s : rows)
    printf("| %s | %.3f | %.3f | %.3f | %.2f | %.3f | %.3f | %.1f |\n", s.tool.c_str(), s.median, s.min, s.max,
           s.median / rows[0].median, s.user, s.sys, s.rssKb / 1024.0);
  fflush(stdout);
}

long long LargestFile(const std::string& root) {
  std::string cmd = "find '" + root + "' -type f -printf '%s\\n' | sort -n | tail -1";
  FILE* p = popen(cmd.c_str(), "r");
  long long v = 0;
  if (p && fscanf(p, "%lld", &v) != 1) v = 0;
  if (p) pclose(p);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  std::string work = "build/bench-work";
  int runs = 5;
  bool scale = true, only = false;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--work") && i + 1 < argc) work = argv[++i];
    else if (!strcmp(argv[i], "--runs") && i + 1 < argc) runs = atoi(argv[++i]);
    else if (!strcmp(argv[i], "--no-scale")) scale = false;
    else if (!strcmp(argv[i], "--scale-only")) only = true;
    else if (!strcmp(argv[i], "--reuse")) g_reuse = true;  // keep trees made by an earlier run
    else if (!strcmp(argv[i], "--ours-only")) g_oursOnly = true;
  }
  mkdir(work.c_str(), 0777);
  setenv("XDG_DATA_HOME", work.c_str(), 1);
  const std::string plain = work + "/tree1x", mixed = work + "/mixed", big = work + "/tree4x", copy = work + "/copy";
  const size_t mb = 1000 * 1000;
  printf("generating trees under %s ...\n", work.c_str());
  fflush(stdout);
  MakeTree(plain, 2000, 180 * mb, false, 0x5eed);
  MakeTree(mixed, 2000, 180 * mb, true, 0x5eee);
  if (scale) MakeTree(big, 8000, 720 * mb, false, 0x5eef);

  auto fresh = [&](const std::string& from) {
    return [=] {
      std::string c = "rm -rf '" + copy + "' && cp -r '" + from + "' '" + copy + "' && cat $(find '" + copy +
                      "' -type f) > /dev/null";
      if (system(c.c_str()) != 0) exit(1);
    };
  };
  auto warm = [&](const std::string& dir) {
    std::string c = "cat $(find '" + dir + "' -type f) > /dev/null";
    if (system(c.c_str()) != 0) exit(1);
  };

  for (const std::string& tree : {plain, mixed}) {
    if (only) break;
    warm(tree);
    std::string q = std::string("'") + kNeedle + "'";
    std::vector<Stats> find = {
        Measure("zentrel find-only", runs, nullptr, [&] { return RunOurs(tree, true); }),
        MeasurePeer("rg -F -n -uuu", runs, nullptr, [&] { return RunShell("rg -F -n -uuu " + q + " '" + tree + "' >/dev/null"); }),
        MeasurePeer("grep -rnF", runs, nullptr, [&] { return RunShell("grep -rnF " + q + " '" + tree + "' >/dev/null"); }),
    };
    Print(("find-only on " + tree).c_str(), find);
    std::vector<Stats> repl = {
        Measure("zentrel replace", runs, fresh(tree), [&] { return RunOurs(copy, false); }),
        MeasurePeer("sed -i", runs, fresh(tree), [&] {
          return RunShell("find '" + copy + "' -type f -print0 | xargs -0 sed -i 's/" + kNeedle + "/" + kNew + "/g'");
        }),
        MeasurePeer("sd -s", runs, fresh(tree), [&] {
          return RunShell("find '" + copy + "' -type f -print0 | xargs -0 sd -s '" + kNeedle + "' '" + kNew + "'");
        }),
    };
    Print(("replace on " + tree).c_str(), repl);
    printf("largest file: %.1f MiB\n", LargestFile(tree) / 1048576.0);
  }
  if (scale) {
    warm(plain);
    Stats one = Measure("zentrel find-only 1x", runs, nullptr, [&] { return RunOurs(plain, true); });
    warm(big);
    Stats four = Measure("zentrel find-only 4x", runs, nullptr, [&] { return RunOurs(big, true); });
    Print("scaling (find-only)", {one, four});
  }
  system(("rm -rf '" + copy + "'").c_str());
  return 0;
}
