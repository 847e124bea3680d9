#include "DibHelper.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ORVImageTools.h"
#include "img/Bitmap.h"
#include "img/Operations.h"

namespace {

tagBITMAPINFOHEADER* Header(unsigned char* dib) { return reinterpret_cast<tagBITMAPINFOHEADER*>(dib); }

}  // namespace

size_t DIBStride(int32_t width, int32_t bitCount) {
  if (width <= 0 || bitCount <= 0 || bitCount > 32) return 0;
  return ((size_t(width) * size_t(bitCount) + 31) / 32) * 4;
}

unsigned char* DIBNew(int width, int height, int bitCount, int resolution) {
  if (width <= 0 || height <= 0 || bitCount <= 0 || bitCount > 32) return nullptr;
  if (img::CheckedImageBytes(width, height, 4) == 0) return nullptr;  // the pixel budget
  size_t stride = DIBStride(width, bitCount);
  size_t image = stride * size_t(height);
  auto* dib = new (std::nothrow) unsigned char[sizeof(tagBITMAPINFOHEADER) + image];
  if (!dib) return nullptr;
  tagBITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = uint16_t(bitCount);
  h.biSizeImage = uint32_t(image);
  h.biXPelsPerMeter = h.biYPelsPerMeter = resolution;
  std::memcpy(dib, &h, sizeof h);
  std::memset(dib + sizeof h, 0xFF, image);
  return dib;
}

void DIBDelete(unsigned char* dib) { delete[] dib; }

size_t DIBByteLength(const unsigned char* dib) {
  if (!dib) return 0;
  tagBITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof h);
  return h.biSize + h.biSizeImage;
}

void DibFlipY(unsigned char* dib) {
  if (!dib) return;
  tagBITMAPINFOHEADER* h = Header(dib);
  size_t stride = DIBStride(h->biWidth, h->biBitCount);
  int32_t rows = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  if (!stride || rows < 2) return;
  unsigned char* px = dib + h->biSize;
  unsigned char* tmp = new (std::nothrow) unsigned char[stride];
  if (!tmp) return;
  for (int32_t a = 0, b = rows - 1; a < b; ++a, --b) {
    std::memcpy(tmp, px + size_t(a) * stride, stride);
    std::memcpy(px + size_t(a) * stride, px + size_t(b) * stride, stride);
    std::memcpy(px + size_t(b) * stride, tmp, stride);
  }
  delete[] tmp;
}

PubImage::QelLayer* Dib2Layer(tagBITMAPINFOHEADER* h) {
  if (!h || h->biBitCount != 24 || h->biWidth <= 0 || h->biHeight == 0) return nullptr;
  int32_t w = h->biWidth, rows = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  size_t stride = DIBStride(w, 24);
  auto* layer = reinterpret_cast<PubImage::QelLayer*>(Qel0CreateObj(QEL_KIND_LAYER));
  if (!layer) return nullptr;
  SIZE s{w, rows};
  unsigned char* px = reinterpret_cast<unsigned char*>(h) + h->biSize;
  // Bottom-up rows go over with the pointer at the last row and a negative step.
  QelPixelTransfer t{};
  t.kind = 1;
  t.right = w;
  t.bottom = rows;
  t.bitsPerPixel = 24;
  if (h->biHeight > 0) {
    t.pixels = px + size_t(rows - 1) * stride;
    t.rowStep = -intptr_t(stride);
  } else {
    t.pixels = px;
    t.rowStep = intptr_t(stride);
  }
  if (layer->Init(&s) != 0 || layer->PutPixels(&t) != 0) {
    layer->Release();
    return nullptr;
  }
  return layer;
}

PubImage::QelLayer* Dib2Layer(unsigned char* dib) {
  return dib ? Dib2Layer(Header(dib)) : nullptr;
}

