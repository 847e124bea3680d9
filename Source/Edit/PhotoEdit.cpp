// The photo editor: set-up and teardown, the element callbacks, showing a
// photo and the state of the user interface.
#include "PhotoEdit.h"

#include <algorithm>
#include <cstring>

#include "CPath.h"
#include "Page.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelImage.h"
#include "qel/QelImageControl.h"

CActionManage* CPhotoEdit::s_pBkActionMan = nullptr;

const tagZoomRatio CPhotoEdit::s_ZoomParam[CPhotoEdit::s_nZoomParam] = {
    {1, 8},   {10, 75}, {1, 7},   {10, 65}, {1, 6},   {10, 55}, {1, 5},   {10, 45}, {1, 4},
    {10, 35}, {1, 3},   {10, 25}, {1, 2},   {10, 18}, {2, 3},   {10, 13}, {1, 1},   {12, 10},
    {13, 10}, {15, 10}, {18, 10}, {2, 1},   {23, 10}, {25, 10}, {28, 10}, {3, 1},   {35, 10},
    {4, 1},   {45, 10}, {5, 1},   {55, 10}, {6, 1},   {65, 10}, {7, 1},   {75, 10}, {8, 1},
};

const tagSharpenParam CPhotoEdit::s_SharpenParam[CPhotoEdit::kSharpenSteps] = {
    {0, 0, 0},   {20, 2, 0},  {40, 2, 0},  {60, 2, 0},  {80, 2, 0},  {100, 2, 0},
    {120, 2, 0}, {140, 2, 0}, {160, 2, 0}, {180, 2, 0}, {200, 2, 0},
};

namespace {

// The tool objects the image control gets, in this order: the hand (513),
// the zoom (769) and the picture operations.
constexpr int32_t kToolTypes[] = {513, 514, 769, 771, 536, 520, 772, 773, 774, 775, 777,
                                  778, 780, 779, 785, 786, 787, 521, 790, 793, 792};

// Elements with a callback of the editor, and the panel that holds them.
enum Where { kPhotoView, kToolBar, kButtonBar };
struct Callback {
  const char* name;
  Where where;
};
constexpr Callback kCallbacks[] = {
    {"butn_AutoEnhance", kToolBar}, {"hscrl_3", kToolBar},          {"butn_flip", kPhotoView},
    {"butn_zoomin", kPhotoView},    {"butn_zoomout", kPhotoView},   {"butn_rotate_left", kPhotoView},
    {"butn_rotate_right", kPhotoView}, {"butn_redo", kPhotoView},   {"butn_undo", kPhotoView},
    {"chck_Crop", kPhotoView},      {"butn_resize", kPhotoView},    {"butn_Crop", kButtonBar},
    {"butn_Cancel", kButtonBar},
};

bool IsSliderEvent(int32_t event) {
  return event == QEL_EV_CLICK || event == QEL_EV_SLIDER_BEGIN || event == QEL_EV_SLIDER_CHANGE2 ||
         event == QEL_EV_SLIDER_TRACK || event == QEL_EV_SLIDER_END;
}

}  // namespace

CPhotoEdit::CPhotoEdit() = default;

CPhotoEdit::~CPhotoEdit() {
  if (m_bCrop) CanCelCrop();
  m_bModified = 0;
  HideModal();
  ReleaseCallBack();
}

int32_t CPhotoEdit::Init(PubQelmar::QelPanel* photoView, PubQelmar::QelPanel* toolBar,
                         PubQelmar::QelPanel* buttonBar, WindowRef window) {
  m_pPhotoView = photoView;
  m_pToolBar = toolBar;
  m_pButtonBar = buttonBar;
  m_hMainWnd = window;
  InitPhotoPanel();
  return 1;
}

void CPhotoEdit::InitPhotoPanel() {
  m_bFitMode = 1;
  m_nZoomIndex = 5;
  m_pImageContainer = reinterpret_cast<PubQelmar::QelPanel*>(Find(m_pPhotoView, "cata_image"));
  m_pImgCtrl = reinterpret_cast<PubImage::QelImgControl*>(Find(m_pPhotoView, "imgc"));
  m_pCropPanel = reinterpret_cast<PubQelmar::QelPanel*>(Find(m_pPhotoView, "cata_crop"));
  if (m_pImgCtrl) {
    m_pImgCtrl->SetTrans(1);
    m_pImgCtrl->NeedScroll(0);
    // The notification's data is the editor (pointer-sized).
    Qel0Inter(m_pImgCtrl, QEL_IF_IMAGECTRL, 16, reinterpret_cast<QELWPARAM>(this),
              reinterpret_cast<QELLPARAM>(&CPhotoEdit::s_ImgView_Change));
    m_pImgCtrl->SetMode(1);
    PrepareTools();
  }
  ShowModal();
  UpdateAllUI();
  Enable(m_pToolBar, "butn_AutoEnhance", true);
  InitCallBack();
}

