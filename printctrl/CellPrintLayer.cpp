#include "CellPrintLayer.h"

#include <algorithm>
#include <cmath>

#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "ZylRect.h"

namespace {

int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }
bool Empty(const SRect32& r) { return W(r) <= 0 || H(r) <= 0; }

// floor(x + 0.5), held inside int range (inputs are pixel counts).
int32_t Round(double x) {
  const double v = std::floor(x + 0.5);
  if (!(v > -2e9)) return -2000000000;
  return v < 2e9 ? int32_t(v) : 2000000000;
}

// A large cell keeps a white border of this many inches when bordered.
constexpr double kBorderInset = 0.2;
// Cells smaller than this (inches) in either direction are never bordered.
constexpr double kBorderedCell = 1.51;
// The resolution lift never asks for more pixels a side.
constexpr int32_t kMaxLift = 9999;

SIZE LayerSize(PubImage::QelLayer* l) {
  SIZE s{0, 0};
  GetLayerSize(l, s);
  return s;
}

// Replaces `l` by `n` when `n` exists (a failed step keeps `l`).
void Swap(PubImage::QelLayer*& l, PubImage::QelLayer* n) {
  if (!n) return;
  if (l) l->Release();
  l = n;
}

// The cell's mask around layer `l`: the whole cell at l's density, in the
// mask's shape. Both axes scale by one factor, whatever the mask's shape.
void ApplyMask(PubImage::QelLayer*& l, PubImage::QelPicture* maskPic, const SRect32& K, SRect32& S) {
  qel::Picture* mp = pichandle::Pict(maskPic);
  qel::Layer* M = mp ? mp->LayerAt(1) : nullptr;
  if (!M || Empty(S) || Empty(K)) return;
  const int32_t Mw = M->Pixels().width(), Mh = M->Pixels().height();
  SIZE ls = LayerSize(l);
  if (Mw < 1 || Mh < 1 || ls.cx < 1 || ls.cy < 1) return;
  double density = double(ls.cx) / W(S);  // layer pixels per device pixel
  int32_t fullW = Round(W(K) * density);
  if (fullW < 1) return;
  int32_t fullH = Round(double(Mh) * fullW / Mw);
  if (fullW < Mw) {
    const double f = double(Mw) / fullW;
    PubImage::QelLayer* up = ResampleLayer(l, std::max(Round(ls.cx * f), 1), std::max(Round(ls.cy * f), 1), 1);
    if (!up) return;
    Swap(l, up);
    ls = LayerSize(l);
    density = double(ls.cx) / W(S);
    fullW = Mw, fullH = Mh;
  }
  if (fullH < 1) return;
  PubImage::QelPicture* canvas = CreatePicObj(SIZE{fullW, fullH});
  PubImage::QelLayer* shape = canvas ? ResampleLayer(pichandle::Wrap(M), fullW, fullH, 0) : nullptr;
  if (!shape) {
    if (canvas) canvas->Release();
    return;
  }
  qel::Picture* c = pichandle::Pict(canvas);
  pichandle::Lyr(shape)->MoveTo(0, 0);
  c->Insert(1, pichandle::Lyr(shape));
  shape->Release();
  // The picture goes under the mask's white.
  PubImage::QelLayer* placed = CopyQelLayer(l);
  if (placed) {
    pichandle::Lyr(placed)->MoveTo(Round((S.left - K.left) * density), Round((S.top - K.top) * density));
    c->Insert(1, pichandle::Lyr(placed));
    placed->Release();
    if (qel::Layer* merged = c->Merge()) {
      Swap(l, pichandle::Wrap(merged));
      S = K;
    }
  }
  canvas->Release();
}

}  // namespace

void CCellLayer::Reset() {
  if (layer) layer->Release();
  layer = nullptr;
  dest = SRect32{0, 0, 0, 0};
}

bool CPageGeometry::Read(const CPrintProject& project, const CPrintPage& page) {
  px = py = 0;
  project.GetPrintPixel(px, py);
  area = SRect32{0, 0, 0, 0};
  project.GetPrintArea(area);
  int mx = 0, my = 0;
  project.GetPrinterMargin(&mx, &my);
  margin = POINT{mx, my};
  inset = project.GetBParam(16) && !page.IsFreeLayout() && px > 0 ? int(px * kBorderInset) : 0;
  return px > 0 && py > 0;
}

