#pragma once
// A test main bundle with staged modules, the window panels the manager
// works on, and a host that records what the manager tells it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "IORVMainModule.h"
#include "ModuleMgr.h"
#include "TestModules.h"
#include "qel/QelElement.h"

class CRecordingHost : public IORVMainModule {
 public:
  int32_t AddRef() override { return 1; }
  int32_t Release() override { return 1; }
  ORVRESULT QueryInterface(const ORV_GUID&, void**) override { return ORV_E_NOTIMPL; }
  ORVRESULT GotoHome() override;
  ORVRESULT UpdateModulesIconState(uint32_t libID, int32_t shown, int32_t keep) override;
  ORVRESULT StartModuleLaunchAnimation(uint32_t libID) override;
  ORVRESULT Close() override { return ORV_S_OK; }
  ORVRESULT GetMainWndMinSize(int32_t*, int32_t*) override { return ORV_E_NOTIMPL; }
  ORVRESULT GetHelpPath(WCHAR*, uint32_t*) override { return ORV_E_NOTIMPL; }
  int32_t GetCurrentModulesNameList(std::deque<WCHAR*>*) override { return 0; }
  ORVRESULT ReleaseModulesNameList(std::deque<WCHAR*>*) override { return ORV_S_OK; }
  ORVRESULT ExitLaunch(uint32_t) override { return ORV_S_OK; }
  // An empty string table, count 1 for the module.
  ORVRESULT CreateAui(uint32_t libID, PubQelmar::QelAUI** out) override;
  ORVRESULT CreateLayout(uint32_t, const WCHAR*, PubQelmar::QelPanel**) override {
    return ORV_E_NOTIMPL;
  }

  std::vector<std::string> calls;
};

class ModuleMgrTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path Modules() const { return app_ / "Contents/Modules"; }
  std::filesystem::path Stage(const orvtest::ModuleSetup& setup) {
    return orvtest::StageModule(Modules(), setup);
  }
  // The module calls logged so far.
  std::vector<std::string> Calls() const { return orvtest::ReadCallLog(log_); }
  std::unique_ptr<CModuleMgr> MakeManager();
  qel::Element* Find(const char* name) { return root_->FindByName(name, true); }
  // The home page shown inside "main".
  bool HomePageShown();

  std::filesystem::path dir_, app_, log_;
  CRecordingHost host_;
  qel::Element* root_ = nullptr;
  qel::Element* home_ = nullptr;
};
