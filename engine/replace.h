// The content pass: every file of the list is read line by line in its own encoding, every find
// (one line or a block of lines) becomes a result line and is replaced, and the new content is
// written back unless the run only finds.
#pragma once

#include "engine/batch_job.h"

class CReadAUStdioFile;

// Files whose new content could not be put in place are added to `unwritten` (when given); each
// of them still holds exactly its old bytes.
void ReplaceInFiles(const CBatchJob& job, const CStringArray& files, CStringArray* unwritten = nullptr);
// Confirms a block find: the lines after the candidate must begin with find[1..n-1]. On a miss
// the file is put back just after the candidate line. `lastLine` receives the block's last line.
bool MatchFollowingLines(CReadAUStdioFile& file, const CStringArray& findList, CString& lastLine,
                         BOOL ignoreCase);
// Writes `lines` beside `path` in the encoding `source` read it with, then puts the new file in
// the old one's place in one step, so that a failure at any moment leaves either the old or the
// new content. FALSE (old content kept, nothing left behind) when that cannot be done. `source`
// is the open reader of `path`; it is closed here.
bool WriteBackInPlace(const CString& path, CReadAUStdioFile& source, const CStringArray& lines);
