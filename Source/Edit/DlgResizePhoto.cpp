#include "DlgResizePhoto.h"

#include <algorithm>
#include <cfloat>
#include <vector>

#include "AppHelper.h"
#include "img/Bitmap.h"
#include "Profile.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Edit";
constexpr const WCHAR* kPixelModeKey = u"IsPixelModeEdit";
constexpr const WCHAR* kKeepProportionKey = u"KeepProportionEdit";
// The edit fields' kind: whole numbers.
constexpr int32_t kEditNumbers = 10;

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// a * b / c in 64 bits, truncated toward zero; 0 for c == 0.
int64_t MulDiv(int64_t a, int64_t b, int64_t c) { return c == 0 ? 0 : a * b / c; }

}  // namespace

CDlgResizePhoto::CDlgResizePhoto(int32_t width, int32_t height)
    : m_nWidth(std::max(width, 1)), m_nHeight(std::max(height, 1)), m_nNewWidth(width), m_nNewHeight(height) {
  m_bPixelMode = LoadProfileInt(kSection, kPixelModeKey, 1) == 1 ? 1 : 0;
  m_bKeepProportion = LoadProfileInt(kSection, kKeepProportionKey, 1) == 1 ? 1 : 0;
}

CDlgResizePhoto::~CDlgResizePhoto() = default;

void CDlgResizePhoto::GetNewWidthHeight(int32_t& width, int32_t& height) const {
  width = m_nNewWidth;
  height = m_nNewHeight;
}

void CDlgResizePhoto::RegisterCallBacks() {
  CDlgBase::RegisterCallBacks();
  RegisterCallBack("chck2", QEL_EV_CLICK, &CDlgResizePhoto::EditCheckBoxProc, this);
  RegisterCallBack("comb_single", kAllEvents, &CDlgResizePhoto::EditModeChangeProc, this);
  RegisterCallBack("cedt_H", kAllEvents, &CDlgResizePhoto::EditWidthChangeProc, this);
  RegisterCallBack("cedt_H1", kAllEvents, &CDlgResizePhoto::EditHeightChangeProc, this);
  RegisterCallBack("butn_OK", QEL_EV_CLICK, &CDlgResizePhoto::OnOKProc, this);
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CDlgResizePhoto::OnCancelProc, this);
}

int32_t CDlgResizePhoto::DidCreate() {
  CDlgBase::DidCreate();  // the title area drags the dialog
  InitAllSubCtrls();
  InitMaxWidthHeight();
  return QEL_S_OK;
}

void CDlgResizePhoto::InitAllSubCtrls() {
  m_bUpdating = 1;
  auto find = [&](const char* name) { return reinterpret_cast<PubQelmar::QelElement*>(GetElementByName(name)); };
  m_pEditWidth = find("cedt_H");
  m_pEditHeight = find("cedt_H1");
  m_pCheckBox = find("chck2");
  m_pComboBox = find("comb_single");
  for (PubQelmar::QelElement* edit : {m_pEditWidth, m_pEditHeight}) {
    if (!edit) continue;
    edit->_QelText()->SetText(u"");
    auto* e = reinterpret_cast<PubQelmar::QelEdit*>(edit);
    e->SetLimitText(4);
    int32_t on = 1;
    e->SetEditInfo(kEditNumbers, &on);
  }
  if (m_pCheckBox) reinterpret_cast<PubQelmar::QelCheck*>(m_pCheckBox)->SetCheckState(m_bKeepProportion);
  if (auto* combo = reinterpret_cast<PubQelmar::QelComboBox*>(m_pComboBox)) {
    combo->ResetContent();
    CQelStringW pixels = vLoadResString(7), percent = vLoadResString(8);
    combo->AddString(pixels.IsEmpty() ? u"Pixels" : pixels.c_str());
    combo->AddString(percent.IsEmpty() ? u"Percent" : percent.c_str());
    combo->SetSel(m_bPixelMode ? 0 : 1);
  }
  SetEditNum(m_pEditWidth, m_bPixelMode ? m_nWidth : 100);
  SetEditNum(m_pEditHeight, m_bPixelMode ? m_nHeight : 100);
  m_bUpdating = 0;
}

void CDlgResizePhoto::InitMaxWidthHeight() {
  if (float(m_nWidth) / float(m_nHeight) - 1.0f > FLT_MIN) {
    m_nMaxWidth = kMaxSide;
    m_nMaxHeight = Clamp32(MulDiv(kMaxSide, m_nHeight, m_nWidth));
  } else {
    m_nMaxHeight = kMaxSide;
    m_nMaxWidth = Clamp32(MulDiv(kMaxSide, m_nWidth, m_nHeight));
  }
  m_nMaxPercent = Clamp32(MulDiv(m_nMaxWidth, 100, m_nWidth));
}

int32_t CDlgResizePhoto::GetEditNum(PubQelmar::QelElement* edit) {
  if (!edit) return 0;
  std::vector<WCHAR> text(1024, 0);
  edit->_QelText()->GetText(text.data(), int32_t(text.size()));
  // The leading digits; a number too large for the fields stops growing.
  int64_t n = 0;
  for (const WCHAR* c = text.data(); *c >= u'0' && *c <= u'9'; ++c) {
    n = std::min<int64_t>(n * 10 + (*c - u'0'), INT32_MAX);
  }
  return int32_t(n);
}

