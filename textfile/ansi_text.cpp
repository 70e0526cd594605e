#include "textfile/ansi_text.h"

#include <cstring>

#include "textfile/utf8.h"

namespace {

bool HasEscapeUnit(const WCHAR* s, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (IsEscapeUnit(s[i])) return true;
  return false;
}

void EncodeSegment(const WCHAR* s, size_t n, std::string& out) {
  if (!n) return;
  int need = WideCharToMultiByte(CP_THREAD_ACP, 0, s, int(n), nullptr, 0, nullptr, nullptr);
  if (need <= 0) return;
  size_t base = out.size();
  out.resize(base + size_t(need));
  int got = WideCharToMultiByte(CP_THREAD_ACP, 0, s, int(n), &out[base], need, nullptr, nullptr);
  out.resize(base + size_t(got > 0 ? got : 0));
}

// One character at a time: only where the whole line did not come back as itself. Each
// character is taken only if it re-encodes to exactly its own bytes; any other byte escapes.
void DecodeByCharacter(const BYTE* p, size_t n, CString::Buffer& out) {
  std::string check;
  size_t i = 0;
  while (i < n) {
    BYTE b = p[i];
    if (b < 0x80) {
      out += WCHAR(b);
      ++i;
      continue;
    }
    int len = (IsDBCSLeadByteEx(CP_ACP, b) && i + 1 < n) ? 2 : 1;
    WCHAR w[4];
    int k = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p + i), len, w, 4);
    bool ok = k > 0 && !HasEscapeUnit(w, size_t(k));
    if (ok) {
      check.clear();
      EncodeSegment(w, size_t(k), check);
      ok = check.size() == size_t(len) && memcmp(check.data(), p + i, size_t(len)) == 0;
    }
    if (ok) {
      out.append(w, size_t(k));
      i += size_t(len);
    } else {
      out += EscapeByte(b);
      ++i;
    }
  }
}

}  // namespace

void AppendAnsiAsUtf16(const BYTE* p, size_t n, CString::Buffer& out) {
  size_t base = out.size();
  size_t ascii = 0;
  while (ascii < n && p[ascii] < 0x80) ++ascii;
  if (ascii == n) {
    // Plain ASCII is the same in every code page we meet: no conversion call at all.
    out.resize(base + n);
    WCHAR* o = &out[0] + base;
    for (size_t i = 0; i < n; ++i) o[i] = p[i];
    return;
  }
  const char* s = reinterpret_cast<const char*>(p);
  int units = MultiByteToWideChar(CP_ACP, 0, s, int(n), nullptr, 0);
  if (units > 0) {
    out.resize(base + size_t(units));
    int got = MultiByteToWideChar(CP_ACP, 0, s, int(n), &out[base], units);
    if (got > 0) {
      out.resize(base + size_t(got));
      if (!HasEscapeUnit(out.data() + base, size_t(got))) {
        std::string back;
        EncodeSegment(out.data() + base, size_t(got), back);
        if (back.size() == n && memcmp(back.data(), p, n) == 0) return;
      }
    }
  }
  out.resize(base);
  DecodeByCharacter(p, n, out);
}

void AppendUtf16AsAnsi(const WCHAR* s, size_t n, std::string& out) {
  size_t i = 0;
  while (i < n) {
    size_t j = i;
    bool ascii = true;
    while (j < n && !IsEscapeUnit(s[j])) {
      if (s[j] >= 0x80) ascii = false;
      ++j;
    }
    if (ascii) {
      for (size_t k = i; k < j; ++k) out += char(s[k]);
    } else {
      EncodeSegment(s + i, j - i, out);
    }
    if (j < n) {
      out += char(s[j] & 0xFF);
      ++j;
    }
    i = j;
  }
}
