#pragma once
// What becomes of a captured picture: the date stamp when wanted, the
// enlargement that covers the chosen photo size (centred, never made
// smaller), and a whole-or-absent JPEG or BMP file with its EXIF fields.
#include <cstdint>
#include <string>

#include "PubImage.h"

struct PhotoRequest {
  SIZE resolution{0, 0};    // the chosen photo size
  bool timeStamp = false;   // draw today's date
  int type = 1;             // 1 JPEG, 2 BMP
  int32_t quality = 50;     // the setting: 0, 50 or 100
  std::u16string path;
};

// 1 JPEG ("JPG", ".JPG"), 2 BMP, 0 any other photo type.
int PhotoFileType(const std::u16string& type);
// The JPEG quality of a setting: 0 -> 60, 50 -> 75, anything else 90.
int32_t PhotoJpegQuality(int32_t setting);
// A new picture that covers `target` (one factor, centre cut), or the
// picture itself when it is as large in both directions; null on failure.
PubImage::QelPicture* CoverResolution(PubImage::QelPicture* picture, SIZE target);
// Stamps, enlarges and saves; the picture is left to the caller. 1 when the
// file was written (a failed write leaves no file).
int WritePhoto(PubImage::QelPicture* picture, const PhotoRequest& request);
