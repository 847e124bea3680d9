#include "CaptureSetting.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Capture.h"
#include "CaptureMessages.h"
#include "CaptureSettingData.h"
#include "DlgLayoutHelpers.h"
#include "DlgWarning.h"
#include "ORVGF.h"
#include "Profile.h"
#include "qel/QelCore.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Section_Capture";
CCaptureSetting* g_setting = nullptr;

constexpr const char* kBoundElements[] = {"comb_AudioDevice", "comb_VideoDevice", "comb_ImageFmt", "chck_Add",
                                          "chck_WithAudio",   "butn_refresh",     "scrl_Image",    "scrl_Video",
                                          "butn_OK",          "butn_Cancel"};

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  }
  return text;
}

bool IsJpeg(const std::u16string& type) { return qel_wcscmpi(type.c_str(), u"JPG") == 0 || qel_wcscmpi(type.c_str(), u".JPG") == 0; }

std::u16string LoadText(const WCHAR* key, const std::u16string& fallback, int32_t units) {
  std::u16string buffer(size_t(units) + 1, u'\0');
  if (!LoadProfileString(kSection, key, fallback.c_str(), buffer.data(), units + 1)) return fallback;
  return std::u16string(buffer.c_str());
}

}  // namespace

// One dialog at a time: it is modal, so the newest one is the open one.
CCaptureSetting::CCaptureSetting() { g_setting = this; }

CCaptureSetting::~CCaptureSetting() {
  if (g_setting == this) g_setting = nullptr;
}

CCaptureSetting* CCaptureSetting::GetInstance() { return g_setting; }

void CCaptureSetting::RegisterCallBacks() {
  for (const char* name : kBoundElements) RegisterCallBack(name, kAllEvents, &CCaptureSetting::OnEvent, this);
}

int32_t CCaptureSetting::OnEvent(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CCaptureSetting*>(data);
  qel::Element* e = qel::Element::From(element);
  if (self && e) self->OnElement(e, event);
  return 0;
}

void CCaptureSetting::OnElement(qel::Element* e, int32_t event) {
  const std::string& name = e->Name();
  auto is = [&name](const char* n) { return qel::NamesEqual(name, n); };
  if (event == QEL_EV_CLICK) {
    if (is("chck_WithAudio")) dlg::Show(Root(), "cata_Audio", e->Check() != 0);
    else if (is("chck_Add")) dlg::Show(Root(), "cata_name", e->Check() != 0);
    else if (is("butn_refresh")) Refresh();
    else if (is("butn_OK")) OnOK();
    else if (is("butn_Cancel")) EndModal(kResultCancel);
  } else if (event == QEL_EV_SEL_CHANGE2 && is("comb_ImageFmt")) {
    UpdatePhotoGroup();
  } else if ((event == QEL_EV_SLIDER_CHANGE || event == QEL_EV_SLIDER_END) && (is("scrl_Image") || is("scrl_Video"))) {
    const bool photo = is("scrl_Image");
    int32_t& quality = photo ? m_nPhotoQuality : m_nMovieQuality;
    // A move ends with a second event at the snapped place: that one is no move.
    if (e->Scroll().pos == quality) return;
    const int32_t snapped = SnapQuality(quality, e->Scroll().pos);
    e->SetScrollPos(snapped);
    quality = snapped;
    SetQualityLabel(photo ? "view_Image1" : "view_Video1", snapped);
  }
}

int32_t CCaptureSetting::SnapQuality(int32_t previous, int32_t current) {
  switch (previous) {
    case 50:
      return current > 50 ? 100 : 0;
    case 100:
      return std::abs(current - previous) < 50 ? 50 : 0;
    case 0:
      return current >= 50 ? 100 : 50;
    default:
      return previous;
  }
}

void CCaptureSetting::SetQualityLabel(const char* label, int32_t quality) {
  const uint32_t id = quality <= 0 ? 39 : quality < 100 ? 40 : 41;
  dlg::SetText(Root(), label, qel_format(u"(%s)", ORVGF::vLoadResString(id).c_str()));
}

std::u16string CCaptureSetting::ChosenText(const char* combo) const {
  qel::Element* e = dlg::Find(const_cast<CCaptureSetting*>(this)->Root(), combo);
  if (!e || e->Selection() < 0) return {};
  return e->Items()[size_t(e->Selection())].text;
}

