#pragma once
// The viewer's application object: the list of pictures to show, start-up
// (settings, string table, the command-line handler, the main window) and
// the end of the program. Every command line arrives as an 'odoc' event.
#include <memory>
#include <string>
#include <vector>

#include "FileInfo.h"
#include "qel/QelApp.h"

namespace plat {
class AppleEvent;
}
class CMainFrame;

// The viewer's bundle identifier (its command-line socket is named after it).
inline constexpr const char* kVistrelBundleId = "com.talvexa.VistrelExe";

class CApp : public CQelApp {
 public:
  CApp();
  ~CApp() override;

  int32_t InitInstance() override;
  int32_t ExitInstance() override;
  int InitQelmarUI();

  // The pictures to show, in display order; callers read and change it in
  // place (main thread only).
  FileList* GetFilelist() { return &m_Filelist; }
  // Deletes every record, then empties the list.
  void ClearFileList();
  CMainFrame* GetMainFrame() { return m_pMainFrame.get(); }
  // The bundle's Contents folder ("$app\").
  const std::string& GetBundleContents();
  void SetBundleContents(const std::string& contents) { m_strBundleContents = contents; }
  void LoadPlugIns() {}

  // The 'odoc' handler: the command line goes to the main window.
  static int32_t sHandleOpenApp(const plat::AppleEvent& event, intptr_t handlerRefcon);

 private:
  std::unique_ptr<CMainFrame> m_pMainFrame;
  FileList m_Filelist;
  std::string m_strBundleContents;
};

extern CApp theApp;
extern CApp* g_pApp;
// While set, command lines are ignored (nothing in the viewer sets it).
extern int g_bMacProcessEvent;
