#pragma once
// The one image-function object of the process: an image control without a
// window whose operations turn and flip pictures in place. The first
// control instance makes it, the last one destroys it (Acquire/ReleaseShared).
#include <cstdint>

#include "PubImage.h"

class CFunctionImgCtrl {
 public:
  CFunctionImgCtrl();
  virtual ~CFunctionImgCtrl();

  // Counter-clockwise quarter turns (90, 180, 270).
  int32_t RotatePic(PubImage::QelPicture* picture, long angle);
  // dir 1: left to right, else top to bottom.
  int32_t FlipPic(PubImage::QelPicture* picture, bool dir);
  // Turns by angle, then mirrors left to right when flip is set.
  int32_t RotateFlipPic(PubImage::QelPicture* picture, long angle, long flip);

  // The shared object, made on the first Acquire and deleted on the last
  // Release; null when no control holds it.
  static CFunctionImgCtrl* Shared();
  static void AcquireShared();
  static void ReleaseShared();

 private:
  int32_t Run(PubImage::QelPicture* picture, int32_t tool, void* record);

  PubImage::QelImgControl* m_pImgCtrl = nullptr;
};

// The shared object (null when none), as the control's sources name it.
#define g_lpImgFunc (CFunctionImgCtrl::Shared())
