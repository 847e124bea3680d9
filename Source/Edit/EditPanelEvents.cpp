// The page's controls, the album's notifications and the module window's
// messages that the page looks at first.
#include <cstdio>
#include <cstring>

#include "CaptureView.h"
#include "CPath.h"
#include "DlgWarning.h"
#include "EditGlobals.h"
#include "EditPanel.h"
#include "LayoutMenuPopup.h"
#include "ORVPubTools.h"
#include "PhotoEdit.h"
#include "QelFreeFunctions.h"
#include "VideoEdit.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelInput.h"
#include "qel/QelMessage.h"
#include "qel/QelTimer.h"

namespace {

constexpr int32_t kPointerMove = 0x40000001, kPointerDown = 0x40000002, kPointerUp = 0x40000003;
constexpr uint32_t kLayoutTimer = 1400;
constexpr uint32_t kKeyLeft = 28, kKeyDown = 31, kKeyDelete = 127;

// Elements whose events the page takes, and where each is looked up.
constexpr const char* kPageElements[] = {
    "ocat1", "chck_ShowHideLeftPanel", "splt_splt", "butn_Delete", "comb_capture", "butn_print",
    "butn_Email", "butn_FindTarget", "hscrl_1", "hscrl_2", "butn_Reset", "butn_Saveas", "butn_Save"};
constexpr const char* kMenuItems[] = {"mece_BackSpace", "mece_SelectAll", "mece_FindTarget",
                                      "mece_Preview", "mece_property", "mece_Refresh"};

bool IsSliderEvent(int32_t event) {
  return event == QEL_EV_CLICK || event == QEL_EV_SLIDER_BEGIN || event == QEL_EV_SLIDER_CHANGE2 ||
         event == QEL_EV_SLIDER_TRACK || event == QEL_EV_SLIDER_END;
}

bool IsCommand(int32_t event) { return event == QEL_EV_CLICK || event == QEL_EV_MENU_COMMAND; }

qel::Element* ElementOf(PubQelmar::QelElement* e) { return e ? qel::Element::From(e->Handle()) : nullptr; }

}  // namespace

int32_t CEditPanel::InitCallback() {
  qel::Element* page = ElementOf(m_pEditPanel);
  if (!page) return 0;
  for (const char* name : kPageElements) SetCallBack(m_pEditPanel, name, &CEditPanel::Element_Proc, this);
  for (const char* name : kMenuItems) SetCallBack(m_pEditPanel, name, &CEditPanel::Element_Proc, this);
  m_bCallbacks = true;
  UpdateAlbumUITools();
  return 1;
}

void CEditPanel::ReleaseCallBack() {
  if (!m_bCallbacks || !m_pEditPanel) return;
  for (const char* name : kPageElements) SetCallBack(m_pEditPanel, name, nullptr, nullptr);
  for (const char* name : kMenuItems) SetCallBack(m_pEditPanel, name, nullptr, nullptr);
  m_bCallbacks = false;
}

int32_t CEditPanel::Element_Proc(QelObject element, int32_t event, QELLPARAM param, void* data) {
  auto* self = static_cast<CEditPanel*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  const std::string& name = e->Name();
  auto is = [&](const char* n) { return qel::NamesEqual(name, n); };
  if (is("ocat1")) {
    if (event == QEL_EV_LAYOUT_CHANGED) self->OnLayoutChange(element, event, param);
  } else if (is("hscrl_1")) {
    if (IsSliderEvent(event)) self->OnBrightness(event, param);
  } else if (is("hscrl_2")) {
    if (IsSliderEvent(event)) self->OnContrast(event, param);
  } else if (is("butn_Reset")) {
    if (event == QEL_EV_CLICK) self->OnReset();
  } else if (is("butn_Saveas")) {
    if (event == QEL_EV_CLICK) self->OnSaveAs();
  } else if (is("butn_Save")) {
    if (event == QEL_EV_CLICK) self->OnSave();
  } else if (is("chck_ShowHideLeftPanel")) {
    if (event == QEL_EV_CLICK) self->OnShowHideLeftPanel(element);
  } else if (is("splt_splt")) {
    if (event == kPointerMove || event == kPointerDown || event == kPointerUp) self->OnSplitter();
  } else if (is("butn_Delete") || is("mece_BackSpace")) {
    if (IsCommand(event)) self->OnDelete();
  } else if (is("comb_capture")) {
    if (event == QEL_EV_SEL_CHANGE) self->OnAlbumSwitched();
  } else if (is("butn_print")) {
    if (event == QEL_EV_CLICK) self->DoAlbumCall(6, 0);
  } else if (is("butn_Email")) {
    if (event == QEL_EV_CLICK) self->DoAlbumCall(7, 0);
  } else if (is("butn_FindTarget") || is("mece_FindTarget")) {
    if (IsCommand(event)) self->DoAlbumCall(8, 0);
  } else if (is("mece_Preview")) {
    if (event == QEL_EV_MENU_COMMAND) self->DoAlbumCall(2, 0);
  } else if (is("mece_property")) {
    if (event == QEL_EV_MENU_COMMAND) self->DoAlbumCall(3, 0);
  } else if (is("mece_SelectAll")) {
    if (event == QEL_EV_MENU_COMMAND) self->DoAlbumCall(4, 0);
  } else if (is("mece_Refresh")) {
    if (event == QEL_EV_MENU_COMMAND) self->OnRefresh();
  }
  return 0;
}

