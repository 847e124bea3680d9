#pragma once
// The main window: created from "$app\UI\main.aui", it holds the home page
// with one button per module and the module manager, launches, switches and
// leaves modules, answers the host operations the application object
// forwards, applies the background, and dispatches command lines.
//
// MyMainFrame.cpp: creation, teardown, messages and host services;
// MyMainFrameHome.cpp: home page, buttons, background, media folder;
// MyMainFrameSwitch.cpp: launching, switching and going home;
// MyMainFrameAnimation.cpp: the launch, icon-slide and tab-strip animations;
// MyMainFrameMenu.cpp: the menu bar and its commands (help, Options, About);
// CommandLine.cpp: command-line dispatch.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "CQelStringW.h"
#include "CornerRegion.h"
#include "IORVMainModule.h"
#include "ModuleMgr.h"
#include "qel/QelWindow.h"

class CModuleButton;
namespace plat {
class ProcessTable;
}

class CMyMainFrame : public CQelMainWind {
 public:
  static constexpr size_t kArgumentUnits = 1024;
  static constexpr int32_t kCommandRefused = 4;
  // The menu that loses its second item, and the source of menu commands.
  static constexpr int16_t kProgramMenuID = 1;
  static constexpr int32_t kMenuCommandSource = 16384;

  CMyMainFrame();
  ~CMyMainFrame() override;

  // Creates the window from the layout (through the framework).
  int32_t CreateMainWnd(const WCHAR* layout, SRect32* rect, WindowRef parent);

  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  // The main window's own frame definition (MyMainFrameShape.cpp).
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  // The framework's close question (close box, window manager, quit): the
  // main window's close ends the program, so unless the program is already
  // quitting it takes the quit road (which may swallow it) and answers 0.
  int32_t AskForClose() override;
  void WillClose() override;
  void DidClose() override;

  // 0, or 0x80000008 when the window has no catalog or no home page.
  ORVRESULT Initialize();
  void UnInitialize();
  // 1 with a module manager (buttons made for every module that has its
  // icon, description and tab), 0 without.
  int32_t ShowHomePage();
  void RemoveAll();

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
  // The modules' close question with the launched module exited, as module
  // switches and the home button ask it: 1 may close, 0 refused (only a
  // module's own answer refuses).
  int32_t AskModulesForClose();
  // The home button: leaves the launched module and shows the home page.
  void OnHomeButton();

  // Settings.
  void SetBackGround(int32_t force);
  int32_t SetBkImage(const CQelStringW& path, QelObject element, const SRect32* rect, int32_t blend);
  const std::u16string& GetMediaFolder() const { return m_strMediaFolder; }
  bool MediaFolderJustDefaulted() const { return m_bMediaFolderDefaulted; }

  // Menus (MyMainFrameMenu.cpp). The program's menu bar, texts from its
  // string table.
  static qel::MenuBar LoadMenuBar();
  // The command handler, installed once for the life of the window object.
  void InstallCommandEvent();
  void RemoveCommandEvent();
  // Removes the second item of the program's menu.
  void HideMenuItems();
  // A menu command; only the menu's source (16384) acts. Always 0; `handled`
  // set for the commands that end with this window (About, the extras).
  int32_t DoCommand(uint32_t command, int32_t source, int32_t reserved, bool& handled);
  static int32_t sMeunEventProc(const QelHICommand& command, void* data);
  // The Options and About dialogs, modal over this window; their results.
  int32_t RunOptions();
  int32_t RunAbout();

  // The window's shape from its corner masks (MyMainFrameShape.cpp):
  // window coordinates, empty while maximised.
  const std::vector<SRect32>& Shape() const { return m_shape; }
  void UpdateShape();

  // Animations.
  void StartBtnProcessAnimation(int32_t show);
  // The state the tab strip was last asked for (-1 none yet, 0 hidden, 1 shown).
  int32_t BtnProcessState() const { return m_nBtnProcessState; }
  // Where the next icon slide starts: an icon's window position.
  void SetIconSlideStart(POINT iconPosition);

  // Command lines (CommandLine.cpp): splits the application object's
  // command line; always 1. Either buffer may be null; each holds
  // kArgumentUnits units.
  int32_t CommandLine(WCHAR* moduleName, WCHAR* argument);
  // 1 handled or ignored, 4 when a module refused to close for a switch.
  int32_t GetCommand();

