#include "PrintCell.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinZoom = 0.125, kMaxZoom = 8.0;

int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }
bool Empty(const SRect32& r) { return r.left >= r.right || r.top >= r.bottom; }
double Nearest(double x) { return std::floor(x + 0.5); }
// A double of bounded size as a 32-bit integer (truncated).
int32_t Trunc(double x) { return int32_t(std::clamp(x, -2e9, 2e9)); }

// Moves [start, start + size) back inside [0, limit) without resizing it.
void Inside(int32_t& start, int32_t& end, int32_t limit) {
  const int32_t size = end - start;
  if (start < 0) start = 0, end = size;
  if (end > limit) end = limit, start = limit - size;
}

}  // namespace

const double CPrintCell::s_dZoom[] = {
    0.125,     1 / 7.5, 1 / 7.0, 1 / 6.5, 1 / 6.0, 1 / 5.5, 0.2, 1 / 4.5, 0.25, 1 / 3.5, 1 / 3.0, 0.4,
    0.5,       1 / 1.8, 1 / 1.5, 1 / 1.3, 1.0,     1.2,     1.3, 1.5,     1.8,  2.0,     2.3,     2.5,
    2.8,       3.0,     3.5,     4.0,     4.5,     5.0,     5.5, 6.0,     6.5,  7.0,     7.5,     8.0};
const int CPrintCell::s_dZoomNum = 36;

void CPrintCell::_Init() {
  picRect = cellRect = SRect32{0, 0, 0, 0};
  zoom = 1.0;
  resIndex = -1;
  autoCrop = false;
  history.clear();
  picWidth = picHeight = 0;
  zOrder = 0;
  isText = false;
  excluded = false;
}

CPrintCell::CPrintCell(const CPrintCell* other) {
  if (other && other != this) *this = *other;
  else _Init();
}

void CPrintCell::SetResourceIndex(int res, SIZE size, bool text) {
  resIndex = res;
  isText = text;
  if (res < 0) {
    picWidth = picHeight = 0;
    picRect = SRect32{0, 0, 0, 0};
    history.clear();
    return;
  }
  picWidth = size.cx, picHeight = size.cy;
  picRect = SRect32{0, 0, size.cx, size.cy};
  if (!text) DoZoom(0);
  else cellRect = SRect32{0, 0, size.cx, size.cy};
}

void CPrintCell::SetPicRect(const SRect32& r) {
  if (!Empty(r)) picRect = r;
}

int CPrintCell::DoPan(const SRect32& r) {
  SetPicRect(r);
  return 1;
}

bool CPrintCell::CanZoomIn() const { return !isText && zoom < kMaxZoom; }
bool CPrintCell::CanZoomOut() const { return !isText && zoom > kMinZoom; }

int CPrintCell::_SetZoom(double z) {
  // Only finite zooms inside the steps' range; a NaN or infinity never
  // reaches the integer conversions below.
  if (isText || resIndex < 0 || !std::isfinite(z) || z < kMinZoom || z > kMaxZoom) return 0;
  autoCrop = false;
  zoom = z;
  const int32_t Wp = picWidth, Hp = picHeight;
  if (z <= 1.0 || Wp <= 0 || Hp <= 0) {
    picRect = SRect32{0, 0, Wp, Hp};
    return 1;
  }
  const int32_t cx = int32_t((int64_t(picRect.left) + picRect.right) / 2);
  const int32_t cy = int32_t((int64_t(picRect.top) + picRect.bottom) / 2);
  const int64_t CW = W(cellRect), CH = H(cellRect);
  SRect32 r;
  if (CW * Hp < CH * Wp) {
    int32_t w = std::max(Trunc(Wp / z), 1);
    r.left = std::max(cx - w / 2, 0), r.right = r.left + w;
    int64_t h2 = std::max<int64_t>(Trunc(double(CW) * Hp * z / Wp), 1);
    if (h2 > CH) {
      int32_t s = std::max(int32_t(CH * Hp / h2), 1);
      r.top = std::max(cy - s / 2, 0), r.bottom = r.top + s;
    } else {
      r.top = 0, r.bottom = Hp;
    }
  } else {
    int32_t h = std::max(Trunc(Hp / z), 1);
    r.top = std::max(cy - int32_t(Nearest(h * 0.5)), 0), r.bottom = r.top + h;
    int64_t w2 = std::max<int64_t>(Trunc(double(CH * Wp / Hp) * z), 1);
    if (w2 > CW) {
      int32_t s = std::max(Trunc(Nearest(double(CW) * Wp / w2)), 1);
      r.left = std::max(cx - s / 2, 0), r.right = r.left + s;
    } else {
      r.left = 0, r.right = Wp;
    }
  }
  Inside(r.left, r.right, Wp);
  Inside(r.top, r.bottom, Hp);
  picRect = r;
  return 1;
}

