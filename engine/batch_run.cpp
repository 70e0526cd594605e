#include "engine/batch_run.h"

#include <memory>
#include <new>

#include "engine/collect.h"
#include "engine/rename.h"
#include "engine/replace.h"
#include "engine/summary.h"
#include "framework/afx.h"

namespace {
// How many of the unwritten files are named in the message; the rest are counted.
const int kNamedFiles = 5;
}  // namespace

CString UnwrittenFilesMessage(const CStringArray& unwritten) {
  if (unwritten.IsEmpty()) return CString();
  CString text;
  text.Format(_T("有 %d 个文件无法写回，已保持原内容不变："), unwritten.GetSize());
  for (int i = 0; i < unwritten.GetSize() && i < kNamedFiles; ++i) text += CString(_T("\r\n")) + unwritten[i];
  if (unwritten.GetSize() > kNamedFiles) {
    CString more;
    more.Format(_T("\r\n……以及另外 %d 个文件"), unwritten.GetSize() - kNamedFiles);
    text += more;
  }
  return text;
}

UINT BatchThreadProc(LPVOID pParam) {
  std::unique_ptr<CBatchJob> job(static_cast<CBatchJob*>(pParam));
  if (!job) return 0;
  CStringArray types, files, unwritten;
  CStringSet folders;
  try {
    if (job->m_strFileTypes != _T("*.*")) SplitToList(job->m_strFileTypes, WCHAR('|'), types);
    if (!job->m_bRenameOnly) {
      if (IsDirectory(job->m_strFolder))
        CollectFiles(job->m_strFolder, types, files, job->m_bSubFolders);
      else
        files.Add(job->m_strFolder);
      ReplaceInFiles(*job, files, &unwritten);
    }
    RenameFiles(*job, types, files);
    RenameFolders(*job, folders);
    if (g_findResults.IsEmpty())
      AfxMessageBox(_T("没找到任何符合条件的文件！"), MB_OK);
    else
      WriteFindResults();
  } catch (...) {
    // Nothing outside one file's reading is expected to fail; if something does (memory ran
    // out in a pass), the run stops here and says so instead of ending the program.
    AfxMessageBox(_T("处理过程中出错，批量操作未能全部完成！"), MB_OK);
  }
  if (!unwritten.IsEmpty()) AfxMessageBox(UnwrittenFilesMessage(unwritten), MB_OK);
  return 0;
}
