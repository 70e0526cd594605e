#include "platform/posix_text.h"

namespace zplat {

std::string Utf16ToUtf8Path(const std::u16string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16Path(const std::string& s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = s[i];
    uint32_t c;
    size_t n;
    if (b < 0x80) { c = b; n = 1; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; n = 2; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; n = 3; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; n = 4; }
    else { out += u'\xFFFD'; ++i; continue; }
    if (i + n > s.size()) { out += u'\xFFFD'; ++i; continue; }
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      unsigned char t = s[i + k];
      if ((t & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (t & 0x3F);
    }
    if (!ok) { out += u'\xFFFD'; ++i; continue; }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
    i += n;
  }
  return out;
}

char16_t FoldUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);  // Latin-1
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {  // Latin Extended-A pairs
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : char16_t(c - 1);
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? char16_t(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 32);  // Greek
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);  // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
  if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 32);  // full-width Latin
  return c;
}

std::u16string FoldCase(const std::u16string& s) {
  std::u16string out(s);
  for (auto& c : out) c = FoldUnit(c);
  return out;
}

}  // namespace zplat
