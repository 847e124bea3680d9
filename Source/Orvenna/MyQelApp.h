#pragma once
// The main program's application object: start-up, the process's events
// ('oapp', 'odoc', 'quit'), the command line received from other programs,
// and the host interface that every module receives.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "CORVUnknown.h"
#include "CQelStringW.h"
#include "IORVMainModule.h"
#include "MyMainFrame.h"
#include "ORVTrace.h"
#include "qel/QelApp.h"

namespace plat {
class AppleEvent;
class CommandLineServer;
}  // namespace plat

class CMyQelApp : public CQelApp, public IORVMainModule, public CORVUnknown {
 public:
  static constexpr size_t kCommandLineUnits = 1024;  // terminator included
  static constexpr int32_t kEventNotHandled = -9874;
  static constexpr int32_t kQuitNotHandled = -1708;
  static constexpr int32_t kMinWidth = 720;
  static constexpr int32_t kMinHeight = 540;

  CMyQelApp();
  ~CMyQelApp() override;

  int32_t InitInstance() override;
  int32_t ExitInstance() override;

  // IORVMainModule
  ORVRESULT GotoHome() override;
  ORVRESULT UpdateModulesIconState(uint32_t libID, int32_t shown, int32_t keep) override;
  ORVRESULT StartModuleLaunchAnimation(uint32_t libID) override;
  ORVRESULT Close() override;
  ORVRESULT GetMainWndMinSize(int32_t* width, int32_t* height) override;
  ORVRESULT GetHelpPath(WCHAR* buffer, uint32_t* size) override;
  int32_t GetCurrentModulesNameList(std::deque<WCHAR*>* list) override;
  ORVRESULT ReleaseModulesNameList(std::deque<WCHAR*>* list) override;
  ORVRESULT ExitLaunch(uint32_t libID) override;
  ORVRESULT CreateAui(uint32_t libID, PubQelmar::QelAUI** out) override;
  ORVRESULT CreateLayout(uint32_t libID, const WCHAR* relativePath, PubQelmar::QelPanel** out) override;
  // The object lives for the whole process: the count never frees it.
  int32_t AddRef() override;
  int32_t Release() override;
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override;
  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override;

  // Keeps at most 1023 units (always terminated); null leaves it unchanged.
  void SetMacCommandLine(const WCHAR* text);
  void GetMacCommandLine(WCHAR* out) const;  // out holds kCommandLineUnits
  const WCHAR* MacCommandLine() const { return m_szCommandLine; }

  CMyMainFrame* GetMainFrame() { return &m_MainFrame; }
  static QelObject GetResObj() { return m_pResAUI; }
  static CQelStringW GetResourcePath();
  // Text `id` of the main program's string table; empty when missing.
  static CQelStringW vLoadResString(uint32_t id);

  // The events, as the event dispatch calls them.
  static int32_t OnOpenApplication(const plat::AppleEvent& event, intptr_t refCon);
  static int32_t OnOpenDocuments(const plat::AppleEvent& event, intptr_t refCon);
  static int32_t OnQuitApplication(const plat::AppleEvent& event, intptr_t refCon);
  // What runs when nobody took the quit request: the main window closes and
  // the program ends.
  void DefaultQuit();
  bool IsQuitting() const { return m_bQuitting; }
  // The Help key: the help start page in the user's language, else the
  // English one. 0 when a page was opened.
  static int OpenHelpIndex();

  // Single instance and the command-line socket, before InitInstance.
  enum class StartRole { Primary, HandedOver, Failed };
  StartRole StartCommandLineServer(int argc, char** argv);

 private:
  CMyMainFrame m_MainFrame;
  WCHAR m_szCommandLine[kCommandLineUnits] = {};
  bool m_bQuitting = false;
  std::unique_ptr<plat::CommandLineServer> m_pServer;
  static QelObject m_pResAUI;
};

extern CMyQelApp theApp;
extern double g_dRatio;

