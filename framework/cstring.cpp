#include "framework/cstring.h"

#include <cstdarg>

CString CString::Left(int n) const {
  if (n <= 0) return CString();
  return CString(m_str.substr(0, size_t(n)));
}

CString CString::Right(int n) const {
  if (n <= 0) return CString();
  if (size_t(n) >= m_str.size()) return *this;
  return CString(m_str.substr(m_str.size() - size_t(n)));
}

CString CString::Mid(int first) const {
  if (first < 0) first = 0;
  if (size_t(first) >= m_str.size()) return CString();
  return CString(m_str.substr(size_t(first)));
}

CString CString::Mid(int first, int n) const {
  if (first < 0) first = 0;
  if (n <= 0 || size_t(first) >= m_str.size()) return CString();
  return CString(m_str.substr(size_t(first), size_t(n)));
}

int CString::Find(const CString& s, int start) const {
  if (s.m_str.empty() || start < 0 || size_t(start) > m_str.size()) return -1;
  size_t p = m_str.find(s.m_str, size_t(start));
  return p == Buffer::npos ? -1 : int(p);
}

int CString::Find(WCHAR c, int start) const {
  if (start < 0 || size_t(start) > m_str.size()) return -1;
  size_t p = m_str.find(c, size_t(start));
  return p == Buffer::npos ? -1 : int(p);
}

int CString::ReverseFind(WCHAR c) const {
  size_t p = m_str.rfind(c);
  return p == Buffer::npos ? -1 : int(p);
}

int CString::Replace(const CString& oldText, const CString& newText) {
  const Buffer& a = oldText.m_str;
  if (a.empty()) return 0;
  size_t p = m_str.find(a);
  if (p == Buffer::npos) return 0;
  Buffer out;
  out.reserve(m_str.size());
  size_t from = 0;
  int count = 0;
  while (p != Buffer::npos) {
    out.append(m_str, from, p - from);
    out += newText.m_str;
    from = p + a.size();
    ++count;
    p = m_str.find(a, from);
  }
  out.append(m_str, from, Buffer::npos);
  m_str.swap(out);
  return count;
}

int CString::Replace(WCHAR oldChar, WCHAR newChar) {
  int count = 0;
  for (auto& c : m_str)
    if (c == oldChar) c = newChar, ++count;
  return count;
}

CString& CString::MakeLower() {
  for (auto& c : m_str)
    if (c >= 'A' && c <= 'Z') c = WCHAR(c + 32);
  return *this;
}

CString& CString::MakeUpper() {
  for (auto& c : m_str)
    if (c >= 'a' && c <= 'z') c = WCHAR(c - 32);
  return *this;
}

LPWSTR CString::GetBuffer(int minLength) {
  if (minLength > 0 && size_t(minLength) > m_str.size()) m_str.resize(size_t(minLength));
  return &m_str[0];
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    size_t n = 0;
    while (n < m_str.size() && m_str[n]) ++n;
    m_str.resize(n);
  } else {
    m_str.resize(size_t(newLength));
  }
}

namespace {

void AppendNumber(CString::Buffer& out, unsigned long long v, bool negative, int base, bool upper,
                  int width, bool zeroPad, bool left) {
  WCHAR digits[32];
  int n = 0;
  do {
    unsigned d = unsigned(v % unsigned(base));
    digits[n++] = WCHAR(d < 10 ? '0' + d : (upper ? 'A' : 'a') + d - 10);
    v /= unsigned(base);
  } while (v);
  int len = n + (negative ? 1 : 0);
  int pad = width > len ? width - len : 0;
  if (!left && !zeroPad) out.append(size_t(pad), WCHAR(' '));
  if (negative) out += WCHAR('-');
  if (!left && zeroPad) out.append(size_t(pad), WCHAR('0'));
  while (n) out += digits[--n];
  if (left) out.append(size_t(pad), WCHAR(' '));
}

}  // namespace

void CString::Format(LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  Buffer out;
  for (const WCHAR* f = format; f && *f; ++f) {
    if (*f != '%') {
      out += *f;
      continue;
    }
    ++f;
    bool left = false, zeroPad = false;
    for (;; ++f) {
      if (*f == '-') left = true;
      else if (*f == '0') zeroPad = true;
      else break;
    }
    int width = 0;
    while (*f >= '0' && *f <= '9') width = width * 10 + (*f++ - '0');
    if (*f == 'l') ++f;  // %ls and %ld mean the same as %s and %d here
    switch (*f) {
      case 's': {
        LPCWSTR s = va_arg(args, LPCWSTR);
        Buffer text(s ? s : L0());
        int pad = width > int(text.size()) ? width - int(text.size()) : 0;
        if (!left) out.append(size_t(pad), WCHAR(' '));
        out += text;
        if (left) out.append(size_t(pad), WCHAR(' '));
        break;
      }
      case 'd':
      case 'i': {
        long long v = va_arg(args, int);
        AppendNumber(out, v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v, v < 0, 10,
                     false, width, zeroPad, left);
        break;
      }
      case 'u': AppendNumber(out, va_arg(args, unsigned), false, 10, false, width, zeroPad, left); break;
      case 'x': AppendNumber(out, va_arg(args, unsigned), false, 16, false, width, zeroPad, left); break;
      case 'X': AppendNumber(out, va_arg(args, unsigned), false, 16, true, width, zeroPad, left); break;
      case 'c': out += WCHAR(va_arg(args, int)); break;
      case '%': out += WCHAR('%'); break;
      case 0: --f; break;
      default: out += WCHAR('%'); out += *f; break;
    }
  }
  va_end(args);
  m_str.swap(out);
}
