#include "tests/reliability/rel_fixture.h"

#include <cstdlib>

namespace ztest {

void RelTest::TearDown() {
#ifndef _WIN32
  PosixFailWritesAfter(-1);
#endif
  SummaryFileTest::TearDown();
}

Bytes Substituted(Bytes bytes, const Bytes& from, const Bytes& to) {
  if (from.empty()) return bytes;
  for (size_t at = bytes.find(from); at != Bytes::npos; at = bytes.find(from, at + to.size()))
    bytes.replace(at, from.size(), to);
  return bytes;
}

std::vector<std::string> TempFilesIn(const Tree& snapshot) {
  std::vector<std::string> out;
  for (const auto& [rel, bytes] : snapshot) {
    size_t slash = rel.find_last_of('\\', rel.size() > 1 ? rel.size() - 2 : 0);
    std::string name = slash == std::string::npos ? rel : rel.substr(slash + 1);
    if (name.rfind("~zentrel-", 0) == 0) out.push_back(rel);
  }
  return out;
}

std::string BoxTexts(const DialogCapture& d) {
  std::string out;
  for (const CString& b : d.boxes) out += (out.empty() ? "" : " | ") + Utf8(b);
  return out;
}

CBatchJob* ContentJob(const CString& folder, std::vector<CString> find, std::vector<CString> replace) {
  return MakeJob(folder, std::move(find), std::move(replace), FALSE, FALSE, TRUE, FALSE, TRUE, FALSE);
}

bool LongTestsWanted() {
  const char* v = getenv("ZENTREL_LONG");
  return v && *v && std::string(v) != "0";
}

}  // namespace ztest
