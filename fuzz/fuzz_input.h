// What the engine's fuzz targets share: turning input bytes into UTF-16 units, and stopping with
// the input printed as hex so a failure can be replayed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "framework/cstring.h"

// Bytes below 0x80 stand for themselves, 0 for the separator "|", the rest for CJK units.
inline WCHAR FuzzUnit(uint8_t b) {
  if (b == 0) return WCHAR('|');
  if (b >= 0x80) return WCHAR(0x4E00 + b);
  return WCHAR(b);
}

[[noreturn]] inline void FuzzFail(const char* what, const uint8_t* data, size_t size) {
  fprintf(stderr, "%s\ninput: ", what);
  for (size_t i = 0; i < size; ++i) fprintf(stderr, "%02X", data[i]);
  fprintf(stderr, "\n");
  abort();
}
