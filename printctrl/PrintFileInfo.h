#pragma once
// What the image list hands the host for each picture the pages use.
#include <cstdint>

#include "CQelStringW.h"
#include "PubImage.h"

struct tagPRINTFileINFO {
  CQelStringW path;
  PubImage::QelPicture* thumbnail = nullptr;  // not referenced: the list owns it
  PubImage::QelPicture* display = nullptr;
  int32_t copies = 0;
  int32_t width = 0, height = 0;  // of the original, as the display shows it
  int32_t userData[4] = {};
};

// The host's picture provider (command 33): asked for a picture's size
// (kind 1) or for the picture itself (kind 2, at `size` or at full size when
// null). Non-zero means done.
struct tagPICOPENINFO {
  uint32_t size = sizeof(tagPICOPENINFO);
  int32_t kind = 0;
  const WCHAR* path = nullptr;
  SIZE* picSize = nullptr;
  PubImage::QelPicture** picture = nullptr;
};
typedef int32_t (*PICOPENPROC)(tagPICOPENINFO* request, void* context);
