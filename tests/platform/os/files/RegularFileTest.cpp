// Files from outside are read only when they are regular files: a named
// pipe nobody writes to, a device or a folder are refused at once.
#include "os/RegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestEnvironment.h"
#include "os/PropertyList.h"

namespace {

TEST(RegularFile, PipesDevicesAndFoldersAreRefusedWithoutBlocking) {
  const std::filesystem::path dir = testenv::MakeTempDir("regular");
  const std::string fifo = (dir / "list.plist").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string file = (dir / "ok.plist").string();
  testenv::WriteFile(file, "<plist version=\"1.0\"><string>yes</string></plist>");
  std::string text = "old";
  for (const std::string& path : {fifo, std::string("/dev/zero"), dir.string(), (dir / "none").string()}) {
    EXPECT_FALSE(plat::ReadRegularFile(path, text)) << path;
    EXPECT_TRUE(text.empty()) << path;
  }
  EXPECT_FALSE(plat::ReadPropertyListFile(fifo).has_value());
  ASSERT_TRUE(plat::ReadRegularFile(file, text));
  EXPECT_EQ(text.size(), 49u);
  EXPECT_FALSE(plat::ReadRegularFile(file, text, 10)) << "over the limit";
  ASSERT_TRUE(plat::ReadPropertyListFile(file).has_value());
}

}  // namespace
