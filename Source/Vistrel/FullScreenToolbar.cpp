#include "FullScreenToolbar.h"

#include <algorithm>

#include "App.h"
#include "FullScreenWnd.h"
#include "MainFrame.h"
#include "ThumbPool.h"
#include "qel/QelElement.h"
#include "qel/QelLayout.h"

namespace {

constexpr int32_t kEdgeGap = 20;
constexpr double kAlpha = 0.7;
// Repeat times in ticks of 1/60 s.
constexpr int32_t kTickMs = 17;
constexpr int32_t kFirstRepeat = 40;
constexpr int32_t kNextRepeat = 2;

CFullScreenToolbar* Toolbar(void* data) { return static_cast<CFullScreenToolbar*>(data); }

// The drag handle's pointer events, and the cursor that says it moves.
constexpr int32_t kPointerMove = 0x40000001;
constexpr int32_t kPointerPress = 0x40000002;
constexpr int32_t kPointerRelease = 0x40000003;
constexpr int32_t kMoveCursor = 1043;

}  // namespace

void ZoomButtonEvent(QelObject element, int32_t event, const std::function<void()>& zoom) {
  auto* button = static_cast<PubQelmar::QelElement*>(element);
  switch (event) {
    case QEL_EV_PRESS:
      button->StartRepeat(kFirstRepeat * kTickMs);
      break;
    case QEL_EV_REPEAT:
      zoom();
      // Repeats go on only while the pointer still holds this button.
      if (Qel0GetGValue(1) == reinterpret_cast<intptr_t>(element)) {
        button->StartRepeat(kNextRepeat * kTickMs);
      } else {
        button->StopRepeat();
      }
      break;
    case QEL_EV_CLICK:
    case 1008:
      button->StartRepeat(kNextRepeat * kTickMs);
      break;
    default:
      break;
  }
}

CFullScreenToolbar::~CFullScreenToolbar() = default;

bool CFullScreenToolbar::Create(CFullScreenWnd* pFullScreenWnd, const std::string& bundleContents) {
  m_pFullScreenWnd = pFullScreenWnd;
  if (!pFullScreenWnd || !pFullScreenWnd->IsCreated()) return false;
  std::string layout = bundleContents + "/UI/fullscreenTB.aui";
  QelObject panel = QelCreateLayout(layout.c_str());
  if (!panel) return false;
  qel::Element* toolbar = qel::Element::From(panel);
  toolbar->PutInside(pFullScreenWnd->Root(), nullptr);  // drawn above the picture
  Qel0Release(panel);
  toolbar->SetOpacity(kAlpha);
  m_pPanel = static_cast<PubQelmar::QelPanel*>(panel);
  pFullScreenWnd->SetMsgBoxParent(pFullScreenWnd->GetWindowRef());

  auto find = [&](const char* name) { return m_pPanel->GetElementByName(name, 1); };
  m_pZoomInBtn = find("butn_ZoomIn");
  m_pZoomOutBtn = find("butn_ZoomOut");
  m_pActualBtn = find("butn_ActualSize");
  m_pBestFitBtn = find("butn_fit");
  m_pPreviousBtn = find("butn_Previous");
  m_pNextBtn = find("butn_Next");
  m_pRotateLBtn = find("butn_rotate_left");
  m_pRotateRBtn = find("butn_rotate_right");
  m_pCloseBtn = find("butn_close");
  m_pBackToEditBtn = find("butn_Back");
  constexpr int32_t kAll = CQelCallbackMap::kAllEvents;
  RegisterCallBack("butn_ZoomIn", kAll, &ZoomInProc_Proc);
  RegisterCallBack("butn_ZoomOut", kAll, &ZoomOutProc_Proc);
  RegisterCallBack("butn_ActualSize", QEL_EV_CLICK, &ActualSizeProc_Proc);
  RegisterCallBack("butn_fit", QEL_EV_CLICK, &BestFitProc_Proc);
  RegisterCallBack("butn_Previous", QEL_EV_CLICK, &PreviousProc_Proc);
  RegisterCallBack("butn_Next", QEL_EV_CLICK, &NextProc_Proc);
  RegisterCallBack("butn_rotate_left", QEL_EV_CLICK, &RotateLeftProc_Proc);
  RegisterCallBack("butn_rotate_right", QEL_EV_CLICK, &RotateRightProc_Proc);
  RegisterCallBack("butn_close", QEL_EV_CLICK, &CloseProc_Proc);
  RegisterCallBack("butn_Back", QEL_EV_CLICK, &BacktoEditorProc_Proc);
  RegisterCallBack("cata_drag", kAll, &DragProc_Proc);
  AttachCallBacks(panel);
  if (qel::Element* handle = toolbar->FindByName("cata_drag", true)) {
    handle->SetPointerEvents(true);  // press, moves and release come to DragProc_Proc
    handle->SetCursorId(kMoveCursor);
  }
  return true;
}

int32_t CFullScreenToolbar::DragProc_Proc(QelObject, int32_t event, QELLPARAM param, void* data) {
  auto* self = Toolbar(data);
  qel::Element* toolbar = self->m_pPanel ? qel::Element::From(self->m_pPanel) : nullptr;
  if (!toolbar || !toolbar->Parent()) return 0;
  const POINT at{int16_t(uint32_t(param) & 0xffff), int16_t(uint32_t(param) >> 16)};
  if (event == kPointerPress) {
    self->m_dragFrom = at;
    self->m_dragMargin = toolbar->Margin();
    self->m_dragging = true;
  } else if (event == kPointerMove && self->m_dragging) {
    // The bar follows the handle and stays whole on the screen.
    const SRect32 screen = toolbar->Parent()->Bounds();
    const SIZE size = toolbar->FrameSize();
    SRect32 m = self->m_dragMargin;
    m.left = std::clamp<int32_t>(m.left + at.x - self->m_dragFrom.x, 0,
                                 std::max<int32_t>(0, screen.right - screen.left - size.cx));
    m.top = std::clamp<int32_t>(m.top + at.y - self->m_dragFrom.y, 0,
                                std::max<int32_t>(0, screen.bottom - screen.top - size.cy));
    toolbar->SetMargin(m);
  } else if (event == kPointerRelease) {
    self->m_dragging = false;
  }
  return 0;
}

