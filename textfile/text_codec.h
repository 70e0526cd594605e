// The encoding of one text file as a value: found from the file's first bytes, and able to turn
// one raw line into text and text back into the file's bytes. CReadAUStdioFile works through
// it, and so does the engine's whole-file scan, so both read and write exactly the same bytes.
#pragma once

#include <string>

#include "framework/cstring.h"

struct CTextCodec {
  int m_nEncoding = 0;        // 0 no mark (ANSI, or UTF-8 with m_bUtf8), 1 FF FE, 2 FE FF, 3 EF BB BF
  bool m_bUnicode = false;    // 16-bit units
  bool m_bUtf8 = false;       // 8-bit text is UTF-8
  bool m_bBigEndian = false;  // units high byte first (marked FE FF)

  // How a file whose content starts with `head` (its first `headLen` bytes, `fileLen` in all)
  // is read: the same rules as opening it. Returns whether the file is text; `dataStart` is where
  // its lines begin (after a mark).
  // With `testUtf8` false an unmarked file is left with m_bUtf8 unset: a caller that may never
  // need to decode or encode saves the sample test, and calls SampleIsUtf8 when it does.
  static bool Detect(const BYTE* head, size_t headLen, unsigned long long fileLen, CTextCodec& codec,
                     size_t& dataStart, bool assumeUtf8 = false, bool testUtf8 = true);
  // The UTF-8 test of an unmarked file's head, as Detect makes it.
  static bool SampleIsUtf8(const BYTE* head, size_t headLen, unsigned long long fileLen);
  // Bytes of the head that detection looks at.
  static size_t SampleSize();

  // One line's raw bytes (units for UTF-16), already without its line feed and the carriage
  // returns before it, appended to `out` as text.
  void Decode(const BYTE* raw, size_t len, CString::Buffer& out) const;
  // Text appended to `out` in the file's encoding (no mark, no line end).
  void Encode(const WCHAR* units, size_t count, std::string& out) const;
  // The line end (CR LF) in the file's encoding.
  void AppendLineEnd(std::string& out) const;
  // The mark an empty file gets at its first write ("" for none).
  std::string Mark() const;
};
