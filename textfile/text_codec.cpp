#include "textfile/text_codec.h"

#include <cstring>

#include "textfile/ansi_text.h"
#include "textfile/utf8.h"

namespace {

// Sizes of the two detection samples. Both start at the file's first byte: a character that
// straddles the end of a mark's worth of bytes must not decide the encoding.
const size_t kNulSample = 16384;
const size_t kUtf8Sample = 102400;

// A sample cut off by its size limit, not by the end of the file, may end inside a character;
// that says nothing about the file, so the unfinished character is left out of the test.
size_t TrimCutCharacter(const BYTE* p, size_t n) {
  size_t k = n;
  size_t back = 0;
  while (k > 0 && back < 6 && (p[k - 1] & 0xC0) == 0x80) {
    --k;
    ++back;
  }
  if (k == 0) return n;
  BYTE lead = p[k - 1];
  if (lead < 0xC0) return n;
  size_t len = lead <= 0xDF ? 2 : lead <= 0xEF ? 3 : lead <= 0xF7 ? 4 : (lead == 0xFC || lead == 0xFD) ? 6 : 5;
  return (n - (k - 1) < len) ? k - 1 : n;
}

}  // namespace

size_t CTextCodec::SampleSize() { return kUtf8Sample; }

bool CTextCodec::SampleIsUtf8(const BYTE* p, size_t got, unsigned long long fileLen) {
  size_t n = got < kUtf8Sample ? got : kUtf8Sample;
  if (n == kUtf8Sample && fileLen > n) n = TrimCutCharacter(p, n);
  return n ? IsUtf8(p, n) != 0 : false;
}

bool CTextCodec::Detect(const BYTE* p, size_t got, unsigned long long fileLen, CTextCodec& c,
                        size_t& dataStart, bool assumeUtf8, bool testUtf8) {
  c = CTextCodec();
  if (got >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    c.m_bUnicode = true;
    c.m_bBigEndian = p[0] == 0xFE;
    c.m_nEncoding = c.m_bBigEndian ? 2 : 1;
    dataStart = 2;
    return true;
  }
  size_t nul = got < kNulSample ? got : kNulSample;
  bool text = memchr(p, 0, nul) == nullptr;
  if (got >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    c.m_bUtf8 = true;
    c.m_nEncoding = 3;
    dataStart = 3;
    return text;
  }
  if (assumeUtf8)
    c.m_bUtf8 = true;
  else if (testUtf8)
    c.m_bUtf8 = SampleIsUtf8(p, got, fileLen);
  dataStart = 0;
  return text;
}

void CTextCodec::Decode(const BYTE* p, size_t len, CString::Buffer& out) const {
  if (m_bUnicode) {
    size_t n = len / 2;
    const int hi = m_bBigEndian ? 0 : 1;
    const int lo = 1 - hi;
    size_t base = out.size();
    out.resize(base + n);
    WCHAR* o = n ? &out[base] : nullptr;
    for (size_t i = 0; i < n; ++i) o[i] = WCHAR(p[2 * i + lo] | (p[2 * i + hi] << 8));
    return;
  }
  if (m_bUtf8)
    AppendUtf8AsUtf16(p, len, out);
  else
    AppendAnsiAsUtf16(p, len, out);
}

void CTextCodec::Encode(const WCHAR* units, size_t count, std::string& out) const {
  switch (m_nEncoding) {
    case 1:
    case 2: {
      size_t base = out.size();
      out.resize(base + 2 * count);
      char* o = &out[0] + base;
      const bool be = m_nEncoding == 2;
      for (size_t i = 0; i < count; ++i) {
        o[2 * i + (be ? 1 : 0)] = char(units[i] & 0xFF);
        o[2 * i + (be ? 0 : 1)] = char(units[i] >> 8);
      }
      break;
    }
    case 3:
      AppendUtf16AsUtf8(units, count, out);
      break;
    case 0:
      if (m_bUtf8)
        AppendUtf16AsUtf8(units, count, out);
      else
        AppendUtf16AsAnsi(units, count, out);
      break;
    default:
      break;
  }
}

void CTextCodec::AppendLineEnd(std::string& out) const {
  static const WCHAR crlf[2] = {0x0D, 0x0A};
  Encode(crlf, 2, out);
}

std::string CTextCodec::Mark() const {
  switch (m_nEncoding) {
    case 1: return std::string("\xFF\xFE", 2);
    case 2: return std::string("\xFE\xFF", 2);
    case 3: return std::string("\xEF\xBB\xBF", 3);
    default: return std::string();
  }
}