int32_t CEditPanel::DoAlbumCall(int32_t code, intptr_t index, const void* data) {
  return m_pCaptureView ? m_pCaptureView->DoAlbumCall(code, index, data, nullptr) : 0;
}

void CEditPanel::OnLayoutChange(QelObject element, int32_t event, QELLPARAM param) {
  if (!m_pPhotoEdit) return;
  if (m_pPhotoEdit->IsCrop()) {
    // The crop frame follows once the new layout has settled.
    if (!m_bLayoutTimer) {
      QelInstallTimer(this, kLayoutTimer, 0, 0, &CEditPanel::LayoutTimer_Proc, nullptr);
      m_bLayoutTimer = true;
    }
    return;
  }
  m_pPhotoEdit->OnMainLayoutChange(element, event, param);
}

void CEditPanel::LayoutTimer_Proc(void* owner, uint32_t id, void*) {
  auto* self = static_cast<CEditPanel*>(owner);
  if (!self || id != kLayoutTimer || self != vGetPanelHandle()) return;
  QelRemoveTimer(self, kLayoutTimer);
  self->m_bLayoutTimer = false;
  if (self->m_pPhotoEdit) self->m_pPhotoEdit->OnMainLayoutChange(nullptr, 0, 0);
}

void CEditPanel::OnBrightness(int32_t event, QELLPARAM param) {
  if (m_nMode == kModePhoto && m_pPhotoEdit) m_pPhotoEdit->OnBrightnessProc(param);
  else if (m_nMode == kModeMovie && m_pVideoEdit) m_pVideoEdit->OnBrightnessProc(event, param);
}

void CEditPanel::OnContrast(int32_t event, QELLPARAM param) {
  if (m_nMode == kModePhoto && m_pPhotoEdit) m_pPhotoEdit->OnContrastProc(param);
  else if (m_nMode == kModeMovie && m_pVideoEdit) m_pVideoEdit->OnContrastProc(event, param);
}

void CEditPanel::OnReset() {
  if (m_nMode == kModePhoto && m_pPhotoEdit) m_pPhotoEdit->OnResetProc(0);
  else if (m_nMode == kModeMovie && m_pVideoEdit) m_pVideoEdit->OnResetProc(0);
}

void CEditPanel::OnSaveAs() {
  if (m_nMode == kModePhoto && m_pPhotoEdit) m_pPhotoEdit->OnSaveasProc(0);
  else if (m_nMode == kModeMovie && m_pVideoEdit) m_pVideoEdit->OnSaveasProc(0);
}

void CEditPanel::OnSave() {
  if (m_nMode == kModePhoto && m_pPhotoEdit) m_pPhotoEdit->OnDoneProc(0);
  else if (m_nMode == kModeMovie && m_pVideoEdit) m_pVideoEdit->OnDoneProc(0);
}

void CEditPanel::SetLeftPanelTip(bool shown) {
  qel::Element* page = ElementOf(m_pEditPanel);
  if (qel::Element* check = page ? page->FindByName("chck_ShowHideLeftPanel", true) : nullptr) {
    check->SetTips(ResString(shown ? 32 : 31));
  }
}

void CEditPanel::OnShowHideLeftPanel(QelObject element) {
  qel::Element* check = qel::Element::From(element);
  qel::Element* page = ElementOf(m_pEditPanel);
  if (!check || !page) return;
  const bool show = check->Check() == 0;
  for (const char* name : {"cata_Left", "splt_splt"}) {
    if (qel::Element* e = page->FindByName(name, true)) e->Show(show);
  }
  SetLeftPanelTip(show);
  m_bLeftPanelShow = show ? 1 : 0;
}

void CEditPanel::OnSplitter() {
  qel::Element* page = ElementOf(m_pEditPanel);
  if (page && page->EffectivelyVisible() && m_pCaptureView) m_pCaptureView->NavigateToSelectedItems();
}

void CEditPanel::OnDelete() {
  if (!m_pCaptureView || !DoAlbumCall(9, 0)) return;
  if (vMessageBox(m_hMainWnd, ResString(30).c_str(), u"", kWarnYesNo) != 0) return;
  SetReset();
  DoAlbumCall(1, 0);
}

void CEditPanel::OnAlbumSwitched() {
  m_bAlbumSwitched = 1;
  DoAlbumCall(15, 0);
}

