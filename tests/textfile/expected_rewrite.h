// What a file must hold after it is read line by line and every line is written back unchanged:
// the same bytes with each line's end made CR LF. Worked out from the bytes alone, with nothing of
// the text file class, so it can judge that class (the tests and the fuzz target share it).
#pragma once

#include <string>

namespace ztest {

inline std::string ExpectedRewrite(const std::string& in) {
  std::string out;
  size_t n = in.size();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in.data());
  if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    const bool be = p[0] == 0xFE;
    const size_t units = (n - 2) / 2;
    auto unit = [&](size_t i) { return be ? (p[2 + 2 * i] << 8 | p[3 + 2 * i]) : (p[2 + 2 * i] | p[3 + 2 * i] << 8); };
    const std::string cr = be ? std::string("\0\r", 2) : std::string("\r\0", 2);
    const std::string crlf = be ? std::string("\0\r\0\n", 4) : std::string("\r\0\n\0", 4);
    size_t start = 0;
    bool any = false;
    while (start < units) {
      size_t end = start;
      while (end < units && unit(end) != 0x0A) ++end;
      size_t keep = end;
      while (keep > start && unit(keep - 1) == 0x0D) --keep;
      if (!any) out.append(in, 0, 2);
      any = true;
      out.append(in, 2 + 2 * start, 2 * (keep - start));
      out += crlf;
      start = end + 1;
    }
    if (any && (n - 2) % 2) out += in[n - 1];
    return out;
  }
  size_t body = (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) ? 3 : 0;
  size_t start = body;
  bool any = false;
  while (start < n) {
    size_t end = in.find('\n', start);
    if (end == std::string::npos) end = n;
    size_t keep = end;
    while (keep > start && p[keep - 1] == 0x0D) --keep;
    if (!any) out.append(in, 0, body);
    any = true;
    out.append(in, start, keep - start);
    out += "\r\n";
    start = end + 1;
  }
  return out;
}

}  // namespace ztest
