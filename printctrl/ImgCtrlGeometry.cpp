// Where an image control's picture shows: the visible part in picture
// pixels, and the picture's area in control coordinates.
#include <algorithm>

#include "PictureFunctions.h"

namespace {

// The control's picture size, origin, client and shown sizes; false
// without a picture.
struct View {
  SIZE pic{0, 0}, shown{0, 0};
  POINT org{0, 0};
  SRect32 client{0, 0, 0, 0};
};

bool Read(PubImage::QelImgControl* c, View& v) {
  PubImage::QelPicture* pic = nullptr;
  if (c->GetPict(&pic) != 0 || !pic) return false;
  pic->GetSize(&v.pic);
  c->GetPictOrg(&v.org);
  c->GetClientRect(&v.client);
  c->GetPictShowSize(&v.shown);
  return true;
}

}  // namespace

int GetPicRect(PubImage::QelImgControl* control, SRect32& r) {
  View v;
  if (!control || !Read(control, v)) return 0;
  SRect32 win{v.org.x, v.org.y, v.org.x + (v.client.right - v.client.left),
              v.org.y + (v.client.bottom - v.client.top)};
  win.left = std::max(win.left, 0), win.top = std::max(win.top, 0);
  win.right = std::min(win.right, v.shown.cx), win.bottom = std::min(win.bottom, v.shown.cy);
  GetZoomRect(v.shown, win, v.pic, r, false);
  return 1;
}

int GetImgCtrlPicView(PubImage::QelImgControl* control, SRect32& r) {
  if (!control) return 0;
  View v;
  if (!Read(control, v)) {
    r = SRect32{0, 0, 0, 0};
    return 1;
  }
  const int32_t w = std::max(v.shown.cx, 1), h = std::max(v.shown.cy, 1);
  r = SRect32{std::max(-v.org.x, v.client.left), std::max(-v.org.y, v.client.top),
              std::min(w - v.org.x, v.client.right), std::min(h - v.org.y, v.client.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) r = SRect32{0, 0, 0, 0};
  return 1;
}
