// The folder "Morlix" where the program keeps what it writes for the user: under the local
// application-data folder, or beside the program file when that cannot be had.
#pragma once

#include "framework/cstring.h"

// The full path of `fileName` in the data folder (the folder itself for an empty name), making
// the folder on the way. Each caller gets its own text, of any length.
CString GetDataFilePath(LPCWSTR fileName);
