#include "tests/app/dialog_harness.h"

#include <chrono>

#include "app/folder_picker.h"

namespace ztest {

namespace {

// A private message that carries a function to run on the dialog's thread.
const UINT kRunOnDialogThread = WM_APP + 77;

class TestDlg : public CZentrelDlg {
 public:
  explicit TestDlg(std::function<void(HWND)> ready) : m_ready(std::move(ready)) {}

  BOOL OnInitDialog() override {
    BOOL r = CZentrelDlg::OnInitDialog();
    m_ready(m_hWnd);
    return r;
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kRunOnDialogThread) {
      (*reinterpret_cast<const std::function<void(CZentrelDlg&)>*>(lParam))(*this);
      return 0;
    }
    return CZentrelDlg::WindowProc(message, wParam, lParam);
  }

 private:
  std::function<void(HWND)> m_ready;
};

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::Sleep(10);
  }
  return true;
}

SeamLog::SeamLog() {
  SetMessageBoxHook([this](HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.push_back(CString(text));
    m_captions.push_back(CString(caption));
    return IDOK;
  });
  SetShellOpenHook([this](HWND, LPCWSTR, LPCWSTR file, INT) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_opened.push_back(CString(file));
    ++m_opensArrived;
    m_cv.wait(lock, [this] { return !m_gateClosed; });
  });
  SetFolderPickerHook([this](WCHAR* path, HWND owner) -> BOOL {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pickerStarts.push_back(CString(path));
    m_pickerOwners.push_back(owner);
    if (m_answers.empty() || !m_answers.front()) {
      if (!m_answers.empty()) m_answers.erase(m_answers.begin());
      return FALSE;
    }
    CString chosen = *m_answers.front();
    m_answers.erase(m_answers.begin());
    ::lstrcpynW(path, chosen, MAX_PATH);
    return TRUE;
  });
}

SeamLog::~SeamLog() {
  OpenOpenGate();
  SetMessageBoxHook(nullptr);
  SetShellOpenHook(nullptr);
  SetFolderPickerHook(nullptr);
}

std::vector<CString> SeamLog::Boxes() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_boxes;
}
std::vector<CString> SeamLog::Captions() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_captions;
}
std::vector<CString> SeamLog::Opened() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_opened;
}
std::vector<CString> SeamLog::PickerStarts() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pickerStarts;
}
std::vector<HWND> SeamLog::PickerOwners() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pickerOwners;
}
void SeamLog::AnswerPicker(std::vector<std::optional<CString>> answers) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_answers = std::move(answers);
}
void SeamLog::CloseOpenGate() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_gateClosed = true;
}
void SeamLog::OpenOpenGate() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_gateClosed = false;
  }
  m_cv.notify_all();
}
int SeamLog::OpensArrived() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_opensArrived;
}

DialogUnderTest::DialogUnderTest() {
  g_hMainWnd = nullptr;
  m_thread = std::thread([this] {
    TestDlg dlg([this](HWND hwnd) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_hwnd = hwnd;
      m_ready = true;
      m_cv.notify_all();
    });
    INT_PTR result = dlg.DoModal();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_result = result;
    m_closed = true;
    m_ready = true;
    m_cv.notify_all();
  });
  std::unique_lock<std::mutex> lock(m_mutex);
  m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_ready; });
}

DialogUnderTest::~DialogUnderTest() {
  seams.OpenOpenGate();
  if (m_hwnd && ::IsWindow(m_hwnd)) ::PostMessageW(m_hwnd, WM_COMMAND, IDCANCEL, 0);
  if (m_thread.joinable()) m_thread.join();
}

CString DialogUnderTest::WindowText(HWND hwnd) const {
  int n = int(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  CString::Buffer buf(size_t(n) + 1, WCHAR(0));
  int got = int(::SendMessageW(hwnd, WM_GETTEXT, WPARAM(n + 1), reinterpret_cast<LPARAM>(&buf[0])));
  buf.resize(size_t(got > 0 ? got : 0));
  return CString(std::move(buf));
}

CString DialogUnderTest::Text(int id) const { return WindowText(Item(id)); }

void DialogUnderTest::SetText(int id, LPCWSTR text) {
  ::SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void DialogUnderTest::Command(int id, WORD code) {
  ::SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}

void DialogUnderTest::OnDialogThread(const std::function<void(CZentrelDlg&)>& fn) {
  ::SendMessageW(m_hwnd, kRunOnDialogThread, 0, reinterpret_cast<LPARAM>(&fn));
}

bool DialogUnderTest::RunInProgress() {
  bool running = false;
  OnDialogThread([&](CZentrelDlg& dlg) { running = dlg.IsRunInProgress() != FALSE; });
  return running;
}

std::optional<INT_PTR> DialogUnderTest::WaitClosed(int ms) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_closed; })) return std::nullopt;
  return m_result;
}

}  // namespace ztest
