// The POSIX stand-in for the Win32 calls of platform.h. It behaves like Windows in what the
// program relies on: backslash paths, names reached without regard to letter case, renames that
// never replace, read-only files that refuse writing (even to root), code page 936.
#include "platform/platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix_text.h"

namespace {

thread_local DWORD t_lastError = 0;

DWORD ErrnoToWin(int e) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_WRITE_FAULT;
  }
}

BOOL FailErrno() {
  t_lastError = ErrnoToWin(errno);
  return FALSE;
}

BOOL Fail(DWORD code) {
  t_lastError = code;
  return FALSE;
}

std::mutex g_driveMutex;
std::map<char16_t, std::string> g_drives;

// Windows path text to the byte path the kernel sees, before any case matching.
std::string ToNativeSpelling(LPCWSTR path) {
  std::u16string p(path ? path : u"");
  std::string prefix;
  if (p.size() >= 2 && p[1] == u':') {
    char16_t letter = p[0] >= u'a' && p[0] <= u'z' ? char16_t(p[0] - 32) : p[0];
    std::lock_guard<std::mutex> lock(g_driveMutex);
    auto it = g_drives.find(letter);
    if (it != g_drives.end()) {
      prefix = it->second;
      p = p.substr(2);
      if (p.empty()) p = u"/";
    }
  }
  for (auto& c : p)
    if (c == u'\\') c = u'/';
  return prefix + zplat::Utf16ToUtf8Path(p);
}

