#include <atomic>

#include "AppHelper.h"
#include "CORVActionBase.h"
#include "DllEntry.h"
#include "TestProbe.h"

namespace {

std::atomic<int32_t> gLive{0};

class CTestModule : public CORVActionBase, public ITestProbe {
 public:
  CTestModule() { ++gLive; }
  ~CTestModule() override { --gLive; }

  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override {
    return DefaultQueryInterface(iid, out);
  }
  ORVRESULT Launch(WindowRef) override { return ORV_S_OK; }
  ORVRESULT PreTranslateMessage(tagMacMSG*) override { return ORV_S_OK; }
  ORVRESULT LaunchHelpByPoint(POINT, WCHAR*) override { return ORV_S_OK; }
  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override {
    if (iid == IID_ITestProbe) return GetInterface(static_cast<ITestProbe*>(this), out);
    return CORVActionBase::DefaultQueryInterface(iid, out);
  }

  const void* IdentifierAddress() override { return &IID_IORVAction; }
  const void* AppHelperAddress() override { return &g_AppHelper; }
  const void* StringTable() override { return g_AppHelper.GetResAui(); }
  int32_t LiveObjects() override { return gLive; }
};

}  // namespace

ORV_DEFINE_MODULE_ENTRY(CTestModule)
