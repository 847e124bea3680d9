#include "DecodeBudget.h"

namespace img::detail {

Status CheckDecodeBudget(const DecodeOptions& opt, int64_t out_w, int64_t out_h, bool alpha,
                         uint64_t work) {
  const size_t picture = CheckedImageBytes(out_w, out_h, 3);
  if (picture == 0) return Status::kTooLarge;
  const uint64_t pixels = uint64_t(out_w) * uint64_t(out_h);
  if (pixels > opt.max_pixels) return Status::kTooLarge;
  const uint64_t total = uint64_t(picture) + (alpha ? pixels : 0);
  if (work > opt.max_bytes || total > opt.max_bytes - work) return Status::kTooLarge;
  return Status::kOk;
}

}  // namespace img::detail

namespace img {

Status CheckDecodeBudget(const ImageInfo& info, const DecodeOptions& options) {
  const int32_t r = options.reduction < 1 ? 1 : options.reduction;
  const bool alpha = info.format == FileFormat::kPng && (info.bits_per_pixel == 16 || info.bits_per_pixel == 32);
  return detail::CheckDecodeBudget(options, detail::ReducedSide(info.width, r), detail::ReducedSide(info.height, r),
                                   alpha, 0);
}

}  // namespace img
