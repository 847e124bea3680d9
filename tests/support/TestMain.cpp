#include <gtest/gtest.h>

namespace testenv {
void CreateRoot();
void RemoveRoot();
}  // namespace testenv

int main(int argc, char** argv) {
  testenv::CreateRoot();
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  testenv::RemoveRoot();
  return rc;
}
