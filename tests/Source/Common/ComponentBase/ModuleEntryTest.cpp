#include <gtest/gtest.h>

#include "AppHelper.h"
#include "DllEntry.h"
#include "FakeHost.h"
#include "IORVAction.h"
#include "TestEnvironment.h"
#include "TestProbe.h"
#include "qel/QelLayout.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"

namespace {

class ModuleEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    library = QelLoadLibrary(QelFromUTF8(TEST_MODULE_BUNDLE).c_str());
    ASSERT_NE(library, nullptr);
    getClassObject = reinterpret_cast<PFN_MyDllGetClassObject>(
        QelGetProcAddress(library, "MyDllGetClassObject"));
    canUnloadNow =
        reinterpret_cast<PFN_MyDllCanUnloadNow>(QelGetProcAddress(library, "MyDllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
  }
  void TearDown() override {
    if (library) {
      EXPECT_EQ(QelFreeLibrary(library), 1);
    }
  }

  QelLibraryRef library = nullptr;
  PFN_MyDllGetClassObject getClassObject = nullptr;
  PFN_MyDllCanUnloadNow canUnloadNow = nullptr;
};

}  // namespace

TEST_F(ModuleEntry, RefusalsCreateNothing) {
  EXPECT_EQ(getClassObject(CLSID_ORVAction, IID_IORVAction, nullptr), ORV_E_NOTIMPL);
  int marker = 0;
  void* out = &marker;
  EXPECT_EQ(getClassObject(IID_IORVAction, IID_IORVAction, &out), ORV_E_NOTIMPL);
  EXPECT_EQ(out, &marker);
  EXPECT_EQ(getClassObject(CLSID_ORVAction, IID_IORVMainModule, &out), ORV_E_NOTIMPL);
  EXPECT_EQ(out, &marker);
  EXPECT_EQ(canUnloadNow(), ORV_E_NOTIMPL);

  void* probeOut = nullptr;
  ASSERT_EQ(getClassObject(CLSID_ORVAction, IID_ITestProbe, &probeOut), ORV_S_OK);
  auto* probe = static_cast<ITestProbe*>(probeOut);
  EXPECT_EQ(probe->LiveObjects(), 1);  // the refused ones are gone
  EXPECT_EQ(probe->Release(), 0);
}

TEST_F(ModuleEntry, GoodObjectComesWithOneReference) {
  void* out = nullptr;
  ASSERT_EQ(getClassObject(CLSID_ORVAction, IID_IORVAction, &out), ORV_S_OK);
  auto* action = static_cast<IORVAction*>(out);
  EXPECT_EQ(action->AddRef(), 2);
  EXPECT_EQ(action->Release(), 1);
  EXPECT_EQ(action->AskForClose(), 1);
  EXPECT_EQ(action->Release(), 0);
}

TEST_F(ModuleEntry, PluginKeepsItsOwnCopyOfTheCommonLibrary) {
  void* out = nullptr;
  ASSERT_EQ(getClassObject(CLSID_ORVAction, IID_ITestProbe, &out), ORV_S_OK);
  auto* probe = static_cast<ITestProbe*>(out);
  EXPECT_NE(probe->IdentifierAddress(), &IID_IORVAction);
  EXPECT_TRUE(*static_cast<const ORV_GUID*>(probe->IdentifierAddress()) == IID_IORVAction);
  EXPECT_NE(probe->AppHelperAddress(), &g_AppHelper);

  // Init sets the plug-in's string table, never the host's.
  void* actionOut = nullptr;
  ASSERT_EQ(probe->QueryInterface(IID_IORVAction, &actionOut), ORV_S_OK);
  auto* action = static_cast<IORVAction*>(actionOut);
  auto file = testenv::MakeTempDir("aui") / "m.aui";
  testenv::WriteFile(file, "<strings><s id=\"1\">Test Module</s></strings>");
  FakeHost host;
  host.table = QelCreateAUI(file.c_str());
  QelObject panel = QelCreateAUI(file.c_str());
  action->SetLibID(0);
  ASSERT_EQ(action->Init(&host, static_cast<PubQelmar::QelPanel*>(panel)), ORV_S_OK);
  EXPECT_EQ(probe->StringTable(), host.table);
  EXPECT_EQ(g_AppHelper.GetResAui(), nullptr);
  WCHAR name[32];
  uint32_t size = 32;
  EXPECT_EQ(action->GetName(name, &size), ORV_S_OK);
  EXPECT_EQ(std::u16string(name), u"Test Module");
  action->UnInit();
  EXPECT_EQ(action->Release(), 1);
  EXPECT_EQ(probe->Release(), 0);
  Qel0Release(panel);
  Qel0Release(host.table);

  // Only the entry points are exported.
  EXPECT_EQ(QelGetProcAddress(library, "g_AppHelper"), nullptr);
  EXPECT_EQ(QelGetProcAddress(library, "_ZN11CORVUnknown13DefaultAddRefEv"), nullptr);
  EXPECT_EQ(QelGetProcAddress(library, "IID_IORVAction"), nullptr);
}
