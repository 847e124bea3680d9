// The ZylEdit bundle as the host sees it before any launch: its two entry
// points and nothing else exported, the objects it hands out, and the
// module's answers while it has no page.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CORVActionBase.h"
#include "DllEntry.h"
#include "IORVAction.h"
#include "MacMSG.h"
#include "TestEnvironment.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"

namespace {

class EditBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stage = testenv::StageDir() / "Dunsellow.app";
    ::setenv("DUNSELLOW_BUNDLE", stage.c_str(), 1);
    library_ = QelLoadLibrary(QelFromUTF8((stage / "Contents/Modules/Edit/ZylEdit.bundle").string()).c_str());
    ASSERT_NE(library_, nullptr);
    get_ = reinterpret_cast<PFN_MyDllGetClassObject>(QelGetProcAddress(library_, "MyDllGetClassObject"));
    ASSERT_NE(get_, nullptr);
  }
  void TearDown() override {
    if (library_) QelFreeLibrary(library_);
  }

  QelLibraryRef library_ = nullptr;
  PFN_MyDllGetClassObject get_ = nullptr;
};

TEST_F(EditBundle, ExportsOnlyItsEntryPointsAndServesOnlyTheModuleInterface) {
  auto canUnload = reinterpret_cast<PFN_MyDllCanUnloadNow>(QelGetProcAddress(library_, "MyDllCanUnloadNow"));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), ORV_E_NOTIMPL);
  for (const char* name : {"g_AppHelper", "g_ESData", "IID_IORVAction", "_Z17vGetPanelHandlev"}) {
    EXPECT_EQ(QelGetProcAddress(library_, name), nullptr) << name;
  }
  int marker = 0;
  void* out = &marker;
  EXPECT_EQ(get_(CLSID_ORVAction, IID_IORVAction, nullptr), ORV_E_NOTIMPL);
  EXPECT_EQ(get_(IID_IORVAction, IID_IORVAction, &out), ORV_E_NOTIMPL);
  EXPECT_EQ(get_(CLSID_ORVAction, IID_IORVMainModule, &out), ORV_E_NOTIMPL);
  EXPECT_EQ(out, &marker);
  for (const ORV_GUID* iid : {&IID_IORVAction, &IID_IORVUnknown}) {
    out = nullptr;
    ASSERT_EQ(get_(CLSID_ORVAction, *iid, &out), ORV_S_OK);
    EXPECT_EQ(static_cast<IORVUnknown*>(out)->Release(), 0);  // the caller held the only reference
  }
}

TEST_F(EditBundle, WithoutAPageTheModuleAnswersNoAndChangesNothing) {
  void* out = nullptr;
  ASSERT_EQ(get_(CLSID_ORVAction, IID_IORVAction, &out), ORV_S_OK);
  auto* module = static_cast<IORVAction*>(out);
  for (uint32_t message : {2026u, 2027u, 2029u}) {
    tagMacMSG msg;
    msg.message = message;
    msg.wParam = 1;
    EXPECT_EQ(module->PreTranslateMessage(&msg), 0) << message;
  }
  EXPECT_EQ(module->PreTranslateMessage(nullptr), 0);
  EXPECT_EQ(module->AskForClose(), 0);
  EXPECT_EQ(module->ExitLaunch(), ORV_E_FAIL);
  EXPECT_EQ(module->Show(1), ORV_E_FAIL);
  EXPECT_EQ(module->Launch(nullptr), ORV_E_FAIL);  // never initialised: no host
  // The module base's own slot, as the host reaches it.
  uint32_t b = 0;
  EXPECT_EQ(static_cast<CORVActionBase*>(module)->GetTripleHeight(nullptr, &b, nullptr), ORV_S_OK);
  EXPECT_EQ(b, 396u);
  EXPECT_EQ(module->Release(), 0);
}

}  // namespace
