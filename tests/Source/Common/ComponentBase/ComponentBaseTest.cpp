#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "AppHelper.h"
#include "CORVActionBase.h"
#include "CQelLock.h"
#include "FakeHost.h"
#include "TestEnvironment.h"
#include "qel/QelLayout.h"

namespace {

class CModule : public CORVActionBase {
 public:
  static std::atomic<int> destroyed;
  ~CModule() override { ++destroyed; }
  using CORVActionBase::Launch;
  ORVRESULT Launch(WindowRef) override { return ORV_S_OK; }
  ORVRESULT PreTranslateMessage(tagMacMSG*) override { return ORV_S_OK; }
  ORVRESULT LaunchHelpByPoint(POINT, WCHAR*) override { return ORV_S_OK; }
};
std::atomic<int> CModule::destroyed{0};

// A string table with the module's name as text 1.
QelObject MakeTable() {
  auto file = testenv::MakeTempDir("aui") / "strings.aui";
  testenv::WriteFile(file, "<strings><s id=\"1\">Capture</s><s id=\"2\">x</s></strings>");
  return QelCreateAUI(file.c_str());
}

}  // namespace

TEST(ORVGuid, ComparedByValueWordByWord) {
  ORV_GUID copy = IID_IORVAction;
  EXPECT_TRUE(copy == IID_IORVAction);
  copy.Data4[7] ^= 1;  // only the last byte differs
  EXPECT_FALSE(copy == IID_IORVAction);
  EXPECT_TRUE(copy != IID_IORVAction);
  const ORV_GUID* all[] = {&CLSID_ORVAction, &IID_IORVAction,  &IID_IORVMainModule, &IID_IORVUnknown,
                           &IID_IORVSource,  &IID_IORVPlay,    &IID_IORVExport};
  for (auto* a : all) {
    for (auto* b : all) EXPECT_EQ(*a == *b, a == b);
  }
  const unsigned char bytes[] = {0x58, 0xE9, 0x7C, 0x37, 0x5B, 0x2E, 0x3C, 0x4F};  // little-endian
  EXPECT_EQ(std::memcmp(&CLSID_ORVAction, bytes, sizeof bytes), 0);
}

TEST(ComponentBase, LocksAndCounter) {
  LockCounter<CORVLock> counter;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 5000; ++i) {
        counter.increment();
        counter.decrement();
        counter.increment();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter.value(), 20000);

  CQelLock lock;
  EXPECT_TRUE(lock.Lock());
  std::thread other([&] { EXPECT_EQ(lock.Unlock(), 0); });  // not the owner
  other.join();
  EXPECT_EQ(lock.Unlock(), 1);
}

