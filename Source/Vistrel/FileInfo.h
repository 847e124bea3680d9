#pragma once
// One picture of the viewer's file list.
#include <cstdint>
#include <string>
#include <vector>

#include "os/FileTime.h"
#include "qel/QelTypes.h"

struct tag_FILE_INFO {
  std::u16string szFilePath;  // the full path exactly as the command line or asset list gave it
  int32_t nImageWidth = -1;   // size of the picture held for it (preview or full)
  int32_t nImageHeight = -1;
  int32_t bInLibrary = 0;
  uint32_t dwRateID = 0;
  uint32_t dwLibID = 0xFFFFFFFFu;
  int32_t nFileType = 1;      // 1: decoded by the image reader; 0: camera raw file
  int32_t bSupportRating = 1;
  int32_t nImageWidth_org = -1;  // size of the image in the file
  int32_t nImageHeight_org = -1;
  uint32_t dwBrowsed = 0;
  uint32_t dwConverted = 0;
  uint32_t dwRedEye = 0;
  plat::FileTime ftBrowsed{};
  plat::FileTime ftConverted{};
  plat::FileTime ftRedEye{};
};

using FileList = std::vector<tag_FILE_INFO*>;
