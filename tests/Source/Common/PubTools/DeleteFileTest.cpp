#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ORVPubTools.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

CQelStringW W(const fs::path& p) { return CQelStringW(QelFromUTF8(p.string()).c_str()); }

fs::path TrashFiles() { return fs::path(std::getenv("XDG_DATA_HOME")) / "Trash" / "files"; }

}  // namespace

TEST(DeleteFile, TrashAnswersSuccessOnlyWhenEveryPathWent) {
  fs::path dir = testenv::MakeTempDir("trash");
  testenv::WriteFile(dir / "photo 1.jpg", "a");
  testenv::WriteFile(dir / "photo 2.jpg", "b");

  std::vector<CQelStringW> failed;
  EXPECT_EQ(CORVPubTools::DeleteFile(W(dir / "photo 1.jpg"), nullptr, 1, 0, &failed), 1);
  EXPECT_TRUE(failed.empty());
  EXPECT_FALSE(fs::exists(dir / "photo 1.jpg"));
  EXPECT_TRUE(fs::exists(TrashFiles() / "photo 1.jpg"));

  // A missing file is a failure, reported by path; the others still go.
  std::list<CQelStringW> paths{W(dir / "missing.jpg"), W(dir / "photo 2.jpg")};
  EXPECT_EQ(CORVPubTools::DeleteFile(paths, nullptr, 1, 0, &failed), 0);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].ToUTF8(), (dir / "missing.jpg").string());
  EXPECT_FALSE(fs::exists(dir / "photo 2.jpg"));

  EXPECT_EQ(CORVPubTools::DeleteFile(W(dir / "missing.jpg"), nullptr, 1), 0);
  EXPECT_EQ(CORVPubTools::DeleteFile(static_cast<const WCHAR*>(nullptr), nullptr, 1), 0);
  EXPECT_EQ(CORVPubTools::DeleteFile(std::list<CQelStringW>{}, nullptr, 1), 1);
}

TEST(DeleteFile, DirectDeleteReportsWhatStayed) {
  fs::path dir = testenv::MakeTempDir("delete");
  testenv::WriteFile(dir / "a.mov", "a");
  testenv::WriteFile(dir / "b.mov", "b");
  std::vector<CQelStringW> failed;
  std::list<CQelStringW> paths{W(dir / "a.mov"), W(dir / "gone.mov"), W(dir / "b.mov")};
  EXPECT_EQ(CORVPubTools::DeleteFile(paths, nullptr, 0, 0, &failed), 0);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].ToUTF8(), (dir / "gone.mov").string());
  EXPECT_FALSE(fs::exists(dir / "a.mov"));
  EXPECT_FALSE(fs::exists(dir / "b.mov"));
  EXPECT_FALSE(fs::exists(TrashFiles() / "a.mov"));

  testenv::WriteFile(dir / "c.mov", "c");
  EXPECT_EQ(CORVPubTools::DeleteFile(W(dir / "c.mov"), nullptr, 0), 1);
  EXPECT_EQ(CORVPubTools::DeleteFile(std::list<CQelStringW>{}, nullptr, 0), 0);
}
