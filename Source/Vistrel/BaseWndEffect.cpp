// The animated quarter turn of a fitted picture: six frames drawn from
// layers resampled to the picture area beforehand (the picture as fitted,
// and turned a quarter), so each frame is cheap.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "App.h"
#include "BaseWnd.h"
#include "img/Operations.h"
#include "qel/QelImage.h"
#include "qel/QelWindow.h"

namespace {

constexpr double kPi = 3.1415926;
constexpr int kFrames = 6;
constexpr double kStepDegrees[kFrames] = {5, 5, 10, 10, 20, 40};
// The pause after each frame, so that the turn can be seen (about 0.1 s in all).
constexpr auto kFramePause = std::chrono::milliseconds(16);

qel::Layer* AsLayer(PubImage::QelLayer* l) { return l ? qel::Layer::From(l) : nullptr; }
PubImage::QelLayer* AsHandle(qel::Layer* l) { return l ? static_cast<PubImage::QelLayer*>(l->Handle()) : nullptr; }

void ReleaseLayer(PubImage::QelLayer*& l) {
  if (l) Qel0Release(l);
  l = nullptr;
}

// The layer drawn through the affine matrix (row-vector convention) into a
// new layer the size of the transformed bounds; black outside the source.
qel::Layer* TransformLayer(const qel::Layer& src, geom::Xform m) {
  const img::Bitmap& in = src.Pixels();
  const int32_t sw = in.width(), sh = in.height();
  SRect32 bounds{};
  geom::Transform_Rect(&m, SRect32{0, 0, sw, sh}, &bounds);
  m.eM31 -= bounds.left;
  m.eM32 -= bounds.top;
  const int32_t w = std::max(1, bounds.right - bounds.left), h = std::max(1, bounds.bottom - bounds.top);
  img::Bitmap out = img::Bitmap::Filled(w, h, 0);
  if (out.empty() || in.empty()) return nullptr;
  // Each target pixel samples the source through the inverse matrix.
  const double det = m.eM11 * m.eM22 - m.eM12 * m.eM21;
  if (std::fabs(det) < 1e-12) return nullptr;
  const double i11 = m.eM22 / det, i12 = -m.eM12 / det, i21 = -m.eM21 / det, i22 = m.eM11 / det;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = out.mutable_row(y);
    for (int32_t x = 0; x < w; ++x) {
      const double tx = x + 0.5 - m.eM31, ty = y + 0.5 - m.eM32;
      const double sx = tx * i11 + ty * i21 - 0.5, sy = tx * i12 + ty * i22 - 0.5;
      if (sx < 0 || sy < 0 || sx > sw - 1 || sy > sh - 1) continue;
      const int32_t x0 = int32_t(sx), y0 = int32_t(sy);
      const int32_t x1 = std::min(x0 + 1, sw - 1), y1 = std::min(y0 + 1, sh - 1);
      const double fx = sx - x0, fy = sy - y0;
      const uint8_t* r0 = in.row(y0);
      const uint8_t* r1 = in.row(y1);
      for (int c = 0; c < 3; ++c) {
        double top = r0[3 * x0 + c] * (1 - fx) + r0[3 * x1 + c] * fx;
        double bottom = r1[3 * x0 + c] * (1 - fx) + r1[3 * x1 + c] * fx;
        row[3 * x + c] = uint8_t(std::lround(top * (1 - fy) + bottom * fy));
      }
    }
  }
  return qel::Layer::Make(std::move(out));
}

}  // namespace

PubImage::QelLayer* CBaseWnd::GetFitLayer(const SIZE& area, const SIZE& image, PubImage::QelLayer* layer) {
  qel::Layer* l = AsLayer(layer);
  if (!l || area.cx <= 0 || area.cy <= 0 || image.cx <= 0 || image.cy <= 0) return nullptr;
  const int32_t lw = l->Pixels().width(), lh = l->Pixels().height();
  if (lw <= 0 || lh <= 0) return nullptr;
  if (area.cx >= image.cx && area.cy >= image.cy) return AsHandle(static_cast<qel::Layer*>(l->Copy()));
  SIZE target = area;
  if (int64_t(image.cx) * area.cy < int64_t(image.cy) * area.cx) {
    target.cx = int32_t(int64_t(area.cy) * image.cx / image.cy);
  } else {
    target.cy = int32_t(int64_t(area.cx) * image.cy / image.cx);
  }
  _LYR_RESAMPLE r{_QELDIV{std::max(1, target.cx), lw}, _QELDIV{std::max(1, target.cy), lh}, 0};
  return layer->Resample(&r);
}

