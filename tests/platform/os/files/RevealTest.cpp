#include "os/Reveal.h"

#include <gtest/gtest.h>

#include "TestEnvironment.h"

namespace {

TEST(Reveal, HeadlessRecordsInsteadOfShowing) {
  auto dir = testenv::MakeTempDir("rev");
  testenv::WriteFile(dir / "a.jpg", "x");
  plat::ClearHeadlessDesktopCalls();
  EXPECT_EQ(plat::RevealInFileManager((dir / "a.jpg").string()), 0);
  EXPECT_EQ(plat::OpenWithDefaultHandler(dir.string()), 0);
  EXPECT_EQ(plat::RevealInFileManager((dir / "none.jpg").string()), -1);
  EXPECT_EQ(plat::OpenWithDefaultHandler("relative/page.html"), -1);
  EXPECT_EQ(plat::HeadlessDesktopCalls(),
            (std::vector<std::string>{"reveal " + (dir / "a.jpg").string(), "open " + dir.string()}));
}

}  // namespace
