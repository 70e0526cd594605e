// CString: the UTF-16 string of every path, line, list entry and message. Not reference-counted:
// a plain owned buffer (std::basic_string) is as fast for our use and has no shared state to
// guard between the dialog's thread and the worker. It carries its length, so a line may hold
// zero units in its middle; the pointer conversion still ends at the first zero, as the
// platform's string calls expect.
#pragma once

#include <string>

#include "platform/platform.h"

class CString {
 public:
  typedef std::basic_string<WCHAR> Buffer;

  CString() = default;
  CString(LPCWSTR s) : m_str(s ? s : L0()) {}
  CString(LPCWSTR s, int n) : m_str(s, s ? size_t(n) : 0) {}
  CString(WCHAR ch, int repeat = 1) : m_str(size_t(repeat > 0 ? repeat : 0), ch) {}
  explicit CString(const Buffer& s) : m_str(s) {}
  explicit CString(Buffer&& s) : m_str(std::move(s)) {}

  int GetLength() const { return int(m_str.size()); }
  BOOL IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }
  LPCWSTR GetString() const { return m_str.c_str(); }
  operator LPCWSTR() const { return m_str.c_str(); }
  WCHAR GetAt(int i) const { return m_str[size_t(i)]; }
  WCHAR operator[](int i) const { return m_str[size_t(i)]; }
  void SetAt(int i, WCHAR c) { m_str[size_t(i)] = c; }

  CString& operator=(LPCWSTR s) {
    m_str.assign(s ? s : L0());
    return *this;
  }
  CString& operator+=(const CString& s) {
    m_str += s.m_str;
    return *this;
  }
  CString& operator+=(LPCWSTR s) {
    if (s) m_str += s;
    return *this;
  }
  CString& operator+=(WCHAR c) {
    m_str += c;
    return *this;
  }
  void Append(LPCWSTR s, int n) { m_str.append(s, size_t(n)); }

  // Code-unit comparison, unsigned, no locale.
  int Compare(const CString& s) const { return m_str.compare(s.m_str); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
  friend bool operator==(const CString& a, LPCWSTR b) { return a.m_str == (b ? b : L0()); }
  friend bool operator==(LPCWSTR a, const CString& b) { return b == a; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
  friend bool operator!=(LPCWSTR a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }
  friend bool operator>(const CString& a, const CString& b) { return b.m_str < a.m_str; }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
  friend CString operator+(const CString& a, LPCWSTR b) { return CString(a.m_str + (b ? b : L0())); }
  friend CString operator+(LPCWSTR a, const CString& b) { return CString((a ? a : L0()) + b.m_str); }
  friend CString operator+(const CString& a, WCHAR b) { return CString(a.m_str + b); }

  CString Left(int n) const;
  CString Right(int n) const;
  CString Mid(int first) const;
  CString Mid(int first, int n) const;
  // -1 when absent; an empty text to find is never found.
  int Find(const CString& s, int start = 0) const;
  int Find(WCHAR c, int start = 0) const;
  int ReverseFind(WCHAR c) const;
  // Replaces every non-overlapping occurrence, left to right, case significant; an inserted
  // text is not searched again; nothing happens for an empty old text. Returns the count.
  int Replace(const CString& oldText, const CString& newText);
  int Replace(WCHAR oldChar, WCHAR newChar);
  // Only A to Z and a to z change: the case mapping of paths and replacement variants.
  CString& MakeLower();
  CString& MakeUpper();
  void Truncate(int n) { if (n >= 0 && size_t(n) < m_str.size()) m_str.resize(size_t(n)); }

  // printf-style: %s (LPCWSTR), %d %i %u %x %X %c and %%, with '-', '0' and a width. A CString
  // argument must be passed as (LPCWSTR).
  void Format(LPCWSTR format, ...);

  LPWSTR GetBuffer(int minLength);
  void ReleaseBuffer(int newLength = -1);

  // Direct access for code that builds or scans long texts without per-unit calls.
  Buffer& Str() { return m_str; }
  const Buffer& Str() const { return m_str; }

 private:
  static LPCWSTR L0() { return _T(""); }
  Buffer m_str;
};

// Narrow (8-bit) text: UTF-8 or ANSI bytes.
typedef std::string CStringA;
