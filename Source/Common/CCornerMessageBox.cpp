// The corner message box: layout, buttons and icon by style, size by text.
#include "CCornerMessageBox.h"

#include <algorithm>
#include <cstdio>

#include "ORVPubTools.h"
#include "qel/QelBackend.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

namespace {

enum ButtonIndex { kOk, kYes, kNo, kCancel, kAbort, kRetry, kIgnore, kRetry2, kClose };
enum IconIndex { kExclamation, kWarning, kInformation, kAsterisk, kQuestion, kStop, kError, kHand };

constexpr int32_t kMinWidth = 300;

qel::Element* Find(qel::Element* root, const char* name) {
  return root ? root->FindByName(name, true) : nullptr;
}

void Show(qel::Element* e, bool on) {
  if (e) e->Show(on);
}

// The height the visible children of the root take, at the width it was
// last laid out with.
int32_t ContentHeight(qel::Element* root) {
  root->LayoutNow();
  const int32_t top = root->Bounds().top;
  int32_t bottom = top;
  for (qel::Element* c : root->Children()) {
    if (!c->Visible()) continue;
    bottom = std::max(bottom, c->Bounds().bottom + c->Margin().bottom);
  }
  return bottom - top;
}

int32_t LaidOutHeight(qel::Element* root, int32_t width) {
  root->SetFrameSize(SIZE{width, 1});
  return ContentHeight(root);
}

}  // namespace

CCornerMessageBox::CCornerMessageBox(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags)
    : m_parent(parent),
      m_text(text ? text : u""),
      m_caption(caption ? caption : u""),
      m_hasText(text != nullptr),
      m_hasCaption(caption != nullptr),
      m_flags(flags) {}

CCornerMessageBox::~CCornerMessageBox() {
  // The window must not keep pointers into this object once it goes.
  if (IsCreated()) {
    SetProperty(kCornerPropCreator, kCornerPropTag, nullptr);
    SetProperty(kCornerPropCreator, kShapePropTag, nullptr);
  }
}

int CCornerMessageBox::ShowMessageBox() {
  CQelStringW file = CORVPubTools::GetBundleLocalizeUIPathWithName(nullptr, u"messagebox.aui");
  if (file.IsEmpty()) {
    std::fprintf(stderr, "message box: the program's bundle has no localized UI folder\n");
    return 0;
  }
  std::u16string layout = u"$M\\";
  layout += file.c_str();
  if (!Create(layout.c_str(), nullptr, m_parent)) {
    std::fprintf(stderr, "message box: layout %s cannot be created\n", QelToUTF8(file.c_str()).c_str());
    return 0;
  }
  if (!InitUI()) {
    Close();
    return 0;
  }
  m_result = kIDCANCEL;
  DoModal();
  return m_result;
}

int32_t CCornerMessageBox::PreCreateWind(QelCreateStruct* cs) {
  CQelDialog::PreCreateWind(cs);
  GetWindowCornerMask(m_cornerMasks);
  if (cs) {
    cs->windowClass = 0;
    cs->windowDef = reinterpret_cast<void*>(&CornerMessageBoxDef::myWindowDef);
    cs->defValue = 4;
  }
  return QEL_S_OK;
}

void CCornerMessageBox::GetWindowCornerMask(CornerMaskTable& table) {
  for (auto& p : table.path) p.clear();
  table.path[0] = CORVPubTools::GetBundleResourcePathWithName(nullptr, u"MainWndLT.bmp").c_str();
  table.path[1] = CORVPubTools::GetBundleResourcePathWithName(nullptr, u"MainWndRT.bmp").c_str();
}

int32_t CCornerMessageBox::DidCreate() {
  CQelDialog::DidCreate();
  SetProperty(kCornerPropCreator, kCornerPropTag, &m_cornerMasks);
  SetProperty(kCornerPropCreator, kShapePropTag, &m_shape);
  UpdateShape();

  qel::Element* root = Root();
  if (qel::Element* drag = Find(root, "cata_drag_mac")) {
    drag->Show(true);
    Show(Find(root, "cata_title"), false);
    static constexpr const char* kPairs[3][2] = {
        {"butn_close_mac", "butn_close"}, {"butn_min_mac", "butn_min"}, {"butn_max_mac", "butn_max"}};
    for (const auto& pair : kPairs) {
      if (qel::Element* mac = Find(root, pair[0])) mac->Enable(Find(root, pair[1]) != nullptr);
    }
    // The title bar's own close box closes the window, which answers Cancel.
    if (Find(root, "butn_close_mac")) SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
    SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  }
  return QEL_S_OK;
}

// The window definition gives the shape; a backend that can shape windows
// reads it from the window's 'SHPE' property.
void CCornerMessageBox::UpdateShape() {
  CornerRegionRequest request{32, &m_shape};
  CornerMessageBoxDef::myWindowDef(0, GetWindowRef(), 8, reinterpret_cast<intptr_t>(&request));
  Invalidate();  // the backend picks the new shape up with the repaint
}

