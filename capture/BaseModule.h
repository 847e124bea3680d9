#pragma once
// The capture plug-in's module object: what the host creates, initialises,
// launches, messages and exits. It owns the one capture panel while launched.
#include "CORVActionBase.h"
#include "qel/QelWindow.h"

class CBasePanel;

class CBaseModule : public CORVActionBase, public CQelCallbackMap {
 public:
  // Finds its own bundle ("com.talvexa.capturebundle") and stores it and
  // itself as the module-wide handles.
  CBaseModule();
  ~CBaseModule() override;

  // Base Init, then the display ratio into the module store and engine
  // option 6 set to 1.
  ORVRESULT Init(IORVMainModule* host, PubQelmar::QelPanel* panel) override;
  ORVRESULT UnInit() override;
  // Stores the window, makes the panel and initialises it; 0x80000008 when
  // anything is missing or fails.
  ORVRESULT Launch(WindowRef window) override;
  using CORVActionBase::Launch;
  ORVRESULT ExitLaunch() override;
  ORVRESULT GetTripleHeight(uint32_t* a, uint32_t* b, uint32_t* c) override;
  ORVRESULT Show(int32_t) override;
  int32_t AskForClose() override { return 1; }
  ORVRESULT LaunchHelpByPoint(POINT point, WCHAR* text) override { return ORV_S_OK; }
  // 2026 media folder changed, 2027 shown, 2029 and 786 commands; 0 for
  // anything else, a null record or no panel.
  ORVRESULT PreTranslateMessage(tagMacMSG* message) override;

  CBasePanel* Panel() const { return m_pCapturePanel; }
  IORVMainModule* Host() const { return m_pMainModule; }

 private:
  CBasePanel* m_pCapturePanel = nullptr;
};
