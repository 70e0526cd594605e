// Turning a target folder and a type filter into the list of files, and the set of folders.
#pragma once

#include "framework/collections.h"

// Cuts `text` at each `separator` into the type list, dropping empty pieces; no token at all
// gives one empty entry, which no file matches.
void SplitToList(LPCWSTR text, WCHAR separator, CStringArray& list);
BOOL IsDirectory(LPCWSTR path);
// Appends every file below `folder` whose lowered extension is in `types` (any extension when
// `types` is empty; never a name without a dot), depth first in the platform's order. Paths are
// the folder text as given, then the entries' names lowered (A to Z). Links to folders are not
// descended into, so every walk ends and visits each real folder once.
void CollectFiles(LPCWSTR folder, const CStringArray& types, CStringArray& files, BOOL recurse);
// Inserts the folder itself (through its dot entries) and the folders below it.
void CollectFolders(LPCWSTR folder, CStringSet& folders, BOOL recurse);
// Cuts `text` at the (last, with `last`) occurrence of the one-character `separator`. FALSE and
// the outputs untouched when there is none.
BOOL SplitAtSeparator(LPCWSTR text, CString* left, CString* right, LPCWSTR separator, BOOL last);
