// The capture page's controls: states by camera and recording, the photo
// resolution list, the preview area, zoom, super quality and its levels.
#include <algorithm>
#include <cmath>

#include "BasePanel.h"
#include "Capture.h"
#include "CaptureSettingData.h"
#include "DlgWarning_1.h"
#include "FullScreenWnd.h"
#include "ORVGF.h"
#include "ORVTrace.h"
#include "Profile.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Section_Capture";

int32_t PackSize(const SIZE& s) { return int32_t(uint32_t(s.cy & 0xFFFF) << 16 | uint32_t(s.cx & 0xFFFF)); }

SIZE UnpackSize(intptr_t packed) {
  return SIZE{int32_t(uint32_t(packed) & 0xFFFF), int32_t(uint32_t(packed) >> 16 & 0xFFFF)};
}

std::u16string Bracketed(int32_t value) { return qel_format(u"(%d)", int(value)); }

}  // namespace

void CBasePanel::UpdateUIForCameraValid(int32_t valid) {
  const QelObject host = QelHandle(m_pHostPanel);
  ORVGF::ShowElement(m_pPage, "cata_view_camera", valid);
  ORVGF::ShowElement(m_pPage, "cata_capture", valid);
  ORVGF::ShowElement(m_pPage, "Panel_Disconnect", !valid);
  ORVGF::EnableElement(m_pPage, "cata_capture", 1);
  ORVGF::EnableElement(host, "butn_camsetting", valid);
  ORVGF::EnableElement(host, "butn_fullScreen", valid);
  ORVGF::EnableElement(host, "butn_CaptureSettings", 1);
  ORVGF::EnableElement(host, "chck_SoftEject", 1);
  if (qel::Element* eject = HostElement("chck_SoftEject")) {
    eject->SetCheck(valid ? 1 : 0);
    eject->SetTips(ORVGF::vLoadResString(valid ? 28 : 27));
  }
  if (!valid) return;
  if (qel::Element* burst = PageElement("chck_burst")) {
    burst->Enable(m_bBurstAllowed != 0);
    burst->SetCheck(0);
  }
  if (qel::Element* video = PageElement("chck_video")) {
    video->Enable(m_bVideoAllowed != 0);
    video->SetCheck(0);
    video->SetTips(ORVGF::vLoadResString(17));
  }
}

void CBasePanel::UpdateUIForBurstOrRecord(int32_t burst, int32_t record) {
  const bool busy = burst || record;
  if (CFullScreenWnd* window = CFullScreenWnd::GetWndPtr()) {
    window->UpdateUI(burst, record, m_bBurstAllowed, m_bVideoAllowed);
  }
  const QelObject host = QelHandle(m_pHostPanel);
  for (const char* name : {"butn_camsetting", "butn_CaptureSettings", "chck_SoftEject", "butn_home", "butn_close_mac",
                           "Menu", "cata_Btn"}) {
    ORVGF::EnableElement(host, name, !busy);
  }
  for (const char* name : {"butn_image", "comb_resolution", "splt_splt", "cata_Left"}) {
    ORVGF::EnableElement(m_pPage, name, !busy);
  }
  ORVGF::EnableElement(m_pPage, "chck_burst", m_bBurstAllowed && !record);
  ORVGF::EnableElement(m_pPage, "chck_video", m_bVideoAllowed && !burst);
  if (qel::Element* video = PageElement("chck_video")) video->SetTips(ORVGF::vLoadResString(record ? 18 : 17));
  // The menus follow at once, so they show greyed before anyone opens them.
  if (CQelWindow* window = CQelWindow::FetchQelWindow(m_hWindow)) QelEnableMenuCommand(window, 0, !busy);
}

int32_t CBasePanel::MenuStateProc(const QelHICommand& command, void* data) {
  auto* self = static_cast<CBasePanel*>(data);
  if (!self || command.kind != QEL_CMD_UPDATE_STATUS || command.menuID == 0) return QEL_EVENT_NOT_HANDLED;
  const bool busy = self->m_bBursting || self->m_bRecording;
  if (CQelWindow* window = CQelWindow::FetchQelWindow(self->m_hWindow)) {
    QelEnableMenuCommand(window, command.commandID, !busy);
  }
  return 0;
}