int32_t CCaptureSetting::DidCreate() {
  CDlgBase::DidCreate();
  SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  qel::Element* root = Root();
  const ORVGF::CaptureSettingData& record = ORVGF::CaptureSettings();

  // 1. Photo formats and quality.
  if (qel::Element* formats = dlg::Find(root, "comb_ImageFmt")) {
    formats->Items().clear();
    for (int32_t i = 0; i < record.imageFormatCount && i < ORVGF::kMaxListItems; ++i) {
      const std::u16string& f = record.imageFormats[size_t(i)];
      if (!f.empty() && formats->FindItem(-1, f) < 0) formats->AddItem(f);
    }
    const std::u16string stored = Upper(LoadText(u"ImageType", record.defaultImageFormat, 16));
    const int32_t found = formats->FindItem(-1, stored);
    formats->SetSelection(found >= 0 ? found : (formats->Items().empty() ? -1 : 0));
  }
  m_nPhotoQuality = LoadProfileInt(kSection, u"ImageFileQuality", 50);
  if (qel::Element* slider = dlg::Find(root, "scrl_Image")) {
    slider->SetScrollRange(0, 100);
    slider->SetScrollStep(0);
  }
  UpdatePhotoGroup();

  // 2. Movie format and quality.
  if (qel::Element* formats = dlg::Find(root, "comb_VideoFmt")) {
    formats->Items().clear();
    formats->AddItem(u"MOV");
    formats->SetSelection(0);
    formats->Enable(false);
  }
  m_nMovieQuality = std::min(LoadProfileInt(kSection, u"VideoFileQuality", 50), 100);
  if (qel::Element* slider = dlg::Find(root, "scrl_Video")) {
    slider->SetScrollRange(0, 100);
    slider->SetScrollStep(0);
  }
  UpdateMovieGroup();

  // 3. Inputs and the sound switch.
  FillInputs();
  const int32_t withAudio = LoadProfileInt(kSection, u"bWithAudio", record.audioEnabledByDefault);
  if (qel::Element* box = dlg::Find(root, "chck_WithAudio")) box->SetCheck(withAudio ? 1 : 0);
  dlg::Show(root, "cata_Audio", withAudio != 0);

  // 4. The prefix.
  const int32_t prefixOn = LoadProfileInt(kSection, u"PrefixEnable", record.prefixEnabled);
  const std::u16string prefix = LoadText(u"PrefixName", record.prefixName, 1024);
  if (qel::Element* edit = dlg::Find(root, "cedt_name")) {
    edit->SetTextLimit(uint32_t(ORVGF::PrefixLimit(record)));
    edit->SetText(prefix.substr(0, size_t(ORVGF::PrefixLimit(record))));
  }
  if (qel::Element* box = dlg::Find(root, "chck_Add")) box->SetCheck(prefixOn ? 1 : 0);
  dlg::Show(root, "cata_name", prefixOn != 0);

  // 5. The time stamp.
  if (qel::Element* box = dlg::Find(root, "chck_showdate")) {
    box->SetCheck(LoadProfileInt(kSection, u"TimeStapEnable", record.timeStampEnabled) ? 1 : 0);
  }
  dlg::AlignButtonsRight(dlg::Find(root, "cata_butn"));
  return QEL_S_OK;
}

void CCaptureSetting::UpdatePhotoGroup() {
  const bool bmp = qel_wcscmpi(ChosenText("comb_ImageFmt").c_str(), u"BMP") == 0;
  const int32_t shown = bmp ? 0 : m_nPhotoQuality;
  if (qel::Element* group = dlg::Find(Root(), "cata_Image")) group->Enable(!bmp);
  if (qel::Element* slider = dlg::Find(Root(), "scrl_Image")) slider->SetScrollPos(shown);
  SetQualityLabel("view_Image1", shown);
}

void CCaptureSetting::UpdateMovieGroup() {
  if (qel::Element* slider = dlg::Find(Root(), "scrl_Video")) slider->SetScrollPos(m_nMovieQuality);
  SetQualityLabel("view_Video1", m_nMovieQuality);
}