  CModuleMgr* GetModuleMgr() { return m_pModuleMgr.get(); }
  QelObject GetCatalog() const { return m_hCatalog; }
  QelObject GetHomePage() const { return m_hHomePage; }
  size_t GetModuleButtonCount() const { return m_buttons.size(); }
  // Viewer and player processes are ended through this table (tests hand
  // in a fake one; null: the system's).
  void SetProcessTable(plat::ProcessTable* table) { m_pProcessTable = table; }
  // Whether an animated launch is still running.
  bool LaunchInProgress() const { return m_bFirstLaunch != 0; }

  // Layout callback of "cata_Butn" (event 17).
  static int32_t ParentPanel4BtnLayout(QelObject element, int32_t event, QELLPARAM param, void* data);

 protected:
  // Message 2029: hands the oldest queued argument to the launched module.
  intptr_t OnCommandLine(QELWPARAM wp, QELLPARAM lp);
  // Hands a message to the launched module's PreTranslateMessage.
  void ForwardToModule(uint32_t msg, QELWPARAM wp, QELLPARAM lp, const std::u16string* text);
  void KeepWindowReachable();
  void AttachCornerPaths();
  void DetachCornerPaths();
  void CheckMediaFolder();
  // End notifications of the launch switch (2366) and the icon slide (2364).
  static int32_t OnAnimationEnd(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnHomeButtonProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  void CreateAnimations();
  void ReleaseAnimations();
  void StartIconSlide(uint32_t libID);
  void EndLaunchSwitch();
  void EndIconSlide();
  // Button states for the shown module (-1: none); with selectButton its
  // tab in "cata_Btn" is shown and the others' hidden.
  void RefreshButtons(uint32_t selectedLibID, int32_t selectButton, int32_t keep);
  void HideProcessStrip();
  // Stops a launch animation that still runs, without its end messages.
  void CancelLaunchAnimation();
  void DropSlideElement();
  // Runs the icon row's layout callback (after a size change).
  void LayoutButtonRow();
  // The launch has ended (or failed): command lines may launch again.
  void EndCommandLaunch() { m_bFirstLaunch = 0; }

  QelObject m_hCatalog = nullptr;
  QelObject m_hMain = nullptr;
  QelObject m_hHomePage = nullptr;  // "cata_homepage", owned
  QelObject m_hTitle = nullptr;
  QelObject m_hResAui = nullptr;    // also the resource of g_AppHelper
  std::unique_ptr<CModuleMgr> m_pModuleMgr;
  std::deque<CModuleButton*> m_buttons;  // owned, display order

  std::u16string m_strMediaFolder;
  bool m_bMediaFolderDefaulted = false;
  int32_t m_nBackgroundMode = 1;
  std::u16string m_strPersonalPhoto;

  // The argument of the last dispatch, and one copy per posted 2029 so a
  // later command line cannot change what an earlier one delivers.
  WCHAR m_szArgument[kArgumentUnits] = {};
  std::deque<std::u16string> m_pendingArguments;
  int32_t m_bDispatching = 0;
  int32_t m_bFirstLaunch = 0;  // an animated launch runs
  int32_t m_bRestoreHome = 0;
  uint32_t m_nShownLibID = 0;
  WindowRef m_hWindow = nullptr;
  plat::ProcessTable* m_pProcessTable = nullptr;
  void* m_pCommandHandler = nullptr;
  CornerMaskTable m_cornerMasks;  // top-left and top-right
  std::vector<SRect32> m_shape;

  // Animations and what they move.
  QelObject m_hLaunchSwitch = nullptr;   // 'tmap' "ModuleLaunchSwitch", ends with 2366
  QelObject m_hFadeEffect = nullptr;     // 'tesf' "FadeSwitchEffect", run by the switch
  QelObject m_hIconSlide = nullptr;      // 'tmap' "IconSlide", ends with 2364
  QelObject m_hBtnProcess = nullptr;     // 'tmap' "BtnProcess"
  QelObject m_hAnimationCata = nullptr;  // "cata_animation"
  QelObject m_hSlideLayout = nullptr;    // the module's "UI\Animation<Name>.aui"
  QelObject m_hSlideElement = nullptr;   // its "cata_Active"
  int32_t m_nBtnProcessState = -1;       // last requested, -1 none yet
  SIZE m_lastButtonPanelSize{-1, -1};
  int32_t m_nButtonRowBaseLeft = 0;      // the icon row's left margin in the layout
};
