#include "engine/rename.h"

#include "engine/collect.h"

namespace {

CString DisplayPath(const CString& path, const CString& folder) {
  return path.GetLength() > folder.GetLength() ? path.Mid(folder.GetLength()) : CString();
}

CString Lowered(const CString& s) {
  CString out(s);
  out.MakeLower();
  return out;
}

void Report(const CString& display) {
  CString line;
  line.Format(_T("File:%s"), (LPCWSTR)display);
  g_findResults.Add(line);
}

}  // namespace

BOOL NameContains(LPCWSTR path, LPCWSTR text) {
  if (!text || !*text) return TRUE;
  CString name;
  if (!SplitAtSeparator(path, nullptr, &name, _T("\\"), TRUE)) name.Empty();
  return StrStrIW(name, text) != nullptr;
}

LPCWSTR NumberFormatFor(int count) {
  if (count < 10) return _T("%02d");
  if (count < 100) return _T("%03d");
  if (count < 1000) return _T("%04d");
  return _T("%05d");
}

BOOL IsSafeNewName(const CString& name) {
  if (name.IsEmpty() || name == _T(".") || name == _T("..")) return FALSE;
  return name.Find(WCHAR('\\')) < 0 && name.Find(WCHAR('/')) < 0;
}

void RenameFiles(const CBatchJob& job, const CStringArray& types, CStringArray& files) {
  const CString f = Lowered(job.m_findList[0]);
  const CString r = Lowered(job.m_replaceList[0]);
  files.RemoveAll();
  CollectFiles(job.m_strFolder, types, files, job.m_bSubFolders);
  LPCWSTR format = NumberFormatFor(files.GetSize());
  int counter = 0;
  const bool renames = !job.m_bFindOnly || job.m_bRenameOnly;
  for (int i = 0; i < files.GetSize(); ++i) {
    const CString& path = files[i];
    if (NameContains(path, f)) {
      ++counter;
      CString number;
      number.Format(format, counter);
      Report(DisplayPath(path, job.m_strFolder));
      CString lowered = Lowered(path);
      CString folder, name;
      SplitAtSeparator(lowered, &folder, &name, _T("\\"), TRUE);
      if (renames) {
        if (!f.IsEmpty()) name.Replace(f, r);
        CString base(name), ext;
        bool hasExt = SplitAtSeparator(name, &base, &ext, _T("."), TRUE) != FALSE;
        if (!job.m_bKeepName) base.Empty();
        CString newName(base);
        if (f.IsEmpty()) newName += r;
        if (job.m_bNumberFiles) newName += number;
        if (hasExt) newName += _T(".") + ext;
        // A failed rename (target exists, access denied, in use) keeps the entry as it is.
        if (IsSafeNewName(newName)) MoveFileW(path, folder + _T("\\") + newName);
      }
    }
    NotifyBatchStep();
  }
}

void RenameFolders(const CBatchJob& job, CStringSet& folders) {
  const CString f = Lowered(job.m_findList[0]);
  const CString r = Lowered(job.m_replaceList[0]);
  CollectFolders(job.m_strFolder, folders, job.m_bSubFolders);
  // Descending order: a folder's path is a prefix of its contents' paths, so every folder is
  // renamed before the folder that holds it still has its old name.
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const CString& path = *it;
    if (!f.IsEmpty() && NameContains(path, f)) {
      Report(path == job.m_strFolder ? path : DisplayPath(path, job.m_strFolder));
      CString lowered = Lowered(path);
      CString parent, name;
      if (SplitAtSeparator(lowered, &parent, &name, _T("\\"), TRUE)) {
        name.Replace(f, r);
        if (!job.m_bFindOnly && IsSafeNewName(name)) MoveFileW(path, parent + _T("\\") + name);
      }
    }
    NotifyBatchStep();
  }
}
