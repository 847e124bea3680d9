#pragma once
// Pictures and layers for the editors: opening a picture file and copying
// or resampling a layer.
#include <cstdint>

#include "ORVImageTools.h"
#include "PubImage.h"

// A new picture of the file (full != 0: full size; 0: a preview whose
// longest side is decoded at about 512), or null for an empty path or a
// file that does not open. The caller releases it.
PubImage::QelPicture* vOpenImgFile(const WCHAR* path, int full, ORVImageProgress progress, void* data,
                                   enuImport mode);
// A copy of the layer, or null.
PubImage::QelLayer* CopyQelLayer(PubImage::QelLayer* layer);
// A copy when the size is unchanged, else the layer resampled to the size;
// null on failure. The caller releases it.
PubImage::QelLayer* ResampleLayer(PubImage::QelLayer* layer, int32_t width, int32_t height);
