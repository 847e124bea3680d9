// The warning and question dialog and the vMessageBox functions.
#include "DlgWarning.h"

#include <algorithm>
#include <cstdio>

#include "DlgLayoutHelpers.h"
#include "ORVPubTools.h"
#include "WindowOnScreen.h"
#include "qel/QelCore.h"
#include "qel/QelMessage.h"

namespace {

constexpr const char* kButtons[] = {"butn_Yes", "butn_No", "butn_OK", "butn_Cancel"};

}  // namespace

CDlgWarning::CDlgWarning(uint32_t flags, const WCHAR* text, int32_t textStyle, WindowRef parent,
                         int32_t defaultIsCancel)
    : m_parent(parent),
      m_flags(flags),
      m_text(text ? text : u""),
      m_bDefaultCancel(defaultIsCancel),
      m_textStyle(textStyle) {}

CDlgWarning::~CDlgWarning() { DlgWarningDef::DetachRoundedFrame(this); }

void CDlgWarning::RegisterCallBacks() {
  RegisterCallBack("butn_Yes", QEL_EV_CLICK, &CDlgWarning::YesProc_Proc, this);
  RegisterCallBack("butn_No", QEL_EV_CLICK, &CDlgWarning::NoProc_Proc, this);
  RegisterCallBack("butn_OK", QEL_EV_CLICK, &CDlgWarning::OkProc_Proc, this);
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CDlgWarning::CancelProc_Proc, this);
}

int32_t CDlgWarning::PreCreateWind(QelCreateStruct* cs) {
  CQelDialog::PreCreateWind(cs);
  if (cs) {
    cs->windowClass = 0;
    cs->windowDef = reinterpret_cast<void*>(&DlgWarningDef::myWindowDef);
    cs->defValue = 4;
  }
  return QEL_S_OK;
}

int32_t CDlgWarning::DidCreate() {
  CQelDialog::DidCreate();
  DlgWarningDef::AttachRoundedFrame(this, m_corners, m_shape);
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("view_title_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);

  qel::Element* root = Root();
  qel::Element* message = dlg::Find(root, "text_Msg");
  dlg::Show(root, "TextInfo", m_textStyle == 1);
  dlg::Show(root, "TextBox", m_textStyle != 1);
  // The information style asks a question unless OK is all there is to say.
  if (qel::Element* info = m_textStyle == 1 && (m_flags & 0x0F) == kWarnOK ? dlg::Find(root, "TextInfo") : nullptr) {
    info->SetImagePath("theme:dialog-information-symbolic");
  }
  if (message) message->SetText(m_text);
  for (const char* name : kButtons) dlg::Show(root, name, false);
  switch (m_flags & 0x0F) {
    case kWarnOK:
      dlg::Show(root, "butn_OK", true);
      break;
    case kWarnOKCancel:
      dlg::Show(root, "butn_OK", true);
      dlg::Show(root, "butn_Cancel", true);
      break;
    case kWarnYesNoCancel:
      dlg::Show(root, "butn_Yes", true);
      dlg::Show(root, "butn_No", true);
      dlg::Show(root, "butn_Cancel", true);
      break;
    case kWarnYesNo:
      dlg::Show(root, "butn_Yes", true);
      dlg::Show(root, "butn_No", true);
      break;
    default:  // no button: only Return or Escape ends it
      break;
  }
  dlg::AlignButtonsRight(dlg::Find(root, "cata_butn"));

  m_dRatio = dlg::DisplayRatio();
  qel::Element* info = dlg::Find(root, "TextInfo");
  m_minContentHeight = int32_t(10 * m_dRatio + (info ? info->LaidOutSize().cy : 0));
  qel::Element* content = dlg::Find(root, "cata_112");
  m_contentHeight = content ? content->LaidOutSize().cy : 0;
  return QEL_S_OK;
}

int32_t CDlgWarning::DoModal() {
  qel::Element* root = Root();
  if (!root || !IsCreated()) return kResultCancel;
  const SIZE size = root->FrameSize();
  root->SetFrameSize(SIZE{size.cx, 1000});
  root->LayoutNow();
  qel::Element* message = dlg::Find(root, "text_Msg");
  const int32_t textHeight = dlg::TextHeight(message);
  root->SetFrameSize(size);
  if (textHeight != 0) {
    SRect32 bounds{};
    GetWindowRect(&bounds);
    if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) {
      std::fprintf(stderr, "warning dialog: the window has no size; answered Cancel\n");
      return kResultCancel;
    }
    const int32_t wanted = std::max(int32_t(10 * m_dRatio + textHeight), m_minContentHeight);
    const int32_t delta = wanted - m_contentHeight;
    dlg::GrowContent(root, "cata_112", delta);
    bounds.bottom += delta;
    MoveWindow(&bounds);
    root->SetFrameSize(SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top});
    m_contentHeight = wanted;
    DlgWarningDef::UpdateShape(this, m_shape);
  }
  m_bCancel = 0;
  return CQelDialog::DoModal();
}

