#include "framework/win/dialog.h"

#include <cstring>

#include "framework/win/controls.h"
#include "framework/win/winapp.h"

namespace {

// The dialog procedure of every CDialog. Once WM_INITDIALOG has attached and subclassed the
// window, all messages come through AfxWndProc, and whatever reaches the dialog manager's own
// procedure from there ends here again: answering FALSE gives it the default handling.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
  if (!pDlg || !pDlg->SubclassWindow(hWnd)) return FALSE;
  pDlg->PreInitDialog();
  return pDlg->OnInitDialog();
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParent) {}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParent)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParent) {}

INT_PTR CDialog::DoModal() {
  HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  return ::DialogBoxParamW(AfxGetResourceHandle(), m_lpszTemplateName, hParent, &AfxDlgProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::PreInitDialog() {}

BOOL CDialog::OnInitDialog() {
  ExecuteDlgInit(m_lpszTemplateName);
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnPaint() {
  { CPaintDC dc(this); }
  Default();
}

BOOL CDialog::ExecuteDlgInit(LPCWSTR lpszResourceName) {
  HINSTANCE hInst = AfxGetResourceHandle();
  HRSRC hRes = ::FindResourceW(hInst, lpszResourceName, MAKEINTRESOURCEW(240));
  if (!hRes) return TRUE;
  HGLOBAL hData = ::LoadResource(hInst, hRes);
  const void* pData = hData ? ::LockResource(hData) : nullptr;
  if (!pData) return FALSE;
  return ExecuteDlgInitData(pData, ::SizeofResource(hInst, hRes));
}

BOOL CDialog::ExecuteDlgInitData(const void* pData, size_t size) {
  const BYTE* p = static_cast<const BYTE*>(pData);
  size_t pos = 0;
  BOOL ok = TRUE;
  for (;;) {
    if (size - pos < 2) return FALSE;  // the closing zero is missing
    WORD id, msg;
    DWORD len;
    std::memcpy(&id, p + pos, 2);
    if (id == 0) break;
    if (size - pos < 8) return FALSE;
    std::memcpy(&msg, p + pos + 2, 2);
    std::memcpy(&len, p + pos + 4, 4);
    pos += 8;
    if (len > size - pos) return FALSE;
    const char* text = reinterpret_cast<const char*>(p + pos);
    pos += len;

    UINT send = 0;
    if (msg == CB_ADDSTRING || msg == 0x0403) send = CB_ADDSTRING;
    if (msg == LB_ADDSTRING || msg == 0x0401) send = LB_ADDSTRING;
    if (!send) continue;
    // The text ends at its zero, or at the record's end if the zero was left out.
    int n = int(strnlen(text, len));
    CString::Buffer wide(size_t(n) + 1, WCHAR(0));
    int got = n ? ::MultiByteToWideChar(CP_ACP, 0, text, n, &wide[0], n) : 0;
    wide.resize(size_t(got));
    LRESULT r = ::SendDlgItemMessageW(m_hWnd, id, send, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    if (r == CB_ERR || r == CB_ERRSPACE) ok = FALSE;  // LB_ERR and LB_ERRSPACE have the same values
  }
  return ok;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  rControl.SubclassDlgItem(UINT(nIDC), pDX->m_pDlgWnd);
}

void CComboBox::GetLBText(int nIndex, CString& text) const {
  int n = GetLBTextLen(nIndex);
  if (n == CB_ERR) {
    text.Empty();
    return;
  }
  CString::Buffer buf(size_t(n) + 1, WCHAR(0));
  int got = int(SendMessage(CB_GETLBTEXT, WPARAM(nIndex), reinterpret_cast<LPARAM>(&buf[0])));
  buf.resize(size_t(got > 0 ? got : 0));
  text = CString(std::move(buf));
}
