#include "DlgSplash.h"

#include "HelpFunc.h"
#include "qel/QelMessage.h"

namespace {
constexpr int32_t kPointerDown = 0x40000002;
}

CDlgSplash::CDlgSplash(WindowRef parent) : m_hParent(parent) {}

CDlgSplash::~CDlgSplash() = default;

void CDlgSplash::RegisterCallBacks() {
  CQelDialog::RegisterCallBacks();
  RegisterCallBack("cata_MouseDown", kAllEvents, &CDlgSplash::OnMouseDown, this);
}

int32_t CDlgSplash::DidCreate() {
  CQelDialog::DidCreate();
  WCHAR version[kVersionUnits] = {};
  GetExeVersion(version);
  qel::Element* root = Root();
  qel::Element* caption = root ? root->FindByName("view_VersionCap", true) : nullptr;
  qel::Element* text = root ? root->FindByName("view_Version", true) : nullptr;
  bool has = version[0] != 0;
  if (text && has) text->SetText(version);
  if (caption) caption->Show(has);
  if (text) text->Show(has);
  return QEL_S_OK;
}

intptr_t CDlgSplash::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == QEL_WM_KEYDOWN && (wp == QEL_KEY_ESCAPE || wp == QEL_KEY_RETURN || wp == QEL_KEY_ENTER)) {
    handled = true;
    OnQelOK();
    return 0;
  }
  return CQelDialog::ProcessMessage(msg, wp, lp, handled);
}

int32_t CDlgSplash::OnMouseDown(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgSplash*>(data);
  if (!self) return -1;
  // A press anywhere on the picture closes it (a click is the press here).
  if ((event == kPointerDown || event == QEL_EV_CLICK) && self->InModal()) self->OnQelOK();
  return 0;
}