void CDlgResizePhoto::SetEditNum(PubQelmar::QelElement* edit, int64_t n) {
  if (!edit) return;
  std::u16string text = QelFromUTF8(std::to_string(n));
  edit->_QelText()->SetText(text.c_str());
}

void CDlgResizePhoto::SelectText(PubQelmar::QelElement* edit) {
  if (qel::Element* e = edit ? qel::Element::From(edit) : nullptr) e->SelectAllText();
}

void CDlgResizePhoto::OnEditNumChange(PubQelmar::QelElement* field) {
  if (m_bUpdating || !field) return;
  m_bUpdating = 1;
  const bool width = field == m_pEditWidth;
  PubQelmar::QelElement* other = width ? m_pEditHeight : m_pEditWidth;
  const int32_t side = width ? m_nWidth : m_nHeight, otherSide = width ? m_nHeight : m_nWidth;
  int64_t n = GetEditNum(field);
  if (n <= 0) {
    SetEditNum(field, 1);
    SelectText(field);
    if (m_bKeepProportion) SetEditNum(other, 1);
    m_bUpdating = 0;
    return;
  }
  int64_t limit;
  if (m_bPixelMode) {
    limit = m_bKeepProportion ? (width ? m_nMaxWidth : m_nMaxHeight) : kMaxSide;
  } else {
    limit = m_bKeepProportion ? m_nMaxPercent : int64_t(kMaxSide) * 100 / side;
  }
  if (n > limit) {
    n = limit;
    SetEditNum(field, n);
    SelectText(field);  // the next digit typed replaces the clamped value
  }
  if (m_bKeepProportion) SetEditNum(other, std::max<int64_t>(1, m_bPixelMode ? MulDiv(otherSide, n, side) : n));
  m_bUpdating = 0;
}

void CDlgResizePhoto::OnModeChange() {
  auto* combo = reinterpret_cast<PubQelmar::QelComboBox*>(m_pComboBox);
  if (!combo) return;
  m_bPixelMode = combo->GetSel() == 0 ? 1 : 0;
  int64_t w = GetEditNum(m_pEditWidth), h = GetEditNum(m_pEditHeight);
  if (m_bPixelMode) {
    w = MulDiv(m_nWidth, w, 100);
    h = MulDiv(m_nHeight, h, 100);
  } else {
    w = MulDiv(w, 100, m_nWidth);
    h = MulDiv(h, 100, m_nHeight);
  }
  SetEditNum(m_pEditWidth, std::max<int64_t>(w, 1));
  SetEditNum(m_pEditHeight, std::max<int64_t>(h, 1));
}

void CDlgResizePhoto::OnCheckBox() {
  if (!m_pCheckBox) return;
  m_bKeepProportion = reinterpret_cast<PubQelmar::QelCheck*>(m_pCheckBox)->GetCheckState() ? 1 : 0;
  if (!m_bKeepProportion) return;
  const int64_t w = GetEditNum(m_pEditWidth);
  SetEditNum(m_pEditHeight, std::max<int64_t>(1, m_bPixelMode ? MulDiv(m_nHeight, w, m_nWidth) : w));
}

void CDlgResizePhoto::OnOK() {
  SaveProfileInt(kSection, kPixelModeKey, m_bPixelMode ? 1 : 0);
  SaveProfileInt(kSection, kKeepProportionKey, m_bKeepProportion ? 1 : 0);
  OnQelOK();
}

void CDlgResizePhoto::WillClose() {
  const int64_t a = GetEditNum(m_pEditWidth), b = GetEditNum(m_pEditHeight);
  int64_t w = a, h = b;
  if (!m_bPixelMode) {
    w = MulDiv(m_nWidth, a, 100);
    h = MulDiv(m_nHeight, b, 100);
  }
  // A side never shrinks to nothing (1 % of a small photo); the fields
  // cannot ask for more than a picture may have.
  m_nNewWidth = int32_t(std::clamp<int64_t>(w, 1, img::kMaxSide));
  m_nNewHeight = int32_t(std::clamp<int64_t>(h, 1, img::kMaxSide));
  CDlgBase::WillClose();
}

int32_t CDlgResizePhoto::EditCheckBoxProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (auto* self = static_cast<CDlgResizePhoto*>(data); self && event == QEL_EV_CLICK) self->OnCheckBox();
  return 0;
}

int32_t CDlgResizePhoto::EditModeChangeProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (auto* self = static_cast<CDlgResizePhoto*>(data); self && event == QEL_EV_SEL_CHANGE) self->OnModeChange();
  return 0;
}

int32_t CDlgResizePhoto::EditWidthChangeProc(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgResizePhoto*>(data);
  if (self && event == QEL_EV_EDIT_CHANGED) self->OnEditNumChange(self->m_pEditWidth);
  return 0;
}

int32_t CDlgResizePhoto::EditHeightChangeProc(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgResizePhoto*>(data);
  if (self && event == QEL_EV_EDIT_CHANGED) self->OnEditNumChange(self->m_pEditHeight);
  return 0;
}

int32_t CDlgResizePhoto::OnOKProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (auto* self = static_cast<CDlgResizePhoto*>(data); self && event == QEL_EV_CLICK) self->OnOK();
  return 0;
}

int32_t CDlgResizePhoto::OnCancelProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (auto* self = static_cast<CDlgResizePhoto*>(data); self && event == QEL_EV_CLICK) self->OnQelCancel();
  return 0;
}