void CEditPanel::OnRefresh() {
  if (GetReset() && CPath::IsFileExist(m_strCurFile.c_str())) return;
  SetReset();
  DoAlbumCall(5, 0);
}

void CEditPanel::OnFileGone() {
  if (m_bShowDeleteWarning) {
    CDlgWarningWithCheck dialog(m_hMainWnd, ResString(54).c_str(), 0, 0);
    if (dialog.Create("$app\\UI\\WarningMsgWithCheckBox.aui", nullptr, m_hMainWnd)) {
      dialog.RepositionWindow(1);
      if (dialog.DoModal() == 0) m_bShowDeleteWarning = dialog.ShowAgain() ? 1 : 0;
    }
    if (m_pCaptureView) m_pCaptureView->CancelDrag();
  }
  SetReset();
  DoAlbumCall(5, 0);
}

void CEditPanel::UpdateAlbumUITools() {
  if (!m_pEditPanel) return;
  const std::pair<const char*, int32_t> tools[] = {
      {"butn_Delete", 9}, {"butn_Media", 10}, {"butn_print", 12}, {"butn_Email", 13}, {"butn_FindTarget", 14}};
  for (const auto& [name, code] : tools) EnableElement(m_pEditPanel, name, DoAlbumCall(code, 0) ? 1 : 0);
}

void CEditPanel::PopupAlbumMenu(POINT windowPoint) {
  qel::Element* menu = ElementOf(m_pAlbumMenu);
  qel::Element* bar = menu ? menu->FindByName("meba_rclick", true) : nullptr;
  if (!bar) return;
  const std::pair<const char*, int32_t> enabling[] = {
      {"mece_Preview", 10}, {"mece_property", 11}, {"mece_FindTarget", 14}};
  for (const auto& [name, code] : enabling) {
    if (qel::Element* item = bar->FindByName(name, true)) item->Enable(DoAlbumCall(code, 0) != 0);
  }
  ORVGF::PopupLayoutMenu(m_hMainWnd, bar, windowPoint);
}

int32_t CEditPanel::Receive(int32_t source, const void* data, const void* sender) {
  if (source != kEditAlbumSource || !data) return 0;
  const auto* message = static_cast<const _AlbumOptMsg*>(data);
  switch (message->code) {
    case kAlbumNotifyDirty:
    case kAlbumNotifyThumbReady:
      PostMessage(m_hMainWnd, kMsgAlbumCall, QELWPARAM(message->code), QELLPARAM(message->index));
      break;
    case kAlbumNotifySelection:
      UpdateAlbumUITools();
      break;
    case kAlbumNotifyCurrent:
      PostMessage(m_hMainWnd, kMsgUpdatePreview, 0, 0);
      break;
    case kAlbumNotifyRightRelease:
      SendMessage(m_hMainWnd, 514, 0, 0);
      break;
    case kAlbumNotifyFileGone:
      PostMessage(m_hMainWnd, kMsgFileGone, 0, 0);
      break;
    default:
      break;
  }
  return 0;
}

intptr_t CEditPanel::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  switch (msg) {
    case kMsgAlbumCall:
      DoAlbumCall(int32_t(wp), intptr_t(lp));
      return 0;
    case kMsgFileGone:
      OnFileGone();
      return 0;
    case kMsgUpdatePreview:
      DoUpdatePreview();
      return 0;
    case kMsgRefreshVideo:
      if (m_nMode == kModeMovie && wp == 1 && lp == 1 && m_pVideoEdit) m_pVideoEdit->RefreshVideo();
      return 0;
    case QEL_WM_KEYDOWN: {
      if (!m_pCaptureView) return 0;
      int flag = 0;
      if (wp >= kKeyLeft && wp <= kKeyDown) {
        m_pCaptureView->DoKeyMsg(msg, uint32_t(wp), lp, flag);
      } else if ((wp == QEL_KEY_BACKSPACE || wp == kKeyDelete) && m_bLeftPanelShow) {
        // The keys of the album's hidden menu: "Move to Trash" and "Select All".
        OnDelete();
        flag = 1;
      } else if ((wp == 'a' || wp == 'A') && (qel::input::Modifiers() & qel::PointerInput::kControl) &&
                 m_bLeftPanelShow) {
        DoAlbumCall(4, 0);
        flag = 1;
      }
      handled = flag != 0;
      return 0;
    }
    default:
      break;
  }
  if (msg >= 512 && msg <= 525 && m_pCaptureView) {
    int flag = 0;
    const uint32_t answer = m_pCaptureView->DoMouseMsg(msg, wp, lp, flag);
    if ((answer & 0xFF000000u) == 0 && ((answer >> 8) & 0xFF) == 1) {
      PopupAlbumMenu(POINT{int16_t(lp & 0xFFFF), int16_t((lp >> 16) & 0xFFFF)});
    }
    handled = handled || flag != 0;
  }
  return 0;
}
