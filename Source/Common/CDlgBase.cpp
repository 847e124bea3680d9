#include "CDlgBase.h"

#include "DlgWarning.h"
#include "ModuleInstance.h"
#include "ORVPubTools.h"
#include "WindowOnScreen.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

CQelStringW vGetResource(const WCHAR* name) { return CORVPubTools::GetBundleResourcePathWithName(nullptr, name); }

CDlgBase::CDlgBase() = default;

CDlgBase::~CDlgBase() { DlgWarningDef::DetachRoundedFrame(this); }

CQelStringW CDlgBase::ModuleUIPath(const WCHAR* name) {
  const plat::Bundle* bundle = vGetModuleInst();
  if (!bundle || !name || !*name) return CQelStringW();
  const std::string& path = bundle->path();
  std::string folder = path.substr(0, path.find_last_of('/'));
  return CQelStringW(QelFromUTF8("$M\\" + folder + "/UI/").c_str()) + name;
}

int32_t CDlgBase::Create(const WCHAR* name, SRect32* rect, WindowRef parent) {
  CQelStringW layout = ModuleUIPath(name);
  if (layout.IsEmpty()) return 0;
  return CQelDialog::Create(layout.ToUTF8().c_str(), rect, parent);
}

int32_t CDlgBase::Create(const char* name, SRect32* rect, WindowRef parent) {
  return CQelDialog::Create(name, rect, parent);
}

int32_t CDlgBase::PreCreateWind(QelCreateStruct* cs) {
  CQelDialog::PreCreateWind(cs);
  if (cs) {
    cs->windowClass = 0;
    cs->windowDef = reinterpret_cast<void*>(&DlgWarningDef::myWindowDef);
    cs->defValue = 4;
  }
  return QEL_S_OK;
}

int32_t CDlgBase::DidCreate() {
  CQelDialog::DidCreate();
  if (m_bRoundCorner) DlgWarningDef::AttachRoundedFrame(this, m_corners, m_shape);
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("view_title_mac", QEL_FRAME_DRAG);
  if (m_bHideClose) SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  return QEL_S_OK;
}

int32_t CDlgBase::DoModal() {
  WindowRef self = GetWindowRef();
  qel::RunOnMain([this, self] {
    if (CQelWindow::FetchQelWindow(self) == this && InModal()) InitAfterDlgShow();
  });
  return CQelDialog::DoModal();
}

intptr_t CDlgBase::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  intptr_t r = CQelDialog::ProcessMessage(msg, wp, lp, handled);
  if (msg == QEL_WM_SIZE || msg == QEL_WM_MOVE) {
    KeepWindowOnScreen(this);
    if (m_bRoundCorner) DlgWarningDef::UpdateShape(this, m_shape);
  }
  return r;
}