TEST(ComponentBase, ReferenceCountAcrossThreads) {
  CModule::destroyed = 0;
  auto* module = new CModule;
  EXPECT_EQ(module->AddRef(), 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([module] {
      for (int i = 0; i < 5000; ++i) {
        module->AddRef();
        module->Release();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(CModule::destroyed, 0);
  EXPECT_EQ(module->Release(), 0);
  EXPECT_EQ(CModule::destroyed, 1);
}

TEST(ComponentBase, ActionDefaults) {
  auto* module = new CModule;
  module->AddRef();
  uint32_t a = 0, b = 0, c = 0;
  EXPECT_EQ(module->GetTripleHeight(nullptr, &b, nullptr), ORV_S_OK);
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 196u);
  EXPECT_EQ(c, 0u);
  EXPECT_EQ(module->GetLibID(), 0xFFFFFFFFu);
  EXPECT_EQ(module->SetLibID(7), ORV_S_OK);
  EXPECT_EQ(module->GetLibID(), 7u);
  EXPECT_EQ(module->AskForClose(), 1);
  EXPECT_EQ(module->Show(1), ORV_E_NOTIMPL);
  EXPECT_EQ(module->ExitLaunch(), ORV_E_NOTIMPL);
  EXPECT_EQ(module->AddToToolBar(), ORV_E_NOTIMPL);
  EXPECT_EQ(module->RemoveFromToolBar(), ORV_E_NOTIMPL);
  EXPECT_EQ(module->Launch(nullptr, nullptr), ORV_E_NOTIMPL);
  int handled = 0;
  EXPECT_EQ(module->OnHelp(0, 0, 0, handled), ORV_S_OK);

  WCHAR name[4] = {u'z', 0};
  EXPECT_EQ(module->GetName(name, nullptr), ORV_E_POINTER);
  EXPECT_EQ(name[0], u'z');

  void* out = &handled;
  EXPECT_EQ(module->QueryInterface(IID_IORVMainModule, &out), ORV_E_NOTIMPL);
  EXPECT_EQ(out, &handled);  // left alone
  EXPECT_EQ(module->QueryInterface(IID_IORVUnknown, &out), ORV_S_OK);
  EXPECT_EQ(out, static_cast<IORVAction*>(module));
  EXPECT_EQ(module->QueryInterface(IID_IORVAction, nullptr), ORV_E_POINTER);
  EXPECT_EQ(module->Release(), 1);
  EXPECT_EQ(module->Release(), 0);

  // Without a host there is no panel to load; with one the path is "UI/...".
  CModule local;
  EXPECT_EQ(local.LoadPanel(u"Capture.aui"), nullptr);
}

TEST(ComponentBase, InitHoldsPanelAndStringTable) {
  FakeHost host;
  host.table = MakeTable();
  ASSERT_NE(host.table, nullptr);
  QelObject panel = MakeTable();  // any toolkit object serves as the panel
  auto* panelPtr = static_cast<PubQelmar::QelPanel*>(panel);

  CModule module;
  module.SetLibID(3);
  EXPECT_EQ(module.Init(nullptr, panelPtr), ORV_E_FAIL);
  EXPECT_EQ(module.Init(&host, nullptr), ORV_E_FAIL);
  EXPECT_EQ(module.IsInited(), 0);

  EXPECT_EQ(module.Init(&host, panelPtr), ORV_S_OK);
  EXPECT_EQ(host.lastLibID, 3u);
  EXPECT_EQ(module.IsInited(), 1);
  EXPECT_EQ(RefCount(panel), 2);
  EXPECT_EQ(RefCount(host.table), 2);
  EXPECT_EQ(g_AppHelper.GetResAui(), host.table);

  WCHAR name[16];
  uint32_t size = 16;
  EXPECT_EQ(module.GetName(name, &size), ORV_S_OK);
  EXPECT_EQ(std::u16string(name), u"Capture");
  EXPECT_EQ(size, 7u);
  size = 7;  // no room for the terminator
  EXPECT_EQ(module.GetName(name, &size), ORV_E_FAIL);

  EXPECT_EQ(module.LoadPanel(u"Capture.aui"), nullptr);  // this host refuses layouts
  EXPECT_EQ(host.lastLayoutPath, u"UI/Capture.aui");

  EXPECT_EQ(module.UnInit(), ORV_S_OK);
  EXPECT_EQ(module.UnInit(), ORV_S_OK);  // twice is harmless
  EXPECT_EQ(module.IsInited(), 0);
  EXPECT_EQ(RefCount(panel), 1);
  EXPECT_EQ(RefCount(host.table), 1);
  EXPECT_EQ(g_AppHelper.GetResAui(), nullptr);

  Qel0Release(panel);
  Qel0Release(host.table);
}

TEST(ComponentBase, FailedInitKeepsPanelUntilUnInit) {
  FakeHost host;
  host.refuseTable = true;
  QelObject panel = MakeTable();
  auto* module = new CModule;
  module->AddRef();
  EXPECT_EQ(module->Init(&host, static_cast<PubQelmar::QelPanel*>(panel)), ORV_E_NOSTRINGTABLE);
  EXPECT_EQ(module->IsInited(), 0);
  EXPECT_EQ(RefCount(panel), 2);
  module->UnInit();
  EXPECT_EQ(RefCount(panel), 1);

  // Released without UnInit: nothing is kept past the object.
  module->Init(&host, static_cast<PubQelmar::QelPanel*>(panel));
  EXPECT_EQ(RefCount(panel), 2);
  module->Release();
  EXPECT_EQ(RefCount(panel), 1);
  Qel0Release(panel);
}
