// The summary of a run: every result line, sorted, in "findresult.txt" of the data folder,
// opened for the user.
#pragma once

#include "framework/cstring.h"

// Sorts g_findResults, writes the summary, tells the dialog the run is complete and opens the
// file; or says that the file could not be made.
void WriteFindResults();
// The order of result lines: code units, except that where the texts first differ in two digits
// the digit runs from there on compare as numbers.
bool NaturalLess(const CString& a, const CString& b);
