// Lossless conversion between the ANSI code page and UTF-16 for the text file class. Bytes the code
// page cannot decode, or that would not be written back as the same bytes, travel as the escape
// units of utf8.h (U+DC80..U+DCFF), which the writer puts back as raw bytes.
#pragma once

#include <string>

#include "framework/cstring.h"

// Appends the decoded bytes (read with CP_ACP, checked against CP_THREAD_ACP, the code page the
// writer uses) to `out`.
void AppendAnsiAsUtf16(const BYTE* bytes, size_t len, CString::Buffer& out);
// Appends the text in CP_THREAD_ACP to `out`; characters the code page lacks become its default
// character, escape units their raw byte.
void AppendUtf16AsAnsi(const WCHAR* units, size_t len, std::string& out);
