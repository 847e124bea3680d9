#include "PreviewPlayer.h"

#include <algorithm>

#include "MovieSource.h"
#include "VideoEdit.h"
#include "os/Offscreen.h"
#include "qel/QelElement.h"
#include "qel/QelElementLayers.h"
#include "qel/QelTimer.h"

ORVRESULT CPlay::DefaultQueryInterface(const ORV_GUID& iid, void** out) {
  if (iid == IID_IORVUnknown) return GetInterface(static_cast<IORVPlay*>(this), out);
  return ORV_E_NOTIMPL;
}

ORVRESULT CPlay::SetSource(IORVSource* source) {
  m_pSource = static_cast<CSource*>(source);
  return 0;
}

ORVRESULT CPlay::Start() {
  if (m_pSource) m_pSource->DoCommand(CSource::kPlay);
  return 0;
}

ORVRESULT CPlay::Pause() {
  if (m_pSource) m_pSource->DoCommand(CSource::kPause);
  return 0;
}

ORVRESULT CPlay::Stop() {
  if (m_pSource) m_pSource->DoCommand(CSource::kStop);
  return 0;
}

ORVRESULT CPlay::Seek(int32_t percent) {
  if (m_pSource) m_pSource->SetPlayTime(int32_t(int64_t(percent) * m_pSource->GetDuration() / 100));
  return 0;
}

void CPlay::BackToBeginning() {
  if (m_pSource) m_pSource->BackToBeginning();
}

CPlayView::CPlayView(CVideoEdit* owner, qel::Element* view) : m_pOwner(owner), m_pView(view) {
  if (m_pView) m_pView->Show(false);
  InitPlay();
}

CPlayView::~CPlayView() {
  UnInitPlay();
  if (m_pView) {
    if (qel::ElementLayers* layers = m_pView->Layers(false)) layers->Layer()->Clear();
  }
}

int32_t CPlayView::InitPlay() {
  if (m_pView) m_pView->Show(true);
  QelInstallTimer(this, kTimerId, 0, 30, &CPlayView::TimerProc, this);
  return 1;
}

int32_t CPlayView::UnInitPlay() {
  QelRemoveTimer(this, kTimerId);
  if (m_pView) m_pView->Show(false);
  return 1;
}

void CPlayView::AdjustPreviewRect(const SRect32& r) {
  m_rect = r;
  if (!m_pView) return;
  m_pView->SetMargin(SRect32{r.left, r.top, 0, 0});
  m_pView->SetFrameSize(SIZE{std::max(r.right - r.left, 1), std::max(r.bottom - r.top, 1)});
  Draw();
}

void CPlayView::TimerProc(void* owner, uint32_t id, void*) {
  if (!owner || id != kTimerId) return;
  auto* self = static_cast<CPlayView*>(owner);
  CSource* source = self->m_pOwner ? self->m_pOwner->GetCurrentSource() : nullptr;
  if (source && source == self->m_drawnSource && source->DisplayVersion() == self->m_drawnVersion) return;
  self->Draw();
}

bool CPlayView::Draw() {
  CSource* source = m_pOwner ? m_pOwner->GetCurrentSource() : nullptr;
  GWorldPtr world = source ? source->GetDisplayBuffer() : nullptr;
  if (!m_pView || !world || world->depth != plat::kOffscreenARGB32) return false;
  // Stretched into the view, which the editor sizes to the movie's shape.
  const int32_t w = std::max(m_rect.right - m_rect.left, 1), h = std::max(m_rect.bottom - m_rect.top, 1);
  const int32_t stride = (w * 3 + 3) & ~3;
  m_rgb.resize(size_t(stride) * size_t(h));
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = world->pixels + size_t(int64_t(y) * world->height / h) * size_t(world->rowBytes);
    uint8_t* dst = m_rgb.data() + size_t(y) * size_t(stride);
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* p = src + size_t(int64_t(x) * world->width / w) * 4;
      dst[0] = p[3];  // blue, green, red, as a bitmap stores them
      dst[1] = p[2];
      dst[2] = p[1];
      dst += 3;
    }
  }
  QelLayerPixels pixels{};
  pixels.cbSize = sizeof pixels;
  pixels.width = w;
  pixels.height = h;
  pixels.bitCount = 24;
  pixels.rowBytes = stride;
  pixels.bits = m_rgb.data();
  if (qel::ElementLayers* layers = m_pView->Layers(true)) layers->Layer()->SetPixels(pixels);
  m_pView->Show(true);
  m_pView->Invalidate();
  m_drawnSource = source;
  m_drawnVersion = source->DisplayVersion();
  return true;
}
