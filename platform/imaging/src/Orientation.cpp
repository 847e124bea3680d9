// Reading a photo's EXIF orientation and turning its pixels upright, and
// making a kept EXIF block describe upright pixels when a photo is saved.
#include "img/Orientation.h"

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <cstdlib>

#include "Codecs.h"
#include "img/Operations.h"

namespace img {

namespace {

constexpr int32_t kThumbnailBox = 160;
constexpr int32_t kThumbnailQuality = 80;

// The turn and mirror that bring stored pixels upright, as one template for
// pictures and planes. Mirrors follow the turn (counter-clockwise).
template <typename Picture>
Picture Upright(const Picture& stored, int32_t orientation) {
  switch (orientation) {
    case 2: return Flip(stored, FlipAxis::kLeftRight);
    case 3: return Rotate(stored, 180);
    case 4: return Flip(stored, FlipAxis::kTopBottom);
    case 5: {  // transposed
      Picture turned = Rotate(stored, 90);
      return turned.empty() ? turned : Flip(turned, FlipAxis::kTopBottom);
    }
    case 6: return Rotate(stored, 270);
    case 7: {  // transposed across the other diagonal
      Picture turned = Rotate(stored, 90);
      return turned.empty() ? turned : Flip(turned, FlipAxis::kLeftRight);
    }
    case 8: return Rotate(stored, 90);
    default: return stored;
  }
}

void SetShort(ExifData* ed, ExifEntry* e, ExifShort value) {
  if (e->format == EXIF_FORMAT_SHORT && e->components >= 1 && e->data && e->size >= 2) {
    exif_set_short(e->data, exif_data_get_byte_order(ed), value);
  }
}

}  // namespace

int32_t ExifOrientation(const std::vector<uint8_t>& exif) {
  if (exif.size() <= 6) return 1;
  ExifData* ed = exif_data_new();
  if (!ed) return 1;
  // Only IFD 0 is wanted: no maker notes, no thumbnail handling.
  exif_data_unset_option(ed, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_set_option(ed, EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
  exif_data_load_data(ed, exif.data(), unsigned(exif.size()));
  int32_t orientation = 1;
  ExifEntry* e = exif_content_get_entry(ed->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (e && e->format == EXIF_FORMAT_SHORT && e->components >= 1 && e->data && e->size >= 2) {
    int32_t v = exif_get_short(e->data, exif_data_get_byte_order(ed));
    if (v >= 1 && v <= 8) orientation = v;
  }
  exif_data_unref(ed);
  return orientation;
}

bool OrientationSwapsSides(int32_t orientation) { return orientation >= 5 && orientation <= 8; }

Bitmap TurnUpright(const Bitmap& stored, int32_t orientation) { return Upright(stored, orientation); }
Plane TurnUpright(const Plane& stored, int32_t orientation) { return Upright(stored, orientation); }

namespace detail {

void TakeOrientation(ImageInfo& info) {
  info.orientation = ExifOrientation(info.exif);
  if (OrientationSwapsSides(info.orientation)) std::swap(info.width, info.height);
}

Status TurnDecodedUpright(Decoded& out) {
  if (out.info.orientation == 1) return Status::kOk;
  out.pixels = TurnUpright(out.pixels, out.info.orientation);
  if (!out.alpha.empty()) out.alpha = TurnUpright(out.alpha, out.info.orientation);
  return out.pixels.empty() ? Status::kNoMemory : Status::kOk;
}

int32_t UprightCopies(int32_t orientation) {
  // A transpose is a turn, then a mirror of the turned copy (Upright above).
  if (orientation == 5 || orientation == 7) return 2;
  return orientation >= 2 && orientation <= 8 ? 1 : 0;
}

void DescribeUprightPixels(ExifData* ed, const Bitmap& pixels) {
  // The saved pixels are upright: another program must not turn them again.
  for (ExifIfd ifd : {EXIF_IFD_0, EXIF_IFD_1}) {
    if (ExifEntry* e = exif_content_get_entry(ed->ifd[ifd], EXIF_TAG_ORIENTATION)) SetShort(ed, e, 1);
  }
  // An embedded thumbnail shows the old pixels: a new one from the saved
  // pixels, or none when it cannot be made.
  if (!ed->data) return;
  std::free(ed->data);  // allocated by libexif's default (malloc) allocator
  ed->data = nullptr;
  ed->size = 0;
  // Only a JPEG thumbnail is made again; another kind is dropped.
  ExifEntry* kind = exif_content_get_entry(ed->ifd[EXIF_IFD_1], EXIF_TAG_COMPRESSION);
  if (kind && kind->format == EXIF_FORMAT_SHORT && kind->data && kind->size >= 2 &&
      exif_get_short(kind->data, exif_data_get_byte_order(ed)) != 6) {
    return;
  }
  FitSize f = FitInto(pixels.width(), pixels.height(), kThumbnailBox, kThumbnailBox);
  if (f.width > pixels.width() || f.height > pixels.height()) f = {pixels.width(), pixels.height()};
  Bitmap small = f.width == pixels.width() && f.height == pixels.height()
                     ? pixels
                     : Resample(pixels, f.width, f.height);
  if (small.empty()) return;
  JpegOptions options;
  options.quality = kThumbnailQuality;
  std::vector<uint8_t> jpeg;
  if (JpegEncode(small, options, jpeg) != Status::kOk || jpeg.empty()) return;
  auto* copy = static_cast<unsigned char*>(std::malloc(jpeg.size()));
  if (!copy) return;
  std::copy(jpeg.begin(), jpeg.end(), copy);
  ed->data = copy;
  ed->size = unsigned(jpeg.size());
}

}  // namespace detail

}  // namespace img
