// Fixtures spelled as numbers: bytes of a file and UTF-16 units of a line, so the encodings
// under test stand in the test itself.
#pragma once

#include <initializer_list>
#include <string>

#include "framework/cstring.h"

namespace ztest {

typedef std::basic_string<WCHAR> Units;

inline std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += char(b);
  return s;
}

inline Units U(std::initializer_list<int> units) {
  Units s;
  for (int u : units) s += WCHAR(u);
  return s;
}

}  // namespace ztest
