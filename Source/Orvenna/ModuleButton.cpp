#include "ModuleButton.h"

#include "MyMainFrame.h"
#include "ORVPubTools.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"

namespace {

// Descriptions longer than this are cut (terminator included).
constexpr size_t kDescUnits = 4096;
constexpr char kHomeButton[] = "butn_home";

qel::Element* Hold(QelObject handle) {
  qel::Element* e = handle ? qel::Element::From(handle) : nullptr;
  if (e) e->Retain();
  return e;
}

void Drop(qel::Element*& e) {
  if (e) e->Release();
  e = nullptr;
}

// Takes an element out of whatever panel holds it, without freeing it.
void TakeOut(qel::Element* e) {
  if (e && e->Parent()) e->PutInside(nullptr, nullptr);
}

}  // namespace

CModuleButton::CModuleButton(CMyMainFrame* frame, QelObject buttonsPanel, QelObject welcomeView,
                             QelObject titlePanel, uint32_t libID)
    : m_pFrame(frame), m_nLibID(libID) {
  m_pButtons = Hold(buttonsPanel);
  m_pWelcome = Hold(welcomeView);
  m_pTitle = Hold(titlePanel);
}

CModuleButton::~CModuleButton() {
  if (m_pActive) m_pActive->SetCallback(nullptr, nullptr);
  if (m_pTab) m_pTab->SetCallback(nullptr, nullptr);
  if (m_pTabP) m_pTabP->SetCallback(nullptr, nullptr);
  // The tabs go with the button: a strip must not keep tabs of a module
  // whose button is gone.
  TakeOut(m_pTab);
  TakeOut(m_pTabP);
  TakeOut(m_pIconLayout);
  Drop(m_pTab);
  Drop(m_pTabP);
  Drop(m_pTabLayout);
  Drop(m_pActive);
  Drop(m_pIconLayout);
  if (m_pWelcome) m_pWelcome->SetText(u"");
  Drop(m_pWelcome);
  Drop(m_pButtons);
  Drop(m_pTitle);
  Drop(m_pBtn);
  Drop(m_pProcess);
}

void CModuleButton::SetModuleBtnPanel(QelObject btnPanel, QelObject processPanel) {
  Drop(m_pBtn);
  Drop(m_pProcess);
  m_pBtn = Hold(btnPanel);
  m_pProcess = Hold(processPanel);
}

int32_t CModuleButton::Init(const CQelStringW& iconFile, const CQelStringW& stringFile, int32_t descStringID,
                            const CQelStringW& tabFile, const char* tabElementName) {
  // 1. The icon.
  if (iconFile.IsEmpty()) return 0;
  m_pIconLayout = qel::Element::From(QelCreateLayoutW(iconFile.c_str()));
  if (!m_pIconLayout) return 0;
  m_pActive = m_pIconLayout->FindByName("butn_active", true);
  if (!m_pActive) return 0;
  m_pActive->Retain();
  m_pActive->Show(true);
  m_pActive->SetCallback(&CModuleButton::OnActionButton, this);

  // 2. The description.
  if (stringFile.IsEmpty()) return 0;
  QelObject table = QelCreateAUIW(stringFile.c_str());
  if (!table) return 0;
  auto text = reinterpret_cast<const WCHAR*>(
      Qel0Inter(table, QEL_IF_AUI, 2, static_cast<QELWPARAM>(descStringID), 0));
  bool found = text != nullptr;
  if (found) {
    std::u16string desc(text);
    if (desc.size() > kDescUnits - 1) desc.resize(kDescUnits - 1);
    m_strDesc = desc.c_str();
  }
  Qel0Release(table);
  if (!found) return 0;

  // 3. The tabs.
  if (tabFile.IsEmpty() || !tabElementName || !*tabElementName) return 0;
  m_pTabLayout = qel::Element::From(QelCreateLayoutW(tabFile.c_str()));
  if (!m_pTabLayout) return 0;
  std::string radioName = std::string(tabElementName) + "P";
  m_pTabP = m_pTabLayout->FindByName(radioName, true);
  m_pTab = m_pTabLayout->FindByName(tabElementName, true);
  if (!m_pTabP || !m_pTab) {
    m_pTabP = m_pTab = nullptr;
    return 0;
  }
  m_pTabP->Retain();
  m_pTab->Retain();
  if (m_pProcess) m_pTabP->PutInside(m_pProcess, nullptr);
  m_pTabP->Show(true);
  m_pTabP->SetCallback(&CModuleButton::OnRadoButton, this);
  if (m_pBtn) m_pTab->PutInside(m_pBtn, nullptr);
  m_pTab->Show(false);

  // 4. The icon joins the home page.
  if (m_pButtons) m_pIconLayout->PutInside(m_pButtons, nullptr);
  return 1;
}

void CModuleButton::GetModuleIconSize(SIZE& size) const {
  size = m_pIconLayout ? m_pIconLayout->FrameSize() : SIZE{0, 0};
}

void CModuleButton::UpdateModuleButtonState() {
  if (!m_pActive) return;
  m_pActive->Show(true);
  m_pActive->SetCallback(&CModuleButton::OnActionButton, this);
}