int CPrintCell::DoZoom(int step) {
  if (isText) return 0;
  autoCrop = false;
  double z = zoom;
  if (step == 0) {
    zoom = 1.0;
    picRect = SRect32{0, 0, picWidth, picHeight};
    return 1;
  } else if (step == 1) {
    if (zoom >= kMaxZoom) return 0;
    z = *std::upper_bound(s_dZoom, s_dZoom + s_dZoomNum, zoom);
  } else if (step == -1) {
    if (zoom <= kMinZoom) return 0;
    z = *(std::lower_bound(s_dZoom, s_dZoom + s_dZoomNum, zoom) - 1);
  } else {
    return 0;
  }
  if (z == zoom) return 1;
  zoom = z;
  if (z > 1.0) _SetZoom(z);
  else picRect = SRect32{0, 0, picWidth, picHeight};
  return 1;
}

int CPrintCell::DoMoveOrZoom(const SRect32& r) {
  cellRect = r;
  if (!isText) _SetZoom(1.0);
  return 1;
}

void CPrintCell::DoAutoCrop(bool on) {
  if (isText) return;
  if (resIndex < 0 || !on) {
    autoCrop = on;
    return;
  }
  picRect = SRect32{0, 0, picWidth, picHeight};
  const double CW = W(cellRect), CH = H(cellRect), Wp = picWidth, Hp = picHeight;
  if (CW > 0 && CH > 0 && Wp > 0 && Hp > 0) {
    double z = CW * Hp < CH * Wp ? Nearest(CH * Wp / Hp) / CW : Nearest(CW * Hp / Wp) / CH;
    _SetZoom(std::clamp(z, kMinZoom, kMaxZoom));
  }
  autoCrop = on;
}

void CPrintCell::GetPicShowRect(SRect32& out) const {
  if (isText) {
    out = cellRect;
    return;
  }
  out = SRect32{0, 0, 0, 0};
  if (resIndex < 0 || picWidth <= 0 || picHeight <= 0) return;
  const double cx = Nearest((double(cellRect.left) + cellRect.right) * 0.5);
  const double cy = Nearest((double(cellRect.top) + cellRect.bottom) * 0.5);
  const double CW = W(cellRect), CH = H(cellRect), Wp = picWidth, Hp = picHeight;
  double w, h;
  if (Hp * CW < Wp * CH) {
    w = std::max(Nearest(CW * zoom), 1.0);
    h = std::max(Nearest(Hp * w / Wp), 1.0);
  } else {
    h = std::max(Nearest(CH * zoom), 1.0);
    w = std::max(Nearest(Wp * h / Hp), 1.0);
  }
  SRect32 r{Trunc(cx - w / 2.0), Trunc(cy - h / 2.0), 0, 0};
  r.right = Trunc(r.left + w), r.bottom = Trunc(r.top + h);
  out = SRect32{std::max(r.left, cellRect.left), std::max(r.top, cellRect.top), std::min(r.right, cellRect.right),
                std::min(r.bottom, cellRect.bottom)};
  if (Empty(out)) out = SRect32{0, 0, 0, 0};
}

