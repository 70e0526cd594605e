// The framework's global calls: message boxes and worker threads.
#pragma once

#include "framework/cstring.h"

#ifndef THREAD_PRIORITY_NORMAL
#define THREAD_PRIORITY_NORMAL 0
#endif

typedef UINT (*AFX_THREADPROC)(LPVOID);

// A worker thread. It deletes itself when its procedure returns, so the pointer that
// AfxBeginThread hands out is good only while the thread runs.
class CWinThread {
 public:
  virtual ~CWinThread() = default;
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;
};

// Starts `proc(param)` on a new thread at once; null when no thread could be made.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, void* security = nullptr);

// A modal box with the program's name as caption (its file name without extension) and, when
// the type names no icon, the exclamation icon. Returns the button pressed.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);

// The program's name: its file name without folder and extension.
CString AfxGetAppName();
