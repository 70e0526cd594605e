// The job record of one run and the state the passes share with the dialog.
#pragma once

#include "framework/collections.h"

// The parameters of one run: filled by the dialog, owned and destroyed by the worker.
class CBatchJob {
 public:
  CBatchJob() = default;

  BOOL m_bCaseSensitive = FALSE;
  BOOL m_bFindOnly = FALSE;
  BOOL m_bSubFolders = FALSE;
  BOOL m_bRenameOnly = FALSE;
  BOOL m_bKeepName = FALSE;
  BOOL m_bNumberFiles = FALSE;
  CString m_strFolder;
  // Never empty: one entry per line of the dialog's boxes, entries may be empty.
  CStringArray m_findList;
  CStringArray m_replaceList;
  CString m_strFileTypes;
};

// One result line per find, in the order the passes find them; emptied by the dialog before each
// run, sorted and written by the summary step, kept until the next run.
extern CStringArray g_findResults;
// The dialog every notification goes to; set once before any run.
extern HWND g_hMainWnd;

#define WM_BATCH_PROGRESS 1234

// One step of work done (a file collected, read or renamed; a folder recorded or renamed).
void NotifyBatchStep();
// The run is complete: the summary has been written.
void NotifyBatchDone();
