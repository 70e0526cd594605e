#include "engine/collect.h"

#include <vector>

#include "engine/batch_job.h"

namespace {

struct Entry {
  CString name;
  DWORD attributes;
};

struct Frame {
  CString path;
  std::vector<Entry> entries;
  size_t next = 0;
  bool childDone = false;  // the entry at `next` has had its sub-folder walked
};

bool IsDotEntry(const CString& name) { return lstrcmpW(name, _T(".")) == 0 || lstrcmpW(name, _T("..")) == 0; }

CString Lowered(const CString& s) {
  CString out(s);
  out.MakeLower();
  return out;
}

// Reads a whole folder before any of it is used, so that a walk holds no open enumeration per
// level: a deep tree then costs memory for its names, not one handle per level.
bool ReadFolder(const CString& folder, std::vector<Entry>& out) {
  if (folder.GetLength() < 2) return false;
  CString pattern(folder);
  if (pattern.GetLength() != 3 && pattern[pattern.GetLength() - 1] != WCHAR('\\')) pattern += WCHAR('\\');
  pattern += WCHAR('*');
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  do out.push_back(Entry{CString(fd.cFileName), fd.dwFileAttributes});
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return true;
}

// A folder entry the walk goes into: a real folder, not a link to one (a link may lead back
// into the tree, and a walk must end).
bool Descends(const Entry& e) {
  return (e.attributes & FILE_ATTRIBUTE_DIRECTORY) && !(e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         !IsDotEntry(e.name);
}

CString ChildPath(const CString& folder, const CString& name) { return folder + _T("\\") + Lowered(name); }

// Depth first in enumeration order, without recursion: `onEntry` sees every entry of a folder
// after the walk of the sub-folder that entry names (when it is walked), as a recursive walk
// would, however deep the tree.
template <class OnEntry>
void Walk(LPCWSTR folder, BOOL recurse, OnEntry onEntry) {
  std::vector<Frame> stack(1);
  stack[0].path = folder;
  if (!ReadFolder(stack[0].path, stack[0].entries)) return;
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next >= top.entries.size()) {
      stack.pop_back();
      if (!stack.empty()) stack.back().childDone = true;
      continue;
    }
    const Entry& e = top.entries[top.next];
    if (recurse && !top.childDone && Descends(e)) {
      Frame child;
      child.path = ChildPath(top.path, e.name);
      bool ok = ReadFolder(child.path, child.entries);
      top.childDone = true;
      if (ok) {
        stack.push_back(std::move(child));
        continue;
      }
    }
    onEntry(top.path, e);
    top.childDone = false;
    ++top.next;
  }
}

}  // namespace

void SplitToList(LPCWSTR text, WCHAR separator, CStringArray& list) {
  list.RemoveAll();
  CString token;
  for (const WCHAR* p = text ? text : _T(""); ; ++p) {
    if (*p == separator || *p == 0) {
      if (!token.IsEmpty()) list.Add(token);
      token.Empty();
      if (*p == 0) break;
    } else {
      token += *p;
    }
  }
  if (list.IsEmpty()) list.Add(CString());
}

BOOL IsDirectory(LPCWSTR path) {
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void CollectFiles(LPCWSTR folder, const CStringArray& types, CStringArray& files, BOOL recurse) {
  Walk(folder, recurse, [&](const CString& path, const Entry& e) {
    if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) return;
    int dot = e.name.ReverseFind(WCHAR('.'));
    if (dot < 0) return;
    CString ext = Lowered(e.name.Mid(dot));
    bool match = types.IsEmpty();
    for (int i = 0; !match && i < types.GetSize(); ++i) match = types[i] == ext;
    if (!match) return;
    CString full = ChildPath(path, e.name);
    NotifyBatchStep();
    files.Add(full);
  });
}

void CollectFolders(LPCWSTR folder, CStringSet& folders, BOOL recurse) {
  Walk(folder, recurse, [&](const CString& path, const Entry& e) {
    if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    CString full = ChildPath(path, e.name);
    int n = full.GetLength();
    while (n > 0 && (full[n - 1] == WCHAR('\\') || full[n - 1] == WCHAR('.'))) --n;
    full.Truncate(n);
    NotifyBatchStep();
    folders.insert(full);
  });
}

BOOL SplitAtSeparator(LPCWSTR text, CString* left, CString* right, LPCWSTR separator, BOOL last) {
  if (!text) return FALSE;
  LPCWSTR hit = StrStrW(text, separator);
  if (!hit) return FALSE;
  if (last) {
    const WCHAR* end = text + lstrlenW(text);
    for (const WCHAR* from = hit + 1; from < end;) {
      LPCWSTR again = StrStrW(from, separator);
      if (!again) break;
      hit = again;
      from = again + 1;
    }
  }
  if (left) *left = CString(text, int(hit - text));
  if (right) *right = hit[1] ? CString(hit + 1) : CString();
  return TRUE;
}
