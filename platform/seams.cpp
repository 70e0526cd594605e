#include <mutex>

#include "platform/platform.h"

namespace {
std::mutex g_hookMutex;
MessageBoxHook g_messageBox;
ShellOpenHook g_shellOpen;
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_messageBox = std::move(hook);
}

void SetShellOpenHook(ShellOpenHook hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_shellOpen = std::move(hook);
}

int PlatformMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    hook = g_messageBox;
  }
  if (hook) return hook(owner, text, caption, type);
  return MessageBoxW(owner, text, caption, type);
}

void PlatformShellOpen(HWND owner, LPCWSTR verb, LPCWSTR file, INT show) {
  ShellOpenHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    hook = g_shellOpen;
  }
  if (hook) {
    hook(owner, verb, file, show);
    return;
  }
  ShellExecuteW(owner, verb, file, nullptr, nullptr, show);
}