void CBasePanel::UpdateCombResolution(int32_t shown) {
  qel::Element* list = PageElement("comb_resolution");
  if (!list) return;
  list->Show(shown != 0);
  list->Items().clear();
  list->SetSelection(-1);
  if (!shown) return;
  const ORVGF::CaptureSettingData& record = ORVGF::CaptureSettings();
  SIZE last{0, 0};
  for (int32_t i = 0; i < record.videoResolutionCount && i < ORVGF::kMaxListItems; ++i) {
    const SIZE size = record.videoResolutions[size_t(i)];
    if (size.cx <= 0 || size.cy <= 0) continue;
    const int32_t index = list->AddItem(ORVGF::vSizeToString(size));
    list->Items()[size_t(index)].data = reinterpret_cast<void*>(intptr_t(uint32_t(PackSize(size))));
    last = size;
  }
  if (record.resolutionMultiple > record.resolutionDivide && record.resolutionDivide > 0 && !list->Items().empty()) {
    m_largestNativeResolution = last;
    const SIZE larger{int32_t(uint32_t(last.cx) * record.resolutionMultiple / record.resolutionDivide),
                      int32_t(uint32_t(last.cy) * record.resolutionMultiple / record.resolutionDivide)};
    const int32_t index = list->AddItem(u"(*)" + ORVGF::vSizeToString(larger));
    list->Items()[size_t(index)].data = reinterpret_cast<void*>(intptr_t(uint32_t(PackSize(larger))));
  }
  int32_t selected = 0;
  for (size_t i = 0; i < list->Items().size(); ++i) {
    if (reinterpret_cast<intptr_t>(list->Items()[i].data) == intptr_t(uint32_t(PackSize(m_imageResolution)))) {
      selected = int32_t(i);
      break;
    }
  }
  list->SetSelection(list->Items().empty() ? -1 : selected);
}

void CBasePanel::OnResolution(qel::Element* list, int32_t, QELLPARAM) {
  if (!list || list->Selection() < 0) return;
  const SIZE chosen = UnpackSize(reinterpret_cast<intptr_t>(list->Items()[size_t(list->Selection())].data));
  m_imageResolution = chosen;
  SaveProfileInt(kSection, u"ImageResolution", PackSize(chosen));
  const int32_t largest = m_largestNativeResolution.cx;
  if (!(chosen.cx >= largest && m_videoResolution.cx == largest)) {
    m_videoResolution = chosen.cx < largest ? chosen : m_largestNativeResolution;
    SaveProfileInt(kSection, u"VideoResolution", PackSize(m_videoResolution));
    if (m_bCameraValid) {
      CameraValid(0);
      CameraValid(1);
      return;
    }
  }
  CameraValid(1);
}

void CBasePanel::ZoomPreviewSize(int32_t step) {
  if (step == 0) m_dZoom = 1.0;
  else if (step == 1 && m_dZoom < 4.0) m_dZoom += 0.125;
  else if (step == -1 && m_dZoom > 1.0) m_dZoom -= 0.125;
  if (CCapture* capture = CCapture::GetInstance()) capture->ZoomPreviewSize(m_dZoom);
  if (step != 0) OrvTrace(qel::ToU8(qel_format(u"capture zoom %.3f", m_dZoom)));
}

int32_t CBasePanel::EnableSupperQuality(int32_t want) {
  const bool large = m_videoResolution.cx > 640 || m_videoResolution.cy > 480;
  int32_t result = want;
  bool enable = true;
  if (LoadProfileInt(kSection, u"RemindSupperQuality", 1)) {
    if (want && large) {
      std::u16string text = ORVGF::vLoadResString(60);
      CDlgWarning_1 reminder(ORVGF::vGetModuleQelWin(), text.c_str(), 0);
      int32_t answer = CQelDialog::kResultCancel;
      if (reminder.Create("$app\\UI\\WarningLowQuality.aui", nullptr, ORVGF::vGetModuleQelWin())) {
        answer = reminder.DoModal();
      }
      result = answer == CQelDialog::kResultOK ? 1 : 0;
      OrvTrace("capture super quality reminder " + std::to_string(answer));
      SaveProfileInt(kSection, u"RemindSupperQuality", reminder.ShowAgain() ? 1 : 0);
      if (!LoadProfileInt(kSection, u"RemindSupperQuality", 1)) {
        SaveProfileInt(kSection, u"EnableSupperQuality", result);
        enable = result == 1;
      }
    }
  } else if (large) {
    enable = LoadProfileInt(kSection, u"EnableSupperQuality", 1) != 0;
  }
  if (qel::Element* box = PageElement("chck_SupperQuality")) {
    box->Enable(enable);
    box->SetCheck(result);
  }
  ORVGF::ShowElement(m_pPage, "cata_denoise", result);
  ORVGF::ShowElement(m_pPage, "cata_delighting", result);
  const int32_t denoise = std::clamp(LoadProfileInt(kSection, u"DenoiseLevel", 30), 0, 100);
  const int32_t delight = std::clamp(LoadProfileInt(kSection, u"DelightLevel", 50), 0, 100);
  if (result) {
    if (qel::Element* s = PageElement("scrl_denoise")) s->SetScrollPos(denoise);
    if (qel::Element* s = PageElement("scrl_delighting")) s->SetScrollPos(delight);
    if (qel::Element* v = PageElement("view_sensitivity_num")) v->SetText(Bracketed(denoise));
    if (qel::Element* v = PageElement("view_sensitivity_num1")) v->SetText(Bracketed(delight));
  }
  if (CCapture* capture = CCapture::GetInstance()) {
    capture->EnableDenoise(result);
    capture->EnableDelight(result);
    capture->SetDenoiseLevel(denoise);
    capture->SetDelightLevel(delight);
  }
  m_bSupperQuality = result;
  return result;
}

