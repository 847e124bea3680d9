#include "os/Trash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;

TEST(Trash, MovesFilesAndReportsEachPathHonestly) {
  auto dir = testenv::MakeTempDir("trash");
  testenv::WriteFile(dir / "photo 1.jpg", "jpeg");
  testenv::WriteFile(dir / "movie.mov", "mov");
  std::vector<std::string> paths = {(dir / "photo 1.jpg").string(), (dir / "missing.jpg").string(),
                                    (dir / "movie.mov").string(), "relative.jpg"};
  auto outcomes = plat::MoveToTrash(paths);
  ASSERT_EQ(outcomes.size(), 4u);
  EXPECT_TRUE(outcomes[0].moved) << outcomes[0].error;
  EXPECT_FALSE(outcomes[1].moved);
  EXPECT_FALSE(outcomes[1].error.empty());
  EXPECT_TRUE(outcomes[2].moved) << outcomes[2].error;
  EXPECT_FALSE(outcomes[3].moved);
  EXPECT_FALSE(plat::AllMoved(outcomes));

  EXPECT_FALSE(fs::exists(dir / "photo 1.jpg"));
  fs::path trash = fs::path(std::getenv("XDG_DATA_HOME")) / "Trash";
  EXPECT_EQ(testenv::ReadFile(trash / "files" / "photo 1.jpg"), "jpeg");
  std::string info = testenv::ReadFile(trash / "info" / "photo 1.jpg.trashinfo");
  EXPECT_NE(info.find("Path="), std::string::npos);
  EXPECT_NE(info.find("DeletionDate="), std::string::npos);
}

TEST(Trash, NothingMissingMeansAllMoved) {
  EXPECT_TRUE(plat::AllMoved(plat::MoveToTrash({})));
  auto only = plat::MoveToTrash({(testenv::MakeTempDir("t") / "gone").string()});
  EXPECT_FALSE(plat::AllMoved(only));
}

}  // namespace
