// Launching, switching and leaving modules, and the states of the module
// buttons that follow the shown module.
#include "MacMSG.h"
#include "ModuleButton.h"
#include "MyMainFrame.h"
#include "MyQelApp.h"
#include "os/ProcessTable.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"

namespace {

constexpr ORVRESULT kFailed = static_cast<ORVRESULT>(0x80000008);
// The programs the modules start for viewing and playing: they do not
// outlive the module that started them.
constexpr const char* kModulePrograms[] = {"Dunsellow Vistrel", "Dunsellow Playvane"};
constexpr uint32_t kAllModules = 0xFFFFFFFFu;
constexpr size_t kModuleNameUnits = 40;

qel::Element* ElementOf(QelObject handle) { return handle ? qel::Element::From(handle) : nullptr; }

}  // namespace

ORVRESULT CMyMainFrame::LaunchModule(uint32_t libID, int32_t embedded) {
  if (!m_pModuleMgr) return kFailed;
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* buttons = catalog ? catalog->FindByName("cata_Butn", true) : nullptr;
  if (embedded) {
    m_bRestoreHome = 0;
    if (!AskModulesForClose()) return 0;
    IORVAction* active = nullptr;
    m_pModuleMgr->GetActiveEmbeddedAction(&active);
    if (active) {
      uint32_t current = active->GetLibID();
      active->Release();
      if (current == libID) return 0;
      CancelLaunchAnimation();
      m_pModuleMgr->ExitLaunch(current, 0);
    }
  } else {
    if (buttons) buttons->Show(false);
    // Set before the launch: the launch starts the animation that clears it.
    m_bFirstLaunch = 1;
  }
  ORVRESULT result = m_pModuleMgr->LaunchModule(libID, m_hWindow, embedded);
  if (ORV_FAILED(result)) {
    // The manager has put the home page back; its icons and tabs follow.
    EndCommandLaunch();
    IORVAction* active = nullptr;
    m_pModuleMgr->GetActiveEmbeddedAction(&active);
    if (active) {
      active->Release();
    } else {
      if (buttons) buttons->Show(true);
      RefreshButtons(kAllModules, 1, 0);
      HideProcessStrip();
    }
  }
  return result;
}

bool CMyMainFrame::SwitchModuleAskForClose(uint32_t libID) {
  m_bRestoreHome = 0;
  if (!m_pModuleMgr || m_pModuleMgr->AskForClose() != 0) return false;
  IORVAction* active = nullptr;
  m_pModuleMgr->GetActiveEmbeddedAction(&active);
  if (!active) return false;
  uint32_t current = active->GetLibID();
  active->Release();
  if (current == libID) return false;
  CancelLaunchAnimation();
  return m_pModuleMgr->ExitLaunch(current, 0) == 0;
}

ORVRESULT CMyMainFrame::CloseCurEmbedAction(int32_t restoreHome) {
  if (!m_pModuleMgr) return kFailed;
  ORVRESULT result = 0;
  IORVAction* active = nullptr;
  m_pModuleMgr->GetActiveEmbeddedAction(&active);
  if (active) {
    uint32_t current = active->GetLibID();
    active->Release();
    CancelLaunchAnimation();
    result = m_pModuleMgr->ExitLaunch(current, restoreHome);
  }
  if (restoreHome) EndCommandLaunch();
  plat::ProcessTable& table = m_pProcessTable ? *m_pProcessTable : plat::SystemProcessTable();
  for (const char* name : kModulePrograms) plat::EndProcessesNamed(name, table);
  return result;
}

int32_t CMyMainFrame::AskModulesForClose() {
  if (!m_pModuleMgr) return 1;
  if (m_pModuleMgr->AskForClose() != 0) return 0;
  // Only a module's own answer refuses: a module whose exit failed has
  // already been let go.
  CloseCurEmbedAction(m_bRestoreHome);
  return 1;
}

