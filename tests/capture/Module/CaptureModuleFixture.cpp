#include "CaptureModuleFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <glib.h>

#include "TestEnvironment.h"
#include "media/CaptureDevices.h"
#include "qel/QelHeadless.h"
#include "LoopWait.h"
#include "MediaTools.h"

namespace fs = std::filesystem;

namespace {

std::string PlistFile() {
  return std::string(std::getenv("XDG_CONFIG_HOME")) + "/dunsellow/com.Talvexa.Orvenna.plist";
}

std::string RunCommand(const std::string& command) { return mediatools::RunLine(command); }

}  // namespace

void CaptureModuleTest::SetUp() {
  qel::headless::ClearModalAnswers();
  trace_ = testenv::MakeTempDir("trace") / "trace.log";
  ::setenv("DUNSELLOW_TRACE", trace_.c_str(), 1);
  ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
  ::setenv("DUNSELLOW_CAPTURE_DEVICES", "synthetic", 1);
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1280x720,fps=30", 1);
}

void CaptureModuleTest::UseNoCamera() {
  ::setenv("DUNSELLOW_CAPTURE_DEVICES", "real", 1);
  media::SetDeviceMode(media::DeviceMode::RealOnly);
  if (!media::ListVideoDevices().empty()) GTEST_SKIP() << "this machine has a camera";
}

bool CaptureModuleTest::WaitFor(const std::function<bool()>& done, int seconds) {
  return testloop::PumpUntil(done, unsigned(seconds));
}

bool CaptureModuleTest::WaitForPicture() {
  return WaitFor([this] { return !Trace("capture first frame").empty(); });
}

void CaptureModuleTest::TearDown() {
  if (started_) theApp.ExitInstance();
  qel::headless::ClearModalAnswers();
  ::unsetenv("DUNSELLOW_TRACE");
}

void CaptureModuleTest::Start() {
  ASSERT_EQ(theApp.InitInstance(), 1);
  started_ = true;
  Frame().SetProcessTable(&processes_);
  Pump();
}

void CaptureModuleTest::Pump() { qel::headless::PumpUntilIdle(); }

int32_t CaptureModuleTest::Command(const std::u16string& text) {
  theApp.SetMacCommandLine(text.c_str());
  int32_t result = Frame().GetCommand();
  Pump();
  return result;
}

void CaptureModuleTest::LaunchCapture() {
  Command(u"-Capture/Open");
  ASSERT_FALSE(Trace("capture panel ready").empty()) << "the capture module did not start";
}

qel::Element* CaptureModuleTest::Find(const char* name) {
  return Frame().Root() ? Frame().Root()->FindByName(name, true) : nullptr;
}

bool CaptureModuleTest::Shown(const char* name) {
  qel::Element* e = Find(name);
  return e && e->EffectivelyVisible();
}

bool CaptureModuleTest::Enabled(const char* name) {
  qel::Element* e = Find(name);
  return e && e->EffectivelyEnabled();
}

std::string CaptureModuleTest::Preference(const std::string& key) const {
  if (!fs::exists(PlistFile())) return "null";
  return RunCommand("/usr/bin/python3 -I -c 'import json,plistlib,sys; d=plistlib.load(open(sys.argv[1],\"rb\")); "
             "print(json.dumps(d.get(sys.argv[2])))' '" + PlistFile() + "' '" + key + "'");
}

void CaptureModuleTest::SeedPreferences(const std::string& pythonDict) const {
  fs::create_directories(fs::path(PlistFile()).parent_path());
  RunCommand("/usr/bin/python3 -I -c 'import plistlib,sys; plistlib.dump(" + pythonDict + ", open(sys.argv[1],\"wb\"))' '" +
      PlistFile() + "'");
}

std::vector<std::string> CaptureModuleTest::Trace(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::ifstream in(trace_);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

fs::path CaptureModuleTest::MediaFolder() const {
  return fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media";
}
