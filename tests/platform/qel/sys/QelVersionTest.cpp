#include <gtest/gtest.h>
#include <cstdlib>
#include "TestEnvironment.h"
#include "qel/QelVersion.h"

TEST(TestEnvironment, RunsInPrivateHome) {
  ASSERT_NE(std::getenv("HOME"), nullptr);
  EXPECT_EQ(std::string(std::getenv("HOME")), (testenv::Root() / "home").string());
  EXPECT_STREQ(QelVersionString(), "1.0");
}
