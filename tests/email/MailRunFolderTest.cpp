// The folders that hold a run's copies: private, new for every run, stale
// ones cleared, and the oldest reused only when all numbers are taken.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include "MailRunFolder.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

fs::path NewRunFolder() {
  std::u16string folder;
  EXPECT_EQ(GetSaveFilePath(&folder), 1);
  std::string path = QelToUTF8(folder);
  EXPECT_EQ(path.back(), '/');
  return fs::path(path).parent_path();
}

int Mode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return int(st.st_mode & 0777);
}

class MailRunFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CACHE_HOME", testenv::MakeTempDir("cache").c_str(), 1);
    base_ = fs::path(std::getenv("XDG_CACHE_HOME")) / "dunsellow" / "ORVSendmail";
  }
  fs::path base_;
};

TEST_F(MailRunFolder, EveryRunGetsAPrivateFolderOfItsOwn) {
  const fs::path first = NewRunFolder();
  testenv::WriteFile(first / "Attachment0.jpg", "still read by the mail program");
  const fs::path second = NewRunFolder();
  EXPECT_EQ(first, base_ / "0");
  EXPECT_EQ(second, base_ / "1");
  EXPECT_TRUE(fs::exists(first / "Attachment0.jpg"));
  for (const fs::path& p : {base_, first, second}) EXPECT_EQ(Mode(p), 0700) << p;
}

TEST_F(MailRunFolder, StaleFoldersGoAndAFullSetReusesTheOldest) {
  fs::create_directories(base_);
  const auto now = fs::file_time_type::clock::now();
  for (int n = 0; n < 99; ++n) fs::create_directory(base_ / std::to_string(n));
  testenv::WriteFile(base_ / "0" / "Attachment0.mov", "oldest");
  for (int n = 0; n < 99; ++n) fs::last_write_time(base_ / std::to_string(n), now - std::chrono::minutes(99 - n));
  fs::create_directory(base_ / "keep");  // not a run folder: left alone
  fs::last_write_time(base_ / "keep", now - std::chrono::hours(48));
  // All 99 are taken and none is stale: the one written longest ago is emptied.
  EXPECT_EQ(NewRunFolder(), base_ / "0");
  EXPECT_TRUE(fs::is_empty(base_ / "0"));
  // A day later the others are stale and go; numbering starts again.
  fs::last_write_time(base_ / "0", now);
  for (int n = 1; n < 99; ++n) fs::last_write_time(base_ / std::to_string(n), now - std::chrono::hours(25));
  EXPECT_EQ(NewRunFolder(), base_ / "1");
  EXPECT_FALSE(fs::exists(base_ / "2"));
  EXPECT_TRUE(fs::exists(base_ / "keep"));
}

TEST_F(MailRunFolder, ALinkInPlaceOfTheWorkingFolderIsRefused) {
  fs::create_directories(base_.parent_path());
  const fs::path elsewhere = testenv::MakeTempDir("elsewhere");
  fs::create_directory_symlink(elsewhere, base_);
  std::u16string folder;
  EXPECT_EQ(GetSaveFilePath(&folder), 0);
  EXPECT_TRUE(fs::is_empty(elsewhere));
}

}  // namespace