void CPhotoEdit::PrepareTools() {
  QelObject tools = Qel0CreateObj(QEL_KIND_TOOLLIST);
  if (!tools) return;
  m_pImgCtrl->SetToolset(tools);
  Qel0Inter(tools, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(m_pImgCtrl), reinterpret_cast<QELLPARAM>(ADDEleEnd));
  if (m_pToolset) Qel0Release(m_pToolset);
  m_pToolset = tools;
  for (int32_t type : kToolTypes) RegisterTool(type);
}

void CPhotoEdit::RegisterTool(int32_t type) {
  QelObject tool = Qel0CreateObj(uint32_t(type));
  if (!tool) return;
  Qel0Inter(tool, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(m_pToolset), reinterpret_cast<QELLPARAM>(ADDEleEnd));
  Qel0Release(tool);
}

void CPhotoEdit::ShowModal() {
  if (m_pImgCtrl) m_pImgCtrl->Show(1);
  AdjustImageView(1);
  Invalidate();
  if (s_pBkActionMan) {
    s_pBkActionMan->ClearActionData();
    delete s_pBkActionMan;
  }
  s_pBkActionMan = new CActionManage();
}

void CPhotoEdit::HideModal() {
  if (m_pImgCtrl) m_pImgCtrl->SetPict(nullptr);
  if (s_pBkActionMan) {
    s_pBkActionMan->ClearActionData();
    delete s_pBkActionMan;
    s_pBkActionMan = nullptr;
  }
  ReleasePicture();
  if (m_pToolset) {
    if (m_pImgCtrl) m_pImgCtrl->SetToolset(nullptr);
    Qel0Release(m_pToolset);
    m_pToolset = nullptr;
  }
  m_pImgCtrl = nullptr;
  ReleaseCallBack();
  // The pictures of this editor are gone: their buffers may go too.
  img::TrimBufferCache();
}

void CPhotoEdit::ReleasePicture() {
  if (!m_pPage) return;
  m_pPage->Release();
  MyRelease(m_pPage);
  m_pPage = nullptr;
  m_WorkParam = tagFrameParam{};
}

PubQelmar::QelElement* CPhotoEdit::Find(PubQelmar::QelPanel* panel, const char* name) const {
  return panel ? panel->GetElementByName(name, 1) : nullptr;
}

void CPhotoEdit::Enable(PubQelmar::QelPanel* panel, const char* name, bool on) const {
  if (PubQelmar::QelElement* e = Find(panel, name)) e->Enable(on ? 1 : 0);
}

void CPhotoEdit::Show(PubQelmar::QelPanel* panel, const char* name, bool on) const {
  if (PubQelmar::QelElement* e = Find(panel, name)) e->Show(on ? 1 : 0);
}

int32_t CPhotoEdit::InitCallBack() {
  if (!m_pToolBar || !m_pPhotoView) return 0;
  for (const Callback& c : kCallbacks) {
    PubQelmar::QelPanel* panel = c.where == kPhotoView ? m_pPhotoView : c.where == kToolBar ? m_pToolBar : m_pButtonBar;
    if (PubQelmar::QelElement* e = Find(panel, c.name)) e->SetCallback(&CPhotoEdit::Element_Proc, this);
  }
  m_bCallbacks = 1;
  return 1;
}

int32_t CPhotoEdit::ReleaseCallBack() {
  if (!m_pToolBar || !m_pPhotoView) return 0;
  if (!m_bCallbacks) return 1;
  for (const Callback& c : kCallbacks) {
    PubQelmar::QelPanel* panel = c.where == kPhotoView ? m_pPhotoView : c.where == kToolBar ? m_pToolBar : m_pButtonBar;
    if (PubQelmar::QelElement* e = Find(panel, c.name)) e->SetCallback(nullptr, nullptr);
  }
  if (m_pCropPanel) m_pCropPanel->SetCallback(nullptr, nullptr);
  m_bCallbacks = 0;
  return 1;
}

