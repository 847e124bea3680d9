#pragma once
// Records handed to the toolkit that begin with their own size: constructed
// zero-filled with the size in the first field.
#include <cstdint>
#include <cstring>

// Scroll state of interface 23 (methods 3 and 4): 32 bytes.
struct tagDTScrollInfo {
  uint32_t cbSize;
  uint32_t fMask;  // 1 range, 2 page, 4 position, 8 track position, 16 step; 63 all
  int32_t nMin;
  int32_t nMax;
  int32_t nPos;
  int32_t nPage;
  int32_t nTrackPos;
  int32_t nStep;

  tagDTScrollInfo() {
    std::memset(this, 0, sizeof(*this));
    cbSize = sizeof(*this);
  }
};
static_assert(sizeof(tagDTScrollInfo) == 32, "the scroll record is 32 bytes");

// Pixels for a layer (layer property calls): 28 bytes with 32-bit pointers;
// here the bits pointer is pointer-sized and cbSize holds our size.
struct SETLAYERDATA {
  uint32_t cbSize;
  uint32_t dwFlag;     // 0 colour image, 1 mask
  int32_t nWidth;
  int32_t nHeight;
  int32_t nRowBytes;
  int32_t nBitCount;
  const void* pBits;

  SETLAYERDATA() {
    std::memset(this, 0, sizeof(*this));
    cbSize = sizeof(*this);
  }
};
static_assert(sizeof(SETLAYERDATA) == 24 + sizeof(void*), "six words and the bits pointer");

// A layer property (layer call 8): 115 sets the layer's bitmap (pData: a
// SETLAYERDATA), 107 its blending (nValue 0..255).
struct _LayerPropertyInfo {
  uint32_t cbSize;
  uint32_t nProperty;
  intptr_t nValue;
  const void* pData;

  _LayerPropertyInfo() {
    std::memset(this, 0, sizeof(*this));
    cbSize = sizeof(*this);
  }
};
