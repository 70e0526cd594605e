#include "framework/win/wnd.h"

#include <map>
#include <memory>

namespace {

// HWND -> CWnd of the objects attached with Attach. Windows belong to the user-interface
// thread, and the worker threads never reach a CWnd, so the map needs no lock.
std::map<HWND, CWnd*>& PermanentMap() {
  static std::map<HWND, CWnd*> map;
  return map;
}

// Temporary wrappers own nothing: they are detached before they are deleted.
struct TempWnd {
  void operator()(CWnd* p) const {
    p->m_hWnd = nullptr;
    delete p;
  }
};
thread_local std::map<HWND, std::unique_ptr<CWnd, TempWnd>> t_tempWnds;

// The message in hand, for Default().
struct CurrentMessage {
  HWND hWnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
thread_local CurrentMessage t_current = {nullptr, 0, 0, 0};

}  // namespace

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfnDispatch; ++e) {
      if (message < e->nMessage || message > e->nLastMessage) continue;
      if (message == WM_COMMAND) {
        UINT id = LOWORD(wParam), code = HIWORD(wParam);
        if (e->nID != id) continue;
        if (e->nCode == AFX_ANY_COMMAND_CODE) {
          if (code != 0 && lParam != 0) continue;  // a control's notification other than a click
        } else if (e->nCode != code) {
          continue;
        }
      }
      return e;
    }
  }
  return nullptr;
}

// CWnd's own map is empty; it is the root every window map ends in.
const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}
const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd::~CWnd() {
  if (m_hWnd) {
    if (m_pfnSuper) UnsubclassWindow();
    Detach();
  }
}

BOOL CWnd::Attach(HWND hWnd) {
  if (m_hWnd || !hWnd) return FALSE;
  auto& map = PermanentMap();
  if (map.count(hWnd)) return FALSE;
  map[hWnd] = this;
  m_hWnd = hWnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h) {
    auto& map = PermanentMap();
    auto it = map.find(h);
    if (it != map.end() && it->second == this) map.erase(it);
  }
  m_hWnd = nullptr;
  return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  WNDPROC old = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  // Without a procedure of its own to fall back on, the window would get no default handling.
  m_pfnSuper = (old && old != &AfxWndProc) ? old : nullptr;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (!pParent) return FALSE;
  HWND hCtl = ::GetDlgItem(pParent->m_hWnd, int(nID));
  return hCtl ? SubclassWindow(hCtl) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (m_hWnd && m_pfnSuper) {
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
      ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
  }
  return Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  auto& map = PermanentMap();
  auto it = map.find(hWnd);
  return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* p = FromHandlePermanent(hWnd)) return p;
  auto& slot = t_tempWnds[hWnd];
  if (!slot) {
    slot.reset(new CWnd);
    slot->m_hWnd = hWnd;
  }
  return slot.get();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, wParam, lParam);
  if (!e) return FALSE;
  return e->pfnDispatch(static_cast<MsgRoot*>(this), message, wParam, lParam, pResult);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

// No control here reflects its colour messages back to itself, so the standard answer is
// the default procedure's.
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

namespace {
CString TextOf(HWND hWnd) {
  int n = ::GetWindowTextLengthW(hWnd);
  CString::Buffer buf(size_t(n > 0 ? n : 0) + 1, WCHAR(0));
  int got = n > 0 ? ::GetWindowTextW(hWnd, &buf[0], n + 1) : 0;
  buf.resize(size_t(got > 0 ? got : 0));
  return CString(std::move(buf));
}
}  // namespace

int CWnd::GetDlgItemText(int nID, CString& text) const {
  text = TextOf(::GetDlgItem(m_hWnd, nID));
  return text.GetLength();
}

void CWnd::GetWindowText(CString& text) const { text = TextOf(m_hWnd); }

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
  if (!pWnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  CurrentMessage saved = t_current;
  t_current = {hWnd, message, wParam, lParam};
  LRESULT result = pWnd->WindowProc(message, wParam, lParam);
  t_current = saved;
  if (message == WM_NCDESTROY) {
    // The window is gone after this message: the object lets go of the handle.
    pWnd->UnsubclassWindow();
    pWnd->PostNcDestroy();
  }
  return result;
}
