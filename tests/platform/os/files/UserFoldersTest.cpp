#include "os/UserFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& p) {
  struct stat st;
  EXPECT_EQ(lstat(p.c_str(), &st), 0) << p;
  return st.st_mode & 07777;
}

TEST(UserFolders, RuntimeAndTemporaryFoldersArePrivate) {
  std::string runtime = plat::RuntimeFolder();
  EXPECT_EQ(runtime, std::string(std::getenv("XDG_RUNTIME_DIR")) + "/dunsellow");
  EXPECT_EQ(ModeOf(runtime), 0700u);
  std::string items = plat::TemporaryItemsFolder();
  EXPECT_EQ(ModeOf(items), 0700u);
  std::string a = plat::MakePrivateTempFolder("ORVSendmail-"), b = plat::MakePrivateTempFolder("ORVSendmail-");
  EXPECT_NE(a, b);
  EXPECT_EQ(ModeOf(a), 0700u);
  EXPECT_EQ(fs::path(a).parent_path().string(), items);
  EXPECT_EQ(plat::MakePrivateTempFolder("../x"), "");
}

TEST(UserFolders, FallbackUnderTempRefusesLinksAndTightensMode) {
  unsetenv("XDG_RUNTIME_DIR");
  std::string expect = std::string(std::getenv("TMPDIR")) + "/dunsellow-" + std::to_string(geteuid());
  // Somebody planted a link where our folder goes: refused, not followed.
  auto target = testenv::MakeTempDir("elsewhere");
  fs::create_directory_symlink(target, expect);
  EXPECT_EQ(plat::RuntimeFolder(), "");
  fs::remove(expect);
  // A folder of ours that is too open is made private.
  fs::create_directory(expect);
  chmod(expect.c_str(), 0777);
  EXPECT_EQ(plat::RuntimeFolder(), expect);
  EXPECT_EQ(ModeOf(expect), 0700u);
  // A plain file in the way is refused too.
  fs::remove(expect);
  testenv::WriteFile(expect, "x");
  EXPECT_EQ(plat::RuntimeFolder(), "");
}

TEST(UserFolders, ExclusiveFilesGetANumberedNameWhenTaken) {
  auto dir = testenv::MakeTempDir("excl").string();
  std::string p1, p2;
  int f1 = plat::CreateExclusiveFile(dir, "12_34.xml", &p1);
  int f2 = plat::CreateExclusiveFile(dir, "12_34.xml", &p2);
  ASSERT_GE(f1, 0);
  ASSERT_GE(f2, 0);
  close(f1);
  close(f2);
  EXPECT_EQ(p1, dir + "/12_34.xml");
  EXPECT_EQ(p2, dir + "/12_34_1.xml");
  EXPECT_EQ(ModeOf(p2), 0600u);
  EXPECT_EQ(plat::CreateExclusiveFile(dir, "a/b", &p1), -1);
}

TEST(UserFolders, DocumentsAndPicturesFallBackUnderHome) {
  std::string home = std::getenv("HOME");
  EXPECT_EQ(plat::DocumentsFolder(), home + "/Documents");
  EXPECT_EQ(plat::PicturesFolder(), home + "/Pictures");
  EXPECT_TRUE(fs::is_directory(home + "/Documents"));
}

TEST(UserFolders, DocumentsFromUserDirsFile) {
  std::string home = std::getenv("HOME");
  testenv::WriteFile(fs::path(std::getenv("XDG_CONFIG_HOME")) / "user-dirs.dirs",
                     "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(plat::DocumentsFolder(), home + "/Dokumente");
  EXPECT_EQ(plat::PicturesFolder(), home + "/Bilder");
}

}  // namespace
