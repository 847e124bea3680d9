#include "FullScreenWnd.h"

#include <algorithm>

#include "CaptureManage.h"
#include "CaptureWindow.h"
#include "DlgLayoutHelpers.h"
#include "ORVGF.h"
#include "qel/QelMessage.h"

namespace {

CFullScreenWnd* g_fullScreen = nullptr;
constexpr const char* kBarButtons[] = {"butn_close", "butn_Image", "chck_burst", "chck_video"};

}  // namespace

CFullScreenBar::CFullScreenBar(ICaptureListener* listener, WindowRef parent)
    : m_pListener(listener), m_hParent(parent) {
  m_bRoundCorner = 0;
}

CFullScreenBar::~CFullScreenBar() = default;

int32_t CFullScreenBar::PreCreateWind(QelCreateStruct* cs) {
  CDlgBase::PreCreateWind(cs);
  if (cs) {
    cs->windowClass = 10;
    cs->alpha = 0.8;
    cs->windowDef = nullptr;
  }
  return QEL_S_OK;
}

int32_t CFullScreenBar::DidCreate() {
  CDlgBase::DidCreate();
  SetDefaultCallBackName("cata_drag", QEL_FRAME_DRAG);
  for (const char* name : kBarButtons) RegisterCallBack(name, QEL_EV_CLICK, &CFullScreenBar::OnButton, this);
  return QEL_S_OK;
}

void CFullScreenBar::WillClose() {
  ClearCallBacks();
  CDlgBase::WillClose();
}

int32_t CFullScreenBar::OnButton(QelObject element, int32_t, QELLPARAM, void* data) {
  auto* self = static_cast<CFullScreenBar*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e || !self->m_pListener) return 0;
  int32_t code = -1;
  for (int32_t i = 0; i < 4; ++i) {
    if (qel::NamesEqual(e->Name(), kBarButtons[i])) code = i;
  }
  if (code >= 0) self->m_pListener->Receive(kCaptureToolbarEvent, &code, self);
  return 0;
}

void CFullScreenBar::UpdateUI(int32_t bursting, int32_t recording, int32_t burstAllowed, int32_t recordAllowed) {
  qel::Element* root = Root();
  if (qel::Element* b = dlg::Find(root, "butn_Image")) b->Enable(!bursting && !recording);
  if (qel::Element* b = dlg::Find(root, "chck_burst")) {
    b->Enable(burstAllowed && !recording);
    b->SetCheck(bursting ? 1 : 0);
  }
  if (qel::Element* b = dlg::Find(root, "chck_video")) {
    b->Enable(recordAllowed && !bursting);
    b->SetCheck(recording ? 1 : 0);
    b->SetTips(ORVGF::vLoadResString(recording ? 18 : 17));
  }
}

SIZE CFullScreenBar::GetSize() { return Root() ? Root()->FrameSize() : SIZE{0, 0}; }

