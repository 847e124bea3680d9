// Picture files as every program of the suite reads them (photos in the
// media folder, pictures handed to the viewer): JPEG, PNG and BMP of any
// content, header first, then the pixels at each reduction a thumbnail or
// preview asks for, and a photo saved again with its EXIF block.
#include <cstdint>

#include "FuzzSupport.h"
#include "img/ImageFile.h"

namespace {

// Whole pictures past this are read for their header only: decoding them
// tells the fuzzer nothing new and costs it seconds.
constexpr int64_t kDecodePixels = int64_t(4) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  img::ImageInfo info;
  if (img::ReadImageInfoMemory(data, size, info) != img::Status::kOk) return 0;
  if (info.width <= 0 || info.height <= 0) fuzz::Fail("a header was read with no size");
  for (int32_t reduction : {8, 2, 1}) {
    const int64_t w = (info.width + reduction - 1) / reduction, h = (info.height + reduction - 1) / reduction;
    if (w * h > kDecodePixels) continue;
    img::DecodeOptions options;
    options.reduction = reduction;
    int rows = 0;
    options.abort = [&rows] { return ++rows > 1 << 20; };
    img::Decoded out;
    if (img::DecodeMemory(data, size, options, out) != img::Status::kOk) continue;
    if (out.pixels.empty()) fuzz::Fail("a picture decoded to nothing");
    if (out.info.format != info.format) fuzz::Fail("the header and the pixels disagree on the format");
    if (out.pixels.width() > info.width || out.pixels.height() > info.height)
      fuzz::Fail("the pixels are larger than the header said");
    if (reduction == 1 && (out.pixels.width() != info.width || out.pixels.height() != info.height))
      fuzz::Fail("the whole picture is not the size its header gave");
    if (!out.alpha.empty() && (out.alpha.width() != out.pixels.width() || out.alpha.height() != out.pixels.height()))
      fuzz::Fail("the transparency does not match the pixels");
  }
  // The photo editor's save keeps a photo's EXIF block: whatever it held, the
  // saved block says the pixels are upright.
  if (!info.exif.empty() && int64_t(info.width) * info.height <= kDecodePixels / 16) {
    img::Decoded photo;
    if (img::DecodeMemory(data, size, {}, photo) == img::Status::kOk) {
      img::JpegOptions options;
      options.exif_base = info.exif;
      options.exif = img::ExifFields{};
      std::vector<uint8_t> saved;
      img::ImageInfo again;
      if (img::EncodeJpeg(photo.pixels, options, saved) != img::Status::kOk ||
          img::ReadImageInfoMemory(saved.data(), saved.size(), again) != img::Status::kOk)
        fuzz::Fail("a decoded photo could not be saved with its EXIF block");
      if (again.orientation != 1) fuzz::Fail("a saved photo is not marked upright");
    }
  }
  return 0;
}
