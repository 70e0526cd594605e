#include "textfile/encoded_file.h"

#include <cstring>
#include <vector>

#include "textfile/ansi_text.h"
#include "textfile/text_codec.h"
#include "textfile/utf8.h"

namespace {

// Large enough that the detection sample, read through the stream buffer, costs no second read
// when Open seeks back to the start; large reads also keep a long file to few system calls.
const size_t kStreamBuffer = 256 * 1024;

// How many bytes at the end of `p` begin a character that the piece does not complete.
size_t UnfinishedTail(const BYTE* p, size_t n, bool utf8) {
  if (utf8) {
    size_t k = n;
    while (k > 0 && n - k < 3 && (p[k - 1] & 0xC0) == 0x80) --k;
    if (k == 0) return 0;
    BYTE lead = p[k - 1];
    size_t len = (lead >= 0xC2 && lead <= 0xDF) ? 2 : (lead >= 0xE0 && lead <= 0xEF) ? 3
               : (lead >= 0xF0 && lead <= 0xF4) ? 4 : 1;
    return (n - (k - 1) < len) ? n - (k - 1) : 0;
  }
  size_t i = 0;
  while (i < n) {
    if (p[i] >= 0x80 && IsDBCSLeadByteEx(CP_ACP, p[i])) {
      if (i + 1 == n) return 1;
      i += 2;
    } else {
      ++i;
    }
  }
  return 0;
}

}  // namespace

CReadAUStdioFile::CReadAUStdioFile(int nEncoding, BOOL bAssumeUtf8)
    : m_nEncoding(nEncoding),
      m_bIsText(FALSE),
      m_bUnicode(FALSE),
      m_bUtf8(FALSE),
      m_bAssumeUtf8(bAssumeUtf8),
      m_bBomWritten(FALSE) {
  SetBufferSize(kStreamBuffer);
}

CReadAUStdioFile::~CReadAUStdioFile() {
  if (IsOpen()) {
    try {
      Close();
    } catch (...) {
      Abort();
    }
  }
}

void CReadAUStdioFile::ResetState() {
  m_nEncoding = -1;
  m_bIsText = m_bUnicode = m_bUtf8 = m_bAssumeUtf8 = m_bBomWritten = FALSE;
  m_bBigEndianRead = false;
  m_bHasOddByte = false;
  m_oddByte = 0;
  m_bWrote = false;
}

BOOL CReadAUStdioFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error) {
  if (IsOpen()) {
    // Keep what was set for the new open; only the old file's pending bytes are settled here.
    int preset = m_nEncoding;
    BOOL assume = m_bAssumeUtf8;
    Close();
    m_nEncoding = preset;
    m_bAssumeUtf8 = assume;
  }
  m_bBigEndianRead = false;
  m_bHasOddByte = false;
  m_bWrote = false;
  if (!CStdioFile::Open(fileName, openFlags | CFile::typeBinary, error)) return FALSE;
  Detect(openFlags);
  return TRUE;
}

void CReadAUStdioFile::Detect(UINT openFlags) {
  if (!(openFlags & CFile::modeWrite)) {
    try {
      // One read serves both samples; sized to the file, freed when Open returns.
      const ULONGLONG fileLen = GetLength();
      const size_t want = CTextCodec::SampleSize();
      std::vector<BYTE> sample(size_t(fileLen < want ? fileLen : want) + 1);
      Seek(0, CFile::begin);
      size_t got = CStdioFile::Read(sample.data(), UINT(sample.size() - 1));
      CTextCodec codec;
      size_t start = 0;
      m_bIsText = CTextCodec::Detect(sample.data(), got, fileLen, codec, start, m_bAssumeUtf8 != FALSE);
      m_bUnicode = codec.m_bUnicode;
      if (codec.m_bUnicode) {
        m_bBigEndianRead = codec.m_bBigEndian;
        if (m_nEncoding == -1) m_nEncoding = codec.m_nEncoding;
        ULONGLONG len = fileLen;
        if (len % 2) {
          Seek(LONGLONG(len - 1), CFile::begin);
          BYTE b = 0;
          if (CStdioFile::Read(&b, 1) == 1) {
            m_oddByte = b;
            m_bHasOddByte = true;
          }
        }
        Seek(2, CFile::begin);
      } else {
        if (m_nEncoding == -1) m_nEncoding = 0;
        m_bUtf8 = codec.m_bUtf8;
        // A UTF-8 mark decides over a preset.
        if (codec.m_nEncoding == 3) m_nEncoding = 3;
        Seek(LONGLONG(start), CFile::begin);
      }
    } catch (CException&) {
      // A file we cannot sample is still opened; it is read as 8-bit text from wherever it stands.
      m_bUnicode = FALSE;
      m_bBigEndianRead = false;
      m_bHasOddByte = false;
      if (m_nEncoding == -1) m_nEncoding = 0;
    }
  }
  if (m_nEncoding == -1) m_nEncoding = m_bUnicode ? 1 : 0;
}

