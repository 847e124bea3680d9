#include "App.h"

#include <cstdio>

#include "MainFrame.h"
#include "VdlAppHelper.h"
#include "VdlHooks.h"
#include "os/AppleEvents.h"
#include "os/Bundle.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"

CApp theApp;
CApp* g_pApp = &theApp;

CApp::CApp() = default;
CApp::~CApp() = default;

const std::string& CApp::GetBundleContents() {
  if (m_strBundleContents.empty()) {
    if (auto own = plat::Bundle::Containing(reinterpret_cast<const void*>(&CApp::sHandleOpenApp))) {
      m_strBundleContents = own->ContentsPath();
    } else if (auto byId = plat::Bundle::WithIdentifier(kPlayvaneBundleId)) {
      m_strBundleContents = byId->ContentsPath();
    } else {
      m_strBundleContents = QelGetAppRoot();
    }
  }
  return m_strBundleContents;
}

int32_t CApp::InitInstance() {
  CVdlMBEnvPath::SetMBEnvPath();
  QelSetAppRoot(GetBundleContents().c_str());
  if (CQelApp::InitInstance() == 0) return 0;
  Qel0InitCore();
  Qel0InitEngine();
  Qel0InitInter();
  QelObject strings = CreateAUI(u"$app\\UI\\PlayvaneRes.aui");
  if (!strings) std::fprintf(stderr, "Dunsellow Playvane: the string table PlayvaneRes.aui did not load\n");
  Vardel::g_AppHelper.SetResAui(static_cast<PubQelmar::QelAUI*>(strings));
  if (strings) Qel0Release(strings);  // the helper keeps its own reference
  return InitQelmarUI();
}

int CApp::InitQelmarUI() {
  m_pMainFrame.reset();
  m_pMainFrame = std::make_unique<CMainFrame>();
  SetQelMainWnd(m_pMainFrame.get());
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments, &CApp::sHandleOpenApp,
                              reinterpret_cast<intptr_t>(this));
  if (!m_pMainFrame->ShowMainFrame()) return 0;
  return 1;
}

int32_t CApp::ExitInstance() {
  Vardel::g_AppHelper.SetResAui(nullptr);
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments);
  if (m_pMainFrame && m_pMainFrame->IsCreated()) m_pMainFrame->Close();
  m_pMainFrame.reset();
  SetQelMainWnd(nullptr);
  return CQelApp::ExitInstance();
}

int32_t CApp::sHandleOpenApp(const plat::AppleEvent& event, intptr_t refCon) {
  plat::AEDesc desc;
  int32_t err = event.GetParamDesc(plat::kCommandLineParam, plat::kCommandLineType, &desc);
  if (err != plat::kAENoErr) return err;
  if (desc.data.empty()) return plat::kAENoErr;
  // The text ends at its first 0 unit or at the data's end.
  std::u16string text = desc.Text();
  auto* app = reinterpret_cast<CApp*>(refCon);
  CMainFrame* main = app ? app->GetMainFrame() : nullptr;
  if (main && main->IsCreated() && app->GetQelMainWnd() == main) main->OnConmmandLine(text.c_str());
  return plat::kAENoErr;
}
