// The main window's background picture: the picture file is opened as a
// toolkit picture, turned into a 24-bit bottom-up bitmap and handed to the
// background element's layer, blended or not.
#include <cstring>
#include <vector>

#include "MyMainFrame.h"
#include "PubImage.h"
#include "PubQelmar.h"
#include "QelSizedRecords.h"
#include "qel/QelPath.h"

namespace {

constexpr int32_t kBitmapProperty = 115;
constexpr int32_t kBlendProperty = 107;
constexpr int32_t kBlendValue = 76;  // 255 x 0.3, truncated
constexpr int32_t kPixelsPerMetre = 1270;

// A device-independent bitmap: the 40-byte header, then bottom-up rows of
// B, G, R padded to 4 bytes.
struct Dib {
  std::vector<uint8_t> bytes;
  int32_t width = 0, height = 0, stride = 0;
  uint8_t* Row(int32_t fromTop) { return bytes.data() + 40 + size_t(height - 1 - fromTop) * size_t(stride); }
};

bool MakeDib(PubImage::QelPicture* picture, Dib& dib) {
  SIZE size{0, 0};
  picture->GetSize(&size);
  if (size.cx <= 0 || size.cy <= 0) return false;
  PubImage::QelLayer* merged = picture->MergeLayers();
  if (!merged) return false;
  dib.width = size.cx;
  dib.height = size.cy;
  dib.stride = (size.cx * 3 + 3) & ~3;
  dib.bytes.assign(40 + size_t(dib.stride) * size_t(size.cy), 0);
  uint8_t* h = dib.bytes.data();
  auto put32 = [h](size_t at, uint32_t v) { std::memcpy(h + at, &v, 4); };
  put32(0, 40);
  put32(4, uint32_t(size.cx));
  put32(8, uint32_t(size.cy));
  h[12] = 1;   // planes
  h[14] = 24;  // bits
  put32(20, uint32_t(dib.stride * size.cy));
  put32(24, kPixelsPerMetre);
  put32(28, kPixelsPerMetre);
  // The merged layer's rows straight into the bitmap, bottom-up.
  QelPixelTransfer t{};
  t.kind = 1;
  t.left = t.top = 0;
  t.right = size.cx;
  t.bottom = size.cy;
  t.bitsPerPixel = 24;
  t.rowStep = -intptr_t(dib.stride);
  t.pixels = dib.Row(0);  // the top row, stored last
  bool ok = merged->GetPixels(&t) == 0;
  merged->Release();
  return ok;
}

}  // namespace

int32_t CMyMainFrame::SetBkImage(const CQelStringW& path, QelObject element, const SRect32*, int32_t blend) {
  auto* target = reinterpret_cast<PubQelmar::QelElement*>(element);
  if (!target || path.IsEmpty()) return 0;
  auto* picture = reinterpret_cast<PubImage::QelPicture*>(Qel0CreateObj(QEL_KIND_PICTURE));
  if (!picture) return 0;
  Qel0FSRef ref = Qel0FSRCreateWithPath(path.c_str());
  bool opened = ref && picture->Open(nullptr, ref) == 0;
  if (ref) Qel0FSRRelease(ref);
  Dib dib;
  bool made = opened && MakeDib(picture, dib);
  picture->Release();
  if (!made) return 0;

  PubQelmar::QelLayerSet* set = target->GetLayersetByIndex(0);
  PubQelmar::QelLayer* layer = set ? set->GetLayer(0) : nullptr;
  if (!layer) return 0;
  SETLAYERDATA data;
  data.dwFlag = 0;
  data.nWidth = dib.width;
  data.nHeight = dib.height;
  data.nRowBytes = -dib.stride;  // the top row is the last one stored
  data.nBitCount = 24;
  data.pBits = dib.Row(0);
  _LayerPropertyInfo bitmap;
  bitmap.nProperty = kBitmapProperty;
  bitmap.pData = &data;
  if (layer->SetLayerProperty(&bitmap) != 0) return 0;
  _LayerPropertyInfo mix;
  mix.nProperty = kBlendProperty;
  mix.nValue = blend ? kBlendValue : 0;
  layer->SetLayerProperty(&mix);
  target->Show(1);
  return 1;
}
