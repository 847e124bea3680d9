#include "App.h"

#include <cstdio>

#include "GlobalFun.h"
#include "MainFrame.h"
#include "VdlAppHelper.h"
#include "VdlHooks.h"
#include "VdlProgramMain.h"
#include "VistrelProfile.h"
#include "os/AppleEvents.h"
#include "os/Bundle.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"
#include "qel/QelWideText.h"

CApp theApp;
CApp* g_pApp = &theApp;
int g_bMacProcessEvent = 0;

CApp::CApp() = default;

CApp::~CApp() { ClearFileList(); }

void CApp::ClearFileList() {
  for (tag_FILE_INFO* info : m_Filelist) delete info;
  m_Filelist.clear();
}

const std::string& CApp::GetBundleContents() {
  if (m_strBundleContents.empty())
    m_strBundleContents =
        Vardel::ProgramBundleContents(reinterpret_cast<const void*>(&CApp::sHandleOpenApp), kVistrelBundleId);
  return m_strBundleContents;
}

int32_t CApp::InitInstance() {
  CVdlMBEnvPath::SetMBEnvPath();
  QelSetAppRoot(GetBundleContents().c_str());
  g_VdlSetProfile.SetProfilePathFile(QelFromUTF8(GetBundleContents() + "/Resources/Vistrel.xml").c_str());
  if (CQelApp::InitInstance() == 0) return 0;
  Qel0InitCore();
  Qel0InitEngine();
  Qel0InitImage();
  Qel0InitInter();
  QelObject strings = CreateAUI(u"$app\\UI\\VistrelRes.aui");
  if (!strings) std::fprintf(stderr, "Dunsellow Vistrel: the string table VistrelRes.aui did not load\n");
  Vardel::g_AppHelper.SetResAui(static_cast<PubQelmar::QelAUI*>(strings));
  if (strings) Qel0Release(strings);  // the helper keeps its own reference
  return InitQelmarUI();
}

int CApp::InitQelmarUI() {
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments, &CApp::sHandleOpenApp,
                              reinterpret_cast<intptr_t>(this));
  m_pMainFrame.reset();
  m_pMainFrame = std::make_unique<CMainFrame>();
  CBaseWnd::m_bCommandLine_needUpdate_thumbList = false;
  m_pMainFrame->Create(nullptr);
  if (!m_pMainFrame->IsCreated() || m_pMainFrame->GetInitState() == 0) return 0;
  SetQelMainWnd(m_pMainFrame.get());
  return 1;
}

int32_t CApp::ExitInstance() {
  Vardel::g_AppHelper.SetResAui(nullptr);
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments);
  if (m_pMainFrame && m_pMainFrame->IsCreated()) m_pMainFrame->Close();
  CBaseWnd::StopAllReadThread();
  m_pMainFrame.reset();
  SetQelMainWnd(nullptr);
  return CQelApp::ExitInstance();
}

int32_t CApp::sHandleOpenApp(const plat::AppleEvent& event, intptr_t handlerRefcon) {
  if (g_bMacProcessEvent) return plat::kAENoErr;
  plat::AEDesc desc;
  int32_t err = event.GetParamDesc(plat::kCommandLineParam, plat::kCommandLineType, &desc);
  if (err != plat::kAENoErr) return err;
  if (desc.data.empty()) return plat::kAENoErr;
  // The text ends at its first 0 unit or at the data's end; an odd last byte is no unit.
  std::u16string text = desc.Text();
  auto* app = reinterpret_cast<CApp*>(handlerRefcon);
  CMainFrame* main = app ? app->GetMainFrame() : nullptr;
  if (main && app->GetQelMainWnd() == main) main->OnConmmandLine(text.c_str());
  return plat::kAENoErr;
}
