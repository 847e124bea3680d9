#pragma once
// The edit plug-in's module object: what the host creates, initialises,
// launches, messages, asks before closing and exits. A thin shell around the
// one edit panel, which exists from the first Launch to ExitLaunch.
#include "CORVActionBase.h"
#include "qel/QelWindow.h"

class CEditPanel;

class CEditModule : public CORVActionBase, public CQelCallbackMap {
 public:
  // Finds its own bundle ("com.talvexa.ZylEdit") and stores it and itself
  // as the module-wide handles.
  CEditModule();
  ~CEditModule() override;

  // The base's Init, then the display ratio into the module store and
  // engine option 6 set to 1.
  ORVRESULT Init(IORVMainModule* host, PubQelmar::QelPanel* panel) override;
  ORVRESULT UnInit() override;
  // Stores the window, makes the panel when there is none, initialises it
  // and shows its page; 0x80000008 when anything is missing or fails.
  ORVRESULT Launch(WindowRef window) override;
  using CORVActionBase::Launch;
  // 1 when the panel's unsaved edits were saved or there are none (or they
  // were dropped); 0 when the user cancelled or there is no panel.
  int32_t AskForClose() override;
  ORVRESULT Show(int32_t) override { return ORV_E_FAIL; }
  // 2026 media folder changed, 2027 module shown; 0 for anything else (the
  // module takes no command-line arguments), a null record or no panel.
  ORVRESULT PreTranslateMessage(tagMacMSG* message) override;
  ORVRESULT LaunchHelpByPoint(POINT point, WCHAR* text) override { return ORV_S_OK; }
  // Deletes the panel after releasing its resources; 0x80000008 without a
  // host or panel, or when the panel cannot be released (it then stays).
  ORVRESULT ExitLaunch() override;
  ORVRESULT GetTripleHeight(uint32_t* a, uint32_t* b, uint32_t* c) override;

  CEditPanel* Panel() const { return m_pEditPanel; }

 private:
  CEditPanel* m_pEditPanel = nullptr;
};
