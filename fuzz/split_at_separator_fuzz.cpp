// Cutting a path or a name at a one-character separator: when it is found, left, separator and
// right give the text back, and the cut is at the first or the last occurrence as asked; when
// it is not found, the outputs keep what they held.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "engine/collect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || data[1] == 0) return 0;
  const BOOL last = data[0] & 1;
  const WCHAR sepUnit = FuzzUnit(data[1]);
  const WCHAR sep[2] = {sepUnit, 0};
  CString text;
  for (size_t i = 2; i < size && data[i] != 0; ++i) text += FuzzUnit(data[i]);

  const CString untouched(_T("untouched"));
  CString left(untouched), right(untouched);
  BOOL found = SplitAtSeparator(text, &left, &right, sep, last);
  const int first = text.Find(sepUnit);
  const int lastAt = text.ReverseFind(sepUnit);
  if (!found) {
    if (first >= 0) FuzzFail("separator present but not found", data, size);
    if (left != untouched || right != untouched) FuzzFail("outputs changed without a find", data, size);
    return 0;
  }
  if (first < 0) FuzzFail("found a separator that is not there", data, size);
  if (left + CString(sep) + right != text) FuzzFail("left + separator + right is not the text", data, size);
  if (left.GetLength() != (last ? lastAt : first)) FuzzFail("cut at the wrong occurrence", data, size);
  // Either output alone gives the same part.
  CString onlyRight;
  if (!SplitAtSeparator(text, nullptr, &onlyRight, sep, last) || onlyRight != right)
    FuzzFail("right part differs without the left output", data, size);
  return 0;
}
