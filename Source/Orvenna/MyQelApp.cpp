#include "MyQelApp.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <glib.h>
#include <unistd.h>

#include "AppModule.h"
#include "HelpFunc.h"
#include "ORVPubTools.h"
#include "os/AppleEvents.h"
#include "os/Bundle.h"
#include "os/Reveal.h"
#include "os/CommandLineServer.h"
#include "qel/QelCore.h"
#include "qel/QelImageControl.h"
#include "qel/QelWideText.h"

CMyQelApp theApp;
double g_dRatio = 1.0;
QelObject CMyQelApp::m_pResAUI = nullptr;

namespace {

constexpr ORVRESULT kFailed = static_cast<ORVRESULT>(0x80000008);
constexpr ORVRESULT kNoInterface = static_cast<ORVRESULT>(0x81500001);
constexpr char kBundleIdentifier[] = "com.Talvexa.Orvenna";

}  // namespace

CMyQelApp::CMyQelApp() = default;

CMyQelApp::~CMyQelApp() = default;

CMyQelApp::StartRole CMyQelApp::StartCommandLineServer(int argc, char** argv) {
  std::optional<std::u16string> text = plat::StartupCommandLine(argc, argv);
  m_pServer = std::make_unique<plat::CommandLineServer>(kBundleIdentifier);
  switch (m_pServer->ClaimInstance()) {
    case plat::CommandLineServer::Claim::Secondary:
      m_pServer.reset();
      // The running instance takes our command line; we end.
      if (!plat::HandOverCommandLine(kBundleIdentifier, text.value_or(u""))) {
        std::fprintf(stderr, "Dunsellow: the running instance did not take the command line\n");
        return StartRole::Failed;
      }
      return StartRole::HandedOver;
    case plat::CommandLineServer::Claim::Failed:
      std::fprintf(stderr, "Dunsellow: cannot take the instance lock; running without command lines\n");
      m_pServer.reset();
      return StartRole::Primary;
    case plat::CommandLineServer::Claim::Primary:
      break;
  }
  // Frames (and the start-up text) are posted as 'odoc' events; they wait
  // until InitInstance installs the handler.
  if (!m_pServer->Listen(text))
    std::fprintf(stderr, "Dunsellow: cannot listen for command lines on %s\n", m_pServer->socketPath().c_str());
  return StartRole::Primary;
}

int32_t CMyQelApp::InitInstance() {
  if (CQelApp::InitInstance() == 0) return 0;

  Qel0InitCore();
  Qel0InitEngine();
  Qel0InitImage();
  Qel0InitInter();
  ImageCtrlInit();
  ToolsCtrlInit();

  double ratio = 0.0;
  if (Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio) == 0 && ratio > 0.0) {
    g_dRatio = ratio;
    Qel0ConfigEngine(QEL_ENGINE_DISPLAY_RATIO, &g_dRatio);
  }

  m_pResAUI = CreateAUI(u"$app\\UI\\VEVIVirodiVur.aui");
  if (!m_pResAUI) std::fprintf(stderr, "Dunsellow: the string table VEVIVirodiVur.aui did not load\n");

  int32_t one = 1;
  Qel0ConfigEngine(0, &one);
  // The menu bar belongs to the main window here (desktops put it in the
  // window); the window shows it once it is made.
  m_MainFrame.SetMenuBar(CMyMainFrame::LoadMenuBar());

  SetQelMainWnd(&m_MainFrame);
  g_AppModule.SetMainFrame(&m_MainFrame);
  m_MainFrame.SetMinSize(static_cast<int32_t>(kMinWidth * g_dRatio), static_cast<int32_t>(kMinHeight * g_dRatio));
  if (!m_MainFrame.CreateMainWnd(u"$app\\UI\\main.aui", nullptr, nullptr))
    std::fprintf(stderr, "Dunsellow: the main window layout main.aui did not load\n");
  g_AppModule.m_hMainWnd = m_MainFrame.GetWindowRef();
  g_AppModule.m_hRootPanel = m_MainFrame.GetRootPanel();
  m_MainFrame.RepositionWindow(0);
  m_MainFrame.ShowWindow(5);

  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenApplication, &CMyQelApp::OnOpenApplication,
                              reinterpret_cast<intptr_t>(this));
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments, &CMyQelApp::OnOpenDocuments,
                              reinterpret_cast<intptr_t>(this));
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEQuitApplication, &CMyQelApp::OnQuitApplication, 0);
  plat::WatchQuitSignals([this] { DefaultQuit(); });

  if (auto bundle = plat::Bundle::Main()) {
    std::string name = bundle->Name();
    if (!name.empty()) m_MainFrame.SetTitle(QelFromUTF8(name).c_str());
  }
  OrvTrace("started " + std::to_string(getpid()));
  return 1;
}