intptr_t CDlgWarning::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == QEL_WM_KEYDOWN) {
    OnKeyDown(uint32_t(wp), handled);
    if (handled) return 0;
  }
  intptr_t r = CQelDialog::ProcessMessage(msg, wp, lp, handled);
  if (msg == QEL_WM_SIZE || msg == QEL_WM_MOVE) {
    KeepWindowOnScreen(this);
    DlgWarningDef::UpdateShape(this, m_shape);
  }
  return r;
}

void CDlgWarning::OnKeyDown(uint32_t key, bool& handled) {
  if (key == QEL_KEY_RETURN || key == QEL_KEY_ENTER) {
    handled = true;
    if (m_bDefaultCancel) {
      CancelProc(nullptr, 0);
    } else if ((m_flags & 0x7) == 0) {
      OkProc(nullptr, 0);
    } else {
      YesProc(nullptr, 0);
    }
  } else if (key == QEL_KEY_ESCAPE) {
    handled = true;
    CancelProc(nullptr, 0);
  }
}

int32_t CDlgWarning::YesProc_Proc(QelObject element, int32_t, QELLPARAM param, void* data) {
  return data ? static_cast<CDlgWarning*>(data)->YesProc(element, param) : 0;
}
int32_t CDlgWarning::NoProc_Proc(QelObject element, int32_t, QELLPARAM param, void* data) {
  return data ? static_cast<CDlgWarning*>(data)->NoProc(element, param) : 0;
}
int32_t CDlgWarning::OkProc_Proc(QelObject element, int32_t, QELLPARAM param, void* data) {
  return data ? static_cast<CDlgWarning*>(data)->OkProc(element, param) : 0;
}
int32_t CDlgWarning::CancelProc_Proc(QelObject element, int32_t, QELLPARAM param, void* data) {
  return data ? static_cast<CDlgWarning*>(data)->CancelProc(element, param) : 0;
}

int32_t CDlgWarning::YesProc(QelObject, QELLPARAM) {
  EndModal(kResultOK);
  return 0;
}
int32_t CDlgWarning::NoProc(QelObject, QELLPARAM) {
  EndModal(kResultCancel);
  return 0;
}
int32_t CDlgWarning::OkProc(QelObject, QELLPARAM) {
  EndModal(kResultOK);
  return 0;
}
int32_t CDlgWarning::CancelProc(QelObject, QELLPARAM) {
  m_bCancel = 1;
  EndModal(kResultCancel);
  return 0;
}

namespace {

// One dialog run; `failed` is what a dialog that could not be shown answers.
int32_t RunWarning(WindowRef parent, const WCHAR* text, uint32_t flags, int32_t textStyle, bool threeWay) {
  const int32_t failed = threeWay ? 2 : CQelDialog::kResultCancel;
  CQelStringW layout = vGetWarningUI(u"WaringMsg.aui", 1);
  auto* dialog = new CDlgWarning(flags, text, textStyle, textStyle == 1 ? parent : nullptr, 0);
  if (layout.IsEmpty() || !dialog->Create(layout.c_str(), nullptr, parent)) {
    std::fprintf(stderr, "warning dialog: layout \"%s\" cannot be created; answered %d\n",
                 layout.ToUTF8().c_str(), failed);
    delete dialog;
    return failed;
  }
  dialog->RepositionWindow(1);
  int32_t result = dialog->DoModal();
  if (threeWay && dialog->IsCancel()) result = 2;
  delete dialog;
  return result;
}

}  // namespace

int32_t vMessageBox(WindowRef parent, const WCHAR* text, const WCHAR*, uint32_t flags) {
  return RunWarning(parent, text, flags, 0, false);
}

int32_t vMessageBox2(WindowRef parent, const WCHAR* text, const WCHAR*, uint32_t flags) {
  return RunWarning(parent, text, flags, 1, false);
}

int32_t vMessageBox3(WindowRef parent, const WCHAR* text, const WCHAR*, uint32_t flags) {
  return RunWarning(parent, text, flags, 1, true);
}

CQelStringW vGetWarningUI(const WCHAR* name, int32_t withRoot) {
  CQelStringW contents = CORVPubTools::GetBundleContentsPath(nullptr);
  if (contents.IsEmpty() || !name) return CQelStringW();
  CQelStringW path = withRoot ? CQelStringW(u"$M\\") : CQelStringW();
  path += contents;
  path += u"/UI/";
  path += name;
  return path;
}

CQelStringW vGetWarningResource(const WCHAR* name) {
  return CORVPubTools::GetBundleResourcePathWithName(nullptr, name);
}
