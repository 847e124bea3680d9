#include "MainWindowFixture.h"

#include <algorithm>
#include <cstdlib>

#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

void MainWindowTest::SetUp() {
  dir_ = testenv::MakeTempDir("mainwindow");
  app_ = orvtest::MakeTestApp(dir_);
  fs::copy(testenv::SourceDir() / "Source/Orvenna/UI", app_ / "Contents/UI", fs::copy_options::recursive);
  log_ = dir_ / "calls.log";
  setenv("DUNSELLOW_BUNDLE", app_.c_str(), 1);
  setenv(orvtest::kCallLogEnv, log_.c_str(), 1);
}

void MainWindowTest::TearDown() {
  if (started_) theApp.ExitInstance();
}

void MainWindowTest::Start() {
  ASSERT_EQ(theApp.InitInstance(), 1);
  started_ = true;
  Frame().SetProcessTable(&processes_);
  Pump();
}

void MainWindowTest::Pump() { qel::headless::PumpUntilIdle(); }

int32_t MainWindowTest::Command(const std::u16string& text) {
  theApp.SetMacCommandLine(text.c_str());
  return Frame().GetCommand();
}

qel::Element* MainWindowTest::Find(const char* name) {
  return Frame().Root() ? Frame().Root()->FindByName(name, true) : nullptr;
}

bool MainWindowTest::Shown(const char* name) {
  qel::Element* e = Find(name);
  return e && e->EffectivelyVisible();
}

bool MainWindowTest::InView(const char* name) {
  qel::Element* e = Find(name);
  if (!e || !e->EffectivelyVisible()) return false;
  SRect32 r = e->Bounds();
  for (qel::Element* p = e->Parent(); p; p = p->Parent()) {
    if (!p->ClipsChildren()) continue;
    SRect32 c = p->Bounds();
    r = SRect32{std::max(r.left, c.left), std::max(r.top, c.top), std::min(r.right, c.right), std::min(r.bottom, c.bottom)};
  }
  return r.right > r.left && r.bottom > r.top;
}

std::vector<std::string> MainWindowTest::IconTexts() {
  std::vector<std::string> texts;
  qel::Element* row = Find("cata_Butn");
  if (!row) return texts;
  for (qel::Element* icon : row->Children()) {
    if (qel::Element* active = icon->FindByName("butn_active", true)) texts.push_back(QelToUTF8(active->Text()));
  }
  return texts;
}

qel::Element* MainWindowTest::IconOf(const std::string& moduleName) {
  qel::Element* row = Find("cata_Butn");
  if (!row) return nullptr;
  for (qel::Element* icon : row->Children()) {
    qel::Element* active = icon->FindByName("butn_active", true);
    if (active && QelToUTF8(active->Text()) == moduleName) return active;
  }
  return nullptr;
}

std::vector<std::string> MainWindowTest::Calls(const std::string& containing) const {
  std::vector<std::string> out;
  for (const std::string& line : orvtest::ReadCallLog(log_)) {
    if (containing.empty() || line.find(containing) != std::string::npos) out.push_back(line);
  }
  return out;
}

void MainWindowTest::ClearCalls() { fs::remove(log_); }
