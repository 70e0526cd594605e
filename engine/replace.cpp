#include "engine/replace.h"

#include <atomic>
#include <new>

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

// Replaces the text as written, then (ignoring case) its lower- and upper-case forms, in that
// order: other mixed-case spellings are found but stay as they are.
void ReplaceVariants(CString& s, const CString& find, const CString& with, bool caseSensitive) {
  s.Replace(find, with);
  if (!caseSensitive) {
    s.Replace(Lowered(find), with);
    s.Replace(Uppered(find), with);
  }
}

bool IsCandidate(const CString& line, const CString& find0, bool caseSensitive, bool block) {
  if (line.IsEmpty() && find0.IsEmpty()) return true;
  LPCWSTR hit = caseSensitive ? StrStrW(line, find0) : StrStrIW(line, find0);
  if (!hit) return false;
  if (block) return (LPCWSTR(line) + lstrlenW(line)) - hit == find0.GetLength();
  return true;
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

}  // namespace

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

static void CloseQuietly(CReadAUStdioFile& file) {
  try {
    file.Close();
  } catch (...) {
    file.Abort();
  }
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
  DWORD attributes = GetFileAttributesW(target);
  if (ReplaceFileW(target, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return true;
  if (MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target, attributes);
    return true;
  }
  DeleteFileW(temp);
  return false;
}

void ReplaceInFiles(const CBatchJob& job, const CStringArray& files, CStringArray* unwritten) {
  const CStringArray& find = job.m_findList;
  const CStringArray& repl = job.m_replaceList;
  const int n = find.GetSize();
  const int m = repl.GetSize();
  const bool cs = job.m_bCaseSensitive != 0;
  const int k = job.m_strFolder.GetLength();

  CReadAUStdioFile file;
  CStringArray lines;
  CString line, last;
  for (int fi = 0; fi < files.GetSize(); ++fi) {
    const CString& path = files[fi];
    lines.RemoveAll();
    // Read-only files are never opened for writing, even where the platform would let us.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      continue;
    if (!file.Open(path, CFile::modeReadWrite | CFile::shareDenyNone)) continue;
    if (!file.m_bIsText) {
      file.Close();
      continue;
    }
    const CString display = path.GetLength() > k ? path.Mid(k) : CString();
    bool readAll = false;
    try {
      int counter = 0;
      while (file.ReadString(line)) {
        ++counter;
        if (!IsCandidate(line, find[0], cs, n > 1) || !MatchFollowingLines(file, find, last, !cs)) {
          lines.Add(line);
          continue;
        }
        CString result;
        result.Format(_T("File:%s Line:%d"), (LPCWSTR)display, counter);
        g_findResults.Add(result);
        if (find[0].IsEmpty())
          line = repl[0];
        else
          ReplaceVariants(line, find[0], repl[0], cs);
        lines.Add(line);
        if (m > 1) {
          for (int j = 1; j < m - 1; ++j) lines.Add(repl[j]);
          if (n == 1) {
            lines.Add(repl[m - 1]);
          } else {
            ReplaceVariants(last, find[n - 1], repl[m - 1], cs);
            lines.Add(last);
          }
        } else if (n > 1) {
          // A block with a single replacement line: the block's last line stays a line of its
          // own with its part of the find taken out, so no line of the file is lost.
          ReplaceVariants(last, find[n - 1], CString(), cs);
          lines.Add(last);
        }
        counter += n - 1;
      }
      readAll = true;
    } catch (const CException&) {
    } catch (const std::bad_alloc&) {
    }
    if (!readAll) {
      // Reading or matching failed part way: the file stays exactly as it was.
      CloseQuietly(file);
      continue;
    }
    NotifyBatchStep();
    if (!job.m_bFindOnly) {
      if (!WriteBackInPlace(path, file, lines) && unwritten) unwritten->Add(path);
    } else {
      CloseQuietly(file);
    }
  }
}
