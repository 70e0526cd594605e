// The renaming passes: files whose names hold the first find line, then folders, innermost
// first. Every selected entry is reported, renamed or not; no rename ever replaces an entry.
#pragma once

#include "engine/batch_job.h"

void RenameFiles(const CBatchJob& job, const CStringArray& types, CStringArray& files);
void RenameFolders(const CBatchJob& job, CStringSet& folders);
// TRUE when `text` is empty or the path's last component holds it, ignoring case.
BOOL NameContains(LPCWSTR path, LPCWSTR text);
// The sequence number's format for a pass over `count` files: always one digit more than the
// count needs (at least two digits), up to five.
LPCWSTR NumberFormatFor(int count);
// A new name that could move the entry out of its folder (a separator in it, or "." or "..")
// or that is empty is never used.
BOOL IsSafeNewName(const CString& name);
