#include "AppFixture.h"

#include <cstdlib>

#include "TestEnvironment.h"
#include "qel/QelHeadless.h"

std::filesystem::path AppTest::StagedBundle() { return testenv::StageDir() / "Dunsellow.app"; }

void AppTest::UseBundle(const std::filesystem::path& bundle) {
  ::setenv("DUNSELLOW_BUNDLE", bundle.c_str(), 1);
}

void AppTest::SetUp() { UseBundle(StagedBundle()); }

void AppTest::Start() {
  ASSERT_EQ(theApp.InitInstance(), 1);
  started_ = true;
  qel::headless::PumpUntilIdle();
}

void AppTest::TearDown() {
  if (started_) theApp.ExitInstance();
}