int32_t CMyQelApp::ExitInstance() {
  m_bQuitting = true;
  if (m_MainFrame.IsCreated()) m_MainFrame.Close();
  // The program ends either way: the modules go now, while their libraries
  // and their own globals still exist.
  m_MainFrame.UnInitialize();
  plat::StopQuitSignals();
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenApplication);
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments);
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEQuitApplication);
  m_pServer.reset();
  if (m_pResAUI) {
    Qel0Release(m_pResAUI);
    m_pResAUI = nullptr;
  }
  OrvTrace("exit");
  return CQelApp::ExitInstance();
}

void CMyQelApp::DefaultQuit() {
  if (m_bQuitting) return;
  m_bQuitting = true;
  // The modules may still refuse (unsaved work); then the program runs on.
  if (m_MainFrame.IsCreated() && m_MainFrame.AskForClose() == 0) {
    m_bQuitting = false;
    return;
  }
  Quit(0);
}

int32_t CMyQelApp::OnOpenApplication(const plat::AppleEvent& event, intptr_t) {
  plat::AEDesc desc;
  if (event.GetParamDesc(plat::kCommandLineParam, plat::kCommandLineType, &desc) == plat::kAENoErr)
    return kEventNotHandled;
  return 0;
}

int32_t CMyQelApp::OnOpenDocuments(const plat::AppleEvent& event, intptr_t refCon) {
  plat::AEDesc desc;
  int32_t err = event.GetParamDesc(plat::kCommandLineParam, plat::kCommandLineType, &desc);
  if (err != plat::kAENoErr) return err;
  if (desc.data.empty()) return 0;
  // The text ends at its first 0 unit or at the data's end; an odd last
  // byte is no unit.
  std::u16string text = desc.Text();
  auto* app = reinterpret_cast<CMyQelApp*>(refCon);
  if (!app) return 0;
  OrvTrace("odoc " + QelToUTF8(text));
  app->SetMacCommandLine(text.c_str());
  app->m_MainFrame.GetCommand();
  return 0;
}

int32_t CMyQelApp::OnQuitApplication(const plat::AppleEvent& event, intptr_t) {
  CMyQelApp& app = theApp;
  if (event.HasParam(plat::kQuitSignalParam) && QelIsModalInFront()) {
    // A signal ends the program even while a dialog waits: the dialogs are
    // cancelled, and once their handlers have returned the quit is asked
    // again, through the same rule (a running recording is finished).
    for (CQelWindow* w : QelWindows()) {
      auto* modal = dynamic_cast<CQelModalWnd*>(w);
      if (modal && modal->InModal()) modal->EndModal(CQelModalWnd::kResultCancel);
    }
    OrvTrace("quit closes the dialogs");
    g_idle_add([](gpointer) -> gboolean {
      plat::RequestQuitBySignal();
      return G_SOURCE_REMOVE;
    }, nullptr);
    return 0;
  }
  // The main window comes forward, but never above an alert or modal window.
  if (app.m_MainFrame.IsCreated() && app.m_MainFrame.IsWindowVisible() && !QelIsModalInFront())
    app.m_MainFrame.ShowWindow(5);
  if (Qel0GetGValue(1) != 0 || QelIsModalInFront()) {
    OrvTrace("quit swallowed");
    return 0;
  }
  return kQuitNotHandled;
}

