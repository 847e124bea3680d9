// DIBs in memory blocks and their exchange with toolkit layers. Every size
// is computed in size_t against the imaging library's pixel budget, and a
// DIB handed in is read only as far as its block reaches.
#include <cstring>

#include "DibHelper.h"
#include "MemoryHandles.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "img/Bitmap.h"
#include "qel/QelHeap.h"

using pichandle::Lyr;
using pichandle::Wrap;

namespace {

constexpr size_t kHeader = sizeof(tagBITMAPINFOHEADER);
// Room the layer DIBs keep beyond their pixels (the header takes 40 of it).
constexpr size_t kLayerDibSlack = 50;

size_t BlockSize(DIBBLOCK dib, int heap) {
  return heap ? qelHeapSize(dib) : GetHandleSize(dib);
}

// The rows of a DIB when its header, palette and pixels fit in `bytes`.
struct DibView {
  tagBITMAPINFOHEADER h;
  uint8_t* rows = nullptr;
  size_t stride = 0;
  int32_t height = 0;  // rows, positive
};

bool View(uint8_t* base, size_t bytes, DibView& v) {
  if (!base || bytes < kHeader) return false;
  std::memcpy(&v.h, base, kHeader);
  if (v.h.biSize < kHeader || v.h.biWidth <= 0 || v.h.biHeight == 0 || v.h.biHeight == INT32_MIN) return false;
  v.height = v.h.biHeight < 0 ? -v.h.biHeight : v.h.biHeight;
  v.stride = DIBStride(v.h.biWidth, v.h.biBitCount);
  if (!v.stride || img::CheckedImageBytes(v.h.biWidth, v.height, 4) == 0) return false;
  size_t palette = size_t(v.h.biClrUsed) * 4;
  if (v.h.biClrUsed > 256) return false;
  size_t need = size_t(v.h.biSize) + palette + v.stride * size_t(v.height);
  if (need > bytes) return false;
  v.rows = base + v.h.biSize + palette;
  return true;
}

void WriteHeader(uint8_t* at, int32_t width, int32_t height, int32_t bits, size_t image, int32_t res,
                 uint32_t colours) {
  tagBITMAPINFOHEADER h{};
  h.biSize = uint32_t(kHeader);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = uint16_t(bits);
  h.biSizeImage = uint32_t(image);
  h.biXPelsPerMeter = h.biYPelsPerMeter = res;
  h.biClrUsed = h.biClrImportant = colours;
  std::memcpy(at, &h, kHeader);
}

// A cleared handle DIB of 24 bits for a width x height layer, pixels 0xFF.
DIBBLOCK NewLayerDib(int32_t w, int32_t h, int32_t headerHeight, int heap) {
  size_t stride = DIBStride(w, 24);
  if (!stride || img::CheckedImageBytes(w, h, 3) == 0) return nullptr;
  size_t image = stride * size_t(h);
  size_t total = image + kLayerDibSlack;
  DIBBLOCK dib = heap ? reinterpret_cast<DIBBLOCK>(qelHeapAlloc(total)) : NewHandleClear(total);
  if (!dib) return nullptr;
  uint8_t* base = DibLock(dib, heap);
  WriteHeader(base, w, headerHeight, 24, image, 0, 0);
  std::memset(base + kHeader, 0xFF, image);
  DibUnlock(dib, heap);
  return dib;
}

}  // namespace

uint8_t* DibLock(DIBBLOCK dib, int heap) {
  if (!dib) return nullptr;
  if (heap) return static_cast<uint8_t*>(qelHeapLock(dib));
  HLock(dib);
  return reinterpret_cast<uint8_t*>(*dib);
}

void DibUnlock(DIBBLOCK dib, int heap) {
  if (!dib) return;
  if (heap) qelHeapUnlock(dib);
  else HUnlock(dib);
}

void DibFree(DIBBLOCK dib, int heap) {
  if (!dib) return;
  if (heap) qelHeapFree(dib);
  else DisposeHandle(dib);
}

DIBBLOCK DibNew(long width, long height, long bits, long resolution, unsigned long colour) {
  if (width <= 0 || height <= 0 || !(bits == 1 || bits == 8 || bits == 24)) return nullptr;
  if (width > img::kMaxSide || height > img::kMaxSide) return nullptr;
  if (img::CheckedImageBytes(width, height, 3) == 0) return nullptr;
  const size_t stride = DIBStride(int32_t(width), int32_t(bits));
  const size_t image = stride * size_t(height);
  const uint32_t entries = bits == 24 ? 0 : (1u << bits);
  auto* block = static_cast<uint8_t*>(qelHeapAlloc(kHeader + 4 * size_t(entries) + image));
  if (!block) return nullptr;
  auto dib = reinterpret_cast<DIBBLOCK>(block);
  uint8_t* base = DibLock(dib, 1);
  WriteHeader(base, int32_t(width), int32_t(height), int32_t(bits), image, int32_t(resolution), entries);
  uint8_t* pal = base + kHeader;
  for (uint32_t i = 0; i < entries; ++i) {
    uint8_t v = bits == 8 ? uint8_t(i) : (i ? 0xFF : 0);
    pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = v;
    pal[4 * i + 3] = 0;
  }
  uint8_t* px = pal + 4 * size_t(entries);
  const uint8_t r = uint8_t(colour), g = uint8_t(colour >> 8), b = uint8_t(colour >> 16);
  if (bits == 1) {
    std::memset(px, colour ? 0xFF : 0, image);
  } else if (r == g && g == b) {
    std::memset(px, r, image);
  } else {
    const uint8_t grey = uint8_t((76 * r + 150 * g + 29 * b) / 255);
    for (long y = 0; y < height; ++y) {
      uint8_t* row = px + size_t(y) * stride;
      if (bits == 8) {
        std::memset(row, grey, size_t(width));
      } else {
        for (long x = 0; x < width; ++x) row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
      }
      // The padding stays 0 (the block comes cleared).
    }
  }
  DibUnlock(dib, 1);
  return dib;
}

