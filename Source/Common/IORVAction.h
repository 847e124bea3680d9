#pragma once
// The interface every plug-in module object implements (16 slots).
#include <cstdint>

#include "IORVMainModule.h"
#include "IORVUnknown.h"
#include "MacMSG.h"
#include "ToolkitTypes.h"

class IORVAction : public IORVUnknown {
 public:
  virtual ORVRESULT Init(IORVMainModule* host, PubQelmar::QelPanel* panel) = 0;
  virtual ORVRESULT UnInit() = 0;
  virtual int32_t IsInited() = 0;
  virtual ORVRESULT GetName(WCHAR* buffer, uint32_t* size) = 0;
  virtual ORVRESULT SetLibID(uint32_t libID) = 0;
  virtual uint32_t GetLibID() = 0;
  virtual ORVRESULT Launch(WindowRef window) = 0;
  virtual int32_t AskForClose() = 0;  // 1: the module may close
  virtual ORVRESULT Show(int32_t show) = 0;
  virtual ORVRESULT PreTranslateMessage(tagMacMSG* message) = 0;
  virtual ORVRESULT LaunchHelpByPoint(POINT point, WCHAR* text) = 0;
  virtual ORVRESULT ExitLaunch() = 0;
  virtual ORVRESULT OnHelp(uint32_t a, uint32_t b, int32_t c, int& handled) = 0;

 protected:
  ~IORVAction() = default;
};
