// What the tests of every layer share: a scratch folder per test, files written from explicit
// bytes, a window that counts the notifications sent to it, and capture of message boxes and
// shell opens. The same on Linux and under Wine.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/cstring.h"

namespace ztest {

typedef std::string Bytes;

// A fresh, empty folder, removed with its contents at the end of the test. Path() is in the
// platform's form (on Linux a POSIX path, on Windows a drive path), without a trailing separator.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const CString& Path() const { return m_path; }
  // The path of an entry below the folder; `rel` uses backslashes.
  CString operator/(const CString& rel) const;

 private:
  CString m_path;
};

void WriteBytes(const CString& path, const Bytes& bytes);
Bytes ReadBytes(const CString& path);
bool Exists(const CString& path);
void MakeDir(const CString& path);
void RemoveTree(const CString& path);
// The names in one folder, sorted, "." and ".." left out; folders get a trailing backslash.
std::vector<std::string> ListDir(const CString& path);
// Every entry below a folder with its bytes ("" for folders, whose names end in a backslash):
// the whole state of a fixture tree in one value, for comparing before and after.
std::map<std::string, Bytes> Snapshot(const CString& root);

std::string Utf8(const CString& s);
CString Wide(const std::string& utf8);

// A window whose handle the engine can be given; it records every message sent to it.
class MessageCounter {
 public:
  MessageCounter();
  ~MessageCounter();
  HWND Handle() const { return m_hwnd; }
  int Count(UINT msg, WPARAM w, LPARAM l) const;
  int Total() const { return int(m_log.size()); }
  const std::vector<std::pair<UINT, std::pair<WPARAM, LPARAM>>>& Log() const { return m_log; }
  void Clear() { m_log.clear(); }

  void Record(UINT msg, WPARAM w, LPARAM l) { m_log.push_back({msg, {w, l}}); }

 private:
  HWND m_hwnd = nullptr;
  std::vector<std::pair<UINT, std::pair<WPARAM, LPARAM>>> m_log;
};

// Takes over the platform's message boxes and shell opens for the life of the object.
class DialogCapture {
 public:
  DialogCapture();
  ~DialogCapture();
  std::vector<CString> boxes;     // texts of the message boxes, in order
  std::vector<CString> captions;  // their captions
  std::vector<CString> opened;    // files handed to the shell
};

}  // namespace ztest