PubImage::QelLayer* CreateLayerFromDib(DIBBLOCK dib, int heap, int asStored) {
  DibView v;
  uint8_t* base = DibLock(dib, heap);
  if (!View(base, BlockSize(dib, heap), v) || v.h.biBitCount != 24) {
    DibUnlock(dib, heap);
    return nullptr;
  }
  img::Bitmap px = img::Bitmap::Create(v.h.biWidth, v.height);
  if (px.empty()) {
    DibUnlock(dib, heap);
    return nullptr;
  }
  const size_t bytes = size_t(v.h.biWidth) * 3;
  for (int32_t y = 0; y < v.height; ++y) {
    int32_t stored = asStored ? y : v.height - 1 - y;
    std::memcpy(px.mutable_row(y), v.rows + size_t(stored) * v.stride, bytes);
  }
  DibUnlock(dib, heap);
  return Wrap(qel::Layer::Make(std::move(px)));
}

PubImage::QelPicture* CreatePictureFromDib(DIBBLOCK dib, int heap, int asStored) {
  PubImage::QelLayer* layer = CreateLayerFromDib(dib, heap, asStored);
  if (!layer) return nullptr;
  PubImage::QelPicture* pic = Layer2Pic(layer);  // moves it to 0, 0
  layer->Release();
  return pic;
}

DIBBLOCK QelLayerToDib(const void* layer, int heap, int bottomUp) {
  qel::Layer* l = Lyr(layer);
  if (!l || l->Pixels().empty()) return nullptr;
  const img::Bitmap& px = l->Pixels();
  DIBBLOCK dib = NewLayerDib(px.width(), px.height(), px.height(), heap);
  if (!dib) return nullptr;
  uint8_t* base = DibLock(dib, heap);
  const size_t stride = DIBStride(px.width(), 24), bytes = size_t(px.width()) * 3;
  for (int32_t y = 0; y < px.height(); ++y) {
    int32_t stored = bottomUp ? px.height() - 1 - y : y;
    std::memcpy(base + kHeader + size_t(stored) * stride, px.row(y), bytes);
  }
  DibUnlock(dib, heap);
  return dib;
}

DIBBLOCK ProcessFlipVertically(DIBBLOCK dib, int /*busyCursor*/) {
  DibView v;
  uint8_t* base = DibLock(dib, 0);
  if (!View(base, BlockSize(dib, 0), v) ||
      !(v.h.biBitCount == 1 || v.h.biBitCount == 4 || v.h.biBitCount == 8 || v.h.biBitCount == 24)) {
    DibUnlock(dib, 0);
    return nullptr;
  }
  const size_t lead = size_t(v.rows - base);
  DIBBLOCK out = NewHandleClear(BlockSize(dib, 0));
  if (out) {
    uint8_t* o = DibLock(out, 0);
    std::memcpy(o, base, lead);
    for (int32_t y = 0; y < v.height; ++y) {
      std::memcpy(o + lead + size_t(y) * v.stride, v.rows + size_t(v.height - 1 - y) * v.stride, v.stride);
    }
    DibUnlock(out, 0);
  }
  DibUnlock(dib, 0);
  return out;
}

DIBBLOCK Layer2Dib(PubImage::QelLayer* layer, int topDown, int busyCursor) {
  qel::Layer* l = Lyr(layer);
  if (!l || l->Pixels().empty()) return nullptr;
  // A masked layer is printed as it shows over white paper.
  img::Bitmap px = l->Pixels();
  if (!l->Mask().empty()) {
    auto* pic = new qel::Picture();
    pic->SetSize(SIZE{px.width(), px.height()});
    auto* c = static_cast<qel::Layer*>(l->Copy());
    c->MoveTo(0, 0);
    pic->Insert(1, c);
    c->Release();
    px = pic->Flatten();
    pic->Release();
    if (px.empty()) return nullptr;
  }
  DIBBLOCK dib = NewLayerDib(px.width(), px.height(), topDown ? -px.height() : px.height(), 0);
  if (!dib) return nullptr;
  uint8_t* base = DibLock(dib, 0);
  const size_t stride = DIBStride(px.width(), 24), bytes = size_t(px.width()) * 3;
  for (int32_t y = 0; y < px.height(); ++y) std::memcpy(base + kHeader + size_t(y) * stride, px.row(y), bytes);
  DibUnlock(dib, 0);
  if (topDown) return dib;
  DIBBLOCK upright = ProcessFlipVertically(dib, busyCursor);
  if (!upright) return dib;
  DisposeHandle(dib);
  return upright;
}
