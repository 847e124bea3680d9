// PNG through libpng: any bit depth and colour type decoded to B, G, R plus
// an alpha plane when the file has transparency; written with pHYs.
#include <png.h>

#include <cstring>
#include <memory>

#include "Codecs.h"
#include "DecodeBudget.h"
#include "RowReducer.h"

namespace img::detail {

namespace {

struct MemReader {
  const uint8_t* data;
  size_t size, at;
};

void ReadFn(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
  if (n > r->size - r->at) png_error(png, "truncated");
  std::memcpy(out, r->data + r->at, n);
  r->at += n;
}

void WriteFn(png_structp png, png_bytep data, png_size_t n) {
  auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  v->insert(v->end(), data, data + n);
}
void FlushFn(png_structp) {}
void Quiet(png_structp, png_const_charp) {}

void FillInfo(png_structp png, png_infop info, ImageInfo& out) {
  out.format = FileFormat::kPng;
  out.width = int32_t(png_get_image_width(png, info));
  out.height = int32_t(png_get_image_height(png, info));
  int channels = png_get_channels(png, info);
  int depth = png_get_bit_depth(png, info);
  out.bits_per_pixel = channels * depth;
  png_uint_32 rx = 0, ry = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &rx, &ry, &unit) && unit == PNG_RESOLUTION_METER) {
    out.x_dpi = rx * 0.0254;
    out.y_dpi = ry * 0.0254;
  }
}

}  // namespace

Status PngInfo(const uint8_t* data, size_t size, ImageInfo& info) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  if (!png) return Status::kNoMemory;
  png_infop pinfo = png_create_info_struct(png);
  MemReader reader{data, size, 0};
  if (!pinfo || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pinfo, nullptr);
    return Status::kCorrupt;
  }
  png_set_read_fn(png, &reader, ReadFn);
  png_read_info(png, pinfo);
  FillInfo(png, pinfo, info);
  png_destroy_read_struct(&png, &pinfo, nullptr);
  return Status::kOk;
}

Status PngDecode(const uint8_t* data, size_t size, const DecodeOptions& opt, Decoded& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  if (!png) return Status::kNoMemory;
  png_infop pinfo = png_create_info_struct(png);
  MemReader reader{data, size, 0};
  // Declared before setjmp so a jump never skips their construction.
  std::vector<uint8_t> row;
  std::unique_ptr<RowReducer> reducer;
  volatile Status fail = Status::kCorrupt;
  if (!pinfo || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pinfo, nullptr);
    reducer.reset();
    return fail;
  }
  png_set_read_fn(png, &reader, ReadFn);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_read_info(png, pinfo);
  FillInfo(png, pinfo, out.info);
  const int32_t w = out.info.width, h = out.info.height;
  int color = png_get_color_type(png, pinfo);
  bool has_alpha = (color & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, pinfo, PNG_INFO_tRNS);
  const bool interlaced = png_get_interlace_type(png, pinfo) != PNG_INTERLACE_NONE;
  const int channels = has_alpha ? 4 : 3;
  // Interlaced files need the earlier passes' rows: they decode whole, and
  // with alpha keep every 4-channel row besides the picture.
  const int32_t r = interlaced ? 1 : opt.reduction;
  const uint64_t rows = interlaced && has_alpha ? uint64_t(w) * uint64_t(h) * 4 : uint64_t(w) * 4;
  Status budget = CheckDecodeBudget(opt, ReducedSide(w, r), ReducedSide(h, r), has_alpha,
                                    rows + RowReducer::WorkBytes(w, r, has_alpha));
  if (budget != Status::kOk) {
    fail = budget;
    png_error(png, "over budget");
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!has_alpha) png_set_strip_alpha(png);
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, pinfo);
  reducer = std::make_unique<RowReducer>(w, h, r, has_alpha);
  if (!reducer->ok()) {
    fail = Status::kNoMemory;
    png_error(png, "no memory");
  }
  RowReporter report(opt, h * passes);
  if (!has_alpha) {
    // Without alpha the rows land in the picture itself, which also holds
    // an interlaced file's earlier passes.
    for (int p = 0; p < passes; ++p) {
      for (int32_t y = 0; y < h; ++y) {
        png_read_row(png, reducer->ColorRow(y), nullptr);
        if (p == passes - 1) reducer->Done(y);
        if (!report.Row(p * h + y + 1)) {
          fail = Status::kAborted;
          png_error(png, "aborted");
        }
      }
    }
  } else {
    size_t rb = size_t(w) * size_t(channels);
    row.resize(passes > 1 ? rb * size_t(h) : rb);
    for (int p = 0; p < passes; ++p) {
      for (int32_t y = 0; y < h; ++y) {
        uint8_t* s = passes > 1 ? row.data() + rb * size_t(y) : row.data();
        png_read_row(png, s, nullptr);
        if (p == passes - 1) {
          uint8_t* d = reducer->ColorRow(y);
          uint8_t* a = reducer->AlphaRow(y);
          for (int32_t x = 0; x < w; ++x) {
            d[3 * x] = s[4 * x];
            d[3 * x + 1] = s[4 * x + 1];
            d[3 * x + 2] = s[4 * x + 2];
            a[x] = s[4 * x + 3];
          }
          reducer->Done(y);
        }
        if (!report.Row(p * h + y + 1)) {
          fail = Status::kAborted;
          png_error(png, "aborted");
        }
      }
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &pinfo, nullptr);
  out.pixels = reducer->TakePixels();
  out.alpha = reducer->TakeAlpha();
  return Status::kOk;
}

Status PngEncode(const Bitmap& pixels, const Plane& alpha, const PngOptions& opt,
                 std::vector<uint8_t>& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  if (!png) return Status::kNoMemory;
  png_infop pinfo = png_create_info_struct(png);
  std::vector<uint8_t> row;
  if (!pinfo || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &pinfo);
    out.clear();
    return Status::kNoMemory;
  }
  const int32_t w = pixels.width(), h = pixels.height();
  const bool with_alpha = !alpha.empty();
  png_set_write_fn(png, &out, WriteFn, FlushFn);
  png_set_IHDR(png, pinfo, png_uint_32(w), png_uint_32(h), 8,
               with_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, opt.compression);
  if (opt.dpi > 0) {
    auto ppm = png_uint_32(opt.dpi / 0.0254 + 0.5);
    png_set_pHYs(png, pinfo, ppm, ppm, PNG_RESOLUTION_METER);
  }
  png_write_info(png, pinfo);
  png_set_bgr(png);
  row.resize(size_t(w) * 4);
  for (int32_t y = 0; y < h; ++y) {
    if (with_alpha) {
      const uint8_t* s = pixels.row(y);
      const uint8_t* a = alpha.row(y);
      for (int32_t x = 0; x < w; ++x) {
        row[4 * x] = s[3 * x];
        row[4 * x + 1] = s[3 * x + 1];
        row[4 * x + 2] = s[3 * x + 2];
        row[4 * x + 3] = a[x];
      }
      png_write_row(png, row.data());
    } else {
      png_write_row(png, const_cast<uint8_t*>(pixels.row(y)));
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &pinfo);
  return Status::kOk;
}

}  // namespace img::detail