CellLayerStatus MakeCellLayer(CPrintProject& project, const CPrintPage& page, long i, const CPageGeometry& g,
                              const CCellLayerOptions& o, CCellLayer& out) {
  out.Reset();
  const CPrintCell* c = page.GetCell(unsigned(i));
  if (!c || i < 0 || c->excluded || c->resIndex < 0 || c->isText) return CellLayerStatus::kSkipped;
  auto step = [&] { return !o.step || o.step(); };

  // The shown rectangle, less the white border of a large cell.
  SRect32 S{0, 0, 0, 0};
  c->GetPicShowRect(S);
  const SRect32 K = c->cellRect;
  if (Empty(S) || c->picWidth < 1 || c->picHeight < 1) return CellLayerStatus::kSkipped;
  SRect32 shown = S;
  if (g.inset > 0 && g.px > 0 && g.py > 0 && double(W(K)) / g.px >= kBorderedCell && double(H(K)) / g.py >= kBorderedCell) {
    const SRect32 inner{K.left + g.inset, K.top + g.inset, K.right - g.inset, K.bottom - g.inset};
    if (!Zyl_IntersectRect(&shown, &S, &inner)) return CellLayerStatus::kSkipped;
  }

  PubImage::QelPicture* P = page._GetCellPic(i, o.original ? 2 : 1);
  if (!P) return CellLayerStatus::kNoPicture;
  if (!step()) {
    P->Release();
    return CellLayerStatus::kStopped;
  }
  qel::Picture* pp = pichandle::Pict(P);
  qel::Layer* L0 = pp ? pp->LayerAt(1) : nullptr;
  SIZE Z = pp ? pp->Size() : SIZE{0, 0};

  // The picture rectangle, cut as the border cut the shown rectangle.
  SRect32 r = c->picRect;
  const double k = double(W(r)) / W(S);
  r.left += Round((shown.left - S.left) * k);
  r.right -= Round((S.right - shown.right) * k);
  r.top += Round((shown.top - S.top) * k);
  r.bottom -= Round((S.bottom - shown.bottom) * k);

  if (page.IsFreeLayout() && !Empty(g.area)) {
    // Only what falls on the printable area, after the user's offset.
    SRect32 moved = shown;
    Zyl_OffsetRect(&moved, g.margin.x, g.margin.y);
    SRect32 X{0, 0, 0, 0};
    if (!Zyl_IntersectRect(&X, &moved, &g.area)) {
      P->Release();
      return CellLayerStatus::kSkipped;
    }
    if (!Zyl_EqualRect(&X, &moved)) {
      const double sx = double(W(r)) / W(moved), sy = double(H(r)) / H(moved);
      r = SRect32{r.left + Round((X.left - moved.left) * sx), r.top + Round((X.top - moved.top) * sy),
                  r.left + Round((X.right - moved.left) * sx), r.top + Round((X.bottom - moved.top) * sy)};
    }
    shown = X;
    Zyl_OffsetRect(&shown, -g.margin.x, -g.margin.y);
  }

  PubImage::QelLayer* L = nullptr;
  if (L0 && !Empty(r) && Z.cx > 0 && Z.cy > 0) {
    if (W(r) == c->picWidth && H(r) == c->picHeight) {
      L0->Retain();
      L = pichandle::Wrap(L0);
    } else {
      SIZE from{c->picWidth, c->picHeight};
      SRect32 mapped{0, 0, 0, 0};
      if (GetZoomRect(from, r, Z, mapped, true)) L = CropLayer(pichandle::Wrap(L0), mapped, 1);
    }
  }
  P->Release();
  if (!L) return CellLayerStatus::kNoLayer;
  if (!step()) {
    L->Release();
    return CellLayerStatus::kStopped;
  }

  if (o.masks) {
    if (PubImage::QelPicture* mask = page.GetCellMask(i)) {
      ApplyMask(L, mask, K, shown);
      mask->Release();
    }
    if (!step()) {
      L->Release();
      return CellLayerStatus::kStopped;
    }
  }

  SIZE ls = LayerSize(L);
  if (o.forPrinter && ls.cx > 0 && ls.cy > 0 && !Empty(shown)) {
    // Too few pixels for the paper: lifted to the threshold resolution.
    const int T = project.m_nResThreshold;
    const double wi = double(W(shown)) / g.px, hi = double(H(shown)) / g.py;
    if (project.GetBParam(1) && T > 0 && g.px > T && g.py > 0 &&
        (Round(ls.cx / wi) < T || Round(ls.cy / hi) < T)) {
      int32_t nw = Round(wi * T), nh = Round(hi * T);
      if (double(ls.cx) * nh <= double(nw) * ls.cy) nh = Round(double(nw) * ls.cy / ls.cx);
      else nw = Round(double(ls.cx) * nh / ls.cy);
      if (nw >= 1 && nh >= 1 && nw <= kMaxLift && nh <= kMaxLift) Swap(L, ResampleLayer(L, nw, nh, 1));
    }
    // More pixels than the printer draws: reduced to the area, shape kept.
    ls = LayerSize(L);
    if (ls.cx > W(shown) && ls.cy > H(shown)) {
      const double f = std::min(double(W(shown)) / ls.cx, double(H(shown)) / ls.cy);
      Swap(L, ResampleLayer(L, std::max(Round(ls.cx * f), 1), std::max(Round(ls.cy * f), 1), 1));
    }
    if (!step()) {
      L->Release();
      return CellLayerStatus::kStopped;
    }
  }
  out.layer = L;
  out.dest = shown;
  return CellLayerStatus::kReady;
}