void CBaseWnd::UpdateResampleLayer() {
  ReleaseLayer(m_pResampleLayer);
  ReleaseLayer(m_pResampleRotateLayer);
  qel::Picture* picture = m_objPict ? qel::Picture::From(m_objPict) : nullptr;
  qel::Layer* layer = picture ? picture->LayerAt(1) : nullptr;
  if (!layer) return;
  tag_FILE_INFO* file = CurrentFile();
  SIZE image{file ? file->nImageWidth : 0, file ? file->nImageHeight : 0};
  SIZE area;
  GetImagePreviewAreaSize(area);
  m_pResampleLayer = GetFitLayer(area, image, AsHandle(layer));
  m_nResampleRotateDegree = 90;
  img::Bitmap turned = img::Rotate(layer->Pixels(), 270);  // a quarter turn clockwise
  if (turned.empty()) return;
  qel::Layer* rotated = qel::Layer::Make(std::move(turned));
  m_pResampleRotateLayer = GetFitLayer(area, SIZE{image.cy, image.cx}, AsHandle(rotated));
  rotated->Release();
}

void CBaseWnd::SwapResampleLayer(int bRotateLeft) {
  if (!m_pResampleLayer || !m_pResampleRotateLayer) return;
  if ((bRotateLeft && m_nResampleRotateDegree == 90) || (!bRotateLeft && m_nResampleRotateDegree == -90)) {
    // The turned layer stands for the other direction: half a turn more.
    qel::Layer* l = AsLayer(m_pResampleRotateLayer);
    img::Bitmap half = img::Rotate(l->Pixels(), 180);
    if (!half.empty()) {
      ReleaseLayer(m_pResampleRotateLayer);
      m_pResampleRotateLayer = AsHandle(qel::Layer::Make(std::move(half)));
    }
  }
  std::swap(m_pResampleLayer, m_pResampleRotateLayer);
  m_nResampleRotateDegree = bRotateLeft ? 90 : -90;
}

void CBaseWnd::DoRotateEffect(int bRotateLeft) {
  qel::Picture* picture = m_objPict ? qel::Picture::From(m_objPict) : nullptr;
  qel::Layer* work = AsLayer(m_pResampleLayer);
  qel::Layer* turned = AsLayer(m_pResampleRotateLayer);
  if (!picture || !work || !turned || !m_objImgcFix || !picture->LayerAt(1)) return;
  CQelWindow* window = CQelWindow::FetchQelWindow(m_hWnd);

  qel::Layer* saved = picture->Remove(1);  // back in at the end
  const SIZE savedSize = picture->Size();
  const double rw = turned->Pixels().width(), rh = work->Pixels().height();
  SRect32 client{};
  m_objImgcFix->GetClientRect(&client);
  const double cx = (client.right - client.left) / 2, cy = (client.bottom - client.top) / 2;
  double angle = 0;
  for (int i = 0; i < kFrames; ++i) {
    angle += bRotateLeft ? -kStepDegrees[i] : kStepDegrees[i];
    const double s = 1.0 - (i + 1) * (1.0 - rw / rh) / kFrames;
    const double radians = angle / 180.0 * kPi;
    const float c = float(std::cos(radians)), sn = float(std::sin(radians));
    geom::Xform r;
    r.eM11 = c;
    r.eM12 = sn;
    r.eM21 = -sn;
    r.eM22 = c;
    r.eM31 = float(cx - c * cx + sn * cy);
    r.eM32 = float(cy - c * cy - sn * cx);
    geom::Xform scale;
    scale.eM11 = scale.eM22 = s;
    scale.eM31 = (1 - s) * cx;
    scale.eM32 = (1 - s) * cy;
    geom::Xform m;
    geom::MultMatrix(m, &r, &scale);
    qel::Layer* frame = TransformLayer(*work, m);
    if (!frame) break;
    if (qel::Layer* previous = picture->Remove(1)) previous->Release();
    picture->Insert(1, frame);
    const SIZE fs{frame->Pixels().width(), frame->Pixels().height()};
    frame->Release();
    picture->SetSize(fs);
    m_objImgcFix->SetPict(m_objPict);
    m_objImgcFix->SetZoom(1, 1);
    POINT origin{(fs.cx - (client.right - client.left)) / 2, (fs.cy - (client.bottom - client.top)) / 2};
    m_objImgcFix->SetPictOrg(&origin);
    m_objImgcFix->Invalidate(1, nullptr);
    if (m_pPanel) m_pPanel->AutoLayout();
    if (window) {
      window->Invalidate();
      window->UpdateWindow();
    }
    std::this_thread::sleep_for(kFramePause);
  }
  SwapResampleLayer(bRotateLeft);
  if (qel::Layer* last = picture->Remove(1)) last->Release();
  picture->Insert(1, saved);
  saved->Release();
  picture->SetSize(savedSize);
  m_objImgcFix->SetPict(m_objPict);
}
