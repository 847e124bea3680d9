#pragma once
// The print request the control's command 13 takes: kind 0 prints a page
// range through the print manager, kind 1 writes the pages as picture files.
#include <cstdint>

#include "qel/QelTypes.h"

struct tagDOPRINTINFO {
  int32_t kind = 0;        // 0 print, 1 still images, 2 nothing
  int32_t firstPage = 0;   // 1-based; 0: from the first
  int32_t lastPage = 0;    // 1-based; 0: to the last
  int32_t flags = 0;       // still images: 1 replaces existing files
  const WCHAR* filePath = nullptr;  // still images: the first page's file
  const WCHAR* fileType = nullptr;  // "jpg", "png", ...
  int32_t resolution = 0;           // pixels per inch, 72..600
  int32_t quality = 0;              // JPEG quality
};