int32_t CPhotoEdit::Element_Proc(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CPhotoEdit*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  const std::string& name = e->Name();
  auto* el = reinterpret_cast<PubQelmar::QelElement*>(element);
  if (name == "butn_zoomin" || name == "butn_zoomout") return self->OnZoomButton(el, event, name == "butn_zoomin");
  if (name == "hscrl_3") return IsSliderEvent(event) ? self->OnSliderChange(EDITING_ID_SHARPEN, "hscrl_3") : 0;
  if (event != QEL_EV_CLICK) return 0;
  if (name == "butn_AutoEnhance") return self->OnAutoEnhanceProc();
  if (name == "butn_flip") return self->OnFlipProc();
  if (name == "butn_rotate_left") return self->OnRotate(90);
  if (name == "butn_rotate_right") return self->OnRotate(270);
  if (name == "butn_undo") return self->OnUndoRedo(true);
  if (name == "butn_redo") return self->OnUndoRedo(false);
  if (name == "chck_Crop") return self->OnCropProc(el);
  if (name == "butn_resize") return self->OnResizeProc();
  if (name == "butn_Crop") return self->OnCropApplyProc();
  if (name == "butn_Cancel") return self->OnCancelCropProc();
  return 0;
}

// ---- showing a photo ----

int32_t CPhotoEdit::PreviewImageFile(const WCHAR* path) {
  if (!path || !CPath::IsFileExist(path)) return 0;
  m_bFitMode = 1;
  InitEnhanceScrollBar();
  m_strFile = path;
  if (s_pBkActionMan) s_pBkActionMan->ClearActionData();
  m_bCrop = 0;
  PrepareOp();
  ImportImageList();
  m_LastZoom = tagZoomRatio{0, 0};  // the crop frame is sized anew
  if (m_pImgCtrl) m_pImgCtrl->Show(1);
  KeepPreviewRatio();
  AdjustImageView(1);
  Invalidate();
  UpdateAllUI();
  return 1;
}

void CPhotoEdit::ImportImageList() {
  ReleasePicture();
  m_pPage = new CPage();
  m_bFitMode = 1;
  m_nZoomIndex = 5;
  // Each photo opens fitted: the fit zoom is found anew.
  m_FitZoom = tagZoomRatio{0, 0};
  m_bUserZoom = 0;
  m_pPage->SetOriginalPath(m_strFile.c_str());
  m_pPage->GetPictCtrl(PAGE_GET_RESULT);
  m_bModified = 0;
  CPage::InitializeFrameParam(&m_WorkParam);
  m_szPicture = SIZE{0, 0};
  if (PubImage::QelPicture* result = m_pPage->GetPictCtrl(PAGE_GET_RESULT)) result->GetSize(&m_szPicture);
  KeepPreviewRatio();
  if (!m_bFitMode) {
    SetZoom(1, 1);
    m_nZoomIndex = GetZoomIndex(&m_szPicture, &m_szPicture);
  }
}

int32_t CPhotoEdit::PrepareOp() {
  if (!m_pPage) return 0;
  m_pPage->GetToolParam(&m_WorkParam);
  return 1;
}

void CPhotoEdit::InitEnhanceScrollBar() {
  auto setUp = [&](const char* name, int32_t min, int32_t range, int32_t page) {
    PubQelmar::QelElement* e = Find(m_pToolBar, name);
    if (!e) return;
    tagDTScrollInfo info;
    info.fMask = 63;
    info.nMin = min;
    // The last position shows the last page: min + range - page.
    info.nMax = min + range - 1;
    info.nPos = 0;
    info.nPage = page;
    info.nStep = page;
    reinterpret_cast<PubQelmar::QelScroll*>(e)->SetScrollInfo(&info);
    UpdateSliderArrows(e);
  };
  setUp("hscrl_2", -60, 135, 15);
  setUp("hscrl_1", -60, 135, 15);
  m_WorkParam.BrightContrast.nBrightness = m_WorkParam.BrightContrast.nContrast = 0;
  setUp("hscrl_3", 0, 11, 1);
  m_WorkParam.Sharpen.nAmount = 0;
}

void CPhotoEdit::UpdateSliderArrows(PubQelmar::QelElement* slider) {
  if (!slider) return;
  tagDTScrollInfo info;
  info.fMask = 63;
  auto* scroll = reinterpret_cast<PubQelmar::QelScroll*>(slider);
  scroll->GetScrollInfo(&info);
  auto* panel = reinterpret_cast<PubQelmar::QelPanel*>(slider);
  if (PubQelmar::QelElement* low = panel->GetElementByName("polarul", 1)) low->Enable(info.nMin < info.nPos);
  if (PubQelmar::QelElement* high = panel->GetElementByName("polardr", 1)) {
    high->Enable(info.nMax - std::max(info.nPage - 1, 0) > info.nPos);
  }
}

// ---- the state of the user interface ----

int32_t CPhotoEdit::CanUndo() const { return s_pBkActionMan ? s_pBkActionMan->CanUndo() : 0; }
int32_t CPhotoEdit::CanRedo() const { return s_pBkActionMan ? s_pBkActionMan->CanRedo() : 0; }

