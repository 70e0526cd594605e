// The type filter's tokenizer: every token is a non-empty piece of the text without the
// separator, in text order, so the tokens joined give the text with its separators taken out;
// only a text with no token at all gives the single empty entry.
#include <cstdio>
#include <cstdlib>

#include "engine/collect.h"

namespace {

WCHAR Unit(uint8_t b) {
  if (b == 0) return WCHAR('|');
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
  if (size == 0) return 0;
  const WCHAR sep = Unit(data[0]);
  CString text;
  for (size_t i = 1; i < size && data[i] != 0; ++i) text += Unit(data[i]);

  CStringArray list;
  list.Add(_T("left over from before"));
  SplitToList(text, sep, list);

  CString withoutSeparators;
  int runs = 0;
  bool inRun = false;
  for (int i = 0; i < text.GetLength(); ++i) {
    if (text[i] == sep) {
      inRun = false;
    } else {
      withoutSeparators += text[i];
      if (!inRun) ++runs;
      inRun = true;
    }
  }

  if (runs == 0) {
    if (list.GetSize() != 1 || !list[0].IsEmpty()) Fail("no token must give one empty entry", data, size);
    return 0;
  }
  if (list.GetSize() != runs) Fail("token count is not the number of pieces", data, size);
  CString joined;
  for (int i = 0; i < list.GetSize(); ++i) {
    if (list[i].IsEmpty()) Fail("empty token", data, size);
    if (list[i].Find(sep) >= 0) Fail("token holds the separator", data, size);
    joined += list[i];
  }
  if (joined != withoutSeparators) Fail("tokens joined differ from the text", data, size);
  return 0;
}
