// The host interface the modules receive.
#include <deque>
#include <filesystem>

#include "AppFixture.h"
#include "TestEnvironment.h"
#include "TestModules.h"
#include "qel/QelCore.h"

namespace {

constexpr ORVRESULT kFailed = static_cast<ORVRESULT>(0x80000008);

// A main bundle with the shipped layouts and two recording modules; Beta
// has no string table.
std::filesystem::path MakeHostBundle() {
  auto dir = testenv::MakeTempDir("host");
  auto app = orvtest::MakeTestApp(dir);
  std::filesystem::copy(testenv::StageDir() / "Dunsellow.app/Contents/UI", app / "Contents/UI");
  orvtest::StageModule(app / "Contents/Modules", {.folder = "Alpha", .index = "1"});
  auto beta = orvtest::StageModule(app / "Contents/Modules", {.folder = "Beta", .index = "2"});
  std::filesystem::remove(beta / "Res.aui");
  return app;
}

}  // namespace

TEST_F(AppTest, QueryInterfaceServesTheHostInterfaceOnly) {
  IORVMainModule* host = &theApp;
  void* out = nullptr;
  EXPECT_EQ(host->QueryInterface(IID_IORVMainModule, &out), 0);
  EXPECT_EQ(out, static_cast<void*>(host));
  out = nullptr;
  EXPECT_EQ(host->QueryInterface(IID_IORVUnknown, &out), 0);
  EXPECT_EQ(out, static_cast<void*>(host));
  EXPECT_EQ(host->QueryInterface(IID_IORVAction, &out), static_cast<ORVRESULT>(0x81500001));
  // The object is never freed through its count.
  EXPECT_EQ(host->Release(), 1);
  EXPECT_EQ(host->Release(), 0);
}

TEST_F(AppTest, FixedAnswersOfTheHost) {
  IORVMainModule* host = &theApp;
  EXPECT_EQ(host->ReleaseModulesNameList(nullptr), -1);
  std::deque<WCHAR*> list{new WCHAR[3]{u'a', u'b', 0}, nullptr};
  EXPECT_EQ(host->ReleaseModulesNameList(&list), 0);
  EXPECT_TRUE(list.empty());
  int32_t w = 7, h = 9;
  EXPECT_EQ(host->GetMainWndMinSize(&w, &h), 0);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(host->Close(), 0);
  // No module manager yet: nothing to create, nothing listed.
  PubQelmar::QelAUI* aui = nullptr;
  EXPECT_EQ(host->CreateAui(1, &aui), kFailed);
  PubQelmar::QelPanel* panel = nullptr;
  EXPECT_EQ(host->CreateLayout(1, u"UI\\Tab.aui", &panel), kFailed);
  std::deque<WCHAR*> names;
  EXPECT_EQ(host->GetCurrentModulesNameList(&names), 0);
  EXPECT_EQ(host->GetCurrentModulesNameList(nullptr), 0);
}

TEST_F(AppTest, ModulesGetTheirStringTablesAndLayoutsThroughTheHost) {
  UseBundle(MakeHostBundle());
  Start();
  CModuleMgr* mgr = theApp.GetMainFrame()->GetModuleMgr();
  ASSERT_NE(mgr, nullptr);
  ASSERT_EQ(mgr->GetModuleCount(), 2u);
  uint32_t alpha = uint32_t(mgr->GetModuleLibID(0));
  uint32_t beta = uint32_t(mgr->GetModuleLibID(1));
  IORVMainModule* host = &theApp;

  PubQelmar::QelAUI* aui = nullptr;
  EXPECT_EQ(host->CreateAui(alpha, &aui), 0);
  ASSERT_NE(aui, nullptr);
  Qel0Release(QelHandle(aui));
  // A table that does not load is a failure, not an empty success.
  aui = reinterpret_cast<PubQelmar::QelAUI*>(1);
  EXPECT_EQ(host->CreateAui(beta, &aui), kFailed);
  EXPECT_EQ(aui, nullptr);
  EXPECT_EQ(host->CreateAui(alpha, nullptr), kFailed);

  PubQelmar::QelPanel* panel = nullptr;
  EXPECT_EQ(host->CreateLayout(alpha, u"Tab.aui", &panel), 0);
  ASSERT_NE(panel, nullptr);
  Qel0Release(QelHandle(panel));
  EXPECT_EQ(host->CreateLayout(alpha, nullptr, &panel), kFailed);
  EXPECT_EQ(host->CreateLayout(9999, u"Tab.aui", &panel), kFailed);

  std::deque<WCHAR*> names;
  EXPECT_EQ(host->GetCurrentModulesNameList(&names), 2);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(std::u16string(names[0]), u"Alpha");
  EXPECT_EQ(std::u16string(names[1]), u"Beta");
  EXPECT_EQ(host->ReleaseModulesNameList(&names), 0);
}