void CPhotoEdit::UpdateAllUI() {
  UpdateUndoUI();
  UpdateBrightUI();
  UpdateSharpenUI();
  UpdateZoomUI();
  UpdateAutoEnhanceUI();
  UpdateUIforCrop(1);
}

void CPhotoEdit::UpdateUndoUI() {
  Enable(m_pPhotoView, "butn_undo", CanUndo() && !m_bCrop);
  Enable(m_pPhotoView, "butn_redo", CanRedo() && !m_bCrop);
  UpdateRestoreUI();
}

void CPhotoEdit::UpdateRestoreUI() {
  if (!Find(m_pButtonBar, "butn_Reset")) return;
  m_bModified = CanUndo();
  Enable(m_pButtonBar, "butn_Reset", m_bModified != 0);
  Enable(m_pButtonBar, "butn_Save", m_bModified != 0);
}

void CPhotoEdit::UpdateBrightUI() {
  if (auto* s = reinterpret_cast<PubQelmar::QelScroll*>(Find(m_pToolBar, "hscrl_1"))) {
    s->SetScrollPos(m_WorkParam.BrightContrast.nBrightness);
  }
  if (auto* s = reinterpret_cast<PubQelmar::QelScroll*>(Find(m_pToolBar, "hscrl_2"))) {
    s->SetScrollPos(m_WorkParam.BrightContrast.nContrast);
  }
  UpdateSliderArrows(Find(m_pToolBar, "hscrl_1"));
  UpdateSliderArrows(Find(m_pToolBar, "hscrl_2"));
}

void CPhotoEdit::UpdateSharpenUI() {
  int32_t pos = 0;
  for (int32_t i = 0; i < kSharpenSteps; ++i) {
    if (s_SharpenParam[i] == m_WorkParam.Sharpen) {
      pos = i;
      break;
    }
  }
  if (auto* s = reinterpret_cast<PubQelmar::QelScroll*>(Find(m_pToolBar, "hscrl_3"))) s->SetScrollPos(pos);
  UpdateSliderArrows(Find(m_pToolBar, "hscrl_3"));
}

void CPhotoEdit::UpdateAutoEnhanceUI() {
  // Not twice in a row: after auto-enhance the tool waits for a slider.
  Enable(m_pToolBar, "butn_AutoEnhance",
         m_pPage && !m_WorkParam.bAutoEnhance && !m_WorkParam.bEnhanced && !m_bCrop);
}

int32_t CPhotoEdit::UpdateUIforCrop(int32_t enable) {
  UpdateAutoEnhanceUI();
  auto* bright = reinterpret_cast<PubQelmar::QelScroll*>(Find(m_pToolBar, "hscrl_1"));
  auto* contrast = reinterpret_cast<PubQelmar::QelScroll*>(Find(m_pToolBar, "hscrl_2"));
  if (bright) bright->SetScrollPos(enable ? m_WorkParam.BrightContrast.nBrightness : -60);
  if (contrast) contrast->SetScrollPos(enable ? m_WorkParam.BrightContrast.nContrast : -60);
  for (const char* name : {"hscrl_1", "hscrl_2", "hscrl_3"}) Enable(m_pToolBar, name, enable != 0);
  for (const char* name : {"butn_flip", "butn_zoomin", "butn_zoomout", "butn_rotate_left", "butn_rotate_right",
                           "butn_resize"}) {
    Enable(m_pPhotoView, name, enable != 0);
  }
  if (!enable) {
    Enable(m_pPhotoView, "butn_redo", false);
    Enable(m_pPhotoView, "butn_undo", false);
  } else {
    UpdateZoomUI();
  }
  for (const char* name : {"butn_Reset", "butn_Save", "butn_Saveas"}) Show(m_pButtonBar, name, enable != 0);
  Show(m_pButtonBar, "butn_Crop", enable == 0);
  SIZE pic = ControlPictureSize(), shown = ShownSize();
  Enable(m_pPhotoView, "chck_Crop", pic.cx > 99 && pic.cy > 99 && shown.cx > 99 && shown.cy > 99);
  return 0;
}

SIZE CPhotoEdit::ControlPictureSize() const {
  SIZE s{0, 0};
  PubImage::QelPicture* p = nullptr;
  if (m_pImgCtrl && m_pImgCtrl->GetPict(&p) == 0 && p) p->GetSize(&s);
  return s;
}

SIZE CPhotoEdit::ShownSize() const {
  SIZE s{0, 0};
  if (m_pImgCtrl && ControlPictureSize().cx > 0) m_pImgCtrl->GetPictShowSize(&s);
  return s;
}

void CPhotoEdit::Invalidate() {
  if (m_pImgCtrl) m_pImgCtrl->Invalidate(0, nullptr);
}
