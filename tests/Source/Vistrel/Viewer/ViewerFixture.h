#pragma once
// The viewer started in this process on the headless backend, from the
// staged bundle, with pictures from a fake reader.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "App.h"
#include "FakePictureReader.h"
#include "MainFrame.h"

namespace vistreltest {

class ViewerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the user's settings file before start-up.
  void SaveUserSettings(const std::string& xml);
  // Runs the viewer's start-up (InitInstance); false when it failed.
  bool Start();
  // Pictures the reader knows, files on disk in a temporary folder.
  std::vector<std::u16string> MakePictures(int count, int width = 4000, int height = 3000);
  // Hands a command line to the running viewer as the socket would.
  void SendCommandLine(const std::u16string& text);
  // Waits until the shown picture is settled (not read any more).
  bool Settle();
  CMainFrame& Main() { return *theApp.GetMainFrame(); }
  std::u16string Title() { return std::u16string(Main().Title()); }
  bool Enabled(const char* name);
  bool Visible(const char* name);

  FakePictureReader reader_;
  std::string folder_;
  bool started_ = false;
};

}  // namespace vistreltest
