// The summary's order must be safe to sort with: no line comes before itself, no two lines come
// before each other, and a stable sort with it gives back exactly the lines it was given.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "engine/summary.h"

namespace {

// Bytes to text: each line of the input is one result line. Digits and letters stay as they
// are so that the fuzzer reaches the number runs quickly; high bytes become CJK characters and
// 0xFx bytes become high code units, so comparisons across the whole range are met too.
std::vector<CString> Lines(const uint8_t* data, size_t size) {
  std::vector<CString> out(1);
  for (size_t i = 0; i < size; ++i) {
    uint8_t b = data[i];
    if (b == '\n') {
      out.emplace_back();
    } else if (b >= 0xF0) {
      out.back() += WCHAR(0xFFF0 + (b & 0x0F));
    } else if (b >= 0x80) {
      out.back() += WCHAR(0x4E00 + b);
    } else {
      out.back() += WCHAR(b);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<CString> lines = Lines(data, size);
  if (lines.size() > 64) lines.resize(64);  // the pair check below is quadratic
  for (size_t i = 0; i < lines.size(); ++i) {
    if (NaturalLess(lines[i], lines[i])) FuzzFail("a line comes before itself", data, size);
    for (size_t j = 0; j < lines.size(); ++j)
      if (NaturalLess(lines[i], lines[j]) && NaturalLess(lines[j], lines[i]))
        FuzzFail("two lines each come before the other", data, size);
  }
  std::vector<CString> sorted(lines);
  std::stable_sort(sorted.begin(), sorted.end(), NaturalLess);
  // The order need not be transitive, so only the permutation is checked after the sort.
  auto byUnits = [](const CString& a, const CString& b) { return a.Str() < b.Str(); };
  std::vector<CString> want(lines);
  std::sort(want.begin(), want.end(), byUnits);
  std::sort(sorted.begin(), sorted.end(), byUnits);
  if (want != sorted) FuzzFail("sorting lost or duplicated a line", data, size);
  return 0;
}