void CFullScreenToolbar::PlaceIn(SIZE screen) {
  if (!m_pPanel) return;
  qel::Element* toolbar = qel::Element::From(m_pPanel);
  SIZE size = toolbar->FrameSize();
  toolbar->SetMargin(SRect32{screen.cx - size.cx - kEdgeGap, screen.cy - size.cy - kEdgeGap, 0, 0});
}

void CFullScreenToolbar::ShowWindow(int cmd) {
  if (m_pPanel) m_pPanel->Show(cmd == 0 ? 0 : 1);
}

bool CFullScreenToolbar::IsWindowVisible() { return m_pPanel && m_pPanel->IsVisible(); }

bool CFullScreenToolbar::IsWindowEnabled() { return m_pPanel && m_pPanel->IsEnable(); }

WindowRef CFullScreenToolbar::GetSafeHwnd() {
  return m_pFullScreenWnd ? m_pFullScreenWnd->GetWindowRef() : nullptr;
}

void CFullScreenToolbar::UpdateBtnState() {
  if (!m_pFullScreenWnd) return;
  const bool reading = m_pFullScreenWnd->IsReadingCurThumb();
  const bool opened = m_pFullScreenWnd->IsCurFileOpened() || reading;
  auto enable = [](PubQelmar::QelElement* e, bool on) {
    if (e) e->Enable(on ? 1 : 0);
  };
  enable(m_pActualBtn, (opened && m_pFullScreenWnd->CanDoActualSize()) || reading);
  enable(m_pBestFitBtn, (opened && m_pFullScreenWnd->CanDoBestFit()) || reading);
  enable(m_pRotateLBtn, opened);
  enable(m_pRotateRBtn, opened);
  enable(m_pZoomInBtn, (opened && m_pFullScreenWnd->CanZoomIn()) || reading);
  enable(m_pZoomOutBtn, (opened && m_pFullScreenWnd->CanZoomOut()) || reading);
  const bool any = !g_pApp->GetFilelist()->empty();
  enable(m_pPreviousBtn, any);
  enable(m_pNextBtn, any);
}

void CFullScreenToolbar::PrepareToClose() {
  if (CMainFrame* main = g_pApp->GetMainFrame()) main->ShowWindow(0);
  if (m_pFullScreenWnd) m_pFullScreenWnd->ShowWindow(0);
  ShowWindow(0);
}

bool CFullScreenToolbar::AskForClose() {
  if (CMainFrame* main = g_pApp->GetMainFrame()) {
    if (m_bClickClose) {
      main->HideFullscreen1();
    } else {
      main->HideFullscreen();
    }
  }
  m_bClickClose = false;
  return m_bCanClose;
}

void CFullScreenToolbar::CloseProc() {
  PrepareToClose();
  SetCanClose();
  if (m_pFullScreenWnd) m_pFullScreenWnd->SetCanClose();
  CThumbPool::m_bAbortReadThumb = true;
  m_bClickClose = true;
  AskForClose();
  if (m_pFullScreenWnd) m_pFullScreenWnd->Close();
  if (CMainFrame* main = g_pApp->GetMainFrame()) main->Close();
}

void CFullScreenToolbar::ZoomProc(QelObject element, int32_t event, bool zoomIn) {
  if (!m_pFullScreenWnd) return;
  CFullScreenWnd* view = m_pFullScreenWnd;
  ZoomButtonEvent(element, event, [view, zoomIn] {
    if (zoomIn) {
      view->DoZoomIn();
    } else {
      view->DoZoomOut();
    }
  });
}

int32_t CFullScreenToolbar::ZoomInProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data) {
  if (data) Toolbar(data)->ZoomProc(element, event, true);
  return 0;
}

int32_t CFullScreenToolbar::ZoomOutProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data) {
  if (data) Toolbar(data)->ZoomProc(element, event, false);
  return 0;
}

#define TOOLBAR_VIEW_PROC(Name, Action)                                                     \
  int32_t CFullScreenToolbar::Name##_Proc(QelObject, int32_t event, QELLPARAM, void* data) { \
    CFullScreenToolbar* t = data ? Toolbar(data) : nullptr;                                  \
    if (t && t->m_pFullScreenWnd && event == QEL_EV_CLICK) t->m_pFullScreenWnd->Action;      \
    return 0;                                                                                \
  }

TOOLBAR_VIEW_PROC(ActualSizeProc, DoActualSize())
TOOLBAR_VIEW_PROC(BestFitProc, DoBestFit())
TOOLBAR_VIEW_PROC(PreviousProc, DoPrevious())
TOOLBAR_VIEW_PROC(NextProc, DoNext())
TOOLBAR_VIEW_PROC(RotateLeftProc, DoRotate(1))
TOOLBAR_VIEW_PROC(RotateRightProc, DoRotate(0))
#undef TOOLBAR_VIEW_PROC

int32_t CFullScreenToolbar::CloseProc_Proc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (data && event == QEL_EV_CLICK) Toolbar(data)->CloseProc();
  return 0;
}

int32_t CFullScreenToolbar::BacktoEditorProc_Proc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (data && event == QEL_EV_CLICK) {
    if (CMainFrame* main = g_pApp->GetMainFrame()) main->HideFullscreen();
  }
  return 0;
}
