#include "DialogFixture.h"

#include <filesystem>

#include "TestEnvironment.h"
#include "qel/QelMenuBar.h"
#include "qel/QelMessage.h"
#include "qel/QelPath.h"

namespace fs = std::filesystem;

void DialogTest::SetUp() {
  MainWindowTest::SetUp();
  fs::copy(testenv::SourceDir() / "Source/Orvenna/Resources", app_ / "Contents/Resources",
           fs::copy_options::recursive);
  qel::headless::ClearFileChoosers();
  qel::headless::ClearModalAnswers();
  ResetMediaFolderCheckProbes();
}

void DialogTest::TearDown() {
  ResetMediaFolderCheckProbes();
  MainWindowTest::TearDown();
}

void DialogTest::Inside(std::function<void()> step) { qel::RunOnMain(std::move(step)); }

bool DialogTest::Menu(const char* command) {
  uint32_t code = (uint32_t(uint8_t(command[0])) << 24) | (uint32_t(uint8_t(command[1])) << 16) |
                  (uint32_t(uint8_t(command[2])) << 8) | uint32_t(uint8_t(command[3]));
  bool chosen = QelChooseMenuCommand(&Frame(), code);
  Pump();
  return chosen;
}

void DialogTest::AcceptEveryFolder() {
  MediaFolderProbes& p = MediaFolderCheckProbes();
  p.driveType = [](const std::string&) { return int32_t(QEL_DRIVE_FIXED); };
  p.freeBytes = [](const std::string&) { return int64_t(1) << 40; };
  p.canCreateFolder = [](const std::string&) { return true; };
}
