#pragma once
// The player started in this process on the headless backend from the
// staged bundle, on the manual clock (the play timer ticks when a test says
// so; the movie's own clock is real time), with clips made by ffmpeg.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "App.h"
#include "MainFrame.h"
#include "os/Power.h"
#include "qel/QelElement.h"

namespace playertest {

namespace fs = std::filesystem;

struct ClipSpec {
  double seconds = 1.0;
  int width = 160;
  int height = 120;
  int rate = 25;
  bool sound = true;
  bool picture = true;
};

class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  bool Start();
  // A clip of the test source (the frame number and the time drawn in it)
  // with a 440 Hz tone, made once per name.
  fs::path Clip(const std::string& name, const ClipSpec& spec = {});
  // An asset list as the albums write it; `first` is the FirstFile text.
  fs::path AssetList(const std::vector<std::string>& files, const std::string& first,
                     const std::string& name = "assets.xml");
  static std::u16string Command(const fs::path& list);
  void Send(const std::u16string& text);
  // One turn of the play timer (200 ms of the manual clock).
  void Tick();
  // Runs the loop until the condition holds (false after a guard).
  bool Until(const std::function<bool()>& done, unsigned seconds = 20);

  CMainFrame& Main() { return *theApp.GetMainFrame(); }
  qel::Element* E(const char* name);
  std::u16string Text(const char* name);
  std::vector<std::u16string> Playlist();

  fs::path folder_;
  bool started_ = false;
  // The system's sleep as the tests script it (never the machine's own).
  plat::FakePowerSource* power_ = nullptr;
};

}  // namespace playertest
