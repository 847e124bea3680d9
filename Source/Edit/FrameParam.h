#pragma once
// The photo page's edit record: what is to be done to the origin picture to
// get the picture shown and saved. Undo steps and the editor hold copies of
// it. The record names the origin it applies to; each copy holds a
// reference on that picture, so an origin stays alive exactly as long as a
// record (the page's, an undo step's, the editor's) still names it.
#include <cstdint>
#include <utility>

#include "PubImage.h"
#include "qel/QelTypes.h"

// A counted reference on a toolkit picture; compared by address.
class CPictRef {
 public:
  CPictRef() = default;
  explicit CPictRef(PubImage::QelPicture* p) : p_(p) {
    if (p_) p_->Retain();
  }
  CPictRef(const CPictRef& o) : CPictRef(o.p_) {}
  CPictRef(CPictRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  CPictRef& operator=(const CPictRef& o) {
    Reset(o.p_);
    return *this;
  }
  CPictRef& operator=(CPictRef&& o) noexcept {
    if (this != &o) {
      if (p_) p_->Release();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ~CPictRef() {
    if (p_) p_->Release();
  }
  // Holds `p` (retained) in place of the current picture.
  void Reset(PubImage::QelPicture* p = nullptr) {
    if (p) p->Retain();
    if (p_) p_->Release();
    p_ = p;
  }
  // Takes over a reference the caller owns (a new copy, say).
  void Adopt(PubImage::QelPicture* p) {
    if (p_) p_->Release();
    p_ = p;
  }
  PubImage::QelPicture* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(const CPictRef& o) const { return p_ == o.p_; }

 private:
  PubImage::QelPicture* p_ = nullptr;
};

// Passed unchanged to the image control's brightness and contrast
// operation (772): -60 .. 60 each.
struct tagBrightContrast {
  int16_t nBrightness = 0;
  int16_t nContrast = 0;
  int16_t nReserved = 0;
  bool operator==(const tagBrightContrast&) const = default;
};

// Passed unchanged to the sharpen operation (774).
struct tagSharpenParam {
  int32_t nAmount = 0;
  int32_t nRadius = 0;
  int32_t nReserved = 0;
  bool operator==(const tagSharpenParam&) const = default;
};

struct tagFrameParam {
  // 1 while auto-enhance is to be applied when the record is replayed. Once
  // applied, the editor bakes the result into a new origin and clears it, so
  // a later rebuild (a resize, an undo) never enhances twice.
  int32_t bAutoEnhance = 0;
  int32_t nDegree = 0;  // counter-clockwise: 0, 90, 180, 270
  tagBrightContrast BrightContrast;
  tagSharpenParam Sharpen;
  SRect32 rcCrop{0, 0, 0, 0};  // the last crop, in picture pixels
  int32_t bHorzFlip = 0;
  int32_t bVertFlip = 0;
  SIZE szTarget{0, 0};  // a result of another size is resampled to it
  // 1 when the origin already has auto-enhance baked in: the tool waits
  // for another change first.
  int32_t bEnhanced = 0;
  CPictRef pPicOrigin;

  bool operator==(const tagFrameParam& o) const {
    return bAutoEnhance == o.bAutoEnhance && nDegree == o.nDegree && BrightContrast == o.BrightContrast &&
           Sharpen == o.Sharpen && rcCrop.left == o.rcCrop.left && rcCrop.top == o.rcCrop.top &&
           rcCrop.right == o.rcCrop.right && rcCrop.bottom == o.rcCrop.bottom && bHorzFlip == o.bHorzFlip &&
           bVertFlip == o.bVertFlip && szTarget.cx == o.szTarget.cx && szTarget.cy == o.szTarget.cy &&
           bEnhanced == o.bEnhanced && pPicOrigin == o.pPicOrigin;
  }
  bool operator!=(const tagFrameParam& o) const { return !(*this == o); }
};
