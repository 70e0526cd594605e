// The one door to the platform. On Windows it pulls in the real headers; elsewhere it declares
// only the types and calls the portable code uses, implemented over POSIX in platform_posix.cpp,
// so anything else the portable code reaches for fails to compile on Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#ifdef _WIN32

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tchar.h>

#else  // the POSIX stand-in

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;

// UTF-16 code unit. wchar_t is 32 bits here, so it never carries UTF-16 text on Linux.
typedef char16_t WCHAR;
typedef WCHAR TCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR* LPTSTR;
typedef const WCHAR* LPCTSTR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

#define TRUE 1
#define FALSE 0
#define _T(x) u##x
#define TEXT(x) u##x
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)0xFFFFFFFF)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_WRITE_FAULT 29
#define ERROR_READ_FAULT 30
#define ERROR_SHARING_VIOLATION 32
#define ERROR_HANDLE_EOF 38
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_INVALID_NAME 123
#define ERROR_DIR_NOT_EMPTY 145
#define ERROR_ALREADY_EXISTS 183
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_NO_UNICODE_TRANSLATION 1113

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};

DWORD GetLastError();
void SetLastError(DWORD code);

// Files and folders. Paths are Windows paths: backslashes work as separators, and a name that
// differs from the one on disk only in letter case still reaches it (exact name first).
// A pattern with a wildcard lists a folder: each entry's name and its folder and link
// attributes (no sizes, no read-only mark). Without a wildcard: that one entry, in full.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE find);
DWORD GetFileAttributesW(LPCWSTR path);
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
BOOL CreateDirectoryW(LPCWSTR path, void* security);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL DeleteFileW(LPCWSTR path);
// Never replaces an existing file or folder, as on Windows.
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_WRITE_THROUGH 0x00000008
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
// Puts the replacement in the replaced file's place in one step; the result keeps the replaced
// file's attributes (here: its permission bits).
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x00000002
BOOL ReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, void*, void*);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
DWORD GetCurrentProcessId();
BOOL PathFileExistsW(LPCWSTR path);
#define CSIDL_LOCAL_APPDATA 0x001c
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);

// Handle-based file I/O, the part of it CFile needs.
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD flags, HANDLE templ);
BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPos, DWORD method);
BOOL SetEndOfFile(HANDLE file);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE handle);

// Code pages. CP_ACP and CP_THREAD_ACP are both 936 (GBK) here, as on a Chinese Windows.
#define CP_ACP 0
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400
UINT GetACP();
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefault);

// Strings.
int lstrlenW(LPCWSTR s);
int lstrcmpW(LPCWSTR a, LPCWSTR b);
LPWSTR StrStrW(LPCWSTR text, LPCWSTR find);
// Ignore case the way Windows does: simple Unicode case folding, not only A to Z.
LPWSTR StrStrIW(LPCWSTR text, LPCWSTR find);
int StrCmpNW(LPCWSTR a, LPCWSTR b, int n);
int StrCmpNIW(LPCWSTR a, LPCWSTR b, int n);

// Windows and messages: a stand-in window is a callback a test registers.
#define WM_USER 0x0400
LRESULT SendMessageW(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
HWND PosixCreateStandInWindow(std::function<LRESULT(UINT, WPARAM, LPARAM)> proc);
void PosixDestroyStandInWindow(HWND wnd);

#define MB_OK 0x00000000
#define MB_ICONEXCLAMATION 0x00000030
#define IDOK 1
#define SW_SHOWNORMAL 1
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show);

// Test seams of the stand-in.
// The program file's path that GetModuleFileNameW reports (null: the real one).
void PosixSetModuleFileName(LPCWSTR path);
// Lets a path that starts with the letter and a colon ("T:") name a folder of this machine.
void PosixMapDrive(WCHAR letter, const char* folder);
// Makes writes fail with ERROR_DISK_FULL once this many more bytes have been written (-1: never).
void PosixFailWritesAfter(long long bytes);
// Makes reads fail with ERROR_READ_FAULT once this many more bytes have been read (-1: never).
void PosixFailReadsAfter(long long bytes);

#endif  // _WIN32

// Calls that leave the program: a message box that blocks, and the shell opening a file in
// another program. Both pass through these seams so a test (natively and under Wine) sees them
// without a box waiting for a click or a viewer starting. No hook: the real call.
using MessageBoxHook = std::function<int(HWND, LPCWSTR text, LPCWSTR caption, UINT type)>;
using ShellOpenHook = std::function<void(HWND, LPCWSTR verb, LPCWSTR file, INT show)>;
void SetMessageBoxHook(MessageBoxHook hook);
void SetShellOpenHook(ShellOpenHook hook);
int PlatformMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
void PlatformShellOpen(HWND owner, LPCWSTR verb, LPCWSTR file, INT show);
