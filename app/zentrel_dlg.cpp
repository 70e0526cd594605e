#include "app/zentrel_dlg.h"

#include <vector>

#include "app/folder_picker.h"
#include "framework/afx.h"
#include "framework/win/winapp.h"
#include "engine/batch_run.h"
#include "engine/collect.h"

const WCHAR kFolderPrompt[] = L"按“浏览”按钮选择一个文件夹路径";
const WCHAR kFindPrompt[] = L"输入需要查找或替换的字符";
const WCHAR kReplacePrompt[] = L"新字符串";

namespace {

// Room for any path the shell writes back; a longer start text gets a buffer of its own size.
const int kPathBufferSize = 1024;

// What the run's own thread needs: the job to hand on, and where to report that it is over.
struct RunTicket {
  CBatchJob* job;
  HWND dialog;
};

// Wraps the engine's worker so the dialog learns when the run has returned; the engine itself
// knows no such message. The ticket is consumed here, the job by the engine.
UINT RunBatchThenReport(LPVOID pParam) {
  RunTicket* ticket = static_cast<RunTicket*>(pParam);
  CBatchJob* job = ticket->job;
  HWND dialog = ticket->dialog;
  delete ticket;
  BatchThreadProc(job);
  ::PostMessageW(dialog, WM_RUN_FINISHED, 0, 0);
  return 0;
}

CString TextOf(HWND hwnd) {
  int n = ::GetWindowTextLengthW(hwnd);
  CString::Buffer buf(size_t(n) + 1, WCHAR(0));
  int got = n > 0 ? ::GetWindowTextW(hwnd, &buf[0], n + 1) : 0;
  buf.resize(size_t(got > 0 ? got : 0));
  return CString(std::move(buf));
}

// Runs the picker on a buffer that starts as the current text of 1001, so a cancelled picker
// leaves the box as it was; the box is then set from the buffer either way.
void PickFolderInto(CWnd* dlg) {
  CString current;
  dlg->GetDlgItemText(IDC_FOLDER, current);
  std::vector<WCHAR> buffer(size_t(current.GetLength() < kPathBufferSize ? kPathBufferSize
                                                                          : current.GetLength() + 1),
                            WCHAR(0));
  for (int i = 0; i < current.GetLength(); ++i) buffer[size_t(i)] = current[i];
  BrowseForFolder(buffer.data(), dlg->GetSafeHwnd());
  dlg->SetDlgItemText(IDC_FOLDER, buffer.data());
}

}  // namespace

POINT MinimizedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  POINT pt;
  pt.x = (clientWidth - iconWidth + 1) / 2;
  pt.y = (clientHeight - iconHeight + 1) / 2;
  return pt;
}

