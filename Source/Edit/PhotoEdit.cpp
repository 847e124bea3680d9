#include "PhotoEdit.h"

#include <cstdio>

#include "CPath.h"
#include "EditGlobals.h"
#include "EditImage.h"
#include "EditPanel.h"
#include "ORVImageTools.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelImage.h"
#include "qel/QelWideText.h"

namespace {

constexpr int32_t kJpegQuality = 90;

qel::Element* Find(PubQelmar::QelPanel* panel, const char* name) {
  qel::Element* e = panel ? qel::Element::From(panel->Handle()) : nullptr;
  return e ? e->FindByName(name, true) : nullptr;
}

bool EndsWithNoCase(const std::u16string& text, std::u16string_view ext) {
  if (text.size() < ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i) {
    char16_t a = text[text.size() - ext.size() + i];
    if (a >= u'A' && a <= u'Z') a = char16_t(a - u'A' + u'a');
    if (a != ext[i]) return false;
  }
  return true;
}

}  // namespace

CPhotoEdit::CPhotoEdit() = default;

CPhotoEdit::~CPhotoEdit() {
  m_bCrop = 0;
  m_bModified = 0;
  if (m_pImgCtrl) m_pImgCtrl->SetPict(nullptr);
  ReleasePicture();
}

int32_t CPhotoEdit::Init(PubQelmar::QelPanel* photoView, PubQelmar::QelPanel* toolBar,
                         PubQelmar::QelPanel* buttonBar, WindowRef window) {
  m_pPhotoView = photoView;
  m_pToolBar = toolBar;
  m_pButtonBar = buttonBar;
  m_hWindow = window;
  if (qel::Element* control = Find(photoView, "imgc")) {
    m_pImgCtrl = reinterpret_cast<PubImage::QelImgControl*>(control->Handle());
    m_pImgCtrl->SetMode(_IMGSHOW_MODE(1));
    m_pImgCtrl->NeedScroll(0);
    m_pImgCtrl->SetTrans(1);
  }
  return 1;
}

void CPhotoEdit::ReleasePicture() {
  if (m_pOrigin) m_pOrigin->Release();
  m_pOrigin = nullptr;
}

int32_t CPhotoEdit::SliderPos(const char* name) const {
  qel::Element* slider = Find(m_pToolBar, name);
  return slider ? slider->Scroll().pos : 0;
}

void CPhotoEdit::SetSliderPos(const char* name, int32_t pos) {
  if (qel::Element* slider = Find(m_pToolBar, name)) slider->SetScrollPos(pos);
}

int32_t CPhotoEdit::PreviewImageFile(const WCHAR* path) {
  if (!path || !CPath::IsFileExist(path)) return 0;
  ReleasePicture();
  m_strFile = path;
  m_nBrightness = m_nContrast = 0;
  m_bModified = 0;
  m_bCrop = 0;
  SetSliderPos("hscrl_1", 0);
  SetSliderPos("hscrl_2", 0);
  for (const char* name : {"hscrl_1", "hscrl_2"}) {
    if (qel::Element* slider = Find(m_pToolBar, name)) slider->Enable(true);
  }
  m_pOrigin = vOpenImgFile(path, 1, nullptr, nullptr, 0);
  if (!m_pOrigin) {
    std::fprintf(stderr, "edit: %s cannot be read\n", QelToUTF8(m_strFile).c_str());
    if (m_pImgCtrl) m_pImgCtrl->SetPict(nullptr);
    return 0;
  }
  ApplyAdjustments();
  if (qel::Element* control = m_pImgCtrl ? qel::Element::From(m_pImgCtrl->Handle()) : nullptr) control->Show(true);
  return 1;
}

// Shows a copy of the file's picture with the sliders' values applied;
// Reset and Save are offered while that differs from the file.
int32_t CPhotoEdit::ApplyAdjustments() {
  for (const char* name : {"butn_Reset", "butn_Save"}) {
    if (qel::Element* button = Find(m_pButtonBar, name)) button->Enable(m_bModified != 0);
  }
  // Saving under another name comes with the save dialog.
  if (qel::Element* button = Find(m_pButtonBar, "butn_Saveas")) button->Enable(false);
  if (!m_pOrigin || !m_pImgCtrl) return -1;
  auto* shown = static_cast<PubImage::QelPicture*>(Qel0CopyObject(m_pOrigin->Handle()));
  if (!shown) return -1;
  m_pImgCtrl->SetPict(shown);
  shown->Release();  // the control holds it
  if (m_nBrightness != 0 || m_nContrast != 0) {
    int16_t record[3] = {int16_t(m_nBrightness), int16_t(m_nContrast), 0};
    m_pImgCtrl->RunOp(QEL_OP_BRIGHTNESS_CONTRAST, record);
  }
  return 0;
}

int32_t CPhotoEdit::OnBrightnessProc(QELLPARAM) {
  if (!m_pOrigin) return -1;
  const int32_t pos = SliderPos("hscrl_1");
  if (pos == m_nBrightness) return 0;
  m_nBrightness = pos;
  m_bModified = m_nBrightness != 0 || m_nContrast != 0;
  return ApplyAdjustments();
}

int32_t CPhotoEdit::OnContrastProc(QELLPARAM) {
  if (!m_pOrigin) return -1;
  const int32_t pos = SliderPos("hscrl_2");
  if (pos == m_nContrast) return 0;
  m_nContrast = pos;
  m_bModified = m_nBrightness != 0 || m_nContrast != 0;
  return ApplyAdjustments();
}

void CPhotoEdit::SetReset() {
  m_bModified = 0;
  m_nBrightness = m_nContrast = 0;
  SetSliderPos("hscrl_1", 0);
  SetSliderPos("hscrl_2", 0);
  ApplyAdjustments();
}

int32_t CPhotoEdit::OnResetProc(QELLPARAM) {
  SetReset();
  return 0;
}

int32_t CPhotoEdit::OnSaveasProc(QELLPARAM) { return 0; }

int32_t CPhotoEdit::OnDoneProc(QELLPARAM) {
  if (!m_bModified || !m_pImgCtrl || m_strFile.empty()) return 0;
  PubImage::QelPicture* shown = nullptr;
  m_pImgCtrl->GetPict(&shown);
  const int type = EndsWithNoCase(m_strFile, u".bmp") ? 2 : 1;
  if (!shown || !ORVGF::SaveImageFile(shown, m_strFile.c_str(), kJpegQuality, type)) {
    std::fprintf(stderr, "edit: %s could not be saved\n", QelToUTF8(m_strFile).c_str());
    return 0;
  }
  m_bModified = 0;
  if (CEditPanel* panel = vGetPanelHandle()) panel->RefreshforSave();
  return 0;
}

int32_t CPhotoEdit::OnMainLayoutChange(QelObject, int32_t, QELLPARAM) { return 0; }
