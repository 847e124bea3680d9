#pragma once
// The main window: created from "$app\UI\main.aui", it holds the home page
// and the module manager, answers the host operations the application
// object forwards, and dispatches command lines to the modules.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "CQelStringW.h"
#include "IORVMainModule.h"
#include "ModuleMgr.h"
#include "qel/QelWindow.h"

class CMyMainFrame : public CQelMainWind {
 public:
  static constexpr size_t kArgumentUnits = 1024;
  static constexpr int32_t kCommandRefused = 4;

  CMyMainFrame();
  ~CMyMainFrame() override;

  // Creates the window from the layout (through the framework).
  int32_t CreateMainWnd(const WCHAR* layout, SRect32* rect, WindowRef parent);

  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t DidCreate() override;
  // The framework's close question (close box, window manager, quit): the
  // main window's close ends the program, so unless the program is already
  // quitting it takes the quit road (which may swallow it) and answers 0.
  int32_t AskForClose() override;
  // The modules' close question with the launched module exited, as module
  // switches and the home button ask it: 1 may close, 0 refused.
  int32_t AskModulesForClose();
  void WillClose() override;

  // 0, or 0x80000008 when the window has no catalog.
  ORVRESULT Initialize();
  void UnInitialize();

  // Host operations (see IORVMainModule).
  ORVRESULT GotoHome();
  ORVRESULT UpdateModulesIconState(uint32_t libID, int32_t shown, int32_t keep);
  ORVRESULT StartModuleLaunchAnimation(uint32_t libID);
  ORVRESULT ExitLaunch(uint32_t libID);
  ORVRESULT CreateAui(uint32_t libID, PubQelmar::QelAUI** out);
  ORVRESULT CreateLayout(uint32_t libID, const WCHAR* relativePath, PubQelmar::QelPanel** out);
  int32_t GetCurrentModulesNameList(std::deque<WCHAR*>* list);

  // Module switching.
  ORVRESULT LaunchModule(uint32_t libID, int32_t embedded);
  bool SwitchModuleAskForClose(uint32_t libID);
  ORVRESULT CloseCurEmbedAction(int32_t restoreHome);

  // Command lines (CommandLine.cpp): splits the application object's
  // command line; always 1. Either buffer may be null; each holds
  // kArgumentUnits units.
  int32_t CommandLine(WCHAR* moduleName, WCHAR* argument);
  // 1 handled or ignored, 4 when a module refused to close for a switch.
  int32_t GetCommand();
  // The animated launch a command line started has ended (or failed).
  void EndCommandLaunch() {
    m_bFirstLaunch = 0;
    m_bLaunchAnimating = 0;
  }

  CModuleMgr* GetModuleMgr() { return m_pModuleMgr.get(); }
  QelObject GetCatalog() const { return m_hCatalog; }
  QelObject GetHomePage() const { return m_hHomePage; }

 protected:
  // Message 2029: hands the oldest queued argument to the launched module.
  intptr_t OnCommandLine(QELWPARAM wp, QELLPARAM lp);
  // Hands a message to the launched module's PreTranslateMessage.
  void ForwardToModule(uint32_t msg, QELWPARAM wp, QELLPARAM lp, const std::u16string* text);

  QelObject m_hCatalog = nullptr;
  QelObject m_hMain = nullptr;
  QelObject m_hHomePage = nullptr;  // "cata_homepage", owned
  QelObject m_hTitle = nullptr;
  QelObject m_hResAui = nullptr;    // also the resource of g_AppHelper
  std::unique_ptr<CModuleMgr> m_pModuleMgr;

  // The argument of the last dispatch, and one copy per posted 2029 so a
  // later command line cannot change what an earlier one delivers.
  WCHAR m_szArgument[kArgumentUnits] = {};
  std::deque<std::u16string> m_pendingArguments;
  int32_t m_bDispatching = 0;
  int32_t m_bFirstLaunch = 0;  // an animated launch from a command line runs
  int32_t m_bLaunchAnimating = 0;  // set by the launch animation while it runs
  int32_t m_bRestoreHome = 0;
  uint32_t m_nShownLibID = 0;
  WindowRef m_hWindow = nullptr;
};
