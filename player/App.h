#pragma once
// The player's application object: start-up (the string table, the main
// window, the command-line handler) and the end of the program. Command
// lines arrive as 'odoc' events and go to the main window.
#include <memory>
#include <string>

#include "qel/QelApp.h"

namespace plat {
class AppleEvent;
}
class CMainFrame;

// The player's bundle identifier (its command-line socket is named after it).
inline constexpr const char* kPlayvaneBundleId = "com.Talvexa.PlayvaneEXE";

class CApp : public CQelApp {
 public:
  CApp();
  ~CApp() override;

  int32_t InitInstance() override;
  int32_t ExitInstance() override;
  int InitQelmarUI();

  CMainFrame* GetMainFrame() { return m_pMainFrame.get(); }
  // The bundle's Contents folder ("$app\").
  const std::string& GetBundleContents();
  void SetBundleContents(const std::string& contents) { m_strBundleContents = contents; }

  // The 'odoc' handler: the command line goes to the main window, which
  // comes to the front.
  static int32_t sHandleOpenApp(const plat::AppleEvent& event, intptr_t refCon);

 private:
  std::unique_ptr<CMainFrame> m_pMainFrame;
  std::string m_strBundleContents;
};

extern CApp theApp;
extern CApp* g_pApp;
