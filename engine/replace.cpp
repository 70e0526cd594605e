#include "engine/replace.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/content_scan.h"
#include "textfile/encoded_file.h"

namespace {

CString Lowered(const CString& s) {
  CString out(s);
  out.MakeLower();
  return out;
}

CString Uppered(const CString& s) {
  CString out(s);
  out.MakeUpper();
  return out;
}

std::atomic<unsigned> g_tempCounter{0};

// A name beside `path` that no entry has yet.
CString TempPathBeside(const CString& path) {
  int slash = path.ReverseFind(WCHAR('\\'));
  CString folder = slash >= 0 ? path.Left(slash + 1) : CString();
  for (;;) {
    CString name;
    name.Format(_T("~zentrel-%u-%u.tmp"), unsigned(GetCurrentProcessId()), unsigned(++g_tempCounter));
    CString candidate = folder + name;
    if (GetFileAttributesW(candidate) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
}

// The path with its last component spelled as on disk: the collected paths are lowered, and the
// replaced file must keep the name it had.
CString OnDiskSpelling(const CString& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(path, &fd);
  if (h == INVALID_HANDLE_VALUE) return path;
  FindClose(h);
  int slash = path.ReverseFind(WCHAR('\\'));
  return (slash >= 0 ? path.Left(slash + 1) : CString()) + fd.cFileName;
}

void CloseQuietly(CReadAUStdioFile& file) {
  try {
    file.Close();
  } catch (...) {
    file.Abort();
  }
}

// Puts the finished file `temp` in the place of `target` in one step.
bool SwapIn(const CString& target, const CString& temp) {
  DWORD attributes = GetFileAttributesW(target);
  if (ReplaceFileW(target, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return true;
  if (MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target, attributes);
    return true;
  }
  DeleteFileW(temp);
  return false;
}

}  // namespace

bool IsCandidate(const CString& line, const CString& find0, bool caseSensitive, bool block) {
  if (line.IsEmpty() && find0.IsEmpty()) return true;
  if (find0.IsEmpty()) return false;
  // The platform's search ends at a zero unit; a line may hold one, and a find after it is a
  // find all the same, so each zero-free stretch of the line is searched in turn.
  LPCWSTR begin = line.GetString();
  LPCWSTR end = begin + line.GetLength();
  for (LPCWSTR seg = begin; seg <= end; seg += lstrlenW(seg) + 1) {
    LPCWSTR hit = caseSensitive ? StrStrW(seg, find0) : StrStrIW(seg, find0);
    if (hit) return !block || end - hit == find0.GetLength();
    if (seg + lstrlenW(seg) >= end) break;
  }
  return false;
}

// Other mixed-case spellings are found but stay as they are.
void ReplaceVariants(CString& s, const CString& find, const CString& with, bool caseSensitive) {
  s.Replace(find, with);
  if (!caseSensitive) {
    s.Replace(Lowered(find), with);
    s.Replace(Uppered(find), with);
  }
}

bool MatchFollowingLines(CReadAUStdioFile& file, const CStringArray& findList, CString& lastLine,
                         BOOL ignoreCase) {
  ULONGLONG mark = file.GetPosition();
  if (findList.GetSize() <= 1) return true;
  for (int k = 1; k < findList.GetSize(); ++k) {
    const CString& find = findList[k];
    if (!file.ReadString(lastLine)) {
      file.Seek(LONGLONG(mark), CFile::begin);
      return false;
    }
    int n = find.GetLength();
    int cmp = ignoreCase ? StrCmpNIW(lastLine, find, n) : StrCmpNW(lastLine, find, n);
    if (cmp != 0) {
      file.Seek(LONGLONG(mark), CFile::begin);
      return false;
    }
  }
  return true;
}

bool WriteBackInPlace(const CString& path, CReadAUStdioFile& source, const CStringArray& lines) {
  CString target = OnDiskSpelling(path);
  CString temp = TempPathBeside(target);
  {
    CReadAUStdioFile out;
    if (!out.Open(temp, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite)) {
      CloseQuietly(source);
      return false;
    }
    try {
      out.CopyEncodingFrom(source);
      for (int i = 0; i < lines.GetSize(); ++i) out.WriteLine(lines[i]);
      out.Close();
    } catch (...) {
      CloseQuietly(out);
      DeleteFileW(temp);
      CloseQuietly(source);
      return false;
    }
  }
  // The reader is closed only now: its encoding had to be copied, and the platform cannot swap
  // a file that is still open.
  CloseQuietly(source);
  return SwapIn(target, temp);
}

bool WriteBytesInPlace(const CString& path, const std::string& bytes) {
  CString target = OnDiskSpelling(path);
  CString temp = TempPathBeside(target);
  CFile out;
  if (!out.Open(temp, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite)) return false;
  try {
    for (size_t done = 0; done < bytes.size();) {
      UINT n = UINT(std::min<size_t>(bytes.size() - done, 64u << 20));
      out.Write(bytes.data() + done, n);
      done += n;
    }
    out.Close();
  } catch (...) {
    out.Abort();
    DeleteFileW(temp);
    return false;
  }
  return SwapIn(target, temp);
}

void ReplaceInFiles(const CBatchJob& job, const CStringArray& files, CStringArray* unwritten, int threads,
                    bool allowFastPath) {
  const int count = files.GetSize();
  if (threads <= 0) threads = int(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
  threads = std::min(threads, count);
  auto finish = [&](int i, const CFileScan& scan) {
    for (const CString& r : scan.m_results) g_findResults.Add(r);
    if (scan.m_bRead) NotifyBatchStep();
    if (scan.m_bUnwritten && unwritten) unwritten->Add(files[i]);
  };
  if (threads <= 1) {
    CContentScanner scanner(job, allowFastPath);
    for (int i = 0; i < count; ++i) {
      CFileScan scan;
      scanner.Scan(files[i], scan);
      finish(i, scan);
    }
    return;
  }
  // Workers take the files in list order and each keeps its own buffers; this thread hands out
  // results and notifications in list order as files finish, so the run looks as one pass does.
  std::vector<CFileScan> scans(static_cast<size_t>(count));
  std::unique_ptr<std::atomic<bool>[]> done(new std::atomic<bool>[size_t(count)]);
  for (int i = 0; i < count; ++i) done[size_t(i)] = false;
  std::atomic<int> next{0};
  std::mutex mutex;
  std::condition_variable ready;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      CContentScanner scanner(job, allowFastPath);
      for (int i; (i = next++) < count;) {
        scanner.Scan(files[i], scans[size_t(i)]);
        {
          std::lock_guard<std::mutex> lock(mutex);
          done[size_t(i)] = true;
        }
        ready.notify_all();
      }
    });
  }
  for (int i = 0; i < count; ++i) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&] { return done[size_t(i)].load(); });
    }
    finish(i, scans[size_t(i)]);
    scans[size_t(i)] = CFileScan();
  }
  for (auto& w : workers) w.join();
}
