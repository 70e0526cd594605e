// The type filter's tokenizer: every token is a non-empty piece of the text without the
// separator, in text order, so the tokens joined give the text with its separators taken out;
// only a text with no token at all gives the single empty entry.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "engine/collect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const WCHAR sep = FuzzUnit(data[0]);
  CString text;
  for (size_t i = 1; i < size && data[i] != 0; ++i) text += FuzzUnit(data[i]);

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
    if (list.GetSize() != 1 || !list[0].IsEmpty()) FuzzFail("no token must give one empty entry", data, size);
    return 0;
  }
  if (list.GetSize() != runs) FuzzFail("token count is not the number of pieces", data, size);
  CString joined;
  for (int i = 0; i < list.GetSize(); ++i) {
    if (list[i].IsEmpty()) FuzzFail("empty token", data, size);
    if (list[i].Find(sep) >= 0) FuzzFail("token holds the separator", data, size);
    joined += list[i];
  }
  if (joined != withoutSeparators) FuzzFail("tokens joined differ from the text", data, size);
  return 0;
}
