// A replace run killed at random moments: afterwards every file holds exactly its old bytes or
// exactly the bytes an uninterrupted run gives it, and a run that was let finish leaves no
// temporary file behind. A few dozen kills in CI, many more with ZENTREL_LONG.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "tests/reliability/rel_fixture.h"

using namespace ztest;

namespace {

// A few hundred files in three encodings, most with something to replace, some large enough
// that a kill can land in the middle of writing one.
Tree KillTree() {
  Tree t;
  for (int d = 0; d < 3; ++d) {
    const std::string folder = "d" + std::to_string(d) + "\\";
    t[folder] = "";
    for (int i = 0; i < 100; ++i) {
      const std::string n = std::to_string(d * 100 + i);
      Bytes body;
      const int lines = i % 10 == 0 ? 3000 : 5 + i % 7;
      for (int l = 0; l < lines; ++l) body += (l % 3 ? "text " : "a foo in ") + n + "\n";
      if (i % 3 == 1) body = "\xEF\xBB\xBF" + body;
      if (i % 3 == 2) body = "\xD6\xD0\xCE\xC4 " + body;  // 936
      if (i % 17 == 0) body = "nothing to find " + n + "\r\n";
      t[folder + "f" + n + ".txt"] = body;
    }
  }
  return t;
}

CBatchJob* KillJob(const CString& folder) { return ContentJob(folder, {_T("foo")}, {_T("barbaz")}); }

using Kill = RelTest;

TEST_F(Kill, EveryFileOldOrNewAfterSigkill) {
  const Tree before = KillTree();
  // The reference: one uninterrupted run on a copy.
  ScratchDir ref;
  BuildTree(ref.Path(), before);
  const auto start = std::chrono::steady_clock::now();
  RunJob(KillJob(ref.Path()));
  const double runSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const Tree done = Snapshot(ref.Path());
  ASSERT_EQ(done.size(), before.size());
  ASSERT_TRUE(TempFilesIn(done).empty());
  int differing = 0;
  for (const auto& [rel, bytes] : before) differing += done.at(rel) != bytes;
  ASSERT_GT(differing, 200);

  const int rounds = LongTestsWanted() ? 200 : 30;
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> delay(0.0, runSeconds * 1.3);
  int cutShort = 0, finished = 0, strayAfterKill = 0, partlyDone = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE(round);
    ScratchDir d;
    BuildTree(d.Path(), before);
    const double wait = delay(rng);
    fflush(stdout);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      BatchThreadProc(KillJob(d.Path()));
      _exit(0);
    }
    struct timespec ts = {time_t(wait), long((wait - double(time_t(wait))) * 1e9)};
    nanosleep(&ts, nullptr);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const bool killed = WIFSIGNALED(status);
    killed ? ++cutShort : ++finished;

    const Tree after = Snapshot(d.Path());
    const std::vector<std::string> temps = TempFilesIn(after);
    if (!killed) {
      EXPECT_TRUE(temps.empty()) << "a finished run left " << temps.size() << " temporary files";
    }
    strayAfterKill += killed ? int(temps.size()) : 0;
    int newOnes = 0;
    for (const auto& [rel, bytes] : before) {
      auto it = after.find(rel);
      ASSERT_NE(it, after.end()) << rel << " is gone";
      const bool isOld = it->second == bytes, isNew = it->second == done.at(rel);
      ASSERT_TRUE(isOld || isNew) << rel << " holds neither its old nor its new bytes";
      newOnes += isNew && !isOld;
    }
    if (newOnes > 0 && newOnes < differing) ++partlyDone;
    // Nothing but the user's files and the engine's temporary files.
    EXPECT_EQ(after.size(), before.size() + temps.size());
  }
  printf("[ info ] %d rounds: %d killed (%d part way through the files), %d finished; "
         "%d temporary files left by killed runs; one run takes %.3f s\n",
         rounds, cutShort, partlyDone, finished, strayAfterKill, runSeconds);
  EXPECT_GT(partlyDone, 0) << "no kill landed inside the content pass";
}

}  // namespace
