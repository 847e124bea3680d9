#include "ModuleMgrFixture.h"

#include <cstdlib>

#include "TestEnvironment.h"
#include "qel/QelLayout.h"

namespace {

const char kWindowLayout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<layout name="cata_root" w="400" h="300">
  <element type="cata" name="cata_title" x="0" y="0" w="400" h="20"/>
  <element type="cata" name="main" x="0" y="20" w="400" h="280">
    <element type="cata" name="cata_homepage" x="0" y="0" w="400" h="280"/>
  </element>
  <element type="cata" name="cata_module" x="0" y="20" w="400" h="280" visible="0"/>
  <element type="view" name="view_module" x="200" y="0" w="100" h="20" visible="0"/>
</layout>
)";

}  // namespace

ORVRESULT CRecordingHost::GotoHome() {
  calls.push_back("GotoHome");
  return ORV_S_OK;
}

ORVRESULT CRecordingHost::UpdateModulesIconState(uint32_t libID, int32_t shown, int32_t keep) {
  calls.push_back("UpdateModulesIconState " + std::to_string(libID) + " " + std::to_string(shown) +
                  " " + std::to_string(keep));
  return ORV_S_OK;
}

ORVRESULT CRecordingHost::StartModuleLaunchAnimation(uint32_t libID) {
  calls.push_back("StartModuleLaunchAnimation " + std::to_string(libID));
  return ORV_S_OK;
}

ORVRESULT CRecordingHost::CreateAui(uint32_t libID, PubQelmar::QelAUI** out) {
  calls.push_back("CreateAui " + std::to_string(libID));
  if (!out) return ORV_E_POINTER;
  *out = static_cast<PubQelmar::QelAUI*>(Qel0CreateObj(QEL_KIND_STRINGTABLE));
  return *out ? ORV_S_OK : ORV_E_FAIL;
}

void ModuleMgrTest::SetUp() {
  dir_ = testenv::MakeTempDir("modules");
  app_ = orvtest::MakeTestApp(dir_);
  log_ = dir_ / "calls.log";
  ::setenv("DUNSELLOW_BUNDLE", app_.c_str(), 1);
  ::setenv(orvtest::kCallLogEnv, log_.c_str(), 1);
  root_ = qel::LoadLayoutString(kWindowLayout, dir_.string());
  ASSERT_NE(root_, nullptr);
  home_ = Find("cata_homepage");
  ASSERT_NE(home_, nullptr);
  // The main window holds the home page by a reference of its own.
  home_->Retain();
}

void ModuleMgrTest::TearDown() {
  if (home_) home_->Release();
  if (root_) root_->Release();
  ::unsetenv(orvtest::kCallLogEnv);
}

std::unique_ptr<CModuleMgr> ModuleMgrTest::MakeManager() {
  return std::make_unique<CModuleMgr>(&host_, static_cast<PubQelmar::QelPanel*>(root_->Handle()),
                                      static_cast<PubQelmar::QelPanel*>(home_->Handle()),
                                      static_cast<PubQelmar::QelPanel*>(Find("cata_title")->Handle()));
}

bool ModuleMgrTest::HomePageShown() {
  return home_->Visible() && home_->Parent() == Find("main");
}
