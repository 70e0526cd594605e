// What the reliability tests share: a run with its own data folder and captured message boxes,
// and the checks every case ends with (each file holds its old bytes or the bytes the job gives,
// and no temporary file is left beside the user's files).
#pragma once

#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "tests/engine/engine_fixture.h"

namespace ztest {

class RelTest : public SummaryFileTest {
 protected:
  void TearDown() override;
  ScratchDir dir;
  DialogCapture dialogs;
};

// `bytes` with every `from` replaced by `to` (byte strings, left to right, no overlap).
Bytes Substituted(Bytes bytes, const Bytes& from, const Bytes& to);
// The entries of a snapshot whose names are the engine's temporary files.
std::vector<std::string> TempFilesIn(const Tree& snapshot);
// The texts of the message boxes, as UTF-8, joined with " | ".
std::string BoxTexts(const DialogCapture& d);
// A job with the usual switches: content run, sub-folders on, every type.
CBatchJob* ContentJob(const CString& folder, std::vector<CString> find, std::vector<CString> replace);
bool LongTestsWanted();

}  // namespace ztest