void CFullScreenBar::SetPosition(POINT p) {
  SRect32 r{};
  GetWindowRect(&r);
  SRect32 moved{p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
  MoveWindow(&moved);
}

CFullScreenWnd::CFullScreenWnd(ICaptureListener* listener, WindowRef parent)
    : m_pListener(listener), m_hPrevious(parent) {
  m_bRoundCorner = 0;
  if (g_fullScreen && g_fullScreen->IsCreated()) g_fullScreen->EndModal(kResultCancel);
  g_fullScreen = this;
}

CFullScreenWnd::~CFullScreenWnd() {
  if (g_fullScreen == this) g_fullScreen = nullptr;
}

CFullScreenWnd* CFullScreenWnd::GetWndPtr() { return g_fullScreen; }

int32_t CFullScreenWnd::PreCreateWind(QelCreateStruct* cs) {
  CDlgBase::PreCreateWind(cs);
  if (cs) {
    cs->windowClass = 4;
    cs->windowDef = nullptr;
  }
  return QEL_S_OK;
}

int32_t CFullScreenWnd::DidCreate() {
  CDlgBase::DidCreate();
  SIZE screen{0, 0};
  ORVGF::vGetScreenSize(screen);
  const double ratio = ORVGF::vGetQelmarUIRatio();
  m_pPreview = std::make_unique<CCaptureWindow>(m_pListener, GetWindowRef(), dlg::Find(Root(), "cata_fullpreview"));
  m_pPreview->ShowHIView(true);

  m_pClose = std::make_unique<CFullScreenBar>(m_pListener, GetWindowRef());
  if (m_pClose->Create(u"fullScreenClose.aui", nullptr, GetWindowRef())) {
    const SIZE s = m_pClose->GetSize();
    m_pClose->SetPosition(POINT{screen.cx - s.cx - int32_t(30 * ratio), s.cy / 2});
    m_pClose->ShowWindow(5);
  }
  m_pToolbar = std::make_unique<CFullScreenBar>(m_pListener, GetWindowRef());
  if (m_pToolbar->Create(u"Capture_fullscreenTB.aui", nullptr, GetWindowRef())) {
    const SIZE s = m_pToolbar->GetSize();
    m_pToolbar->SetPosition(POINT{screen.cx - s.cx - int32_t(30 * ratio), (screen.cy - s.cy) / 2});
    m_pToolbar->ShowWindow(5);
  }
  SetPreviewModule(1);
  return QEL_S_OK;
}

void CFullScreenWnd::DidClose() {
  if (m_pToolbar && m_pToolbar->IsCreated()) m_pToolbar->Close();
  if (m_pClose && m_pClose->IsCreated()) m_pClose->Close();
  m_pToolbar.reset();
  m_pClose.reset();
  m_pPreview.reset();
  CDlgBase::DidClose();
}

void CFullScreenWnd::UpdateUI(int32_t bursting, int32_t recording, int32_t burstAllowed, int32_t recordAllowed) {
  if (m_pToolbar && m_pToolbar->IsCreated()) m_pToolbar->UpdateUI(bursting, recording, burstAllowed, recordAllowed);
}

SRect32 CFullScreenWnd::PreviewRect(int32_t mode, SIZE screen, SIZE video) {
  const int64_t sw = screen.cx, sh = screen.cy, vw = std::max(1, video.cx), vh = std::max(1, video.cy);
  int64_t w = 0, h = 0;
  const bool wider = vw * sh >= sw * vh;
  if (mode == 2 ? vw * sh <= sw * vh : wider) {
    w = sw;
    h = sw * vh / vw;
  } else {
    w = sh * vw / vh;
    h = sh;
  }
  return SRect32{int32_t((sw - w) / 2), int32_t((sh - h) / 2), int32_t((sw + w) / 2), int32_t((sh + h) / 2)};
}

void CFullScreenWnd::SetPreviewModule(int32_t mode) {
  if (mode == 0) mode = 1;
  SIZE screen{0, 0};
  ORVGF::vGetScreenSize(screen);
  SIZE video{640, 480};
  if (CCaptureManage* engine = CCaptureManage::GetInstance()) engine->GetVideoResolution(video);
  const SRect32 r = PreviewRect(mode, screen, video);
  if (m_pPreview) m_pPreview->PlaceView(r);
  m_nMode = mode % 3;
}

intptr_t CFullScreenWnd::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == QEL_WM_KEYDOWN && wp == QEL_KEY_ESCAPE) {
    handled = true;
    EndModal(kResultCancel);
    return 0;
  }
  if (msg == QEL_WM_KEYDOWN && (wp == QEL_KEY_RETURN || wp == QEL_KEY_ENTER)) {
    // Passed on, but a full screen does not end on Return.
    handled = true;
    return 0;
  }
  if (msg == kMsgNextMode || msg == 515) {
    SetPreviewModule((m_nMode + 1) % 3);
    return 0;
  }
  return CDlgBase::ProcessMessage(msg, wp, lp, handled);
}