int CCornerMessageBox::InitUI() {
  qel::Element* root = Root();
  if (!root || !IsCreated()) return 0;
  SetMinSize(0, 0);
  RepositionWindow(1);

  for (size_t i = 0; i < kButtonNames.size(); ++i) {
    m_buttons[i] = Find(root, kButtonNames[i]);
    if (m_buttons[i]) RegisterCallBack(kButtonNames[i], QEL_EV_CLICK, &CCornerMessageBox::ButtonProc, this);
  }
  for (size_t i = 0; i < kIconNames.size(); ++i) {
    // A layout without one of the icons still shows the box.
    m_icons[i] = Find(root, kIconNames[i]);
    if (!m_icons[i]) std::fprintf(stderr, "message box: the layout has no \"%s\"\n", kIconNames[i]);
  }

  if (m_hasCaption) {
    if (qel::Element* title = Find(root, "view_title_mac")) title->SetText(m_caption);
  }
  if (m_hasText) {
    if (qel::Element* text = Find(root, "view_text")) text->SetText(m_text);
  }

  for (qel::Element* b : m_buttons) Show(b, false);
  switch (m_flags & 0x0F) {
    case 1:
      Show(m_buttons[kOk], true);
      Show(m_buttons[kCancel], true);
      break;
    case 3:
      Show(m_buttons[kYes], true);
      Show(m_buttons[kNo], true);
      Show(m_buttons[kCancel], true);
      break;
    case 4:
      Show(m_buttons[kYes], true);
      Show(m_buttons[kNo], true);
      break;
    default:
      Show(m_buttons[kOk], true);
      break;
  }

  for (qel::Element* icon : m_icons) Show(icon, false);
  switch (m_flags & 0xF0) {
    case 0x10:
      Show(m_icons[kError], true);
      break;
    case 0x20:
      Show(m_icons[kQuestion], true);
      break;
    case 0x30:
      Show(m_icons[kExclamation], true);
      break;
    default:
      Show(m_icons[kInformation], true);
      break;
  }

  const SRect32 area = qel::CurrentBackend().WorkArea();
  const int32_t areaW = area.right - area.left, areaH = area.bottom - area.top;
  const SIZE size = MeasureBox(root, areaW, areaH);
  CentreButtons(size.cx);
  const int32_t top = std::max(0, (areaH - size.cy) / 2);
  const int32_t left = (areaW - size.cx) / 2;
  const SRect32 bounds{area.left + left, area.top + top, area.left + left + size.cx, area.top + top + size.cy};
  MoveWindow(&bounds);
  UpdateShape();
  return 1;
}

SIZE CCornerMessageBox::MeasureBox(qel::Element* root, int32_t areaWidth, int32_t areaHeight) {
  if (!root) return SIZE{0, 0};
  const int32_t wide = int32_t(areaWidth * 0.625);
  int32_t width = wide;
  if (LaidOutHeight(root, wide) < areaHeight) {
    int32_t side = 0;
    qel::Element* text = Find(root, "cata_left_text");
    qel::Element* butn = Find(root, "cata_left_butn");
    if (text && butn) side = std::min(text->FrameSize().cx, butn->FrameSize().cx);
    else if (text || butn) side = (text ? text : butn)->FrameSize().cx;
    width = wide - side;
  } else {
    width = int32_t(areaWidth * 0.875);
  }
  // The message wraps inside the box's width.
  if (qel::Element* text = Find(root, "view_text")) text->SetWidthMethod(qel::kSizeFill);
  Show(Find(root, "cata_left_caption"), false);
  Show(Find(root, "cata_left_text"), false);
  Show(Find(root, "cata_left_butn"), false);
  width = std::max(width, kMinWidth);
  const int32_t height = LaidOutHeight(root, width);
  root->SetFrameSize(SIZE{width, height});
  root->LayoutNow();
  return SIZE{width, height};
}

// The shown buttons sit in the middle of their row.
void CCornerMessageBox::CentreButtons(int32_t width) {
  qel::Element* row = m_buttons[kOk] ? m_buttons[kOk]->Parent() : nullptr;
  if (!row || row == Root()) return;
  int32_t used = 0;
  for (qel::Element* c : row->Children()) {
    if (!c->Visible()) continue;
    used += c->Margin().left + c->FrameSize().cx + c->Margin().right;
  }
  SRect32 m = row->Margin();
  m.left = std::max(0, (width - m.right - used) / 2);
  row->SetMargin(m);
}

int32_t CCornerMessageBox::ButtonProc(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* box = static_cast<CCornerMessageBox*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!box || !e || event != QEL_EV_CLICK) return 0;
  if (e == box->m_buttons[kOk]) box->Finish(kIDOK);
  else if (e == box->m_buttons[kYes]) box->Finish(kIDYES);
  else if (e == box->m_buttons[kNo]) box->Finish(kIDNO);
  else if (e == box->m_buttons[kCancel] || e == box->m_buttons[kClose]) box->Finish(kIDCANCEL);
  return 0;
}

void CCornerMessageBox::Finish(int result) {
  if (!InModal()) return;
  m_result = result;
  EndModal(result);
}

intptr_t CCornerMessageBox::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  intptr_t r = CQelDialog::ProcessMessage(msg, wp, lp, handled);
  if (msg == QEL_WM_SIZE) UpdateShape();
  return r;
}

void CCornerMessageBox::OnQelOK() {
  if (m_buttons[kOk] && m_buttons[kOk]->Visible()) Finish(kIDOK);
  else if (m_buttons[kYes] && m_buttons[kYes]->Visible()) Finish(kIDYES);
}

void CCornerMessageBox::OnQelCancel() { Finish(kIDCANCEL); }
