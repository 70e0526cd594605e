// Runs the real main dialog, from the program's own template, modally on a thread of its own,
// so a test can drive it with window messages the way the user and the worker do. The seams
// of message boxes, shell opens and the folder picker are taken over for the dialog's life.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/zentrel_dlg.h"

namespace ztest {

// Waits until `done` holds, polling; false when `ms` passed first.
bool WaitUntil(const std::function<bool()>& done, int ms = 20000);

// What the dialog and its runs showed, and how the seams answer.
class SeamLog {
 public:
  SeamLog();
  ~SeamLog();

  std::vector<CString> Boxes();
  std::vector<CString> Captions();
  std::vector<CString> Opened();
  // The start text the picker was handed each time, and its owner windows.
  std::vector<CString> PickerStarts();
  std::vector<HWND> PickerOwners();

  // The picker's next answers: a path is a choice, nullopt a cancel. Once they run out the
  // picker cancels.
  void AnswerPicker(std::vector<std::optional<CString>> answers);
  // While closed, a shell open waits (the run then stands still just after its summary).
  void CloseOpenGate();
  void OpenOpenGate();
  // Shell opens that have reached the gate so far.
  int OpensArrived();

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<CString> m_boxes, m_captions, m_opened, m_pickerStarts;
  std::vector<HWND> m_pickerOwners;
  std::vector<std::optional<CString>> m_answers;
  bool m_gateClosed = false;
  int m_opensArrived = 0;
};

class DialogUnderTest {
 public:
  DialogUnderTest();
  // Cancels the dialog if it is still open and waits for its thread.
  ~DialogUnderTest();

  HWND Hwnd() const { return m_hwnd; }
  HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
  CString Text(int id) const;
  CString WindowText(HWND hwnd) const;
  void SetText(int id, LPCWSTR text);
  int Check(int id) const { return int(::SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }
  void Command(int id, WORD code = BN_CLICKED);
  // Runs `fn` on the dialog's thread, with the dialog object, and waits for it.
  void OnDialogThread(const std::function<void(CZentrelDlg&)>& fn);
  bool RunInProgress();

  // Waits for DoModal to return; its result, or nullopt if it did not within `ms`.
  std::optional<INT_PTR> WaitClosed(int ms = 20000);

  SeamLog seams;

 private:
  std::thread m_thread;
  HWND m_hwnd = nullptr;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_ready = false;
  bool m_closed = false;
  INT_PTR m_result = 0;
};

}  // namespace ztest