void CCaptureSetting::FillInputs() {
  std::u16string activeVideo, activeSound;
  m_videoInputs.clear();
  m_soundInputs.clear();
  CCapture* capture = CCapture::GetInstance();
  std::unique_ptr<CCapture> temporary;
  if (!capture) {
    temporary = std::make_unique<CCapture>(ORVGF::vGetModuleQelWin(), nullptr);
    capture = temporary.get();
  }
  capture->GetVideoDevice(m_videoInputs);
  capture->GetAudioDevice(m_soundInputs);
  capture->GetActiveDevice(activeVideo, activeSound);
  FillCombo("comb_VideoDevice", m_videoInputs, m_lastVideo, activeVideo);
  FillCombo("comb_AudioDevice", m_soundInputs, m_lastSound, activeSound);
}

void CCaptureSetting::FillCombo(const char* name, const std::vector<std::u16string>& names,
                                std::u16string& remembered, const std::u16string& active) {
  qel::Element* combo = dlg::Find(Root(), name);
  if (!combo) return;
  combo->Items().clear();
  combo->SetSelection(-1);
  combo->SetShowItemTips(true);
  for (const std::u16string& n : names) {
    const int32_t i = combo->AddItem(n);
    combo->Items()[size_t(i)].tip = n;
  }
  auto exact = [&names](const std::u16string& text) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == text) return int32_t(i);
    }
    return int32_t(-1);
  };
  int32_t found = remembered.empty() ? -1 : exact(remembered);
  if (found < 0) {
    remembered = active;
    found = remembered.empty() ? -1 : exact(remembered);
  }
  combo->SetSelection(found);
  combo->Enable(names.size() >= 2);
}

void CCaptureSetting::Refresh() {
  m_lastVideo = ChosenText("comb_VideoDevice");
  m_lastSound = ChosenText("comb_AudioDevice");
  if (CCapture* capture = CCapture::GetInstance()) {
    capture->StopPreview();
    capture->StartPreview();
  }
  FillInputs();
  ::PostMessage(ORVGF::vGetModuleQelWin(), kMsgCaptureDevice, kCameraOn, 0);
}

intptr_t CCaptureSetting::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == kMsgCaptureDevice && (wp == kDeviceLost || wp == kDeviceChanged)) {
    handled = true;
    if (wp == kDeviceLost) {
      std::u16string text = ORVGF::vLoadResString(21);
      vMessageBox(GetWindowRef(), text.c_str(), u"", kWarnOK);
    }
    Refresh();
    return 0;
  }
  return CDlgBase::ProcessMessage(msg, wp, lp, handled);
}

void CCaptureSetting::OnOK() {
  qel::Element* root = Root();
  const ORVGF::CaptureSettingData& record = ORVGF::CaptureSettings();
  qel::Element* addBox = dlg::Find(root, "chck_Add");
  qel::Element* nameEdit = dlg::Find(root, "cedt_name");
  if (addBox && addBox->Check() && nameEdit &&
      !ORVGF::IsSafePrefix(nameEdit->Text(), ORVGF::PrefixLimit(record))) {
    std::u16string text = ORVGF::vLoadResString(42);
    vMessageBox(GetWindowRef(), text.c_str(), u"", kWarnOK);
    return;
  }
  if (dlg::Find(root, "comb_VideoDevice")) {
    SaveProfileString(kSection, u"VideoDevice", ChosenText("comb_VideoDevice").c_str());
  }
  if (qel::Element* box = dlg::Find(root, "chck_WithAudio")) {
    SaveProfileInt(kSection, u"bWithAudio", box->Check() ? 1 : 0);
    if (box->Check()) SaveProfileString(kSection, u"AudioDevice", ChosenText("comb_AudioDevice").c_str());
  }
  if (dlg::Find(root, "comb_ImageFmt")) {
    const std::u16string type = ChosenText("comb_ImageFmt");
    SaveProfileString(kSection, u"ImageType", type.c_str());
    if (IsJpeg(type)) SaveProfileInt(kSection, u"ImageFileQuality", m_nPhotoQuality);
  }
  SaveProfileInt(kSection, u"VideoFileQuality", m_nMovieQuality);
  if (addBox) {
    SaveProfileInt(kSection, u"PrefixEnable", addBox->Check() ? 1 : 0);
    if (addBox->Check() && nameEdit) SaveProfileString(kSection, u"PrefixName", nameEdit->Text().c_str());
  }
  if (qel::Element* box = dlg::Find(root, "chck_showdate")) {
    SaveProfileInt(kSection, u"TimeStapEnable", box->Check() ? 1 : 0);
  }
  EndModal(kResultOK);
}
