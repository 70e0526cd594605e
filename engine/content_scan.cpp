#include "engine/content_scan.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/replace.h"

namespace {

// Files above this size are read line by line: the whole-file path holds the file and its new
// content at once.
const unsigned long long kWholeFileLimit = 512ull << 20;

// Where `pattern` next occurs in [from, len), or len.
size_t FindFrom(const BYTE* data, size_t len, size_t from, const std::string& pattern) {
  const size_t m = pattern.size();
  if (m == 0 || len < m) return len;
  const BYTE first = BYTE(pattern[0]);
  const BYTE* p = data + from;
  const BYTE* last = data + (len - m);
  while (p <= last) {
    p = static_cast<const BYTE*>(memchr(p, first, size_t(last - p) + 1));
    if (!p) return len;
    if (memcmp(p + 1, pattern.data() + 1, m - 1) == 0) return size_t(p - data);
    ++p;
  }
  return len;
}

// The unit layout of a file's lines: bytes, or 16-bit units in either order.
struct Layout {
  size_t unit;      // 1 or 2
  bool bigEndian;   // for 2
  bool IsLf(const BYTE* p) const {
    return unit == 1 ? p[0] == 0x0A : (bigEndian ? (p[0] == 0 && p[1] == 0x0A) : (p[0] == 0x0A && p[1] == 0));
  }
  bool IsCr(const BYTE* p) const {
    return unit == 1 ? p[0] == 0x0D : (bigEndian ? (p[0] == 0 && p[1] == 0x0D) : (p[0] == 0x0D && p[1] == 0));
  }
  // The offset of the next line feed at or after `from` (a multiple of the unit), or len.
  size_t NextLf(const BYTE* d, size_t from, size_t len) const {
    if (unit == 1) {
      const void* hit = memchr(d + from, 0x0A, len - from);
      return hit ? size_t(static_cast<const BYTE*>(hit) - d) : len;
    }
    const size_t at = bigEndian ? 1 : 0;  // where the 0A byte of a line feed unit stands
    for (size_t i = from; i + 1 < len + 1 && i < len;) {
      const void* hit = memchr(d + i + at, 0x0A, len - i - at);
      if (!hit) return len;
      size_t b = size_t(static_cast<const BYTE*>(hit) - d) - at;
      if (b % 2 == 0 && IsLf(d + b)) return b;
      i = (b % 2 == 0) ? b + 2 : b + 1;
      if (i % 2) ++i;
    }
    return len;
  }
  // Offset just after the last line feed before `to` and at or after `from`, or `from`.
  size_t LineStart(const BYTE* d, size_t from, size_t to) const {
    for (size_t i = to; i > from;) {
      i -= unit;
      if (IsLf(d + i)) return i + unit;
    }
    return from;
  }
  // Line ends in [from, to), as the number of lines they close.
  size_t CountLf(const BYTE* d, size_t from, size_t to) const {
    if (unit == 1) return size_t(std::count(d + from, d + to, BYTE(0x0A)));
    size_t n = 0;
    for (size_t i = NextLf(d, from, to); i < to; i = NextLf(d, i + 2, to)) ++n;
    return n;
  }
};

}  // namespace

CContentScanner::CContentScanner(const CBatchJob& job, bool allowFastPath)
    : m_job(job), m_bFast(allowFastPath) {
  // The first find line as bytes of every encoding a file may be in: a line holding it must hold
  // one of these. Text the code page lacks gives a pattern with its default character, which
  // only makes more lines be looked at closely.
  const CString& f = job.m_findList[0];
  const CString::Buffer& units = f.Str();
  CTextCodec utf8, ansi, le, be;
  utf8.m_bUtf8 = true;
  le.m_nEncoding = 1;
  be.m_nEncoding = 2;
  std::string a, b;
  utf8.Encode(units.data(), units.size(), a);
  ansi.Encode(units.data(), units.size(), b);
  m_patterns.push_back(a);
  if (b != a) m_patterns.push_back(b);
  std::string l, h;
  le.Encode(units.data(), units.size(), l);
  be.Encode(units.data(), units.size(), h);
  m_patterns16le.push_back(l);
  m_patterns16be.push_back(h);
}

