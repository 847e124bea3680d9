#pragma once
// The per-format readers and writers behind ImageFile.h.
#include "img/ImageFile.h"

struct _ExifData;

namespace img::detail {

Status JpegInfo(const uint8_t* data, size_t size, ImageInfo& info);
Status JpegDecode(const uint8_t* data, size_t size, const DecodeOptions& opt, Decoded& out);
// Where an encoder's bytes go as the library hands them out.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // `used` bytes of the last space are filled (0 at the start): the next
  // space to fill. false stops the encode (a failed write).
  virtual bool Next(size_t used, uint8_t*& space, size_t& size) = 0;
  // The last `used` bytes are filled; false on a failed write.
  virtual bool Finish(size_t used) = 0;
};

// Into memory: the bytes land in `out` itself, no copy afterwards.
class VectorSink final : public ByteSink {
 public:
  VectorSink(std::vector<uint8_t>& out, size_t expected) : out_(out), expected_(expected) {}
  bool Next(size_t used, uint8_t*& space, size_t& size) override;
  bool Finish(size_t used) override;

 private:
  std::vector<uint8_t>& out_;
  size_t expected_;
  size_t filled_ = 0;
};

Status JpegEncode(const Bitmap& pixels, const JpegOptions& opt, ByteSink& sink);
Status JpegEncode(const Bitmap& pixels, const JpegOptions& opt, std::vector<uint8_t>& out);

Status PngInfo(const uint8_t* data, size_t size, ImageInfo& info);
Status PngDecode(const uint8_t* data, size_t size, const DecodeOptions& opt, Decoded& out);
Status PngEncode(const Bitmap& pixels, const Plane& alpha, const PngOptions& opt,
                 std::vector<uint8_t>& out);

Status BmpInfo(const uint8_t* data, size_t size, ImageInfo& info);
Status BmpDecode(const uint8_t* data, size_t size, const DecodeOptions& opt, Decoded& out);
Status BmpEncode(const Bitmap& pixels, const BmpOptions& opt, std::vector<uint8_t>& out);

// EXIF block ("Exif\0\0" + TIFF) from a base block and fields; empty output
// when there is nothing to write.
// A kept base block is made to describe `pixels` (may be null).
Status BuildExif(const std::vector<uint8_t>& base, const ExifFields* fields, const Bitmap* pixels,
                 std::vector<uint8_t>& out);

// Orientation (Orientation.cpp): the block's orientation into `info`, its
// width and height swapped when the upright picture is turned a quarter.
void TakeOrientation(ImageInfo& info);
// The decoded pixels turned upright for `out.info.orientation`.
Status TurnDecodedUpright(Decoded& out);
// How many more pictures of the decoded size TurnDecodedUpright holds at
// once beside the decoded one: 0 when upright already, 2 for a transpose.
int32_t UprightCopies(int32_t orientation);
// A kept block made to describe upright `pixels` being saved.
void DescribeUprightPixels(struct _ExifData* ed, const Bitmap& pixels);

// Progress and abort polling shared by the decoders.
class RowReporter {
 public:
  RowReporter(const DecodeOptions& opt, int32_t rows) : opt_(opt), rows_(rows) {}
  // false when the caller asked to stop.
  bool Row(int32_t done) {
    if (done < next_ && done != rows_) return true;
    next_ = done + 16;
    if (opt_.abort && opt_.abort()) return false;
    if (opt_.progress && rows_ > 0) {
      int32_t pct = int32_t(int64_t(done) * 100 / rows_);
      if (pct != last_) opt_.progress(last_ = pct);
    }
    return true;
  }

 private:
  const DecodeOptions& opt_;
  int32_t rows_;
  int32_t last_ = -1;
  int32_t next_ = 16;
};

}  // namespace img::detail