void ReadEditLines(HWND edit, CStringArray& lines) {
  // Line positions come from the box, the characters from one read of its whole text, so no
  // line is cut at any buffer size.
  CString text = TextOf(edit);
  int count = int(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
  if (count < 1) count = 1;
  for (int i = 0; i < count; ++i) {
    int start = int(::SendMessageW(edit, EM_LINEINDEX, WPARAM(i), 0));
    if (start < 0 || start > text.GetLength()) {
      lines.Add(CString());
      continue;
    }
    int length = int(::SendMessageW(edit, EM_LINELENGTH, WPARAM(start), 0));
    if (length > text.GetLength() - start) length = text.GetLength() - start;
    lines.Add(text.Mid(start, length));
  }
}

BEGIN_MESSAGE_MAP(CZentrelDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_CTLCOLOR()
  ON_WM_DROPFILES()
  ON_BN_CLICKED(IDOK, &CZentrelDlg::OnBnClickedOk)
  ON_BN_CLICKED(IDC_BROWSE, &CZentrelDlg::OnBnClickedBrowse)
  ON_MESSAGE(WM_BATCH_PROGRESS, &CZentrelDlg::OnBatchProgress)
  ON_EN_CHANGE(IDC_FOLDER, &CZentrelDlg::OnEnChangeFolder)
  ON_BN_CLICKED(IDC_RENAME_ONLY, &CZentrelDlg::OnBnClickedRenameOnly)
  ON_MESSAGE(WM_RUN_FINISHED, &CZentrelDlg::OnRunFinished)
END_MESSAGE_MAP()

CZentrelDlg::CZentrelDlg(CWnd* pParent) : CMyBGCDlg(IDD_ZENTREL_DIALOG, pParent) {
  // A resource icon: shared by the system, never destroyed.
  m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CZentrelDlg::~CZentrelDlg() = default;

void CZentrelDlg::DoDataExchange(CDataExchange* pDX) {
  CMyBGCDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_CASE_SENSITIVE, m_checkCaseSensitive);
  DDX_Control(pDX, IDC_FIND_ONLY, m_checkFindOnly);
  DDX_Control(pDX, IDC_SUB_FOLDERS, m_checkSubFolders);
  DDX_Control(pDX, IDC_RENAME_ONLY, m_checkRenameOnly);
  DDX_Control(pDX, IDC_KEEP_NAME, m_checkKeepName);
  DDX_Control(pDX, IDC_NUMBER_FILES, m_checkNumberFiles);
  DDX_Control(pDX, IDC_PROGRESS, m_progress);
  DDX_Control(pDX, IDC_FILE_TYPES, m_comboFileTypes);
}

BOOL CZentrelDlg::OnInitDialog() {
  CMyBGCDlg::OnInitDialog();

  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  // 1001 first: its change notification looks at 1002, which must still be empty then so the
  // folder prompt does not leak into the find box.
  SetDlgItemText(IDC_FOLDER, kFolderPrompt);
  SetDlgItemText(IDC_FIND, kFindPrompt);
  SetDlgItemText(IDC_REPLACE, kReplacePrompt);

  SendDlgItemMessage(IDC_CASE_SENSITIVE, BM_SETCHECK, 1);
  SendDlgItemMessage(IDC_FIND_ONLY, BM_SETCHECK, 1);
  SendDlgItemMessage(IDC_SUB_FOLDERS, BM_SETCHECK, 1);
  SendDlgItemMessage(IDC_KEEP_NAME, BM_SETCHECK, 1);

  m_progress.m_clrStart = RGB(255, 0, 0);
  m_progress.m_clrEnd = RGB(255, 255, 0);
  m_progress.m_clrBarBackground = RGB(200, 232, 234);
  m_progress.SetRange(0, 1000);
  m_progress.StepIt();

  g_hMainWnd = m_hWnd;
  SendDlgItemMessage(IDC_FILE_TYPES, CB_SETCURSEL, 0);
  return TRUE;
}

void CZentrelDlg::OnPaint() {
  if (!IsIconic()) {
    PaintDialog();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  RECT rc;
  GetClientRect(&rc);
  POINT at = MinimizedIconOrigin(rc.right - rc.left, rc.bottom - rc.top, ::GetSystemMetrics(SM_CXICON),
                                 ::GetSystemMetrics(SM_CYICON));
  dc.DrawIcon(at.x, at.y, m_hIcon);
}

HCURSOR CZentrelDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CZentrelDlg::FillJobFromControls(CBatchJob* job) {
  ReadEditLines(::GetDlgItem(m_hWnd, IDC_FIND), job->m_findList);
  ReadEditLines(::GetDlgItem(m_hWnd, IDC_REPLACE), job->m_replaceList);
  job->m_bCaseSensitive = m_checkCaseSensitive.GetCheck() == BST_CHECKED;
  job->m_bFindOnly = m_checkFindOnly.GetCheck() == BST_CHECKED;
  job->m_bSubFolders = m_checkSubFolders.GetCheck() == BST_CHECKED;
  job->m_bRenameOnly = m_checkRenameOnly.GetCheck() == BST_CHECKED;
  job->m_bKeepName = m_checkKeepName.GetCheck() == BST_CHECKED;
  job->m_bNumberFiles = m_checkNumberFiles.GetCheck() == BST_CHECKED;
  GetDlgItemText(IDC_FOLDER, job->m_strFolder);
  m_comboFileTypes.GetWindowText(job->m_strFileTypes);
}

void CZentrelDlg::OnBnClickedOk() {
  // One run at a time: the results list belongs to the run until its thread has returned.
  if (m_bRunning) return;
  g_findResults.RemoveAll();

  CString folder;
  GetDlgItemText(IDC_FOLDER, folder);
  if (!::PathFileExistsW(folder)) {
    AfxMessageBox(L"请先选择你要查找的文件夹！", MB_OK);
    PickFolderInto(this);
    return;
  }

  CBatchJob* job = new CBatchJob;
  FillJobFromControls(job);
  job->m_strFolder = folder;

  m_bRunning = TRUE;
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), FALSE);
  RunTicket* ticket = new RunTicket{job, m_hWnd};
  if (!AfxBeginThread(&RunBatchThenReport, ticket)) {
    delete ticket;
    delete job;
    m_bRunning = FALSE;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), TRUE);
  }
}

LRESULT CZentrelDlg::OnRunFinished(WPARAM, LPARAM) {
  m_bRunning = FALSE;
  if (m_bCloseWhenDone) {
    EndDialog(IDCANCEL);
    return 0;
  }
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), TRUE);
  return 0;
}

void CZentrelDlg::OnCancel() {
  if (!m_bRunning) {
    CMyBGCDlg::OnCancel();
    return;
  }
  // The run goes on to its end; the greyed exit button shows that the close has been taken.
  m_bCloseWhenDone = TRUE;
  ::EnableWindow(::GetDlgItem(m_hWnd, IDCANCEL), FALSE);
}

void CZentrelDlg::OnBnClickedBrowse() { PickFolderInto(this); }

void CZentrelDlg::OnDropFiles(HDROP hDropInfo) {
  UINT length = ::DragQueryFileW(hDropInfo, 0, nullptr, 0);
  std::vector<WCHAR> path(size_t(length) + 1, WCHAR(0));
  ::DragQueryFileW(hDropInfo, 0, path.data(), length + 1);
  SetDlgItemText(IDC_FOLDER, path.data());
  ::DragFinish(hDropInfo);
}

void CZentrelDlg::OnEnChangeFolder() {
  CString find;
  GetDlgItemText(IDC_FIND, find);
  if (find != kFindPrompt) return;
  CString folder;
  GetDlgItemText(IDC_FOLDER, folder);
  CString lastPart;
  SplitAtSeparator(folder, nullptr, &lastPart, L"\\", TRUE);
  SetDlgItemText(IDC_FIND, lastPart);
}

void CZentrelDlg::OnBnClickedRenameOnly() {
  CString find;
  GetDlgItemText(IDC_FIND, find);
  if (find != kFindPrompt) return;
  SetDlgItemText(IDC_FIND, L"");
  SetDlgItemText(IDC_REPLACE, L"");
}

LRESULT CZentrelDlg::OnBatchProgress(WPARAM wParam, LPARAM lParam) {
  if (wParam == 0 && lParam == 0) {
    m_progress.SetPos(999);
    return 1;
  }
  if (m_progress.GetPosition() >= m_progress.GetUpper()) m_progress.SetPos(1);
  m_progress.StepIt();
  return 1;
}