void CContentScanner::Scan(const CString& path, CFileScan& out) {
  out = CFileScan();
  const int k = m_job.m_strFolder.GetLength();
  m_display = path.GetLength() > k ? path.Mid(k) : CString();
  // Read-only files are never opened for writing, even where the platform would let us.
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return;
  try {
    if (m_bFast && ScanWhole(path, out)) return;
  } catch (...) {
    // Whatever went wrong, the file was not changed; it is read the careful way instead.
  }
  out = CFileScan();
  ScanLines(path, out);
}

bool CContentScanner::HandleLine(CString& line, int number, CFileScan& out, std::vector<CString>& newLines) {
  const CStringArray& find = m_job.m_findList;
  const CStringArray& repl = m_job.m_replaceList;
  const bool cs = m_job.m_bCaseSensitive != 0;
  if (!IsCandidate(line, find[0], cs, false)) return false;
  CString result;
  result.Format(_T("File:%s Line:%d"), (LPCWSTR)m_display, number);
  out.m_results.push_back(result);
  if (find[0].IsEmpty())
    line = repl[0];
  else
    ReplaceVariants(line, find[0], repl[0], cs);
  newLines.push_back(line);
  const int m = repl.GetSize();
  for (int j = 1; j < m; ++j) newLines.push_back(repl[j]);
  return true;
}

bool CContentScanner::ScanWhole(const CString& path, CFileScan& out) {
  const CStringArray& find = m_job.m_findList;
  // Only a case-significant, non-empty first find line can be looked for in the raw bytes.
  if (!m_job.m_bCaseSensitive || find[0].IsEmpty()) return false;
  CFile file;
  if (!file.Open(path, CFile::modeReadWrite | CFile::shareDenyNone | CFile::typeBinary)) return true;
  const unsigned long long length = file.GetLength();
  if (length > kWholeFileLimit) return false;
  m_data.resize(size_t(length));
  size_t got = 0;
  try {
    while (got < m_data.size()) {
      UINT n = file.Read(m_data.data() + got, UINT(std::min<size_t>(m_data.size() - got, 64u << 20)));
      if (n == 0) break;
      got += n;
    }
  } catch (const CException&) {
    // A read that fails part way: no notification, nothing written, as line by line.
    return true;
  }
  if (got != m_data.size()) return false;  // the file changed under us: take the careful way
  const BYTE* all = m_data.data();
  CTextCodec codec;
  size_t start = 0;
  if (!CTextCodec::Detect(all, std::min(got, CTextCodec::SampleSize()), length, codec, start)) return true;
  const BYTE* d = all + start;
  size_t len = got - start;
  // A file with no line, or a UTF-16 file ending in half a unit, is left to the line reader's
  // own rules for such files.
  if (len == 0 || (codec.m_bUnicode && len % 2)) return false;
  const Layout layout{codec.m_bUnicode ? size_t(2) : size_t(1), codec.m_bBigEndian};
  const std::vector<std::string>& patterns =
      !codec.m_bUnicode ? m_patterns : codec.m_bBigEndian ? m_patterns16be : m_patterns16le;
  std::vector<size_t> nextHit(patterns.size());
  for (size_t i = 0; i < patterns.size(); ++i) nextHit[i] = FindFrom(d, len, 0, patterns[i]);
  auto firstHit = [&](size_t from) {
    size_t best = len;
    for (size_t i = 0; i < patterns.size(); ++i) {
      if (nextHit[i] < from) nextHit[i] = FindFrom(d, len, from, patterns[i]);
      best = std::min(best, nextHit[i]);
    }
    return best;
  };
  const bool block = find.GetSize() > 1;
  if (block && firstHit(0) < len) return false;  // a block find may be here: line by line

  const bool write = !m_job.m_bFindOnly;
  m_out.clear();
  if (write) {
    m_out.reserve(got + got / 16 + 16);
    m_out.append(reinterpret_cast<const char*>(all), start);
  }
  std::string lineEnd;
  codec.AppendLineEnd(lineEnd);
  const size_t u = layout.unit;
  // Lines without the find text keep their bytes; only their line ends are made CR LF (every
  // carriage return before a line feed goes, and the last line gets a line end).
  auto copyLines = [&](size_t from, size_t to) {
    size_t chunk = from;
    for (size_t lf = layout.NextLf(d, from, to); from < to; lf = layout.NextLf(d, from, to)) {
      size_t end = lf;
      while (end > from && layout.IsCr(d + end - u)) end -= u;
      if (lf < to && end + u == lf) {
        from = lf + u;  // already CR LF
        continue;
      }
      m_out.append(reinterpret_cast<const char*>(d + chunk), end - chunk);
      m_out += lineEnd;
      from = chunk = lf < to ? lf + u : to;
    }
    m_out.append(reinterpret_cast<const char*>(d + chunk), from - chunk);
  };
  int number = 0;
  size_t pos = 0;
  std::vector<CString> newLines;
  while (pos < len) {
    size_t hit = firstHit(pos);
    size_t ls = hit < len ? layout.LineStart(d, pos, hit - hit % u) : len;
    number += int(layout.CountLf(d, pos, ls));
    if (write) copyLines(pos, ls);
    if (ls >= len) break;
    size_t le = layout.NextLf(d, ls, len);
    size_t end = le;
    while (end > ls && layout.IsCr(d + end - u)) end -= u;
    ++number;
    m_line.Empty();
    codec.Decode(d + ls, end - ls, m_line.Str());
    newLines.clear();
    if (HandleLine(m_line, number, out, newLines)) {
      if (write)
        for (const CString& l : newLines) {
          codec.Encode(l.Str().data(), l.Str().size(), m_out);
          m_out += lineEnd;
        }
    } else if (write) {
      m_out.append(reinterpret_cast<const char*>(d + ls), end - ls);
      m_out += lineEnd;
    }
    pos = le < len ? le + u : len;
  }
  out.m_bRead = true;
  file.Close();
  if (write && (m_out.size() != got || memcmp(m_out.data(), all, got) != 0))
    out.m_bUnwritten = !WriteBytesInPlace(path, m_out);
  return true;
}