unsigned char* Layer2Dib(PubImage::QelLayer* layer) {
  if (!layer) return nullptr;
  _QELRECT r{};
  if (layer->GetRect(&r) != 0) return nullptr;
  int32_t w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return nullptr;
  unsigned char* dib = DIBNew(w, h, 24, 72);
  if (!dib) return nullptr;
  size_t stride = DIBStride(w, 24);
  QelPixelTransfer t{};
  t.kind = 1;
  t.pixels = dib + 40;  // read top-down, then turned upright
  t.right = w;
  t.bottom = h;
  t.bitsPerPixel = 24;
  t.rowStep = intptr_t(stride);
  if (layer->GetPixels(&t) != 0) {
    DIBDelete(dib);
    return nullptr;
  }
  DibFlipY(dib);
  return dib;
}

PubImage::QelPicture* Layer2Pic(PubImage::QelLayer* layer) {
  if (!layer) return nullptr;
  _QELRECT r{};
  if (layer->GetRect(&r) != 0 || r.right <= r.left || r.bottom <= r.top) return nullptr;
  auto* pic = reinterpret_cast<PubImage::QelPicture*>(Qel0CreateObj(QEL_KIND_PICTURE));
  if (!pic) return nullptr;
  SIZE s{r.right - r.left, r.bottom - r.top};
  _QELRECT at{0, 0, s.cx, s.cy};
  if (pic->Init(&s) != 0 || layer->SetRect(&at) != 0 || pic->InsertLayer(1, layer) != 0) {
    pic->Release();
    return nullptr;
  }
  return pic;
}

PubImage::QelPicture* Dib2Pict(tagBITMAPINFOHEADER* dib) {
  PubImage::QelLayer* layer = Dib2Layer(dib);
  if (!layer) return nullptr;
  PubImage::QelPicture* pic = Layer2Pic(layer);
  layer->Release();  // the picture holds its own reference
  return pic;
}

PubImage::QelPicture* Dib2Pict(unsigned char* dib) { return dib ? Dib2Pict(Header(dib)) : nullptr; }

unsigned char* Pict2Dib(PubImage::QelPicture* picture) {
  return picture ? Layer2Dib(picture->GetActiveLayer()) : nullptr;
}

unsigned char* DibResample(unsigned char* dib, int width, int height) {
  if (!dib || width <= 0 || height <= 0) return nullptr;
  PubImage::QelLayer* layer = Dib2Layer(dib);
  if (!layer) return nullptr;
  tagBITMAPINFOHEADER* h = Header(dib);
  int32_t rows = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  PubImage::QelLayer* scaled =
      ORVGF::Resample(layer, double(width) / h->biWidth, double(height) / rows);
  layer->Release();
  if (!scaled) return nullptr;
  unsigned char* out = Layer2Dib(scaled);
  scaled->Release();
  return out;
}

unsigned char* DibGetFromImageFile(const char16_t* path, int width, int height) {
  if (!path || !*path || width <= 0 || height <= 0) return nullptr;
  // Read at the smallest reduction that covers the box (a JPEG at an eighth
  // of its size for an album thumbnail) and fitted on the way in.
  PubImage::QelPicture* pic = ORVGF::OpenImageThumbnail(path, width, height);
  if (!pic) return nullptr;
  SIZE s{};
  pic->GetSize(&s);
  unsigned char* dib = nullptr;
  PubImage::QelLayer* active = pic->GetActiveLayer();
  if (active && s.cx > 0 && s.cy > 0) {
    const img::FitSize fit = img::FitInto(s.cx, s.cy, width, height);
    if (fit.width == s.cx && fit.height == s.cy) {
      dib = Layer2Dib(active);
    } else {
      // A picture smaller than the box is enlarged to it.
      double sc = std::min(double(width) / s.cx, double(height) / s.cy);
      if (PubImage::QelLayer* scaled = ORVGF::Resample(active, sc, sc)) {
        dib = Layer2Dib(scaled);
        scaled->Release();
      }
    }
  }
  pic->Release();
  return dib;
}
