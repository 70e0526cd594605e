// The content pass: every file of the list is read line by line in its own encoding, every find
// (one line or a block of lines) becomes a result line and is replaced, and the new content is
// written back unless the run only finds.
#pragma once

#include <string>

#include "engine/batch_job.h"

class CReadAUStdioFile;

// Files whose new content could not be put in place are added to `unwritten` (when given); each
// of them still holds exactly its old bytes. The files are worked on by as many threads as the
// machine has cores (`threads` 0), or by the given number; results and notifications come in
// the list's order all the same. `allowFastPath` false sends every file line by line through
// the text file class (the reference the faster whole-file path is checked against).
void ReplaceInFiles(const CBatchJob& job, const CStringArray& files, CStringArray* unwritten = nullptr,
                    int threads = 0, bool allowFastPath = true);
// Confirms a block find: the lines after the candidate must begin with find[1..n-1]. On a miss
// the file is put back just after the candidate line. `lastLine` receives the block's last line.
bool MatchFollowingLines(CReadAUStdioFile& file, const CStringArray& findList, CString& lastLine,
                         BOOL ignoreCase);
// Writes `lines` beside `path` in the encoding `source` read it with, then puts the new file in
// the old one's place in one step, so that a failure at any moment leaves either the old or the
// new content. FALSE (old content kept, nothing left behind) when that cannot be done. `source`
// is the open reader of `path`; it is closed here.
bool WriteBackInPlace(const CString& path, CReadAUStdioFile& source, const CStringArray& lines);
// The same for content already in the file's bytes.
bool WriteBytesInPlace(const CString& path, const std::string& bytes);

// The line rules both ways of reading a file share.
// Whether `line` may start a find: it holds find[0] (for a block, exactly at its end); an empty
// line is a candidate for an empty find[0].
bool IsCandidate(const CString& line, const CString& find0, bool caseSensitive, bool block);
// Replaces `find` as written and, ignoring case, its lower- and upper-case forms, in that order.
void ReplaceVariants(CString& s, const CString& find, const CString& with, bool caseSensitive);