void CBasePanel::OnSupperQuality(qel::Element* box, int32_t, QELLPARAM) {
  if (!box) return;
  const int32_t want = box->Check();
  box->SetCheck(0);
  EnableSupperQuality(want);
}

void CBasePanel::OnLevelSlider(qel::Element* slider, int32_t, QELLPARAM) {
  if (!slider) return;
  const int32_t level = slider->Scroll().pos;
  const bool denoise = qel::NamesEqual(slider->Name(), "scrl_denoise");
  if (qel::Element* v = PageElement(denoise ? "view_sensitivity_num" : "view_sensitivity_num1")) {
    v->SetText(Bracketed(level));
  }
  if (CCapture* capture = CCapture::GetInstance()) {
    if (denoise) capture->SetDenoiseLevel(level);
    else capture->SetDelightLevel(level);
  }
  SaveProfileInt(kSection, denoise ? u"DenoiseLevel" : u"DelightLevel", level);
}

void CBasePanel::LayoutPreviewArea() {
  qel::Element* view = PageElement("cata_view_camera");
  qel::Element* image = PageElement("cata_image_camera");
  if (!view || !image || m_imageResolution.cx <= 0 || m_imageResolution.cy <= 0) return;
  if (!m_bPreviewMarginKnown) {
    m_previewMargin = image->Margin();
    m_bPreviewMarginKnown = true;
  }
  const SRect32 margin = m_previewMargin;
  const SIZE outer = view->LaidOutSize();
  const int32_t areaW = outer.cx - margin.left - margin.right, areaH = outer.cy - margin.top - margin.bottom;
  if (areaW <= 0 || areaH <= 0) return;
  const int32_t iw = m_imageResolution.cx, ih = m_imageResolution.cy;
  int32_t w = 0, h = 0;
  if (iw < areaW && ih < areaH) {
    w = iw;
    h = ih;
  } else {
    const int32_t fitted = int32_t(std::ceil(double(ih) * areaW / iw));
    if (areaH <= fitted) {
      h = areaH;
      w = int32_t(int64_t(h) * iw / ih);
    } else {
      w = areaW;
      h = fitted;
    }
  }
  const int32_t x = std::max(0, (areaW - w) / 2), y = std::max(0, (areaH - h) / 2);
  // The element keeps its own margins around the fitted picture.
  SRect32 placed = margin;
  placed.left = margin.left + x;
  placed.top = margin.top + y;
  image->SetWidthMethod(qel::kSizeFixed);
  image->SetHeightMethod(qel::kSizeFixed);
  image->SetFrameSize(SIZE{w, h});
  image->SetMargin(placed);
}

void CBasePanel::OnPreviewLayout(qel::Element*, int32_t, QELLPARAM) { LayoutPreviewArea(); }

void CBasePanel::OnPreviewRect(qel::Element*, int32_t, QELLPARAM) {
  qel::Element* preview = PageElement("cata_PreviewCamera");
  CCapture* capture = CCapture::GetInstance();
  if (!preview || !capture) return;
  const SRect32 b = preview->Bounds();
  capture->SetPreviewRect(b);
}