CTextCodec CReadAUStdioFile::Codec() const {
  CTextCodec c;
  c.m_nEncoding = m_nEncoding;
  c.m_bUnicode = m_bUnicode != FALSE;
  c.m_bUtf8 = m_bUtf8 != FALSE;
  c.m_bBigEndian = m_bBigEndianRead;
  return c;
}

void CReadAUStdioFile::DecodeRaw(const std::string& raw, CString::Buffer& out) const {
  const BYTE* p = reinterpret_cast<const BYTE*>(raw.data());
  size_t n = raw.size();
  if (m_bUnicode) {
    const int hi = m_bBigEndianRead ? 0 : 1;
    auto unit = [&](size_t i) { return WCHAR(p[2 * i + 1 - hi] | (p[2 * i + hi] << 8)); };
    size_t units = n / 2;
    if (units && unit(units - 1) == 0x0A) --units;
    while (units && unit(units - 1) == 0x0D) --units;
    n = units * 2;
  } else {
    if (n && p[n - 1] == 0x0A) --n;
    // A carriage return is never the second byte of a code-page character or inside a UTF-8
    // sequence, so the bytes can be trimmed before decoding.
    while (n && p[n - 1] == 0x0D) --n;
  }
  out.clear();
  Codec().Decode(p, n, out);
}

BOOL CReadAUStdioFile::ReadString(CString& line) {
  line.Empty();
  m_raw.clear();
  if (!ReadRawLine(m_raw, m_bUnicode ? 2 : 1, m_bBigEndianRead)) return FALSE;
  DecodeRaw(m_raw, line.Str());
  return TRUE;
}

LPWSTR CReadAUStdioFile::ReadString(LPWSTR buffer, UINT capacity) {
  if (!buffer) AfxThrowInvalidArgException();
  m_raw.clear();
  if (capacity <= 1) {
    if (AtEnd()) return nullptr;
    if (capacity == 1) buffer[0] = 0;
    return buffer;
  }
  const size_t room = capacity - 1;
  CString::Buffer text;
  if (m_bUnicode) {
    if (!ReadRawLine(m_raw, 2, m_bBigEndianRead, room)) return nullptr;
    const BYTE* p = reinterpret_cast<const BYTE*>(m_raw.data());
    const int hi = m_bBigEndianRead ? 0 : 1;
    for (size_t i = 0; i < m_raw.size() / 2; ++i) text += WCHAR(p[2 * i + 1 - hi] | (p[2 * i + hi] << 8));
  } else {
    // No more bytes than the buffer has room for units: decoding never makes more units than bytes,
    // so nothing read is ever dropped; a character cut at the end is left for the next call.
    if (!ReadRawLine(m_raw, 1, false, room)) return nullptr;
    const BYTE* p = reinterpret_cast<const BYTE*>(m_raw.data());
    size_t n = m_raw.size();
    if (n == room && p[n - 1] != 0x0A) {
      size_t tail = UnfinishedTail(p, n, m_bUtf8 != FALSE);
      if (tail && tail < n) {
        Seek(LONGLONG(GetPosition() - tail), CFile::begin);
        n -= tail;
      }
    }
    if (m_bUtf8) AppendUtf8AsUtf16(p, n, text);
    else AppendAnsiAsUtf16(p, n, text);
  }
  if (text.size() > room) text.resize(room);
  if (!text.empty() && text.back() == 0x0D) text.pop_back();
  if (!text.empty()) memcpy(buffer, text.data(), text.size() * sizeof(WCHAR));
  buffer[text.size()] = 0;
  return buffer;
}

