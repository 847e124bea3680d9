#pragma once
// A host that hands out a string table written by the test and records the
// layout paths it is asked for.
#include <deque>
#include <string>

#include "IORVMainModule.h"
#include "qel/QelCore.h"

class FakeHost : public IORVMainModule {
 public:
  QelObject table = nullptr;      // handed out (retained) by CreateAui
  bool refuseTable = false;
  std::u16string lastLayoutPath;
  uint32_t lastLibID = 0;

  int32_t AddRef() override { return 1; }
  int32_t Release() override { return 1; }
  ORVRESULT QueryInterface(const ORV_GUID&, void**) override { return ORV_E_NOTIMPL; }
  ORVRESULT GotoHome() override { return ORV_S_OK; }
  ORVRESULT UpdateModulesIconState(uint32_t, int32_t, int32_t) override { return ORV_S_OK; }
  ORVRESULT StartModuleLaunchAnimation(uint32_t) override { return ORV_S_OK; }
  ORVRESULT Close() override { return ORV_S_OK; }
  ORVRESULT GetMainWndMinSize(int32_t*, int32_t*) override { return ORV_S_OK; }
  ORVRESULT GetHelpPath(WCHAR*, uint32_t*) override { return ORV_E_NOTIMPL; }
  int32_t GetCurrentModulesNameList(std::deque<WCHAR*>*) override { return 0; }
  ORVRESULT ReleaseModulesNameList(std::deque<WCHAR*>*) override { return ORV_S_OK; }
  ORVRESULT ExitLaunch(uint32_t) override { return ORV_S_OK; }
  ORVRESULT CreateAui(uint32_t libID, PubQelmar::QelAUI** out) override {
    lastLibID = libID;
    if (refuseTable || !table) return ORV_E_FAIL;
    Qel0Retain(table);
    *out = static_cast<PubQelmar::QelAUI*>(table);
    return ORV_S_OK;
  }
  ORVRESULT CreateLayout(uint32_t libID, const WCHAR* path, PubQelmar::QelPanel** out) override {
    lastLibID = libID;
    lastLayoutPath = path;
    return ORV_E_FAIL;
  }
};

// The current reference count of a toolkit object.
inline int32_t RefCount(QelObject obj) {
  Qel0Retain(obj);
  return Qel0Release(obj);
}
