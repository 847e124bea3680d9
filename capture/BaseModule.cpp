#include "BaseModule.h"

#include <optional>

#include "BasePanel.h"
#include "MacMSG.h"
#include "ORVGF.h"
#include "qel/QelCore.h"

namespace {
constexpr char kBundleIdentifier[] = "com.talvexa.capturebundle";
constexpr ORVRESULT kFailed = ORV_E_FAIL;
}  // namespace

CBaseModule::CBaseModule() {
  std::optional<plat::Bundle> bundle = plat::Bundle::WithIdentifier(kBundleIdentifier);
  if (!bundle) {
    static const int anchor = 0;
    bundle = plat::Bundle::Containing(&anchor);
  }
  ORVGF::vStoreModuleInst(bundle ? &*bundle : nullptr);
  ORVGF::vStoreModuleHandle(this);
}

CBaseModule::~CBaseModule() {
  if (m_pCapturePanel) {
    m_pCapturePanel->UnInitialize();
    delete m_pCapturePanel;
    m_pCapturePanel = nullptr;
  }
  ORVGF::vStoreModuleInst(nullptr);
  if (ORVGF::vGetModuleHandle() == this) ORVGF::vStoreModuleHandle(nullptr);
}

ORVRESULT CBaseModule::Init(IORVMainModule* host, PubQelmar::QelPanel* panel) {
  ORVRESULT result = CORVActionBase::Init(host, panel);
  if (ORV_FAILED(result)) return result;
  double ratio = 1.0;
  if (Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio) != QEL_S_OK || !(ratio > 0.0)) ratio = 1.0;
  ORVGF::vStoreQelmarUIRatio(ratio);
  const int32_t one = 1;
  Qel0ConfigEngine(6, &one);
  return result;
}

ORVRESULT CBaseModule::UnInit() {
  ClearCallBacks();
  ORVGF::vStoreQelmarUIRatio(1.0);
  return CORVActionBase::UnInit();
}

ORVRESULT CBaseModule::Launch(WindowRef window) {
  ORVGF::vStoreModuleQelWin(window);
  if (!m_pCapturePanel && m_pMainModule) m_pCapturePanel = new CBasePanel(m_pMainModule, m_pPanel);
  if (!m_pMainModule || !m_pCapturePanel) return kFailed;
  return m_pCapturePanel->Initialize() ? ORV_S_OK : kFailed;
}

ORVRESULT CBaseModule::ExitLaunch() {
  ORVRESULT result = kFailed;
  if (m_pMainModule && m_pCapturePanel) {
    const bool done = m_pCapturePanel->UnInitialize();
    ClearCallBacks();
    delete m_pCapturePanel;
    m_pCapturePanel = nullptr;
    result = done ? ORV_S_OK : kFailed;
  }
  ORVGF::vStoreModuleQelWin(nullptr);
  return result;
}

ORVRESULT CBaseModule::GetTripleHeight(uint32_t* a, uint32_t* b, uint32_t* c) {
  if (a) *a = 196;
  if (b) *b = 396;
  if (c) *c = 200;
  return ORV_S_OK;
}

ORVRESULT CBaseModule::Show(int32_t) { return kFailed; }

ORVRESULT CBaseModule::PreTranslateMessage(tagMacMSG* message) {
  if (!message || !m_pCapturePanel) return 0;
  switch (message->message) {
    case ORV_MSG_MEDIA_FOLDER_CHANGED:
      return m_pCapturePanel->UpdateMeidaFolder();
    case ORV_MSG_MODULE_SHOWN:
      m_pCapturePanel->Show(int32_t(message->wParam));
      return 0;
    case ORV_MSG_COMMAND_ARGUMENT:
    case 786: {
      const WCHAR* text = !message->text.empty() ? message->text.c_str()
                                                 : reinterpret_cast<const WCHAR*>(message->wParam);
      return m_pCapturePanel->DoMainCommand(message->message, text, message->lParam);
    }
    default:
      return 0;
  }
}
