// The shell's folder browser, opened at a start folder, writing the chosen path into the
// caller's buffer.
#pragma once

#include <functional>

#include "framework/cstring.h"

// Shows the browser owned by `owner`, starting at the folder that `path` names or, when `path`
// is empty, at the program's own folder. On a choice the chosen item's path is written into
// `path` (the caller supplies at least MAX_PATH characters). TRUE when an item was chosen and
// its item list freed; FALSE on cancel, which leaves `path` as it was.
BOOL BrowseForFolder(WCHAR* path, HWND owner);

// Selects the start folder (given as text in lpData) once the browser is up. Returns 1 always.
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

// The folder part of the program's full file name: the text before its last backslash, so a
// program in a drive's root folder gives the drive letter and colon alone.
CString ProgramFolderOf(LPCWSTR moduleFileName);

// Test seam: while set, BrowseForFolder calls this instead of showing the shell's browser and
// returns its result. Tests of the dialog use it; a null function restores the real browser.
using FolderPickerHook = std::function<BOOL(WCHAR* path, HWND owner)>;
void SetFolderPickerHook(FolderPickerHook hook);
