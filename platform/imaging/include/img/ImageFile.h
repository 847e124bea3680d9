#pragma once
// Picture files: JPEG (libjpeg-turbo), PNG (libpng) and BMP (our own code).
// Decoding can stop early (abort callback), report progress, and read JPEG
// at 1/2, 1/4 or 1/8 of its size through DCT scaling. Saving writes a
// temporary file in the target folder and renames it over the target, so a
// file is either whole or absent.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "img/Bitmap.h"
#include "img/Status.h"

namespace img {

enum class FileFormat : int32_t { kUnknown = 0, kJpeg, kPng, kBmp };

// The format by the first bytes of a file or buffer (not by its name).
IMG_API FileFormat SniffFormat(const uint8_t* data, size_t size);
IMG_API FileFormat FormatOfFile(const std::string& path);
// The format a file name asks for by its extension (".jpg", ".jpeg", ".png",
// ".bmp", any case).
IMG_API FileFormat FormatForExtension(const std::string& path);

struct ImageInfo {
  FileFormat format = FileFormat::kUnknown;
  int32_t width = 0, height = 0;  // full size upright, before any reduction
  int32_t bits_per_pixel = 0;     // as stored: 1, 4, 8, 24, 32 (BMP), 8/24/32 (PNG), 8/24 (JPEG)
  double x_dpi = 0, y_dpi = 0;    // 0 when the file gives none
  std::vector<uint8_t> exif;      // a JPEG's EXIF block ("Exif\0\0" ...), else empty
  int32_t orientation = 1;        // the block's orientation (1..8); pixels are handed out upright
};

// The decode budget by default: a picture of up to 120 megapixels, and at
// most 512 MB held at once by one decode.
inline constexpr uint64_t kDecodeMaxPixels = 120'000'000;
inline constexpr uint64_t kDecodeMaxBytes = uint64_t(512) << 20;

struct DecodeOptions {
  // 1, 2, 4 or 8: the picture is decoded at ceil(size / reduction) (JPEG by
  // DCT scaling, BMP and PNG by averaging boxes as rows arrive); interlaced
  // PNG files ignore it and decode at full size.
  int32_t reduction = 1;
  // The budget, checked from the headers before the decoder allocates: a
  // decoded picture over `max_pixels`, or a decode that would hold more than
  // `max_bytes` at once (picture, alpha and the decoder's own buffers), is
  // refused with kTooLarge.
  uint64_t max_pixels = kDecodeMaxPixels;
  uint64_t max_bytes = kDecodeMaxBytes;
  // Polled every few rows; answering true stops the decode with kAborted.
  std::function<bool()> abort;
  // Called with 0..100 as rows arrive.
  std::function<void(int32_t percent)> progress;
};

struct Decoded {
  Bitmap pixels;
  Plane alpha;  // empty unless the file has transparency
  ImageInfo info;
};

// Size and format from the headers only (no pixel decoding).
IMG_API Status ReadImageInfo(const std::string& path, ImageInfo& info);
IMG_API Status ReadImageInfoMemory(const uint8_t* data, size_t size, ImageInfo& info);

IMG_API Status DecodeFile(const std::string& path, const DecodeOptions& options, Decoded& out);
// The same with the file read once for its headers and its pixels: `choose`
// is shown the headers' info (as ReadImageInfo gives it) and may change the
// options, a reduction for the size wanted say, before the pixels are
// decoded. The file may hold at most `options.max_bytes`.
using OptionChooser = std::function<void(const ImageInfo& info, DecodeOptions& options)>;
IMG_API Status DecodeFile(const std::string& path, const DecodeOptions& options, const OptionChooser& choose,
                          Decoded& out);
IMG_API Status DecodeMemory(const uint8_t* data, size_t size, const DecodeOptions& options,
                            Decoded& out);

// The largest reduction (1, 2, 4, 8) that still gives at least `need_w` x
// `need_h` pixels from a picture of `full_w` x `full_h`.
IMG_API int32_t ReductionFor(const ImageInfo& info, int32_t need_w, int32_t need_h);

// kTooLarge when decoding a picture of `info` with `options` would be over
// the budget, judged from its size alone (a decoder can still refuse a file
// whose own buffers would not fit); kOk else.
IMG_API Status CheckDecodeBudget(const ImageInfo& info, const DecodeOptions& options);

// EXIF fields written into a JPEG. Each optional field replaces (or adds)
// its tag; the rest of a base block is kept.
struct ExifFields {
  std::optional<std::string> date_time;    // "YYYY:MM:DD hh:mm:ss": DateTime and DateTimeOriginal
  std::optional<std::string> description;  // ImageDescription
  std::optional<std::string> exif_version; // ExifVersion, 4 characters ("0220")
  std::optional<int32_t> pixel_x, pixel_y; // PixelXDimension / PixelYDimension
};

// The local time as EXIF writes it.
IMG_API std::string ExifDateTimeNow();

struct JpegOptions {
  int32_t quality = 90;  // 1..100 (IJG scale)
  double dpi = 72;       // JFIF density
  std::vector<uint8_t> exif_base;  // an EXIF block to keep (may be empty)
  std::optional<ExifFields> exif;  // fields to set; no EXIF at all when both are empty
  // A kept block is made to describe the saved pixels: orientation 1 and a
  // new embedded thumbnail (or none).
};

struct BmpOptions {
  int32_t bits_per_pixel = 24;  // 24 or 32; 8 (grey palette); 1 (black and white)
  double dpi = 72;
};

struct PngOptions {
  double dpi = 72;  // pHYs
  int32_t compression = 6;
};

// Encoders into memory. The alpha plane may be empty (PNG only uses it).
IMG_API Status EncodeJpeg(const Bitmap& pixels, const JpegOptions& options,
                          std::vector<uint8_t>& out);
IMG_API Status EncodeBmp(const Bitmap& pixels, const BmpOptions& options,
                         std::vector<uint8_t>& out);
IMG_API Status EncodePng(const Bitmap& pixels, const Plane& alpha, const PngOptions& options,
                         std::vector<uint8_t>& out);

// Whole-or-absent saves.
IMG_API Status SaveJpeg(const Bitmap& pixels, const std::string& path, const JpegOptions& options);
IMG_API Status SaveBmp(const Bitmap& pixels, const std::string& path, const BmpOptions& options);
IMG_API Status SavePng(const Bitmap& pixels, const Plane& alpha, const std::string& path,
                       const PngOptions& options);

// Writes `bytes` to `path` through a temporary file in the same folder:
// write, fsync, rename. An existing target keeps its permission bits. On any
// failure the temporary file is removed and the target is untouched.
IMG_API Status WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// Removes the temporary files that atomic writes of pictures left in
// `folder` when their program died (killed, or the machine stopped) before
// the rename; files of writers still at work are left. The number removed.
inline constexpr int64_t kTemporaryGraceSeconds = 10;
IMG_API int32_t SweepTemporaries(const std::string& folder);

// Test hook: makes the next atomic writes fail after `bytes` bytes (as a full
// disk would); a negative value switches it off.
IMG_API void SimulateDiskFullAfter(int64_t bytes);

}  // namespace img
