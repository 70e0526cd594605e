#include "textfile/utf8.h"

#include <cstdint>
#include <cstring>

int IsUtf8(const BYTE* bytes, ULONGLONG len) {
  if (!bytes) return 0;
  if (len == 0) len = strlen(reinterpret_cast<const char*>(bytes));
  if (len == 0) return 0;
  bool allAscii = true;
  ULONGLONG i = 0;
  while (i < len) {
    // Runs of ASCII change nothing: eight bytes at a time.
    while (i + 8 <= len) {
      uint64_t w;
      memcpy(&w, bytes + i, 8);
      if (w & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= len) break;
    const BYTE b = bytes[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    allAscii = false;
    // The continuation bytes the lead byte asks for; a continuation byte cannot lead.
    if (b <= 0xBF) return 0;
    const int follow = b <= 0xDF ? 1 : b <= 0xEF ? 2 : b <= 0xF7 ? 3 : (b == 0xFC || b == 0xFD) ? 5 : 4;
    // A sequence the sample cuts short fails, whatever its bytes so far.
    if (len - i - 1 < ULONGLONG(follow)) {
      for (ULONGLONG k = i + 1; k < len; ++k)
        if ((bytes[k] & 0xC0) != 0x80) return 0;
      return 0;
    }
    for (int k = 1; k <= follow; ++k)
      if ((bytes[i + ULONGLONG(k)] & 0xC0) != 0x80) return 0;
    i += ULONGLONG(follow) + 1;
  }
  return allAscii ? 0 : 1;
}

int IsUtf8(const char* bytes, ULONGLONG len) { return IsUtf8(reinterpret_cast<const BYTE*>(bytes), len); }

static inline bool IsCont(BYTE b) { return (b & 0xC0) == 0x80; }

void AppendUtf8AsUtf16(const BYTE* p, size_t n, CString::Buffer& out) {
  // Never more units than bytes: size once, fill through a pointer, trim at the end.
  size_t base = out.size();
  out.resize(base + n);
  WCHAR* o = &out[0] + base;
  size_t i = 0;
  while (i < n) {
    // Most text is ASCII in long runs: test eight bytes at once.
    while (i + 8 <= n) {
      uint64_t w;
      memcpy(&w, p + i, 8);
      if (w & 0x8080808080808080ull) break;
      for (int k = 0; k < 8; ++k) o[k] = p[i + k];
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    BYTE b = p[i];
    if (b < 0x80) {
      *o++ = b;
      ++i;
      continue;
    }
    size_t left = n - i;
    if (b >= 0xC2 && b <= 0xDF) {
      if (left >= 2 && IsCont(p[i + 1])) {
        *o++ = WCHAR(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
        i += 2;
        continue;
      }
    } else if (b >= 0xE0 && b <= 0xEF) {
      if (left >= 3 && IsCont(p[i + 1]) && IsCont(p[i + 2])) {
        BYTE c1 = p[i + 1];
        // E0 80..9F would be overlong; ED A0..BF would be a surrogate.
        if (!(b == 0xE0 && c1 < 0xA0) && !(b == 0xED && c1 > 0x9F)) {
          *o++ = WCHAR(((b & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (p[i + 2] & 0x3F));
          i += 3;
          continue;
        }
      }
    } else if (b >= 0xF0 && b <= 0xF4) {
      if (left >= 4 && IsCont(p[i + 1]) && IsCont(p[i + 2]) && IsCont(p[i + 3])) {
        BYTE c1 = p[i + 1];
        // F0 80..8F would be overlong; F4 90 and up lies above U+10FFFF.
        if (!(b == 0xF0 && c1 < 0x90) && !(b == 0xF4 && c1 > 0x8F)) {
          uint32_t v = (uint32_t(b & 0x07) << 18) | (uint32_t(c1 & 0x3F) << 12) |
                       (uint32_t(p[i + 2] & 0x3F) << 6) | uint32_t(p[i + 3] & 0x3F);
          v -= 0x10000;
          *o++ = WCHAR(0xD800 | (v >> 10));
          *o++ = WCHAR(0xDC00 | (v & 0x3FF));
          i += 4;
          continue;
        }
      }
    }
    // Not the start of a valid sequence: this byte alone travels as its escape unit, and decoding
    // resumes at the next byte, so a broken sequence costs no valid text after it.
    *o++ = EscapeByte(b);
    ++i;
  }
  out.resize(size_t(o - out.data()));
}

void AppendUtf16AsUtf8(const WCHAR* s, size_t n, std::string& out) {
  size_t base = out.size();
  out.resize(base + 3 * n);  // a unit never needs more than three bytes (a pair: four for two)
  char* o = &out[0] + base;
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = s[i];
    if (c < 0x80) {
      *o++ = char(c);
      while (i + 1 < n && s[i + 1] < 0x80) *o++ = char(s[++i]);
    } else if (c < 0x800) {
      *o++ = char(0xC0 | (c >> 6));
      *o++ = char(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      uint32_t v = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(s[i + 1]) - 0xDC00);
      ++i;
      *o++ = char(0xF0 | (v >> 18));
      *o++ = char(0x80 | ((v >> 12) & 0x3F));
      *o++ = char(0x80 | ((v >> 6) & 0x3F));
      *o++ = char(0x80 | (v & 0x3F));
    } else if (IsEscapeUnit(WCHAR(c))) {
      *o++ = char(c & 0xFF);
    } else {
      // Other lone surrogates keep their three-byte form, so nothing is dropped on the way out.
      *o++ = char(0xE0 | (c >> 12));
      *o++ = char(0x80 | ((c >> 6) & 0x3F));
      *o++ = char(0x80 | (c & 0x3F));
    }
  }
  out.resize(size_t(o - out.data()));
}

void Utf8ToUtf16(const char* bytes, CString& out, ULONGLONG len) {
  out.Empty();
  if (!bytes) return;
  if (len == 0) len = strlen(bytes);
  AppendUtf8AsUtf16(reinterpret_cast<const BYTE*>(bytes), size_t(len), out.Str());
}

void Utf16ToUtf8(LPCWSTR text, CStringA& out) {
  out.clear();
  if (!text) return;
  AppendUtf16AsUtf8(text, size_t(lstrlenW(text)), out);
}

void Utf16ToUtf8(const CString& text, CStringA& out) {
  out.clear();
  AppendUtf16AsUtf8(text.Str().data(), text.Str().size(), out);
}