void CReadAUStdioFile::EncodeUnits(const WCHAR* units, size_t count, std::string& out) const {
  Codec().Encode(units, count, out);
}

void CReadAUStdioFile::WriteUnits(const WCHAR* units, size_t count, bool lineEnd) {
  if (m_nEncoding < 0 || m_nEncoding > 3 || !IsOpen()) return;
  m_bWrote = true;
  WriteBom();
  m_out.clear();
  EncodeUnits(units, count, m_out);
  if (lineEnd) {
    static const WCHAR crlf[2] = {0x0D, 0x0A};
    EncodeUnits(crlf, 2, m_out);
  }
  if (!m_out.empty()) CStdioFile::Write(m_out.data(), UINT(m_out.size()));
}

void CReadAUStdioFile::WriteString(LPCWSTR text) {
  WriteUnits(text, text ? size_t(lstrlenW(text)) : 0, false);
}

void CReadAUStdioFile::WriteString(const CString& text) { WriteUnits(text.Str().data(), text.Str().size(), false); }

void CReadAUStdioFile::WriteLine(LPCWSTR text) { WriteUnits(text, text ? size_t(lstrlenW(text)) : 0, true); }

void CReadAUStdioFile::WriteLine(const CString& text) { WriteUnits(text.Str().data(), text.Str().size(), true); }

void CReadAUStdioFile::WriteBom() {
  if (m_bBomWritten) return;
  static const BYTE marks[3][3] = {{0xFF, 0xFE, 0}, {0xFE, 0xFF, 0}, {0xEF, 0xBB, 0xBF}};
  if (m_nEncoding < 1 || m_nEncoding > 3) return;
  m_bBomWritten = TRUE;
  if (GetLength() == 0) {
    Seek(0, CFile::begin);
    WriteDirect(marks[m_nEncoding - 1], m_nEncoding == 3 ? 3 : 2);
  }
}

void CReadAUStdioFile::Write(const void* buffer, UINT count) {
  if (!IsOpen()) return;
  m_bWrote = true;
  WriteBom();
  CStdioFile::Write(buffer, count);
}

UINT CReadAUStdioFile::Read(void* buffer, UINT count) {
  UINT got = CStdioFile::Read(buffer, count);
  if (!m_bUtf8 || count == 0) return got;
  CString::Buffer wide;
  AppendUtf8AsUtf16(static_cast<const BYTE*>(buffer), got, wide);
  std::string ansi;
  AppendUtf16AsAnsi(wide.data(), wide.size(), ansi);
  // The caller's count bounds the bytes and their terminating zero together.
  size_t n = ansi.size() < count ? ansi.size() : count - 1;
  memcpy(buffer, ansi.data(), n);
  static_cast<char*>(buffer)[n] = 0;
  return UINT(n);
}

void CReadAUStdioFile::Close() {
  if (!IsOpen()) {
    ResetState();
    return;
  }
  try {
    if (m_bWrote && m_bHasOddByte) CStdioFile::Write(&m_oddByte, 1);
  } catch (...) {
    ResetState();
    Abort();
    throw;
  }
  ResetState();
  CStdioFile::Close();
}

void CReadAUStdioFile::CopyEncodingFrom(const CReadAUStdioFile& src) {
  m_nEncoding = src.m_nEncoding;
  m_bIsText = src.m_bIsText;
  m_bUnicode = src.m_bUnicode;
  m_bUtf8 = src.m_bUtf8;
  m_bAssumeUtf8 = src.m_bAssumeUtf8;
  // The new file is empty, so its first write puts the mark, as a rewrite in place would.
  m_bBomWritten = FALSE;
  m_bBigEndianRead = src.m_bBigEndianRead;
  m_bHasOddByte = src.m_bHasOddByte;
  m_oddByte = src.m_oddByte;
  m_bWrote = false;
}
