// One file of the content pass, start to end: read, find, new content, write back. A scanner
// works on one file at a time and may run on any thread; the pass gives each thread its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/batch_job.h"
#include "textfile/encoded_file.h"

// What became of one file: the pass adds its results and its notification in list order.
struct CFileScan {
  bool m_bRead = false;       // a text file read to its end: it gets its notification
  bool m_bUnwritten = false;  // its new content could not be put in place; the old is kept
  std::vector<CString> m_results;
};

class CContentScanner {
 public:
  // `allowFastPath` false makes every file go line by line through the text file class: the
  // reference the whole-file path is checked against.
  explicit CContentScanner(const CBatchJob& job, bool allowFastPath = true);
  void Scan(const CString& path, CFileScan& out);

 private:
  // Line by line through CReadAUStdioFile: works for every job.
  void ScanLines(const CString& path, CFileScan& out);
  // The whole file at once, searching the find text in the raw bytes first: only lines that
  // hold it are decoded. Returns false when the file must go line by line instead.
  bool ScanWhole(const CString& path, CFileScan& out);
  // A confirmed find on line `number` (a block's last line in `last`): its result line, and its
  // new lines appended to `lines`.
  void HandleFind(CString& line, CString& last, int number, CFileScan& out, CStringArray& lines);

  const CBatchJob& m_job;
  const bool m_bFast;
  CString m_display;
  CReadAUStdioFile m_file;
  CStringArray m_lines;
  std::unique_ptr<BYTE[]> m_data;
  size_t m_capacity = 0;
  std::string m_out;
  std::vector<std::string> m_patterns;  // the first find line in every form a file may hold it
  std::vector<std::string> m_patterns16le, m_patterns16be;
  CString m_line, m_last;
};
