#pragma once
// Runs the main program's start-up in this process against the staged
// bundle tree, and ends it again.
#include <gtest/gtest.h>

#include <filesystem>

#include "MyQelApp.h"

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Points the main bundle at `bundle` (default: the staged Dunsellow.app).
  static void UseBundle(const std::filesystem::path& bundle);
  static std::filesystem::path StagedBundle();
  // InitInstance, with a check that it answered 1.
  void Start();

  bool started_ = false;
};