// The directory listings that case-insensitive lookups need, kept while the folder is unchanged
// so that a run over many capitalised names in one folder reads that folder once.
struct FolderNames {
  struct timespec mtime;
  ino_t inode;
  std::map<std::u16string, std::string> byFold;
};
std::mutex g_cacheMutex;
std::map<std::string, FolderNames> g_cache;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The real name in folder `dir` of the entry spelled `name` up to letter case, or "" if none.
std::string FindFolded(const std::string& dir, const std::string& name) {
  struct stat st;
  if (stat(dir.empty() ? "/" : dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "";
  std::u16string key = zplat::FoldCase(zplat::Utf8ToUtf16Path(name));
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  auto it = g_cache.find(dir);
  if (it == g_cache.end() || !SameTime(it->second.mtime, st.st_mtim) ||
      it->second.inode != st.st_ino) {
    DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
    if (!d) return "";
    if (g_cache.size() > 64) g_cache.clear();
    FolderNames names{st.st_mtim, st.st_ino, {}};
    while (struct dirent* e = readdir(d)) {
      std::string n(e->d_name);
      if (n == "." || n == "..") continue;
      names.byFold.emplace(zplat::FoldCase(zplat::Utf8ToUtf16Path(n)), n);
    }
    closedir(d);
    it = g_cache.insert_or_assign(dir, std::move(names)).first;
  }
  auto hit = it->second.byFold.find(key);
  return hit == it->second.byFold.end() ? "" : hit->second;
}

// Changes this process makes to a folder's entries keep its cached listing current instead of
// making the next lookup read the folder again: without that, a run that creates, swaps or
// renames one file after another in a folder of many thousand re-reads it at every step. One
// change at a time, so that "current before" and "the change" cannot interleave across threads.
std::mutex g_changeMutex;

bool ListingCurrent(const std::string& dir) {
  struct stat st;
  if (stat(dir.empty() ? "/" : dir.c_str(), &st) != 0) return false;
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  auto it = g_cache.find(dir);
  return it != g_cache.end() && SameTime(it->second.mtime, st.st_mtim) && it->second.inode == st.st_ino;
}

// After a change made while the listing of `dir` was current: takes `removed` out of it and puts
// `added` in (either may be empty), and marks it current again.
void ListingFollows(const std::string& dir, bool wasCurrent, const std::string& removed, const std::string& added) {
  if (!wasCurrent) return;
  struct stat st;
  bool ok = stat(dir.empty() ? "/" : dir.c_str(), &st) == 0;
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  auto it = g_cache.find(dir);
  if (it == g_cache.end()) return;
  if (!ok) {
    g_cache.erase(it);
    return;
  }
  auto& byFold = it->second.byFold;
  if (!removed.empty()) {
    auto hit = byFold.find(zplat::FoldCase(zplat::Utf8ToUtf16Path(removed)));
    if (hit != byFold.end() && hit->second == removed) byFold.erase(hit);
  }
  if (!added.empty()) byFold.emplace(zplat::FoldCase(zplat::Utf8ToUtf16Path(added)), added);
  it->second.mtime = st.st_mtim;
  it->second.inode = st.st_ino;
}

// Resolves every component of the path that does not exist as spelled to the entry of that
// folder whose name differs only in letter case. Components that match nothing stay as given,
// so the result also serves to create a new entry.
std::string Resolve(LPCWSTR path) {
  std::string spelled = ToNativeSpelling(path);
  struct stat st;
  if (spelled.empty() || lstat(spelled.c_str(), &st) == 0) return spelled;
  // Most often only the last name is missing (a new file) or spelled otherwise: one lookup in a
  // folder that exists as spelled.
  size_t slash = spelled.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && slash + 1 < spelled.size()) {
    std::string parent = spelled.substr(0, slash);
    std::string last = spelled.substr(slash + 1);
    if (last != "." && last != ".." && stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      std::string real = FindFolded(parent, last);
      return parent + "/" + (real.empty() ? last : real);
    }
  }
  std::string out;
  size_t pos = 0;
  if (spelled[0] == '/') {
    out = "/";
    pos = 1;
  }
  bool missing = false;
  while (pos <= spelled.size()) {
    size_t next = spelled.find('/', pos);
    if (next == std::string::npos) next = spelled.size();
    std::string comp = spelled.substr(pos, next - pos);
    pos = next + 1;
    if (comp.empty()) {
      if (next < spelled.size() && !out.empty() && out.back() != '/') out += '/';
      continue;
    }
    std::string candidate = out + (out.empty() || out.back() == '/' ? "" : "/") + comp;
    if (!missing && comp != "." && comp != ".." && lstat(candidate.c_str(), &st) != 0) {
      std::string dir = out.empty() ? "." : out;
      if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
      std::string real = FindFolded(dir, comp);
      if (real.empty())
        missing = true;
      else
        candidate = out + (out.empty() || out.back() == '/' ? "" : "/") + real;
    }
    out = candidate;
    if (next == spelled.size()) break;
  }
  if (spelled.back() == '/' && (out.empty() || out.back() != '/')) out += '/';
  return out;
}

std::string ParentOf(const std::string& p) {
  size_t s = p.find_last_of('/');
  if (s == std::string::npos) return ".";
  if (s == 0) return "/";
  return p.substr(0, s);
}

std::string LastOf(const std::string& p) {
  size_t s = p.find_last_of('/');
  return s == std::string::npos ? p : p.substr(s + 1);
}

// A target of a new name: its folder resolved, its own name as given.
std::string ResolveNew(LPCWSTR path) {
  std::string spelled = ToNativeSpelling(path);
  while (spelled.size() > 1 && spelled.back() == '/') spelled.pop_back();
  std::string name = LastOf(spelled);
  std::string parent = spelled.find('/') == std::string::npos ? "" : ParentOf(spelled);
  if (parent.empty()) return name;
  std::u16string wparent = zplat::Utf8ToUtf16Path(parent);
  std::string rp = Resolve(wparent.c_str());
  return (rp == "/" ? "/" : rp + "/") + name;
}

bool IsReadOnlyMode(mode_t m) { return (m & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

DWORD AttributesOf(const std::string& p, const struct stat& lst) {
  DWORD a = 0;
  struct stat st = lst;
  if (S_ISLNK(lst.st_mode)) {
    a |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (stat(p.c_str(), &st) != 0) return a;
  }
  if (S_ISDIR(st.st_mode))
    a |= FILE_ATTRIBUTE_DIRECTORY;
  else
    a |= FILE_ATTRIBUTE_ARCHIVE;
  if (IsReadOnlyMode(st.st_mode)) a |= FILE_ATTRIBUTE_READONLY;
  return a;
}

struct FindState {
  DIR* dir;
  std::string folder;
  std::u16string glob;  // folded
};

bool GlobMatch(const char16_t* g, const char16_t* s) {
  // Iterative '*' and '?' matching, both texts already folded.
  const char16_t* star = nullptr;
  const char16_t* mark = nullptr;
  while (*s) {
    if (*g == u'?' || *g == *s) {
      ++g;
      ++s;
    } else if (*g == u'*') {
      star = g++;
      mark = s;
    } else if (star) {
      g = star + 1;
      s = ++mark;
    } else {
      return false;
    }
  }
  while (*g == u'*') ++g;
  return *g == 0;
}

bool NextMatch(FindState* f, WIN32_FIND_DATAW* data) {
  if (!f->dir) return false;
  while (struct dirent* e = readdir(f->dir)) {
    std::u16string name = zplat::Utf8ToUtf16Path(e->d_name);
    if (name.size() >= MAX_PATH) continue;
    if (!(f->glob.size() == 1 && f->glob[0] == u'*') &&
        !GlobMatch(f->glob.c_str(), zplat::FoldCase(name).c_str()))
      continue;
    memset(data, 0, sizeof *data);
    // The entry's kind comes with the listing: a walk over a big tree needs no stat for plain
    // files and folders. Enumeration reports the folder and link attributes, which is what a
    // walk looks at; GetFileAttributesW gives the rest (read-only) of one entry.
    if (e->d_type == DT_REG || e->d_type == DT_DIR) {
      data->dwFileAttributes = e->d_type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
      memcpy(data->cFileName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
      return true;
    }
    // Anything else (a link, or a file system that does not say) is looked at: one stat relative
    // to the open folder, and for a link a second one at what it points to.
    struct stat lst;
    if (fstatat(dirfd(f->dir), e->d_name, &lst, AT_SYMLINK_NOFOLLOW) == 0) {
      struct stat st = lst;
      DWORD a = 0;
      if (S_ISLNK(lst.st_mode)) {
        a |= FILE_ATTRIBUTE_REPARSE_POINT;
        if (fstatat(dirfd(f->dir), e->d_name, &st, 0) != 0) st = lst;
      }
      a |= S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
      if (IsReadOnlyMode(st.st_mode) && !S_ISLNK(st.st_mode)) a |= FILE_ATTRIBUTE_READONLY;
      data->dwFileAttributes = a;
      if (!S_ISDIR(st.st_mode)) {
        data->nFileSizeHigh = DWORD(uint64_t(st.st_size) >> 32);
        data->nFileSizeLow = DWORD(st.st_size);
      }
    } else {
      data->dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    }
    memcpy(data->cFileName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    return true;
  }
  return false;
}

struct FileHandle {
  int fd;
};

std::atomic<long long> g_writeBudget{-1};

struct StandInWindow {
  std::function<LRESULT(UINT, WPARAM, LPARAM)> proc;
};

std::mutex g_moduleMutex;
std::u16string g_moduleName;

// Code page 936 through iconv, one descriptor pair per thread: opening one per call would cost
// more than converting a line.
struct Converters {
  iconv_t toWide = (iconv_t)-1;
  iconv_t toAnsi = (iconv_t)-1;
  ~Converters() {
    if (toWide != (iconv_t)-1) iconv_close(toWide);
    if (toAnsi != (iconv_t)-1) iconv_close(toAnsi);
  }
};
thread_local Converters t_conv;

bool KnownCodePage(UINT cp) { return cp == CP_ACP || cp == CP_THREAD_ACP || cp == 936; }

}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD code) { t_lastError = code; }

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  std::u16string text(pattern ? pattern : u"");
  if (!text.empty() && text.find_first_of(u"*?") == std::u16string::npos) {
    // No wildcard: the one entry of that name, as the folder spells it.
    std::string p = Resolve(pattern);
    std::string real = LastOf(p);
    struct stat lst;
    if (real.empty() || lstat(p.c_str(), &lst) != 0) {
      Fail(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    std::u16string name = zplat::Utf8ToUtf16Path(real);
    if (name.size() >= MAX_PATH) {
      Fail(ERROR_FILENAME_EXCED_RANGE);
      return INVALID_HANDLE_VALUE;
    }
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = AttributesOf(p, lst);
    if (!S_ISDIR(lst.st_mode)) {
      data->nFileSizeHigh = DWORD(uint64_t(lst.st_size) >> 32);
      data->nFileSizeLow = DWORD(lst.st_size);
    }
    memcpy(data->cFileName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    return new FindState{nullptr, ParentOf(p), u""};
  }
  std::string spelled = ToNativeSpelling(pattern);
  size_t slash = spelled.find_last_of('/');
  std::string folderSpelled = slash == std::string::npos ? "." : spelled.substr(0, slash + 1);
  std::u16string glob = zplat::Utf8ToUtf16Path(
      slash == std::string::npos ? spelled : spelled.substr(slash + 1));
  std::u16string wfolder = zplat::Utf8ToUtf16Path(folderSpelled);
  std::string folder = Resolve(wfolder.c_str());
  DIR* d = opendir(folder.c_str());
  if (!d) {
    FailErrno();
    return INVALID_HANDLE_VALUE;
  }
  auto* f = new FindState{d, folder, zplat::FoldCase(glob)};
  if (!NextMatch(f, data)) {
    closedir(d);
    delete f;
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return f;
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
  if (!find || find == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  if (!NextMatch(static_cast<FindState*>(find), data)) return Fail(18 /* no more files */);
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  auto* f = static_cast<FindState*>(find);
  if (f->dir) closedir(f->dir);
  delete f;
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
  std::string p = Resolve(path);
  struct stat lst;
  if (p.empty() || lstat(p.c_str(), &lst) != 0) {
    FailErrno();
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(p, lst);
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
  std::string p = Resolve(path);
  struct stat st;
  if (stat(p.c_str(), &st) != 0) return FailErrno();
  mode_t m = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    m &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
  else if (IsReadOnlyMode(m))
    m |= S_IWUSR;
  if (chmod(p.c_str(), m) != 0) return FailErrno();
  return TRUE;
}

namespace {
std::string WithoutTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}
}  // namespace

BOOL CreateDirectoryW(LPCWSTR path, void*) {
  std::lock_guard<std::mutex> change(g_changeMutex);
  std::string p = ResolveNew(path);
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return Fail(ERROR_ALREADY_EXISTS);
  const bool current = ListingCurrent(ParentOf(p));
  if (mkdir(p.c_str(), 0777) != 0) return FailErrno();
  ListingFollows(ParentOf(p), current, "", LastOf(p));
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR path) {
  std::lock_guard<std::mutex> change(g_changeMutex);
  std::string p = WithoutTrailingSlash(Resolve(path));
  const bool current = ListingCurrent(ParentOf(p));
  if (rmdir(p.c_str()) != 0) return FailErrno();
  ListingFollows(ParentOf(p), current, LastOf(p), "");
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  std::lock_guard<std::mutex> change(g_changeMutex);
  std::string p = Resolve(path);
  struct stat st;
  if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  const bool current = ListingCurrent(ParentOf(p));
  if (unlink(p.c_str()) != 0) return FailErrno();
  ListingFollows(ParentOf(p), current, LastOf(p), "");
  return TRUE;
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) { return MoveFileExW(from, to, 0); }

static BOOL MoveEntry(LPCWSTR from, LPCWSTR to, DWORD flags);

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  std::lock_guard<std::mutex> change(g_changeMutex);
  const std::string src = WithoutTrailingSlash(Resolve(from)), dst = ResolveNew(to);
  const std::string srcDir = ParentOf(src), dstDir = ParentOf(dst);
  const bool same = srcDir == dstDir;
  const bool srcCurrent = ListingCurrent(srcDir), dstCurrent = same ? srcCurrent : ListingCurrent(dstDir);
  if (!MoveEntry(from, to, flags)) return FALSE;
  ListingFollows(srcDir, srcCurrent, LastOf(src), same ? LastOf(dst) : "");
  if (!same) ListingFollows(dstDir, dstCurrent, "", LastOf(dst));
  return TRUE;
}

static BOOL MoveEntry(LPCWSTR from, LPCWSTR to, DWORD flags) {
  std::string src = Resolve(from);
  struct stat sst;
  if (lstat(src.c_str(), &sst) != 0) return FailErrno();
  std::string dst = ResolveNew(to);
  // The target may already exist under another letter case; Windows treats it as the same name.
  std::string existing = Resolve(to);
  struct stat dst_st;
  bool exists = lstat(existing.c_str(), &dst_st) == 0;
  bool sameEntry = exists && dst_st.st_ino == sst.st_ino && dst_st.st_dev == sst.st_dev;
  if (exists && !sameEntry) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(dst_st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (IsReadOnlyMode(dst_st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (rename(src.c_str(), existing.c_str()) != 0) return FailErrno();
    return TRUE;
  }
  if (sameEntry && existing == dst) return TRUE;
  if (sameEntry) {
    // A change of letter case only: the one entry takes the new spelling.
    if (rename(src.c_str(), dst.c_str()) != 0) return FailErrno();
    return TRUE;
  }
  if (renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return TRUE;
  if (errno != EINVAL && errno != ENOSYS) return FailErrno();
  // File systems without the no-replace rename: a hard link fails on an existing target.
  if (S_ISDIR(sst.st_mode)) return FailErrno();
  if (link(src.c_str(), dst.c_str()) != 0) return FailErrno();
  unlink(src.c_str());
  return TRUE;
}

BOOL ReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR, DWORD, void*, void*) {
  std::lock_guard<std::mutex> change(g_changeMutex);
  std::string target = Resolve(replaced);
  std::string source = Resolve(replacement);
  struct stat tst;
  if (stat(target.c_str(), &tst) != 0) return FailErrno();
  if (S_ISDIR(tst.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  chmod(source.c_str(), tst.st_mode & 07777);
  const std::string srcDir = ParentOf(source), dstDir = ParentOf(target);
  const bool srcCurrent = ListingCurrent(srcDir), dstCurrent = srcDir == dstDir || ListingCurrent(dstDir);
  if (rename(source.c_str(), target.c_str()) != 0) return FailErrno();
  ListingFollows(srcDir, srcCurrent, LastOf(source), "");
  if (srcDir != dstDir) ListingFollows(dstDir, dstCurrent, "", "");
  return TRUE;
}

void PosixSetModuleFileName(LPCWSTR path) {
  std::lock_guard<std::mutex> lock(g_moduleMutex);
  g_moduleName = path ? path : u"";
}

void PosixMapDrive(WCHAR letter, const char* folder) {
  std::lock_guard<std::mutex> lock(g_driveMutex);
  if (letter >= u'a' && letter <= u'z') letter = WCHAR(letter - 32);
  if (folder)
    g_drives[letter] = folder;
  else
    g_drives.erase(letter);
}

DWORD GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
  std::u16string name;
  {
    std::lock_guard<std::mutex> lock(g_moduleMutex);
    name = g_moduleName;
  }
  if (name.empty()) {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return Fail(ERROR_FILE_NOT_FOUND), 0;
    buf[n] = 0;
    name = zplat::Utf8ToUtf16Path(buf);
    // Reported in Windows form, so callers that cut at the last backslash find the folder.
    for (auto& c : name)
      if (c == u'/') c = u'\\';
  }
  if (size == 0) return 0;
  DWORD n = DWORD(name.size());
  if (n >= size) {
    memcpy(buffer, name.data(), (size - 1) * sizeof(WCHAR));
    buffer[size - 1] = 0;
    t_lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
    return size;
  }
  memcpy(buffer, name.c_str(), (n + 1) * sizeof(WCHAR));
  return n;
}

DWORD GetCurrentProcessId() { return DWORD(getpid()); }

BOOL PathFileExistsW(LPCWSTR path) {
  std::string p = Resolve(path);
  struct stat st;
  return !p.empty() && stat(p.c_str(), &st) == 0;
}

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL) {
  if (csidl != CSIDL_LOCAL_APPDATA) return Fail(ERROR_INVALID_PARAMETER);
  std::string dir;
  if (const char* x = getenv("XDG_DATA_HOME"); x && *x)
    dir = x;
  else if (const char* h = getenv("HOME"); h && *h)
    dir = std::string(h) + "/.local/share";
  else
    return Fail(ERROR_PATH_NOT_FOUND);
  std::u16string w = zplat::Utf8ToUtf16Path(dir);
  if (w.size() >= MAX_PATH) return Fail(ERROR_FILENAME_EXCED_RANGE);
  memcpy(path, w.c_str(), (w.size() + 1) * sizeof(WCHAR));
  return TRUE;
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  std::string p = Resolve(path);
  struct stat st;
  bool exists = stat(p.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  // Windows refuses to write a read-only file to every user; root here would not be refused.
  if (exists && (access & GENERIC_WRITE) && IsReadOnlyMode(st.st_mode)) {
    Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
    flags |= O_RDWR;
  else if (access & GENERIC_WRITE)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;
  switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: break;
  }
  const bool creates = !exists && (flags & O_CREAT);
  std::unique_lock<std::mutex> change(g_changeMutex, std::defer_lock);
  bool current = false;
  if (creates) {
    change.lock();
    p = ResolveNew(path);
    current = ListingCurrent(ParentOf(p));
  }
  int fd = open(p.c_str(), flags, 0666);
  if (fd >= 0 && creates) ListingFollows(ParentOf(p), current, "", LastOf(p));
  if (fd < 0) {
    FailErrno();
    if (errno == EEXIST) t_lastError = ERROR_FILE_EXISTS;
    return INVALID_HANDLE_VALUE;
  }
  return new FileHandle{fd};
}

void PosixFailWritesAfter(long long bytes) { g_writeBudget = bytes; }

namespace {
std::atomic<long long> g_readBudget{-1};
}  // namespace

void PosixFailReadsAfter(long long bytes) { g_readBudget = bytes; }

BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void*) {
  if (read) *read = 0;
  if (!file || file == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  int fd = static_cast<FileHandle*>(file)->fd;
  size_t allowed = toRead;
  long long budget = g_readBudget.load();
  if (budget >= 0) {
    allowed = size_t(std::min<long long>(budget, toRead));
    g_readBudget = budget - (long long)allowed;
  }
  size_t done = 0;
  while (done < allowed) {
    ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, allowed - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      t_lastError = errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT;
      if (read) *read = DWORD(done);
      return FALSE;
    }
    if (n == 0) break;
    done += size_t(n);
  }
  if (read) *read = DWORD(done);
  if (allowed < toRead && done == allowed) return Fail(ERROR_READ_FAULT);
  return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void*) {
  if (written) *written = 0;
  if (!file || file == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  int fd = static_cast<FileHandle*>(file)->fd;
  size_t allowed = toWrite;
  long long budget = g_writeBudget.load();
  if (budget >= 0) {
    allowed = size_t(std::min<long long>(budget, toWrite));
    g_writeBudget = budget - (long long)allowed;
  }
  size_t done = 0;
  while (done < allowed) {
    ssize_t n = ::write(fd, static_cast<const char*>(buffer) + done, allowed - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (written) *written = DWORD(done);
      return FailErrno();
    }
    done += size_t(n);
  }
  if (written) *written = DWORD(done);
  if (done < toWrite) return Fail(ERROR_DISK_FULL);
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPos, DWORD method) {
  if (!file || file == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t r = lseek(static_cast<FileHandle*>(file)->fd, off_t(distance.QuadPart), whence);
  if (r < 0) return FailErrno();
  if (newPos) newPos->QuadPart = r;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  if (!file || file == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  int fd = static_cast<FileHandle*>(file)->fd;
  off_t pos = lseek(fd, 0, SEEK_CUR);
  if (pos < 0 || ftruncate(fd, pos) != 0) return FailErrno();
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  if (!file || file == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  struct stat st;
  if (fstat(static_cast<FileHandle*>(file)->fd, &st) != 0) return FailErrno();
  size->QuadPart = st.st_size;
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  if (!file || file == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  if (fsync(static_cast<FileHandle*>(file)->fd) != 0 && errno != EINVAL) return FailErrno();
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  auto* h = static_cast<FileHandle*>(handle);
  int r = close(h->fd);
  delete h;
  return r == 0 ? TRUE : FailErrno();
}

UINT GetACP() { return 936; }

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte) {
  if (!KnownCodePage(codePage)) return FALSE;
  return byte >= 0x81 && byte <= 0xFE;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen) {
  if (!KnownCodePage(codePage) || !src) return Fail(ERROR_INVALID_PARAMETER), 0;
  size_t inLen = srcLen < 0 ? strlen(src) + 1 : size_t(srcLen);
  if (inLen == 0) return Fail(ERROR_INVALID_PARAMETER), 0;
  if (t_conv.toWide == (iconv_t)-1) t_conv.toWide = iconv_open("UTF-16LE", "CP936");
  iconv(t_conv.toWide, nullptr, nullptr, nullptr, nullptr);
  std::u16string out;
  out.resize(inLen + 4);
  char* in = const_cast<char*>(src);
  size_t inLeft = inLen;
  size_t produced = 0;
  while (inLeft > 0) {
    char* o = reinterpret_cast<char*>(&out[produced]);
    size_t outLeft = (out.size() - produced) * 2;
    size_t r = iconv(t_conv.toWide, &in, &inLeft, &o, &outLeft);
    produced = out.size() - outLeft / 2;
    if (r != (size_t)-1) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // A byte the code page cannot decode: Windows gives U+FFFD for it (or fails on request).
    if (flags & MB_ERR_INVALID_CHARS) return Fail(ERROR_NO_UNICODE_TRANSLATION), 0;
    if (produced >= out.size()) out.resize(out.size() * 2);
    out[produced++] = u'\xFFFD';
    ++in;
    --inLeft;
    iconv(t_conv.toWide, nullptr, nullptr, nullptr, nullptr);
  }
  if (dstLen == 0) return int(produced);
  if (int(produced) > dstLen) return Fail(122), 0;
  memcpy(dst, out.data(), produced * sizeof(WCHAR));
  return int(produced);
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefault) {
  if (!KnownCodePage(codePage) || !src) return Fail(ERROR_INVALID_PARAMETER), 0;
  size_t inUnits = srcLen < 0 ? size_t(lstrlenW(src)) + 1 : size_t(srcLen);
  if (usedDefault) *usedDefault = FALSE;
  if (inUnits == 0) return Fail(ERROR_INVALID_PARAMETER), 0;
  if (t_conv.toAnsi == (iconv_t)-1) t_conv.toAnsi = iconv_open("CP936", "UTF-16LE");
  iconv(t_conv.toAnsi, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(inUnits * 2 + 8);
  char* in = reinterpret_cast<char*>(const_cast<WCHAR*>(src));
  size_t inLeft = inUnits * 2;
  size_t produced = 0;
  const char fallback = defaultChar && *defaultChar ? *defaultChar : '?';
  while (inLeft > 0) {
    char* o = &out[produced];
    size_t outLeft = out.size() - produced;
    size_t r = iconv(t_conv.toAnsi, &in, &inLeft, &o, &outLeft);
    produced = out.size() - outLeft;
    if (r != (size_t)-1) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // A character the code page lacks (or half a surrogate pair) becomes the default character.
    if (produced >= out.size()) out.resize(out.size() * 2);
    out[produced++] = fallback;
    if (usedDefault) *usedDefault = TRUE;
    char16_t c;
    memcpy(&c, in, 2);
    size_t skip = (c >= 0xD800 && c <= 0xDBFF && inLeft >= 4) ? 4 : 2;
    if (skip == 4) {
      char16_t c2;
      memcpy(&c2, in + 2, 2);
      if (!(c2 >= 0xDC00 && c2 <= 0xDFFF)) skip = 2;
    }
    in += skip;
    inLeft -= skip;
    iconv(t_conv.toAnsi, nullptr, nullptr, nullptr, nullptr);
  }
  if (dstLen == 0) return int(produced);
  if (int(produced) > dstLen) return Fail(122), 0;
  memcpy(dst, out.data(), produced);
  return int(produced);
}

int lstrlenW(LPCWSTR s) {
  if (!s) return 0;
  const WCHAR* p = s;
  while (*p) ++p;
  return int(p - s);
}

int lstrcmpW(LPCWSTR a, LPCWSTR b) {
  if (!a) a = u"";
  if (!b) b = u"";
  while (*a && *a == *b) ++a, ++b;
  return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

LPWSTR StrStrW(LPCWSTR text, LPCWSTR find) {
  if (!text || !find || !*find) return nullptr;
  for (const WCHAR* t = text; *t; ++t) {
    const WCHAR* a = t;
    const WCHAR* b = find;
    while (*a && *a == *b) ++a, ++b;
    if (!*b) return const_cast<LPWSTR>(t);
  }
  return nullptr;
}

LPWSTR StrStrIW(LPCWSTR text, LPCWSTR find) {
  if (!text || !find || !*find) return nullptr;
  for (const WCHAR* t = text; *t; ++t) {
    const WCHAR* a = t;
    const WCHAR* b = find;
    while (*a && zplat::FoldUnit(*a) == zplat::FoldUnit(*b)) ++a, ++b;
    if (!*b) return const_cast<LPWSTR>(t);
  }
  return nullptr;
}

int StrCmpNW(LPCWSTR a, LPCWSTR b, int n) {
  for (int i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) return 0;
  }
  return 0;
}

int StrCmpNIW(LPCWSTR a, LPCWSTR b, int n) {
  for (int i = 0; i < n; ++i) {
    WCHAR x = zplat::FoldUnit(a[i]);
    WCHAR y = zplat::FoldUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
  return 0;
}

HWND PosixCreateStandInWindow(std::function<LRESULT(UINT, WPARAM, LPARAM)> proc) {
  return reinterpret_cast<HWND>(new StandInWindow{std::move(proc)});
}

void PosixDestroyStandInWindow(HWND wnd) { delete reinterpret_cast<StandInWindow*>(wnd); }

LRESULT SendMessageW(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!wnd) return 0;
  auto* w = reinterpret_cast<StandInWindow*>(wnd);
  return w->proc ? w->proc(msg, wParam, lParam) : 0;
}

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
  // No desktop here: the box is written out and answered at once.
  fprintf(stderr, "[%s] %s\n", zplat::Utf16ToUtf8Path(caption ? caption : u"").c_str(),
          zplat::Utf16ToUtf8Path(text ? text : u"").c_str());
  return IDOK;
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
  fprintf(stderr, "[open] %s\n", zplat::Utf16ToUtf8Path(file ? file : u"").c_str());
  return reinterpret_cast<HINSTANCE>(intptr_t(42));
}
