// Faults around a run: files and folders that refuse writing, files held by someone else, folders
// that cannot be listed, files that vanish under the run, a disk that fills up while the new
// content is written. After each, every file holds its old bytes or its new ones, and the user
// is told about exactly the files that kept their old bytes against the job's wish.
#include <cerrno>
#include <cstring>
#include <set>

#include "tests/reliability/rel_fixture.h"

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace ztest;

namespace {

using Faults = RelTest;

TEST_F(Faults, ReadOnlyFileKeptReadOnlyFolderStillWorkedIn) {
  BuildTree(dir.Path(), {{"ro.txt", "foo\n"}, {"rw.txt", "foo\n"}, {"rodir\\", ""}, {"rodir\\in.txt", "foo\n"}});
  ASSERT_TRUE(SetFileAttributesW(dir / _T("ro.txt"), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesW(dir / _T("rodir"), FILE_ATTRIBUTE_READONLY));
  // Wine keeps no read-only mark on a folder; where the platform keeps one, the run keeps it.
  const bool folderMarkKept = (GetFileAttributesW(dir / _T("rodir")) & FILE_ATTRIBUTE_READONLY) != 0;
  RunJob(ContentJob(dir.Path(), {_T("foo")}, {_T("bar")}));
  // A read-only folder only guards its own entry, as on Windows: the files in it are rewritten.
  EXPECT_EQ(Snapshot(dir.Path()),
            (Tree{{"ro.txt", "foo\n"}, {"rw.txt", "bar\r\n"}, {"rodir\\", ""}, {"rodir\\in.txt", "bar\r\n"}}));
  EXPECT_TRUE(GetFileAttributesW(dir / _T("ro.txt")) & FILE_ATTRIBUTE_READONLY);
  if (folderMarkKept) {
    EXPECT_TRUE(GetFileAttributesW(dir / _T("rodir")) & FILE_ATTRIBUTE_READONLY);
  }
  // Passed over on purpose, so nothing to report as unwritten.
  EXPECT_EQ(BoxTexts(dialogs), "");
  SetFileAttributesW(dir / _T("rodir"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Faults, FileHeldOpenWithoutSharing) {
#ifndef _WIN32
  GTEST_SKIP() << "the POSIX stand-in has no share modes; this case runs under Wine";
#else
  BuildTree(dir.Path(), {{"held.txt", "foo\n"}, {"free.txt", "foo\n"}});
  HANDLE h = CreateFileW(dir / _T("held.txt"), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  RunJob(ContentJob(dir.Path(), {_T("foo")}, {_T("bar")}));
  CloseHandle(h);
  EXPECT_EQ(Snapshot(dir.Path()), (Tree{{"held.txt", "foo\n"}, {"free.txt", "bar\r\n"}}));
#endif
}

TEST_F(Faults, FolderThatCannotBeListed) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine runs as the Unix user of the tests and lists every folder that user can";
#else
  if (geteuid() == 0) GTEST_SKIP() << "running as root, which lists every folder whatever its mode";
  BuildTree(dir.Path(), {{"shut\\", ""}, {"shut\\in.txt", "foo\n"}, {"open.txt", "foo\n"}});
  const std::string shut = Utf8(dir.Path()) + "/shut";
  ASSERT_EQ(chmod(shut.c_str(), 0), 0);
  RunJob(ContentJob(dir.Path(), {_T("foo")}, {_T("bar")}));
  chmod(shut.c_str(), 0755);
  EXPECT_EQ(Snapshot(dir.Path()), (Tree{{"shut\\", ""}, {"shut\\in.txt", "foo\n"}, {"open.txt", "bar\r\n"}}));
#endif
}

#ifndef _WIN32
// The first progress step comes from the walk, once the folder has been read: what is done to
// the tree then is done between collection and reading.
struct VanishRow {
  const char* name;
  bool asFolder;  // the file is replaced by a folder of the same name
};

class Vanish : public RelTest, public ::testing::WithParamInterface<VanishRow> {};

TEST_P(Vanish, FileGoneBetweenCollectionAndReading) {
  BuildTree(dir.Path(), {{"a.txt", "foo\n"}, {"gone.txt", "foo\n"}, {"z.txt", "foo\n"}});
  const CString gone = dir / _T("gone.txt");
  const bool asFolder = GetParam().asFolder;
  bool done = false;
  HWND wnd = PosixCreateStandInWindow([&](UINT, WPARAM, LPARAM) -> LRESULT {
    if (!done) {
      done = true;
      DeleteFileW(gone);
      if (asFolder) CreateDirectoryW(gone, nullptr);
    }
    return 1;
  });
  g_hMainWnd = wnd;
  RunJob(ContentJob(dir.Path(), {_T("foo")}, {_T("bar")}));
  PosixDestroyStandInWindow(wnd);
  Tree want = {{"a.txt", "bar\r\n"}, {"z.txt", "bar\r\n"}};
  if (asFolder) want["gone.txt\\"] = "";
  EXPECT_TRUE(done);
  EXPECT_EQ(Snapshot(dir.Path()), want);
  EXPECT_EQ(BoxTexts(dialogs).find("无法写回"), std::string::npos) << BoxTexts(dialogs);
}

INSTANTIATE_TEST_SUITE_P(Faults, Vanish, ::testing::Values(VanishRow{"deleted", false}, VanishRow{"folder", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The disk fills up after `budget` bytes of writing, anywhere in the run.
class DiskFull : public RelTest, public ::testing::WithParamInterface<long long> {};

TEST_P(DiskFull, EachFileOldOrNewAndTheOldOnesNamed) {
  const Tree before = {{"a.txt", "foo one\n"}, {"b.txt", "two foo\n"}, {"c.txt", "foo\nfoo\n"},
                       {"d.txt", "\xEF\xBB\xBF" "foo 中\n"}};
  BuildTree(dir.Path(), before);
  PosixFailWritesAfter(GetParam());
  RunJob(ContentJob(dir.Path(), {_T("foo")}, {_T("bar")}));
  PosixFailWritesAfter(-1);
  const Tree after = Snapshot(dir.Path());
  const std::string boxes = BoxTexts(dialogs);
  EXPECT_TRUE(TempFilesIn(after).empty());
  int old = 0;
  for (const auto& [rel, bytes] : before) {
    const Bytes want = Substituted(Substituted(bytes, "foo", "bar"), "\n", "\r\n");
    ASSERT_TRUE(after.count(rel)) << rel;
    const Bytes& got = after.at(rel);
    EXPECT_TRUE(got == bytes || got == want) << rel << " holds neither its old nor its new bytes";
    const bool named = boxes.find("\\" + rel) != std::string::npos;
    if (got == bytes) ++old;
    EXPECT_EQ(named, got == bytes) << rel << " | " << boxes;
  }
  EXPECT_EQ(after.size(), before.size());
  if (GetParam() < 0) {
    EXPECT_EQ(old, 0);
  }
  if (GetParam() == 0) {
    EXPECT_EQ(old, 4);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, DiskFull, ::testing::Values(0LL, 1LL, 5LL, 9LL, 10LL, 20LL, 30LL, 40LL, 43LL, 60LL, -1LL));

// A real file system that runs out of room, where root may mount one.
TEST_F(Faults, SmallFileSystemFillsUp) {
  const std::string mnt = Utf8(dir.Path()) + "/small";
  ASSERT_EQ(mkdir(mnt.c_str(), 0755), 0);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << strerror(errno) << ")";
  struct Unmount {
    std::string at;
    ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
  } unmount{mnt};
  Bytes big;
  while (big.size() < 40000) big += "foo is here\n";
  BuildTree(dir.Path(), {{"small\\big.txt", big}, {"small\\tiny.txt", "foo\n"}});
  RunJob(ContentJob(dir.Path(), {_T("foo")}, {_T("bar")}));
  const Tree after = Snapshot(dir.Path());
  EXPECT_TRUE(TempFilesIn(after).empty());
  // The big file needs a second copy's room, which the file system does not have.
  EXPECT_EQ(after.at("small\\big.txt"), big);
  EXPECT_EQ(after.at("small\\tiny.txt"), "bar\r\n");
  EXPECT_NE(BoxTexts(dialogs).find("small\\big.txt"), std::string::npos) << BoxTexts(dialogs);
}
#endif

}  // namespace