int CMyQelApp::OpenHelpIndex() {
  // The menu's help page: "index.htm" alone names no folder here.
  return LaunchHelp();
}

void CMyQelApp::SetMacCommandLine(const WCHAR* text) {
  if (!text) return;
  size_t n = 0;
  while (text[n] != 0 && n < kCommandLineUnits - 1) ++n;
  if (text[n] != 0)
    std::fprintf(stderr, "Dunsellow: command line longer than %zu units; the rest is dropped\n",
                 kCommandLineUnits - 1);
  std::memcpy(m_szCommandLine, text, n * sizeof(WCHAR));
  m_szCommandLine[n] = 0;
}

void CMyQelApp::GetMacCommandLine(WCHAR* out) const {
  if (!out) return;
  std::memcpy(out, m_szCommandLine, sizeof(m_szCommandLine));
}

CQelStringW CMyQelApp::GetResourcePath() { return CORVPubTools::GetBundleResourcePath(); }

CQelStringW CMyQelApp::vLoadResString(uint32_t id) {
  if (!m_pResAUI) return CQelStringW();
  auto text = reinterpret_cast<const WCHAR*>(Qel0Inter(m_pResAUI, QEL_IF_AUI, 2, static_cast<QELWPARAM>(id), 0));
  return text ? CQelStringW(text) : CQelStringW();
}

// ---- IORVMainModule ----

ORVRESULT CMyQelApp::GotoHome() { return m_MainFrame.GotoHome(); }

ORVRESULT CMyQelApp::UpdateModulesIconState(uint32_t libID, int32_t shown, int32_t keep) {
  m_MainFrame.UpdateModulesIconState(libID, shown, keep);
  return 0;
}

ORVRESULT CMyQelApp::StartModuleLaunchAnimation(uint32_t libID) {
  return m_MainFrame.StartModuleLaunchAnimation(libID);
}

ORVRESULT CMyQelApp::Close() { return 0; }

ORVRESULT CMyQelApp::GetMainWndMinSize(int32_t*, int32_t*) { return 0; }

ORVRESULT CMyQelApp::GetHelpPath(WCHAR*, uint32_t*) { return 0; }

int32_t CMyQelApp::GetCurrentModulesNameList(std::deque<WCHAR*>* list) {
  return m_MainFrame.GetCurrentModulesNameList(list);
}

ORVRESULT CMyQelApp::ReleaseModulesNameList(std::deque<WCHAR*>* list) {
  if (!list) return -1;
  for (WCHAR* name : *list) delete[] name;
  list->clear();
  return 0;
}

ORVRESULT CMyQelApp::ExitLaunch(uint32_t libID) {
  m_MainFrame.ExitLaunch(libID);
  return 0;
}

ORVRESULT CMyQelApp::CreateAui(uint32_t libID, PubQelmar::QelAUI** out) {
  return m_MainFrame.CreateAui(libID, out);
}

ORVRESULT CMyQelApp::CreateLayout(uint32_t libID, const WCHAR* relativePath, PubQelmar::QelPanel** out) {
  return m_MainFrame.CreateLayout(libID, relativePath, out);
}

int32_t CMyQelApp::AddRef() { return m_refs.increment(); }

int32_t CMyQelApp::Release() { return m_refs.decrement(); }

ORVRESULT CMyQelApp::QueryInterface(const ORV_GUID& iid, void** out) { return DefaultQueryInterface(iid, out); }

ORVRESULT CMyQelApp::DefaultQueryInterface(const ORV_GUID& iid, void** out) {
  if (!out) return kFailed;
  if (iid == IID_IORVMainModule || iid == IID_IORVUnknown) {
    *out = static_cast<IORVMainModule*>(this);
    AddRef();
    return 0;
  }
  *out = nullptr;
  return kNoInterface;
}
