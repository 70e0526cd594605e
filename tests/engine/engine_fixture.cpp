#include "tests/engine/engine_fixture.h"

#include <cstdlib>

#include "engine/batch_run.h"
#include "engine/data_folder.h"

namespace ztest {

void BuildTree(const CString& root, const Tree& tree) {
  for (const auto& [rel, bytes] : tree) {
    CString path = root + _T("\\") + Wide(rel);
    if (!rel.empty() && rel.back() == '\\') {
      path.Truncate(path.GetLength() - 1);
      MakeDir(path);
    } else {
      WriteBytes(path, bytes);
    }
  }
}

CBatchJob* MakeJob(const CString& folder, std::vector<CString> find, std::vector<CString> replace,
                   BOOL caseSensitive, BOOL findOnly, BOOL subFolders, BOOL renameOnly, BOOL keepName,
                   BOOL numberFiles, const CString& types) {
  auto* job = new CBatchJob;
  job->m_strFolder = folder;
  for (auto& f : find) job->m_findList.Add(f);
  for (auto& r : replace) job->m_replaceList.Add(r);
  job->m_bCaseSensitive = caseSensitive;
  job->m_bFindOnly = findOnly;
  job->m_bSubFolders = subFolders;
  job->m_bRenameOnly = renameOnly;
  job->m_bKeepName = keepName;
  job->m_bNumberFiles = numberFiles;
  job->m_strFileTypes = types;
  return job;
}

std::vector<std::string> Results() {
  std::vector<std::string> out;
  for (int i = 0; i < g_findResults.GetSize(); ++i) out.push_back(Utf8(g_findResults[i]));
  return out;
}

void EngineTest::SetUp() {
  g_findResults.RemoveAll();
  g_hMainWnd = counter.Handle();
}

void EngineTest::TearDown() {
  g_hMainWnd = nullptr;
  g_findResults.RemoveAll();
}

void SummaryFileTest::SetUp() {
  EngineTest::SetUp();
#ifndef _WIN32
  setenv("XDG_DATA_HOME", Utf8(data.Path()).c_str(), 1);
#endif
  summary = GetDataFilePath(_T("findresult.txt"));
  DeleteFileW(summary);
}

void SummaryFileTest::RunJob(CBatchJob* job) { EXPECT_EQ(BatchThreadProc(job), 0u); }

void SummaryFileTest::TearDown() {
  DeleteFileW(summary);
  EngineTest::TearDown();
}

}  // namespace ztest
