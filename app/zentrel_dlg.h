// The main dialog: the job entry form, its reactions to the user, and the progress display
// the worker drives.
#pragma once

#include "app/resource.h"
#include "engine/batch_job.h"
#include "framework/win/controls.h"
#include "uikit/bgc_dialog.h"
#include "uikit/gradient_progress.h"

// Posted by the run's own thread once the engine has returned: only then may another run start
// or the dialog close.
#define WM_RUN_FINISHED (WM_APP + 1)

// The texts the dialog starts with. The two prompt-dependent reactions compare 1002 with
// kFindPrompt, so it lives in one place.
extern const WCHAR kFolderPrompt[];
extern const WCHAR kFindPrompt[];
extern const WCHAR kReplacePrompt[];

// Where a minimised window's icon goes: centred, with the rounding of signed integer division
// (toward zero), so a client area smaller than the icon gives a negative origin.
POINT MinimizedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The lines of a multi-line edit box, one entry per line as the box itself counts them, each
// taken whole whatever its length. An empty box gives one empty entry.
void ReadEditLines(HWND edit, CStringArray& lines);

class CZentrelDlg : public CMyBGCDlg {
 public:
  explicit CZentrelDlg(CWnd* pParent = nullptr);
  ~CZentrelDlg() override;

  HICON m_hIcon;
  CButton m_checkCaseSensitive;
  CButton m_checkFindOnly;
  CButton m_checkSubFolders;
  CButton m_checkRenameOnly;
  CButton m_checkKeepName;
  CButton m_checkNumberFiles;
  CGradientProgressCtrl m_progress;
  CComboBox m_comboFileTypes;

  // Copies the controls into `job` as a run reads them; the folder text is whatever 1001
  // holds (its existence is checked by the execute handler, not here).
  void FillJobFromControls(CBatchJob* job);
  // TRUE from an accepted execute until the run's thread has reported back.
  BOOL IsRunInProgress() const { return m_bRunning; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Closing while a run is in progress waits for it: the dialog closes when the run ends, so
  // no file is cut off half-written.
  void OnCancel() override;

  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnDropFiles(HDROP hDropInfo);
  void OnBnClickedOk();
  void OnBnClickedBrowse();
  void OnEnChangeFolder();
  void OnBnClickedRenameOnly();
  LRESULT OnBatchProgress(WPARAM wParam, LPARAM lParam);
  LRESULT OnRunFinished(WPARAM wParam, LPARAM lParam);

  BOOL m_bRunning = FALSE;
  BOOL m_bCloseWhenDone = FALSE;

  DECLARE_MESSAGE_MAP()
};
