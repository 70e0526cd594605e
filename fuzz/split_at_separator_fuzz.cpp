// Cutting a path or a name at a one-character separator: when it is found, left, separator and
// right give the text back, and the cut is at the first or the last occurrence as asked; when
// it is not found, the outputs keep what they held.
#include <cstdio>
#include <cstdlib>

#include "engine/collect.h"

namespace {

WCHAR Unit(uint8_t b) {
  if (b >= 0x80) return WCHAR(0x4E00 + b);
  return WCHAR(b);
}

void Fail(const char* what, const uint8_t* data, size_t size) {
  fprintf(stderr, "%s\ninput: ", what);
  for (size_t i = 0; i < size; ++i) fprintf(stderr, "%02X", data[i]);
  fprintf(stderr, "\n");
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || data[1] == 0) return 0;
  const BOOL last = data[0] & 1;
  const WCHAR sepUnit = Unit(data[1]);
  const WCHAR sep[2] = {sepUnit, 0};
  CString text;
  for (size_t i = 2; i < size && data[i] != 0; ++i) text += Unit(data[i]);

  const CString untouched(_T("untouched"));
  CString left(untouched), right(untouched);
  BOOL found = SplitAtSeparator(text, &left, &right, sep, last);
  const int first = text.Find(sepUnit);
  const int lastAt = text.ReverseFind(sepUnit);
  if (!found) {
    if (first >= 0) Fail("separator present but not found", data, size);
    if (left != untouched || right != untouched) Fail("outputs changed without a find", data, size);
    return 0;
  }
  if (first < 0) Fail("found a separator that is not there", data, size);
  if (left + CString(sep) + right != text) Fail("left + separator + right is not the text", data, size);
  if (left.GetLength() != (last ? lastAt : first)) Fail("cut at the wrong occurrence", data, size);
  // Either output alone gives the same part.
  CString onlyRight;
  if (!SplitAtSeparator(text, nullptr, &onlyRight, sep, last) || onlyRight != right)
    Fail("right part differs without the left output", data, size);
  return 0;
}
