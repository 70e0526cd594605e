#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <stdexcept>

#include "framework/file.h"

#ifndef _WIN32
#include <unistd.h>

#include "platform/posix_text.h"
#endif

namespace ztest {

namespace {
std::atomic<int> g_counter{0};

void Check(bool ok, const char* what, const CString& path) {
  if (!ok) throw std::runtime_error(std::string(what) + ": " + Utf8(path));
}
}  // namespace

std::string Utf8(const CString& s) {
#ifdef _WIN32
  if (s.IsEmpty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, s, s.GetLength(), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s, s.GetLength(), &out[0], n, nullptr, nullptr);
  return out;
#else
  return zplat::Utf16ToUtf8Path(s.Str());
#endif
}

CString Wide(const std::string& utf8) {
#ifdef _WIN32
  if (utf8.empty()) return CString();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  CString out;
  LPWSTR p = out.GetBuffer(n);
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), p, n);
  out.ReleaseBuffer(n);
  return out;
#else
  return CString(zplat::Utf8ToUtf16Path(utf8));
#endif
}

ScratchDir::ScratchDir() {
  CString base;
#ifdef _WIN32
  WCHAR tmp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, tmp);
  base = CString(tmp, int(n));
  if (!base.IsEmpty() && base[base.GetLength() - 1] == '\\') base.Truncate(base.GetLength() - 1);
#else
  const char* t = getenv("TMPDIR");
  base = Wide(t && *t ? t : "/tmp");
#endif
  for (int attempt = 0; attempt < 1000; ++attempt) {
    CString p;
    p.Format(_T("%s\\zt%u-%d"), (LPCWSTR)base, unsigned(GetCurrentProcessId()), ++g_counter);
#ifndef _WIN32
    p.Replace(WCHAR('\\'), WCHAR('/'));
#endif
    if (CreateDirectoryW(p, nullptr)) {
      m_path = p;
      return;
    }
  }
  throw std::runtime_error("no scratch folder");
}

ScratchDir::~ScratchDir() {
  try {
    RemoveTree(m_path);
  } catch (...) {
  }
}

CString ScratchDir::operator/(const CString& rel) const { return m_path + _T("\\") + rel; }

void WriteBytes(const CString& path, const Bytes& bytes) {
  CFile f;
  Check(f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary), "cannot create", path);
  f.Write(bytes.data(), UINT(bytes.size()));
  f.Close();
}

Bytes ReadBytes(const CString& path) {
  CFile f;
  Check(f.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary), "cannot open", path);
  Bytes out(size_t(f.GetLength()), '\0');
  UINT got = out.empty() ? 0 : f.Read(&out[0], UINT(out.size()));
  out.resize(got);
  return out;
}

bool Exists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

void MakeDir(const CString& path) { Check(CreateDirectoryW(path, nullptr) != 0, "cannot make folder", path); }

void RemoveTree(const CString& path) {
  DWORD a = GetFileAttributesW(path);
  if (a == INVALID_FILE_ATTRIBUTES) return;
  if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path, a & ~DWORD(FILE_ATTRIBUTE_READONLY));
  if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
    for (const std::string& name : ListDir(path)) {
      std::string n = name;
      if (!n.empty() && n.back() == '\\') n.pop_back();
      RemoveTree(path + _T("\\") + Wide(n));
    }
    RemoveDirectoryW(path);
  } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
    // A link to a folder: remove the link, never what it points to.
    if (!RemoveDirectoryW(path)) DeleteFileW(path);
  } else {
    DeleteFileW(path);
  }
}

std::vector<std::string> ListDir(const CString& path) {
  std::vector<std::string> out;
  WIN32_FIND_DATAW fd;
  CString pattern = path + _T("\\*");
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    CString name(fd.cFileName);
    if (name == _T(".") || name == _T("..")) continue;
    std::string n = Utf8(name);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) n += '\\';
    out.push_back(n);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(out.begin(), out.end());
  return out;
}

namespace {
void SnapshotInto(const CString& dir, const std::string& rel, std::map<std::string, Bytes>& out) {
  for (const std::string& name : ListDir(dir)) {
    bool folder = !name.empty() && name.back() == '\\';
    std::string plain = folder ? name.substr(0, name.size() - 1) : name;
    CString full = dir + _T("\\") + Wide(plain);
    std::string key = rel.empty() ? name : rel + "\\" + name;
    if (folder) {
      out[key] = "";
      if (!(GetFileAttributesW(full) & FILE_ATTRIBUTE_REPARSE_POINT))
        SnapshotInto(full, rel.empty() ? plain : rel + "\\" + plain, out);
    } else {
      out[key] = ReadBytes(full);
    }
  }
}
}  // namespace

std::map<std::string, Bytes> Snapshot(const CString& root) {
  std::map<std::string, Bytes> out;
  SnapshotInto(root, "", out);
  return out;
}

// ---- MessageCounter ----

#ifdef _WIN32
namespace {
LRESULT CALLBACK CounterProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<MessageCounter*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg >= WM_USER) {
    self->Record(msg, w, l);
    return 1;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}
}  // namespace

MessageCounter::MessageCounter() {
  static ATOM atom = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CounterProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZentrelTestCounter";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  m_hwnd = CreateWindowExW(0, L"ZentrelTestCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageCounter::~MessageCounter() { DestroyWindow(m_hwnd); }
#else
MessageCounter::MessageCounter() {
  m_hwnd = PosixCreateStandInWindow([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    Record(msg, w, l);
    return 1;
  });
}

MessageCounter::~MessageCounter() { PosixDestroyStandInWindow(m_hwnd); }
#endif

int MessageCounter::Count(UINT msg, WPARAM w, LPARAM l) const {
  return int(std::count_if(m_log.begin(), m_log.end(), [&](const auto& e) {
    return e.first == msg && e.second.first == w && e.second.second == l;
  }));
}

// ---- DialogCapture ----

DialogCapture::DialogCapture() {
  SetMessageBoxHook([this](HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    boxes.push_back(CString(text));
    captions.push_back(CString(caption));
    return IDOK;
  });
  SetShellOpenHook([this](HWND, LPCWSTR, LPCWSTR file, INT) { opened.push_back(CString(file)); });
}

DialogCapture::~DialogCapture() {
  SetMessageBoxHook(nullptr);
  SetShellOpenHook(nullptr);
}

}  // namespace ztest
