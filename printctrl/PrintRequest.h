#pragma once
// What a host hands command 13: print a range of pages, or write them as
// picture files. The host receives the address of the job's cancel flag in
// the command's lparam (int32_t**) and sets it non-zero to stop.
#include <cstdint>

#include "qel/QelTypes.h"

struct tagDOPRINTINFO {
  int32_t kind;          // PRTC_PRINT_PAGES, PRTC_PRINT_STILL or PRTC_PRINT_NOTHING
  int32_t firstPage;     // 1-based; 0 or below: from the first page
  int32_t lastPage;      // 1-based; 0, below or past the end: to the last page
  int32_t flags;         // still images: PRTC_STILL_REPLACE
  const WCHAR* filePath; // still images: the first page's file (folder, name, extension)
  const WCHAR* fileType; // still images: "jpg" or "jpeg" (any case) use the quality
  int32_t resolution;    // still images: pixels per inch, 72 to 600
  int32_t quality;       // still images: JPEG quality; above 120 means 80
};

enum : int32_t {
  PRTC_PRINT_PAGES = 0,
  PRTC_PRINT_STILL = 1,
  PRTC_PRINT_NOTHING = 2,
};

// Still images may replace files that exist (the user agreed to it).
enum : int32_t { PRTC_STILL_REPLACE = 1 };

// Codes of the error notification (2123) sent while printing.
enum : int32_t {
  PRTC_ERR_CELL_LAYER = 12,      // a cell's layer could not be made (text: file name)
  PRTC_ERR_CELL_PICTURE = 17,    // a cell's picture could not be read (text: file name)
  PRTC_ERR_JOB_REFUSED = 20,     // the print system did not take the job (text: job name)
  PRTC_ERR_FILE_EXISTS = 21,     // a still image's file exists; nothing written (text: path)
  PRTC_ERR_FILE_NOT_SAVED = 22,  // a still image could not be written (text: path)
};
