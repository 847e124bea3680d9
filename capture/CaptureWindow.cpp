#include "CaptureWindow.h"

#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "CaptureManage.h"
#include "PreviewPictures.h"
#include "PreviewSurface.h"
#include "ORVTrace.h"
#include "os/Offscreen.h"
#include "qel/QelCore.h"
#include "qel/QelTimer.h"

namespace {

double g_zoom = 1.0;
bool g_overlayOn = false;
std::string g_overlayText = "REC 00:00:00";

}  // namespace

// The element that draws the picture: the engine's newest frame, converted
// once per frame into a surface of the view's size (CPreviewSurface), so
// that painting it is a copy.
class CPreviewView : public qel::Element {
 public:
  explicit CPreviewView(CCaptureWindow* owner) : qel::Element(QelFourCC("prvw"), "view_PreviewCamera"), m_pOwner(owner) {
    SetWidthMethod(qel::kSizeFill);
    SetHeightMethod(qel::kSizeFill);
  }

  void Detach() {
    m_pOwner = nullptr;
    SetCallback(nullptr, nullptr);
  }

  // The engine's preview picture at the view's size in the pixels it was
  // last painted in, zoomed by the zoom rate: as the capture thread made it
  // for this frame, else converted here.
  bool Update(GWorldPtr world) {
    int32_t w = 0, h = 0;
    TargetSize(&w, &h);
    const double zoom = CCaptureWindow::ZoomRate();
    CCaptureManage* engine = CCaptureManage::GetInstance();
    if (engine) engine->ViewPictures().Ask(w, h, zoom);
    const bool made = engine && engine->ViewPictures().Shown(world, w, h, zoom);
    m_ownCurrent = !made && m_picture.Update(world, w, h, zoom);
    if (!made && !m_ownCurrent) return false;
    Invalidate();
    return true;
  }

  void PaintOver(cairo_t* cr) override {
    const SRect32 r = Bounds();
    if (r.right <= r.left || r.bottom <= r.top) return;
    cairo_surface_get_device_scale(cairo_get_target(cr), &m_scaleX, &m_scaleY);
    int32_t w = 0, h = 0;
    TargetSize(&w, &h);
    const double zoom = CCaptureWindow::ZoomRate();
    CCaptureManage* engine = CCaptureManage::GetInstance();
    GWorldPtr world = engine ? engine->GetSGGWorld() : nullptr;
    const CPreviewSurface* picture = engine ? engine->ViewPictures().Shown(world, w, h, zoom) : nullptr;
    if (!picture) {
      // Resized or zoomed since the last frame: the picture on show again,
      // for the new size (a camera that stopped sends no next frame).
      if (world && (!m_ownCurrent || !m_picture.Matches(world, w, h, zoom)))
        m_ownCurrent = m_picture.Update(world, w, h, zoom);
      // Never an older frame than the one last shown.
      if (!m_ownCurrent) return;
      picture = &m_picture;
    }
    if (!picture->Surface()) return;
    picture->Paint(cr, r);
    if (g_overlayOn) PaintOverlay(cr, r);
  }

  void LaidOut() override {
    if (m_pOwner) m_pOwner->AdjustPreviewRect(Bounds());
  }

 protected:
  ~CPreviewView() override = default;

 private:
  // "REC hh:mm:ss", white, filled and stroked.
  static void PaintOverlay(cairo_t* cr, const SRect32& r) {
    const bool wide = r.right - r.left > 640;
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans Bold");
    pango_font_description_set_absolute_size(font, (wide ? 22 : 15) * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, g_overlayText.c_str(), -1);
    cairo_save(cr);
    cairo_move_to(cr, r.left + (wide ? 25 : 15), r.top + (wide ? 35 : 25) - (wide ? 22 : 15));
    pango_cairo_layout_path(cr, layout);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
    pango_font_description_free(font);
    g_object_unref(layout);
  }

  void TargetSize(int32_t* w, int32_t* h) {
    const SRect32 r = Bounds();
    *w = int32_t(std::lround((r.right - r.left) * m_scaleX));
    *h = int32_t(std::lround((r.bottom - r.top) * m_scaleY));
  }

  CCaptureWindow* m_pOwner;
  CPreviewSurface m_picture;  // made here when the capture thread's is not there
  bool m_ownCurrent = false;    // m_picture holds the frame on show
  double m_scaleX = 1, m_scaleY = 1;  // the target's pixels per unit, as last painted
};

namespace {

int32_t OnViewClick(QelObject, int32_t event, QELLPARAM, void* data) {
  if (event != QEL_EV_CLICK || !data) return 0;
  auto* listener = static_cast<ICaptureListener*>(data);
  const int32_t code = 0;
  listener->Receive(kCaptureViewEvent, &code, nullptr);
  return 0;
}

}  // namespace

