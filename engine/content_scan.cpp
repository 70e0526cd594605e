#include "engine/content_scan.h"

#include <algorithm>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // `from` and `len` are even: the units start at the data's first byte.
    for (size_t i = from; i < len;) {
      const void* hit = memchr(d + i + at, 0x0A, len - i - at);
      if (!hit) return len;
      size_t b = size_t(static_cast<const BYTE*>(hit) - d) - at;
      if (b % 2 == 0 && IsLf(d + b)) return b;
      i = b % 2 == 0 ? b + 2 : b + 1;
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

#if defined(__SSE2__)
int PopCount16(unsigned v) {
  v = v - ((v >> 1) & 0x5555u);
  v = (v & 0x3333u) + ((v >> 2) & 0x3333u);
  v = (v + (v >> 4)) & 0x0F0Fu;
  return int((v + (v >> 8)) & 0x1Fu);
}
#endif

bool IsAscii(const BYTE* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] >= 0x80) return false;
  return true;
}

bool IsAscii(const CString& s) {
  for (WCHAR c : s.Str())
    if (c >= 0x80) return false;
  return true;
}

// Byte text from a line start `from` up to `to` (a line start, or the end of the data): counts
// the line feeds and, with `out`, appends the lines with CR LF ends. A line already ending in
// exactly one CR before its LF is copied as it stands, so a file of CR LF lines is one copy.
size_t CopyByteLines(const BYTE* d, size_t from, size_t to, bool atEnd, std::string* out) {
  size_t count = 0;
  size_t chunk = from;      // start of what is still to be copied
  size_t lineStart = from;  // start of the current line
  auto atLf = [&](size_t lf) {
    ++count;
    if (out) {
      size_t end = lf;
      while (end > lineStart && d[end - 1] == 0x0D) --end;
      if (end + 1 != lf) {
        out->append(reinterpret_cast<const char*>(d + chunk), end - chunk);
        out->append("\r\n", 2);
        chunk = lf + 1;
      }
    }
    lineStart = lf + 1;
  };
  size_t i = from;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8(0x0A);
  if (!out) {
    // Counting only: each matching byte adds one to its lane, and the lanes are summed before
    // they could overflow.
    while (i + 16 <= to) {
      __m128i acc = _mm_setzero_si128();
      for (int k = 0; k < 255 && i + 16 <= to; ++k, i += 16)
        acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i)), lf));
      __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
      count += size_t(_mm_cvtsi128_si32(sums)) + size_t(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
  } else {
    const __m128i cr = _mm_set1_epi8(0x0D);
    for (; i < from + 2 && i < to; ++i)
      if (d[i] == 0x0A) atLf(i);
    for (; i + 16 <= to; i += 16) {
      unsigned m = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i)), lf)));
      if (!m) continue;
      // Line feeds with exactly one carriage return before them need no change: such a block is
      // only counted.
      unsigned cr1 = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i - 1)), cr)));
      unsigned cr2 = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i - 2)), cr)));
      if ((m & cr1 & ~cr2) == m) {
        count += size_t(PopCount16(m));
        lineStart = i + 32 - size_t(__builtin_clz(m));
        continue;
      }
      while (m) {
        atLf(i + size_t(__builtin_ctz(m)));
        m &= m - 1;
      }
    }
  }
#endif
  for (; i < to; ++i)
    if (d[i] == 0x0A) atLf(i);
  if (out) {
    if (atEnd && lineStart < to) {
      // The last line has no line feed: it gets CR LF, without the carriage returns it ends in.
      size_t end = to;
      while (end > lineStart && d[end - 1] == 0x0D) --end;
      out->append(reinterpret_cast<const char*>(d + chunk), end - chunk);
      out->append("\r\n", 2);
    } else {
      out->append(reinterpret_cast<const char*>(d + chunk), to - chunk);
    }
  }
  return count;
}

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