void CContentScanner::ScanLines(const CString& path, CFileScan& out) {
  const CStringArray& find = m_job.m_findList;
  const CStringArray& repl = m_job.m_replaceList;
  const int n = find.GetSize();
  const int m = repl.GetSize();
  const bool cs = m_job.m_bCaseSensitive != 0;
  m_lines.RemoveAll();
  if (!m_file.Open(path, CFile::modeReadWrite | CFile::shareDenyNone)) return;
  if (!m_file.m_bIsText) {
    m_file.Close();
    return;
  }
  bool readAll = false;
  try {
    int counter = 0;
    while (m_file.ReadString(m_line)) {
      ++counter;
      if (!IsCandidate(m_line, find[0], cs, n > 1) || !MatchFollowingLines(m_file, find, m_last, !cs)) {
        m_lines.Add(m_line);
        continue;
      }
      CString result;
      result.Format(_T("File:%s Line:%d"), (LPCWSTR)m_display, counter);
      out.m_results.push_back(result);
      if (find[0].IsEmpty())
        m_line = repl[0];
      else
        ReplaceVariants(m_line, find[0], repl[0], cs);
      m_lines.Add(m_line);
      if (m > 1) {
        for (int j = 1; j < m - 1; ++j) m_lines.Add(repl[j]);
        if (n == 1) {
          m_lines.Add(repl[m - 1]);
        } else {
          ReplaceVariants(m_last, find[n - 1], repl[m - 1], cs);
          m_lines.Add(m_last);
        }
      } else if (n > 1) {
        // A block with a single replacement line: the block's last line stays a line of its
        // own with its part of the find taken out, so no line of the file is lost.
        ReplaceVariants(m_last, find[n - 1], CString(), cs);
        m_lines.Add(m_last);
      }
      counter += n - 1;
    }
    readAll = true;
  } catch (const CException&) {
  } catch (const std::bad_alloc&) {
  }
  if (!readAll) {
    // Reading or matching failed part way: the file stays exactly as it was.
    out.m_results.clear();
    try {
      m_file.Close();
    } catch (...) {
      m_file.Abort();
    }
    return;
  }
  out.m_bRead = true;
  if (!m_job.m_bFindOnly) {
    out.m_bUnwritten = !WriteBackInPlace(path, m_file, m_lines);
  } else {
    try {
      m_file.Close();
    } catch (...) {
      m_file.Abort();
    }
  }
  m_lines.RemoveAll();
}