void CMyMainFrame::OnHomeButton() {
  m_bRestoreHome = 1;
  if (!AskModulesForClose()) return;
  qel::Element* catalog = ElementOf(m_hCatalog);
  if (qel::Element* buttons = catalog ? catalog->FindByName("cata_Butn", true) : nullptr) buttons->Show(true);
  RefreshButtons(kAllModules, 1, 0);
  HideProcessStrip();
  Qel0SetGValue(2, reinterpret_cast<intptr_t>(m_hCatalog));
  EndCommandLaunch();
}

int32_t CMyMainFrame::OnHomeButtonProc(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CMyMainFrame*>(data);
  if (!self) return -1;
  if (event == QEL_EV_CLICK) self->OnHomeButton();
  return 0;
}

ORVRESULT CMyMainFrame::GotoHome() {
  CancelLaunchAnimation();
  qel::Element* home = ElementOf(m_hHomePage);
  qel::Element* main = ElementOf(m_hMain);
  if (home && main) {
    home->PutInside(main, nullptr);
    home->Show(true);
    main->Show(true);
  }
  if (qel::Element* catalog = ElementOf(m_hCatalog)) {
    if (qel::Element* e = catalog->FindByName("cata_module", true)) e->Show(false);
    if (qel::Element* e = catalog->FindByName("view_module", true)) e->Show(false);
    // An animated launch hid the icons; the home page is no use without them.
    if (qel::Element* e = catalog->FindByName("cata_Butn", true)) e->Show(true);
  }
  RefreshButtons(kAllModules, 1, 0);
  EndCommandLaunch();
  return 0;
}

void CMyMainFrame::RefreshButtons(uint32_t selectedLibID, int32_t selectButton, int32_t keep) {
  // The selected one last: clearing a button's tab hides every tab of the
  // strip, the selected module's included.
  CModuleButton* selected = nullptr;
  for (CModuleButton* button : m_buttons) {
    button->UpdateModuleButtonState();
    if (button->GetModuleLibID() == selectedLibID) {
      selected = button;
      continue;
    }
    button->UpdateModuleRadioState(0, 0);
    if (selectButton) button->UpdateModuleBtnState(0, keep);
  }
  if (selected) {
    selected->UpdateModuleRadioState(1, 0);
    if (selectButton) selected->UpdateModuleBtnState(1, keep);
  }
}

ORVRESULT CMyMainFrame::UpdateModulesIconState(uint32_t libID, int32_t shown, int32_t keep) {
  RefreshButtons(libID, (shown || keep) ? 1 : 0, keep);
  if (keep) return 0;
  m_nShownLibID = libID;

  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* view = catalog ? catalog->FindByName("view_module", true) : nullptr;
  if (view && m_pModuleMgr) {
    std::u16string name;
    CQelStringW file = m_pModuleMgr->GetModuleStringFileByLibID(libID);
    if (QelObject table = file.IsEmpty() ? nullptr : QelCreateAUIW(file.c_str())) {
      auto text = reinterpret_cast<const WCHAR*>(Qel0Inter(
          table, QEL_IF_AUI, 2, static_cast<QELWPARAM>(m_pModuleMgr->GetModuleNameIDByLibID(libID)), 0));
      if (text) name = text;
      Qel0Release(table);
    }
    if (name.size() > kModuleNameUnits) name.resize(kModuleNameUnits);
    view->SetText(name);
    view->Show(true);
  }

  if (qel::Element* process = catalog ? catalog->FindByName("cata_process", true) : nullptr) {
    int32_t visible = 0;
    for (qel::Element* e : process->Children()) visible += e->Visible() ? 1 : 0;
    SIZE size = process->FrameSize();
    size.cx = static_cast<int32_t>(67 * g_dRatio * visible);
    process->SetFrameSize(size);
  }
  HideProcessStrip();

  if (shown) PostMessage(ORV_MSG_MODULE_SHOWN, 1, 0);
  return 0;
}
