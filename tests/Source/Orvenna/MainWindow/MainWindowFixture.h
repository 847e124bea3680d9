#pragma once
// The main program in this process on the headless backend: a test bundle
// with the program's own layouts and staged test modules, started through
// the application object, with the modules' calls read from their log.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MyQelApp.h"
#include "TestModules.h"
#include "os/ProcessTable.h"
#include "qel/QelElement.h"

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path Modules() const { return app_ / "Contents/Modules"; }
  void Stage(const orvtest::ModuleSetup& setup) { orvtest::StageModule(Modules(), setup); }
  // Starts the program (the modules staged so far are found).
  void Start();
  // Delivers what is posted and lets the animations end.
  void Pump();
  // One command line, as another program sends it.
  int32_t Command(const std::u16string& text);

  CMyMainFrame& Frame() { return *theApp.GetMainFrame(); }
  qel::Element* Find(const char* name);
  bool Shown(const char* name);
  // Shown, and not clipped away by a panel that clips its children.
  bool InView(const char* name);
  // The module icons on the home page, in display order (their texts).
  std::vector<std::string> IconTexts();
  qel::Element* IconOf(const std::string& moduleName);
  // Logged calls, optionally only those of one kind ("PreTranslateMessage").
  std::vector<std::string> Calls(const std::string& containing = {}) const;
  void ClearCalls();

  std::filesystem::path dir_, app_, log_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};