void CContentScanner::HandleFind(CString& line, CString& last, int number, CFileScan& out, CStringArray& lines) {
  const CStringArray& find = m_job.m_findList;
  const CStringArray& repl = m_job.m_replaceList;
  const int n = find.GetSize();
  const int m = repl.GetSize();
  const bool cs = m_job.m_bCaseSensitive != 0;
  CString result;
  result.Format(_T("File:%s Line:%d"), (LPCWSTR)m_display, number);
  out.m_results.push_back(result);
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
    // A block with a single replacement line: the block's last line stays a line of its own
    // with its part of the find taken out, so no line of the file is lost.
    ReplaceVariants(last, find[n - 1], CString(), cs);
    lines.Add(last);
  }
}

bool CContentScanner::ScanWhole(const CString& path, CFileScan& out) {
  const CStringArray& find = m_job.m_findList;
  // Only a case-significant, non-empty first find line can be looked for in the raw bytes.
  if (!m_job.m_bCaseSensitive || find[0].IsEmpty()) return false;
  CFile file;
  if (!file.Open(path, CFile::modeReadWrite | CFile::shareDenyNone | CFile::typeBinary)) return true;
  const unsigned long long length = file.GetLength();
  if (length > kWholeFileLimit) return false;
  // Grown, never cleared: every byte used is read from the file first.
  if (m_capacity < length || !m_data) {
    m_data.reset(new BYTE[size_t(length) + 1]);
    m_capacity = size_t(length);
  }
  const size_t want = size_t(length);
  size_t got = 0;
  try {
    while (got < want) {
      UINT n = file.Read(m_data.get() + got, UINT(std::min<size_t>(want - got, 64u << 20)));
      if (n == 0) break;
      got += n;
    }
  } catch (const CException&) {
    // A read that fails part way: no notification, nothing written, as line by line.
    return true;
  }
  if (got != want) return false;  // the file changed under us: take the careful way
  const BYTE* all = m_data.get();
  CTextCodec codec;
  size_t start = 0;
  const size_t head = std::min(got, CTextCodec::SampleSize());
  if (!CTextCodec::Detect(all, head, length, codec, start, false, false)) return true;
  // Whether unmarked 8-bit text is UTF-8 matters only to a line that is decoded.
  bool utf8Known = codec.m_bUnicode || codec.m_nEncoding == 3;
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
  while (pos < len) {
    size_t hit = firstHit(pos);
    size_t ls = hit < len ? layout.LineStart(d, pos, hit - hit % u) : len;
    if (u == 1) {
      number += int(CopyByteLines(d, pos, ls, ls >= len, write ? &m_out : nullptr));
    } else {
      number += int(layout.CountLf(d, pos, ls));
      if (write) copyLines(pos, ls);
    }
    if (ls >= len) break;
    size_t le = layout.NextLf(d, ls, len);
    size_t end = le;
    while (end > ls && layout.IsCr(d + end - u)) end -= u;
    ++number;
    // ASCII reads and writes alike as ANSI and as UTF-8: the sample is tested only for a line
    // that holds, or gets, anything else.
    auto needCodePage = [&] {
      if (!utf8Known) {
        codec.m_bUtf8 = CTextCodec::SampleIsUtf8(all, head, length);
        utf8Known = true;
      }
    };
    if (!utf8Known && !IsAscii(d + ls, end - ls)) needCodePage();
    m_line.Empty();
    codec.Decode(d + ls, end - ls, m_line.Str());
    m_lines.RemoveAll();
    if (IsCandidate(m_line, find[0], true, false)) {
      HandleFind(m_line, m_last, number, out, m_lines);
      if (write && !utf8Known)
        for (const CString& l : m_lines)
          if (!IsAscii(l)) needCodePage();
      if (write)
        for (const CString& l : m_lines) {
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
  const int n = find.GetSize();
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
      HandleFind(m_line, m_last, counter, out, m_lines);
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
  // A file without a single line (empty, a mark alone, a mark and half a unit) has nothing to
  // rewrite: writing no line would drop its mark and its last byte.
  if (!m_job.m_bFindOnly && !m_lines.IsEmpty()) {
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
