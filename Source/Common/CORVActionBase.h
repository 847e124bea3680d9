#pragma once
// Base class of every plug-in module object: IORVAction's defaults, the
// host and panel handed to Init, and the module's string table.
#include <cstdint>

#include "CORVUnknown.h"
#include "CQelStringW.h"
#include "IORVAction.h"

class CORVActionBase : public IORVAction, public CORVUnknown {
 public:
  CORVActionBase() = default;

  // IORVAction, in slot order.
  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override {
    return DefaultQueryInterface(iid, out);
  }
  ORVRESULT Init(IORVMainModule* host, PubQelmar::QelPanel* panel) override;
  ORVRESULT UnInit() override;
  int32_t IsInited() override { return m_bInited; }
  ORVRESULT GetName(WCHAR* buffer, uint32_t* size) override;
  ORVRESULT SetLibID(uint32_t libID) override {
    m_nLibID = libID;
    return ORV_S_OK;
  }
  uint32_t GetLibID() override { return m_nLibID; }
  ORVRESULT Launch(WindowRef window) override = 0;
  int32_t AskForClose() override { return 1; }
  ORVRESULT Show(int32_t) override { return ORV_E_NOTIMPL; }
  ORVRESULT PreTranslateMessage(tagMacMSG* message) override = 0;
  ORVRESULT LaunchHelpByPoint(POINT point, WCHAR* text) override = 0;
  ORVRESULT ExitLaunch() override { return ORV_E_NOTIMPL; }
  ORVRESULT OnHelp(uint32_t, uint32_t, int32_t, int&) override { return ORV_S_OK; }

  // The base's own operations, after the interface's.
  ~CORVActionBase() override;
  virtual ORVRESULT AddToToolBar() { return ORV_E_NOTIMPL; }
  virtual ORVRESULT RemoveFromToolBar() { return ORV_E_NOTIMPL; }
  virtual ORVRESULT Launch(WindowRef window, WCHAR* text) { return ORV_E_NOTIMPL; }
  virtual ORVRESULT GetTripleHeight(uint32_t* a, uint32_t* b, uint32_t* c);
  // Serves IID_IORVAction and IID_IORVUnknown.
  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override;

  // A layout "UI/<relativePath>" from the module's folder through the host;
  // null without a host or path or when the host refuses.
  PubQelmar::QelPanel* LoadPanel(const WCHAR* relativePath);

 protected:
  CQelStringW m_strReserved;
  IORVMainModule* m_pMainModule = nullptr;  // not counted
  PubQelmar::QelAUI* m_pAui = nullptr;      // the module's string table
  PubQelmar::QelPanel* m_pPanel = nullptr;  // retained
  int32_t m_bInited = 0;
  uint32_t m_nLibID = 0xFFFFFFFFu;
};