void CPrintCell::DoRotate(long angle) {
  if (resIndex < 0 || picWidth == 0 || picHeight == 0) return;
  const int32_t a = int32_t(angle % 360);
  if (a != 90 && a != 180 && a != 270) return;
  if (!history.empty() && history.back().kind == 0) {
    int32_t sum = history.back().value + a;
    if (sum % 360 == 0) history.pop_back();
    else history.back().value = sum % 360;
  } else {
    NODE1 n;
    n.kind = 0, n.value = a;
    history.push_back(n);
  }
  if (a != 180) std::swap(picWidth, picHeight);
  _Rotated(a);
}

void CPrintCell::_Rotated(int32_t a) {
  if (isText) {
    if (a == 180) return;
    const int32_t cx = int32_t((int64_t(cellRect.left) + cellRect.right) / 2);
    const int32_t cy = int32_t((int64_t(cellRect.top) + cellRect.bottom) / 2);
    const int32_t w = W(cellRect), h = H(cellRect);
    cellRect = SRect32{cx - h / 2, cy - w / 2, cx - h / 2 + h, cy - w / 2 + w};
    std::swap(picRect.right, picRect.bottom);
    return;
  }
  const SRect32 o = picRect;
  if (a == 90) picRect = SRect32{o.top, picHeight - o.right, o.bottom, picHeight - o.left};
  else if (a == 270) picRect = SRect32{picWidth - o.bottom, o.left, picWidth - o.top, o.right};
  if (autoCrop) DoAutoCrop(true);
  else _SetZoom(zoom);
}

void CPrintCell::DoFlip(bool dir) {
  if (resIndex < 0 || picWidth == 0 || picHeight == 0) return;
  const int32_t v = dir ? 1 : 0;
  if (!history.empty() && history.back().kind == 1 && history.back().value == v) {
    history.pop_back();
  } else {
    NODE1 n;
    n.kind = 1, n.value = v;
    history.push_back(n);
  }
  _Flipped(v);
}

void CPrintCell::_Flipped(int32_t dir) {
  const SRect32 o = picRect;
  if (dir == 1) picRect.left = picWidth - o.right, picRect.right = picWidth - o.left;
  else picRect.top = picHeight - o.bottom, picRect.bottom = picHeight - o.top;  // top to bottom
}

void CPrintCell::GetImgState(long& angle, int& flipA, int& flipB) const {
  angle = 0, flipA = 0, flipB = 0;
  for (const NODE1& n : history) {
    if (n.kind == 0) {
      angle = (angle + n.value) % 360;
      continue;
    }
    if (n.value == 1) flipA ^= 1;
    else flipB ^= 1;
    if (angle == 90 || angle == 270) angle = (angle + 180) % 360;
  }
}

void CPrintCell::DoAutoRotate(long mode) {
  if (isText || resIndex < 0 || picWidth <= 0 || picHeight <= 0 || W(cellRect) <= 0 || H(cellRect) <= 0) return;
  const double p = double(picWidth) / picHeight, c = double(W(cellRect)) / H(cellRect);
  if (!((p < 1 && c > 1) || (p > 1 && c < 1))) return;
  long a;
  int fa, fb;
  GetImgState(a, fa, fb);
  long turn;
  switch (a) {
    case 0: turn = mode ? 270 : 90; break;
    case 90: turn = 270; break;
    case 180: turn = mode ? 90 : 270; break;
    default: turn = 90; break;
  }
  DoRotate(turn);
}

bool CPrintCell::operator==(const CPrintCell& o) const {
  if (isText || resIndex < 0 || resIndex != o.resIndex) return false;
  long a1, a2;
  int fa1, fb1, fa2, fb2;
  GetImgState(a1, fa1, fb1);
  o.GetImgState(a2, fa2, fb2);
  return a1 == a2 && fa1 == fa2 && fb1 == fb2;
}
