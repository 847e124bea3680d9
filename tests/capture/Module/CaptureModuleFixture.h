#pragma once
// The main program in this process on the headless backend, with the staged
// bundle tree and its real capture module; preferences are read back from
// the property list by Python's plistlib, and the plug-in's trace lines
// from DUNSELLOW_TRACE.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MyQelApp.h"
#include "os/ProcessTable.h"
#include "qel/QelElement.h"

class CaptureModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Start();
  void Pump();
  // One command line, as another program sends it.
  int32_t Command(const std::u16string& text);
  // Launches the capture module embedded, as "-Capture/..." does.
  void LaunchCapture();
  // The stand-in camera (the default of every test) is a moving test
  // picture; no camera at all skips the test on a machine that has one.
  void UseNoCamera();
  // Runs the loop (timers on the real clock) until `done`; false when a
  // generous guard ran out first.
  bool WaitFor(const std::function<bool()>& done, int seconds = 30);
  // Until the live picture has shown its first frame.
  bool WaitForPicture();

  CMyMainFrame& Frame() { return *theApp.GetMainFrame(); }
  qel::Element* Find(const char* name);
  bool Shown(const char* name);
  bool Enabled(const char* name);

  // A preference of the main program's domain as JSON text ("null" when
  // absent), read by an independent reader.
  std::string Preference(const std::string& key) const;
  // Stores preferences before start: a plist written by plistlib.
  void SeedPreferences(const std::string& pythonDict) const;
  std::vector<std::string> Trace(const std::string& prefix = {}) const;
  std::filesystem::path MediaFolder() const;

  std::filesystem::path trace_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};
