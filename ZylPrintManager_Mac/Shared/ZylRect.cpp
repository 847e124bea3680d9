#include "ZylRect.h"

int Zyl_IsRectEmpty(const SRect32* r) { return !r || r->left >= r->right || r->top >= r->bottom ? 1 : 0; }

void Zyl_SetRect(SRect32* r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (r) *r = SRect32{left, top, right, bottom};
}

void Zyl_SetRectEmpty(SRect32* r) { Zyl_SetRect(r, 0, 0, 0, 0); }

void Zyl_CopyRect(SRect32* d, const SRect32* s) {
  if (d && s) *d = *s;
}

int Zyl_EqualRect(const SRect32* a, const SRect32* b) {
  if (!a || !b) return 0;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom ? 1 : 0;
}

void Zyl_OffsetRect(SRect32* r, int32_t dx, int32_t dy) {
  if (!r) return;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
}

void Zyl_InflateRect(SRect32* r, int32_t dx, int32_t dy) {
  if (!r) return;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
}

void Zyl_InsetRect(SRect32* r, int32_t dx, int32_t dy) { Zyl_InflateRect(r, -dx, -dy); }

int Zyl_PtInRect(const SRect32* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom ? 1 : 0;
}

void Zyl_UnionRect(SRect32* d, const SRect32* a, const SRect32* b) {
  if (!d || !a || !b) return;
  SRect32 u{a->left < b->left ? a->left : b->left, a->top < b->top ? a->top : b->top,
            a->right > b->right ? a->right : b->right, a->bottom > b->bottom ? a->bottom : b->bottom};
  *d = u;
}

int Zyl_IntersectRect(SRect32* d, const SRect32* a, const SRect32* b) {
  if (!a || !b) return 0;
  SRect32 scratch;
  SRect32* out = d ? d : &scratch;
  SRect32 r{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
            a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
  if (r.left < r.right && r.top < r.bottom) {
    *out = r;
    return 1;
  }
  *out = SRect32{0, 0, 0, 0};
  return 0;
}

int Mac_PtInRect(const SRect32* r, MacPoint16 p) {
  return r && p.h >= r->left && p.h < r->right && p.v >= r->top && p.v < r->bottom ? 1 : 0;
}

void Mac_Rect32ToRect(const SRect32* r, MacRect16* out) {
  if (!r || !out) return;
  out->left = int16_t(uint16_t(uint32_t(r->left)));
  out->top = int16_t(uint16_t(uint32_t(r->top)));
  out->right = int16_t(uint16_t(uint32_t(r->right)));
  out->bottom = int16_t(uint16_t(uint32_t(r->bottom)));
}

void Mac_RectToRect32(const MacRect16* r, SRect32* out) {
  if (!r || !out) return;
  *out = SRect32{r->left, r->top, r->right, r->bottom};
}
