// Fixture trees for the engine: built from explicit bytes, run, and compared whole afterwards.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/batch_job.h"
#include "tests/support/test_support.h"

namespace ztest {

typedef std::map<std::string, Bytes> Tree;  // relative path (backslashes) -> bytes; "x\\" = folder

// Makes every entry of `tree` below `root` (folders for keys ending in a backslash).
void BuildTree(const CString& root, const Tree& tree);

// A job with the given find and replacement lines and switches.
CBatchJob* MakeJob(const CString& folder, std::vector<CString> find, std::vector<CString> replace,
                   BOOL caseSensitive, BOOL findOnly, BOOL subFolders, BOOL renameOnly, BOOL keepName,
                   BOOL numberFiles, const CString& types = _T("*.*"));

std::vector<std::string> Results();  // g_findResults as UTF-8

// Points the engine at a counting window and empties the results; restores afterwards.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  MessageCounter counter;
  int Steps() const { return counter.Count(1234, 1, 1); }
  int Dones() const { return counter.Count(1234, 0, 0); }
};

// An EngineTest whose runs keep their summary file in a data folder of the test's own (natively;
// under Wine in the prefix's local data folder), with no summary there at the start.
class SummaryFileTest : public EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs the job to its end on this thread.
  void RunJob(CBatchJob* job);
  ScratchDir data;
  CString summary;  // the summary file's path
};

}  // namespace ztest
