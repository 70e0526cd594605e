// Text helpers of the POSIX stand-in: file names cross between UTF-16 and the kernel's UTF-8,
// and names compare without regard to case as Windows compares them.
#pragma once

#include <string>

namespace zplat {

std::string Utf16ToUtf8Path(const std::u16string& s);
std::u16string Utf8ToUtf16Path(const std::string& s);
// The upper-case form Windows compares names and case-insensitive searches by: Latin, Greek,
// Cyrillic and full-width letters; every other unit maps to itself.
char16_t FoldUnit(char16_t c);
std::u16string FoldCase(const std::u16string& s);

}  // namespace zplat
