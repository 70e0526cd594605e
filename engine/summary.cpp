#include "engine/summary.h"

#include <algorithm>

#include "engine/batch_job.h"
#include "engine/data_folder.h"
#include "framework/afx.h"
#include "textfile/encoded_file.h"

namespace {

bool IsDigit(WCHAR c) { return c >= WCHAR('0') && c <= WCHAR('9'); }

long long ReadNumber(const CString& s, int at) {
  long long v = 0;
  for (int i = at; i < s.GetLength() && IsDigit(s[i]); ++i) {
    v = v * 10 + (s[i] - WCHAR('0'));
    if (v > 2147483647) v = 2147483647;
  }
  return v;
}

}  // namespace

bool NaturalLess(const CString& a, const CString& b) {
  int n = std::min(a.GetLength(), b.GetLength());
  for (int i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    if (IsDigit(a[i]) && IsDigit(b[i])) return ReadNumber(a, i) < ReadNumber(b, i);
    break;
  }
  return a.Str() < b.Str();
}

void WriteFindResults() {
  const CString path = GetDataFilePath(_T("findresult.txt"));
  CReadAUStdioFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite)) {
    AfxMessageBox(_T("无法创建查找结果汇总文件！"), MB_OK);
    return;
  }
  // A merge sort: it stays in bounds whatever the order does with lines it cannot tell apart.
  std::stable_sort(g_findResults.begin(), g_findResults.end(), NaturalLess);
  try {
    for (int i = 0; i < g_findResults.GetSize(); ++i) file.WriteLine(g_findResults[i]);
    file.Close();
  } catch (const CException&) {
    // A summary cut short (the disk filled up) is no summary: say so rather than show it.
    file.Abort();
    AfxMessageBox(_T("无法创建查找结果汇总文件！"), MB_OK);
    return;
  }
  NotifyBatchDone();
  PlatformShellOpen(g_hMainWnd, nullptr, GetDataFilePath(_T("findresult.txt")), SW_SHOWNORMAL);
}