CCaptureWindow::CCaptureWindow(ICaptureListener* listener, WindowRef window, qel::Element* host)
    : m_pListener(listener), m_hWindow(window) {
  m_pView = new CPreviewView(this);
  m_pView->Show(false);
  if (host) m_pView->PutInside(host, nullptr);
  if (listener) m_pView->SetCallback(&OnViewClick, listener);
  InitPlay();
}

CCaptureWindow::~CCaptureWindow() {
  UnInitPlay();
  if (m_pView) {
    m_pView->Detach();
    m_pView->PutInside(nullptr, nullptr);
    m_pView->Release();
    m_pView = nullptr;
  }
}

qel::Element* CCaptureWindow::View() const { return m_pView; }

void CCaptureWindow::InitPlay() { QelInstallTimer(this, kRedrawTimer, 0, 30, &CCaptureWindow::TimerProc, this); }

void CCaptureWindow::UnInitPlay() {
  QelRemoveTimer(this, kRedrawTimer);
  QelRemoveTimer(this, kOverlayTimer);
  g_overlayOn = false;
  if (m_pView) m_pView->Show(false);
}

void CCaptureWindow::ShowHIView(bool show) {
  if (m_pView) m_pView->Show(show);
}

void CCaptureWindow::AdjustPreviewRect(const SRect32& rect) {
  if (rect.right - rect.left == 0 || rect.bottom - rect.top == 0) return;
  m_rect = rect;
}

void CCaptureWindow::PlaceView(const SRect32& rect) {
  if (!m_pView || rect.right <= rect.left || rect.bottom <= rect.top) return;
  m_pView->SetWidthMethod(qel::kSizeFixed);
  m_pView->SetHeightMethod(qel::kSizeFixed);
  m_pView->SetMargin(SRect32{rect.left, rect.top, 0, 0});
  m_pView->SetFrameSize(SIZE{rect.right - rect.left, rect.bottom - rect.top});
  m_rect = rect;
  m_pView->Invalidate();
}

void CCaptureWindow::ZoomPreviewSize(double rate) { g_zoom = rate < 1.0 ? 1.0 : rate; }

double CCaptureWindow::ZoomRate() { return g_zoom; }

std::string CCaptureWindow::RecordTimeText(int64_t t) {
  if (t < 0) t = 0;
  char text[48];
  std::snprintf(text, sizeof text, "REC %02lld:%02lld:%02lld", static_cast<long long>(t / 3600),
                static_cast<long long>(t % 3600 / 60), static_cast<long long>(t % 60));
  return text;
}

std::string CCaptureWindow::OverlayText() { return g_overlayText; }

bool CCaptureWindow::RecordTimeShown() const { return g_overlayOn; }

void CCaptureWindow::ShowRecordTime(bool on) {
  if (on && !g_overlayOn) {
    // The time counts from the start on the clock that never jumps, not in
    // timer ticks (which lag under load).
    m_recordStartUs = g_get_monotonic_time();
    QelInstallTimer(this, kOverlayTimer, 0, 1000, &CCaptureWindow::TimerProc, this);
  } else if (!on && g_overlayOn) {
    QelRemoveTimer(this, kOverlayTimer);
  }
  g_overlayText = RecordTimeText(0);
  g_overlayOn = on;
  if (m_pView) m_pView->Invalidate();
}

void CCaptureWindow::TimerProc(void*, uint32_t id, void* data) {
  auto* self = static_cast<CCaptureWindow*>(data);
  if (id == kRedrawTimer) self->OnRedraw();
  else if (id == kOverlayTimer) self->OnOverlay();
}

void CCaptureWindow::OnRedraw() {
  if (m_rect.right - m_rect.left == 0 || m_rect.bottom - m_rect.top == 0) {
    // The view has not been laid out yet: take its place now.
    if (m_pView && m_pView->EffectivelyVisible()) AdjustPreviewRect(m_pView->Bounds());
    if (m_rect.right - m_rect.left == 0 || m_rect.bottom - m_rect.top == 0) return;
  }
  CCaptureManage* engine = CCaptureManage::GetInstance();
  if (!engine) return;
  const int32_t result = engine->Idle();
  if (m_bDisconnected) return;
  if (result == -2211) {
    m_bDisconnected = true;
    return;
  }
  if (result == 0 && engine->FrameCount() != m_lastFrame && m_pView) {
    m_lastFrame = engine->FrameCount();
    if (m_pView->Update(engine->GetSGGWorld()) && ++m_framesShown == 1) OrvTrace("capture first frame");
  }
}

void CCaptureWindow::OnOverlay() {
  const int64_t seconds = (g_get_monotonic_time() - m_recordStartUs) / 1000000;
  g_overlayText = RecordTimeText(seconds);
  if (m_pView) m_pView->Invalidate();
  if (m_pListener) {
    const int32_t code = 2;
    m_pListener->Receive(kCaptureViewEvent, &code, this);
  }
}
