#include "EditModule.h"

#include <new>
#include <optional>

#include "EditGlobals.h"
#include "EditPanel.h"
#include "MacMSG.h"
#include "ModuleInstance.h"
#include "qel/QelCore.h"

namespace {
constexpr char kBundleIdentifier[] = "com.talvexa.ZylEdit";
}  // namespace

CEditModule::CEditModule() {
  std::optional<plat::Bundle> bundle = plat::Bundle::WithIdentifier(kBundleIdentifier);
  if (!bundle) {
    // Loaded from outside the main bundle (a test): the bundle holding us.
    static const int anchor = 0;
    bundle = plat::Bundle::Containing(&anchor);
  }
  vStoreModuleInst(bundle ? &*bundle : nullptr);
  vStoreModuleHandle(this);
}

CEditModule::~CEditModule() {
  if (m_pEditPanel) {
    m_pEditPanel->ReleasePanel();
    delete m_pEditPanel;
    m_pEditPanel = nullptr;
  }
  vStoreModuleInst(nullptr);
  if (vGetModuleHandle() == this) vStoreModuleHandle(nullptr);
}

ORVRESULT CEditModule::Init(IORVMainModule* host, PubQelmar::QelPanel* panel) {
  ORVRESULT result = CORVActionBase::Init(host, panel);
  if (ORV_FAILED(result)) return result;
  double ratio = 1.0;
  if (Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio) != QEL_S_OK || !(ratio > 0.0)) ratio = 1.0;
  vStoreQelmarUIRatio(ratio);
  const int32_t one = 1;
  Qel0ConfigEngine(6, &one);
  return result;
}

ORVRESULT CEditModule::UnInit() {
  ClearCallBacks();
  vStoreQelmarUIRatio(1.0);
  return CORVActionBase::UnInit();
}

ORVRESULT CEditModule::Launch(WindowRef window) {
  vStoreModuleQelWin(window);
  if (!m_pMainModule) return ORV_E_FAIL;
  if (!m_pEditPanel) m_pEditPanel = new (std::nothrow) CEditPanel(m_pMainModule, m_pPanel, window);
  if (!m_pEditPanel || !m_pEditPanel->InitPanel()) return ORV_E_FAIL;
  m_pEditPanel->ShowTabView();
  return ORV_S_OK;
}

int32_t CEditModule::AskForClose() {
  if (!m_pEditPanel) return 0;
  return m_pEditPanel->WarningSave() == 0 ? 0 : 1;
}

ORVRESULT CEditModule::PreTranslateMessage(tagMacMSG* message) {
  if (!message || !m_pEditPanel) return 0;
  switch (message->message) {
    case ORV_MSG_MEDIA_FOLDER_CHANGED:
      return m_pEditPanel->UpdateMeidaFolder();
    case ORV_MSG_MODULE_SHOWN:
      return m_pEditPanel->Show(uint32_t(message->wParam));
    default:
      return 0;
  }
}

ORVRESULT CEditModule::ExitLaunch() {
  vStoreModuleQelWin(nullptr);
  if (!m_pMainModule || !m_pEditPanel) return ORV_E_FAIL;
  if (!m_pEditPanel->ReleasePanel()) return ORV_E_FAIL;
  ClearCallBacks();
  delete m_pEditPanel;
  m_pEditPanel = nullptr;
  return ORV_S_OK;
}

ORVRESULT CEditModule::GetTripleHeight(uint32_t* a, uint32_t* b, uint32_t* c) {
  if (a) *a = 196;
  if (b) *b = 396;
  if (c) *c = 200;
  return ORV_S_OK;
}
