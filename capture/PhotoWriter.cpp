// Stamping, enlarging and writing a photo.
#include "PhotoWriter.h"

#include <algorithm>
#include <cmath>

#include "DibHelper.h"
#include "ORVImageTools.h"
#include "TimeStamp.h"
#include "qel/QelWideText.h"

int PhotoFileType(const std::u16string& type) {
  if (qel_wcscmpi(type.c_str(), u"JPG") == 0 || qel_wcscmpi(type.c_str(), u".JPG") == 0) return 1;
  if (qel_wcscmpi(type.c_str(), u"BMP") == 0 || qel_wcscmpi(type.c_str(), u".BMP") == 0) return 2;
  return 0;
}

int32_t PhotoJpegQuality(int32_t setting) {
  switch (setting) {
    case 0: return 60;
    case 50: return 75;
    default: return 90;
  }
}

PubImage::QelPicture* CoverResolution(PubImage::QelPicture* picture, SIZE target) {
  SIZE size{0, 0};
  picture->GetSize(&size);
  if (target.cx <= 0 || target.cy <= 0 || (size.cx >= target.cx && size.cy >= target.cy)) return picture;
  const double factor = std::max(double(target.cx) / size.cx, double(target.cy) / size.cy);
  // The part of the picture that becomes the photo, in picture pixels.
  const int32_t cropW = std::min(size.cx, int32_t(std::lround(target.cx / factor)));
  const int32_t cropH = std::min(size.cy, int32_t(std::lround(target.cy / factor)));
  const int32_t left = (size.cx - cropW) / 2, top = (size.cy - cropH) / 2;
  PubImage::QelLayer* layer = nullptr;
  if (!ORVGF::PictHandleToLayer(picture, &layer)) return nullptr;
  PubImage::QelLayer* scaled =
      ORVGF::CropAndResample(layer, _QELRECT{left, top, left + cropW, top + cropH}, _QELDIV{target.cx, cropW},
                             _QELDIV{target.cy, cropH});
  layer->Release();
  if (!scaled) return nullptr;
  PubImage::QelPicture* out = Layer2Pic(scaled);
  scaled->Release();
  return out;
}

int WritePhoto(PubImage::QelPicture* picture, const PhotoRequest& request) {
  if (!picture || request.path.empty() || (request.type != 1 && request.type != 2)) return 0;
  if (request.timeStamp) {
    SIZE size{0, 0};
    picture->GetSize(&size);
    CTimeStamp* stamp = CTimeStamp::GetPtr();
    if (!stamp) stamp = new CTimeStamp();
    stamp->AddTimeStamp(picture, CTimeStamp::WidthFraction(size.cx), 0.025, 0.025);
  }
  PubImage::QelPicture* photo = CoverResolution(picture, request.resolution);
  if (!photo) return 0;
  const int saved = ORVGF::SaveImageFile(photo, request.path.c_str(),
                                         request.type == 1 ? PhotoJpegQuality(request.quality) : 100, request.type);
  if (photo != picture) photo->Release();
  return saved;
}