void CModuleButton::UpdateModuleBtnState(int32_t selected, int32_t keep) {
  if (m_pBtn && (selected || !keep)) {
    for (qel::Element* e : m_pBtn->Children()) {
      if (qel::NamesEqual(e->Name(), kHomeButton)) continue;
      e->SetCallback(nullptr, nullptr);
      e->Show(false);
    }
  }
  if (selected && m_pTab) {
    m_pTab->Show(true);
    m_pTab->SetCallback(&CModuleButton::OnModuleButton, this);
  }
}

void CModuleButton::UpdateModuleRadioState(int32_t selected, int32_t) {
  if (!m_pTabLayout || !m_pTabP) return;
  if (selected) {
    m_pTabP->Show(false);
    m_pTabP->SetCallback(nullptr, nullptr);
  } else {
    m_pTabP->Show(true);
    m_pTabP->SetCallback(&CModuleButton::OnRadoButton, this);
  }
}

bool CModuleButton::IsPtInProcessPanel(int32_t x, int32_t y) const {
  if (!m_pProcess) return false;
  POINT at = m_pProcess->Position();
  SIZE size = m_pProcess->LaidOutSize();
  SRect32 rect{at.x, at.y, at.x + size.cx, at.y + size.cy + 5};
  return CORVPubTools::PtInRect(&rect, POINT{x, y}) != 0;
}

bool CModuleButton::PointerInWindow(POINT& p) const {
  if (!m_pFrame) return false;
  if (!CORVPubTools::GetCursorPos(&p)) return false;
  return CORVPubTools::ScreenToClient(m_pFrame->GetWindowRef(), &p) != 0;
}

qel::Element* CModuleButton::FirstShownTab() const {
  if (!m_pBtn) return nullptr;
  for (qel::Element* e : m_pBtn->Children()) {
    if (!qel::NamesEqual(e->Name(), kHomeButton) && e->Visible()) return e;
  }
  return nullptr;
}

void CModuleButton::HideTabsBut(qel::Element* keep) {
  if (!m_pBtn) return;
  for (qel::Element* e : m_pBtn->Children()) {
    if (e != keep && !qel::NamesEqual(e->Name(), kHomeButton)) e->Show(false);
  }
}

int32_t CModuleButton::OnActionButton(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CModuleButton*>(data);
  if (!self || !element) return -1;
  switch (event) {
    case kEventPointerEnter:
      if (self->m_pWelcome) {
        self->m_pWelcome->SetText(u"");
        self->m_pWelcome->SetText(self->m_strDesc.c_str());
      }
      if (self->m_pFrame && self->m_pActive) self->m_pFrame->SetIconSlideStart(self->m_pActive->Position());
      break;
    case kEventPointerLeave:
      if (self->m_pWelcome) self->m_pWelcome->SetText(u"");
      break;
    case QEL_EV_CLICK:
      if (self->m_pFrame) self->m_pFrame->LaunchModule(self->m_nLibID, 0);
      break;
    default:
      break;
  }
  return 0;
}

int32_t CModuleButton::OnRadoButton(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CModuleButton*>(data);
  qel::Element* clicked = element ? qel::Element::From(element) : nullptr;
  if (!self || !clicked) return -1;
  CMyMainFrame* frame = self->m_pFrame;
  if (!frame) return 0;
  if (event == QEL_EV_CLICK) {
    uint32_t libID = self->m_nLibID;
    if (libID != kNoSwitchLibID) {
      if (!frame->SwitchModuleAskForClose(libID)) {
        frame->StartBtnProcessAnimation(0);
        return 0;
      }
      clicked->Show(false);
      self->HideTabsBut(nullptr);
      if (self->m_pTab) self->m_pTab->Show(true);
      frame->StartBtnProcessAnimation(0);
    }
    // The click may delete this button (the window goes home on a failed
    // launch): nothing of it is touched afterwards.
    frame->LaunchModule(libID, 1);
  } else if (event == kEventPointerLeave) {
    qel::Element* shown = self->FirstShownTab();
    POINT p{};
    bool off = false;
    if (shown && self->PointerInWindow(p)) {
      POINT at = shown->Position();
      SIZE size = shown->LaidOutSize();
      SRect32 rect{at.x, at.y, at.x + size.cx, at.y + size.cy};
      off = !CORVPubTools::PtInRect(&rect, p) && !self->IsPtInProcessPanel(p.x, p.y);
    }
    frame->StartBtnProcessAnimation(off ? 0 : 1);
  }
  return 0;
}

int32_t CModuleButton::OnModuleButton(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CModuleButton*>(data);
  qel::Element* tab = element ? qel::Element::From(element) : nullptr;
  if (!self || !tab) return -1;
  if (!self->m_pFrame) return 0;
  switch (event) {
    case QEL_EV_CLICK:
    case kEventPointerEnter:
      self->m_pFrame->StartBtnProcessAnimation(1);
      break;
    case kEventPointerLeave: {
      int32_t state = 1;
      POINT p{};
      if (self->PointerInWindow(p)) {
        POINT at = tab->Position();
        SIZE size = tab->LaidOutSize();
        SRect32 rect{at.x, at.y, at.x + size.cx, at.y + size.cy};
        if (!CORVPubTools::PtInRect(&rect, p) && !self->IsPtInProcessPanel(p.x, p.y)) state = 0;
      }
      self->m_pFrame->StartBtnProcessAnimation(state);
      break;
    }
    default:
      break;
  }
  return 0;
}
