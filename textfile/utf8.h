// UTF-8 <-> UTF-16 for the text file class.
//
// Text that no decoder accepts must survive a read and a write unchanged, so the conversions are
// lossless by construction: each byte that does not start a valid, shortest-form UTF-8 sequence
// (all such bytes are 0x80 or more) becomes the lone low surrogate U+DC00 + byte, which no valid
// UTF-8 ever decodes to; the encoder writes such a lone U+DC80..U+DCFF back as its raw byte. The
// decoder is therefore strict (no overlongs, no encoded surrogates, nothing above U+10FFFF, no
// truncated sequences) so that encoding what it decoded gives back every input byte.
#pragma once

#include <string>

#include "framework/cstring.h"

// The unit that stands for a byte no decoder accepted.
inline bool IsEscapeUnit(WCHAR c) { return c >= 0xDC80 && c <= 0xDCFF; }
inline WCHAR EscapeByte(BYTE b) { return WCHAR(0xDC00 | b); }

// 1 when the sample looks like UTF-8 text holding at least one byte of 0x80 or more, else 0. A
// deliberately loose structural test (lead bytes up to six-byte forms, no range checks); a length
// of 0 means the bytes end at a zero byte.
int IsUtf8(const BYTE* bytes, ULONGLONG len);
int IsUtf8(const char* bytes, ULONGLONG len);

// Replaces `out` with the decoded text; a length of 0 means the bytes end at a zero byte.
void Utf8ToUtf16(const char* bytes, CString& out, ULONGLONG len);
// Replaces `out` with the encoded text: up to the first zero unit for the pointer form, the whole
// string (zero units included) for the CString form.
void Utf16ToUtf8(LPCWSTR text, CStringA& out);
void Utf16ToUtf8(const CString& text, CStringA& out);

// The appending forms the line reader and writer use on their reused buffers; lengths are exact.
void AppendUtf8AsUtf16(const BYTE* bytes, size_t len, CString::Buffer& out);
void AppendUtf16AsUtf8(const WCHAR* units, size_t len, std::string& out);
