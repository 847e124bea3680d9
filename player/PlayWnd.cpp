#include "PlayWnd.h"

#include "qel/QelElement.h"
#include "qel/QelVideo.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

CPlayWnd::CPlayWnd()
    : m_pPlayer(std::make_unique<media::Player>()), m_pFramePosted(std::make_shared<std::atomic<bool>>(false)) {}

CPlayWnd::~CPlayWnd() {
  Clear();
  if (m_pView) m_pView->Release();
}

int CPlayWnd::Create(CQelWindow* window, qel::Element* area) {
  if (!window || !area) return 0;
  m_pWindow = window;
  qel::Element* view = qel::CreateElement(qel::kVideoClass, "view_Video");
  m_pView = dynamic_cast<qel::VideoElement*>(view);
  if (!m_pView) {
    if (view) view->Release();
    return 0;
  }
  m_pView->SetWidthMethod(qel::kSizeFill);
  m_pView->SetHeightMethod(qel::kSizeFill);
  m_pView->SetCallback(&CPlayWnd::ViewProc, this);
  // First child: what the area holds besides (the sound-file note) is drawn over it.
  qel::Element* first = area->Children().empty() ? nullptr : area->Children().front();
  m_pView->PutInside(area, first);
  m_pView->Show(true);

  // The worker tells of a new picture; one message waits at most. The
  // window is looked up again on the main thread, so a closed one is skipped.
  WindowRef target = window->GetWindowRef();
  std::shared_ptr<std::atomic<bool>> posted = m_pFramePosted;
  m_pPlayer->SetNotifier([target, posted] {
    if (!posted->exchange(true)) ::PostMessage(target, kMsgFrameDue, 0, 0);
  });
  return 1;
}

int32_t CPlayWnd::ViewProc(QelObject, int32_t event, QELLPARAM param, void* data) {
  auto* self = static_cast<CPlayWnd*>(data);
  if (!self || !self->m_pView || event != qel::kVideoPressEvent || !self->m_pWindow) return 0;
  const int button = int(param & 0xff), count = int((param >> 8) & 0xff);
  if (button == 1) {
    self->m_pWindow->SendMessage(count < 2 ? kMsgMouseAction : kMsgDoubleClick, 0, 0);
  } else if (button == 3) {
    self->m_pWindow->SendMessage(kMsgMouseAction, 0, 0);
  }
  return 0;
}

int CPlayWnd::OpenFile(const std::u16string& path, int32_t* error) {
  Clear();
  if (error) *error = 0;
  if (m_pPlayer->Open(QelToUTF8(path)) != 0) {
    if (error) *error = -1;
    return 0;
  }
  m_bOpened = true;
  media::Size natural = m_pPlayer->NaturalSize();
  m_VideoSize = SIZE{natural.width, natural.height};
  if (m_pView) m_pView->SetDisplaySize(m_VideoSize);
  SetPlayPosition(0);
  return 1;
}

void CPlayWnd::Clear() {
  if (!m_bOpened) return;
  m_bClearing = 1;
  m_pPlayer->Stop();
  m_pPlayer->Close();
  m_bOpened = false;
  m_VideoSize = SIZE{0, 0};
  if (m_pView) m_pView->ClearFrame();
  m_bClearing = 0;
}

void CPlayWnd::Play() {
  if (!m_bOpened) return;
  switch (GetPlayState()) {
    case kPlayStateStopped:
      m_pPlayer->SetSpeed(1.0);
      m_pPlayer->Play();
      break;
    case kPlayStatePaused:
      m_pPlayer->Play();
      break;
    default:
      break;
  }
  Mute(m_nMute);
}

void CPlayWnd::Pause() {
  if (!m_bOpened) return;
  m_pPlayer->Pause();
  PresentFrame();
}

void CPlayWnd::SetVolume(int volume) {
  if (!m_bOpened) return;
  m_pPlayer->SetVolume(volume);
  m_nVolume = volume;
}

void CPlayWnd::Mute(int mute) {
  m_nMute = mute;
  if (!m_bOpened) return;
  m_pPlayer->SetVolume(mute ? 0 : m_nVolume);
}

void CPlayWnd::SetPlayPosition(uint32_t ms) {
  if (!m_bOpened) return;
  m_pPlayer->Seek(int64_t(ms));
  // Not playing: the picture there is shown now.
  if (GetPlayState() != kPlayStatePlaying) PresentFrame();
}

uint32_t CPlayWnd::GetCurrentPlayPosition() const { return m_bOpened ? uint32_t(m_pPlayer->PositionMs()) : 0; }

uint32_t CPlayWnd::GetTotalTime() const { return m_bOpened ? uint32_t(m_pPlayer->DurationMs()) : 0; }

int CPlayWnd::GetPlayState() const { return m_bOpened ? int(m_pPlayer->State()) : kPlayStateStopped; }

SIZE CPlayWnd::GetVideoSize() const {
  if (!m_bOpened || !m_pPlayer->HasVideo()) return SIZE{0, 0};
  return m_VideoSize;
}

void CPlayWnd::PresentFrame() {
  m_pFramePosted->store(false);
  if (!m_bOpened || !m_pView) return;
  if (m_pPlayer->TakeFrame(m_Frame))
    m_pView->ShowFrame(m_Frame.pixels.data(), m_Frame.width, m_Frame.height, m_Frame.rowBytes, m_Frame.timeUs);
}

int64_t CPlayWnd::ShownFrameTimeUs() const { return m_pView ? m_pView->FrameTimeUs() : -1; }
