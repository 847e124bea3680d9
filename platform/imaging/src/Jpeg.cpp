// JPEG through libjpeg-turbo's libjpeg API: DCT-scaled decoding, row-wise
// abort and progress, B,G,R output without a conversion pass, EXIF kept and
// written as an APP1 marker.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "Codecs.h"
#include "DecodeBudget.h"

namespace img::detail {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void Silent(j_common_ptr) {}

// A file of thousands of tiny scans costs minutes of work for no picture.
constexpr int kMaxScans = 1000;

// Polled by the library while it reads the data, also inside
// jpeg_start_decompress, which reads every scan of a progressive file:
// there the caller's abort is asked, and endless scans are cut short.
struct Progress {
  jpeg_progress_mgr pub;
  const DecodeOptions* opt;
  volatile Status* why;
  int calls = 0;
};

void OnProgress(j_common_ptr common) {
  auto* p = reinterpret_cast<Progress*>(common->progress);
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxScans) {
    *p->why = Status::kCorrupt;
    common->err->error_exit(common);
  }
  if (p->opt->abort && ++p->calls % 16 == 0 && p->opt->abort()) {
    *p->why = Status::kAborted;
    common->err->error_exit(common);
  }
}

// Bytes of the coefficient buffers a multi-scan file needs: every block
// of every component, 64 coefficients of 2 bytes.
uint64_t CoefficientBytes(const jpeg_decompress_struct& cinfo) {
  uint64_t bytes = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    const uint64_t bw = (uint64_t(cinfo.image_width) * comp.h_samp_factor + 8 * cinfo.max_h_samp_factor - 1) /
                        (8 * uint64_t(cinfo.max_h_samp_factor));
    const uint64_t bh = (uint64_t(cinfo.image_height) * comp.v_samp_factor + 8 * cinfo.max_v_samp_factor - 1) /
                        (8 * uint64_t(cinfo.max_v_samp_factor));
    bytes += (bw + comp.h_samp_factor) * (bh + comp.v_samp_factor) * 64 * sizeof(JCOEF);
  }
  return bytes;
}

// Reads the EXIF APP1 block and the JFIF density once the header is read.
void TakeHeaderInfo(jpeg_decompress_struct& cinfo, ImageInfo& info) {
  info.format = FileFormat::kJpeg;
  info.width = int32_t(cinfo.image_width);
  info.height = int32_t(cinfo.image_height);
  info.bits_per_pixel = cinfo.num_components * 8;
  if (cinfo.saw_JFIF_marker && cinfo.X_density > 0 && cinfo.Y_density > 0) {
    double f = cinfo.density_unit == 1 ? 1.0 : cinfo.density_unit == 2 ? 2.54 : 0.0;
    info.x_dpi = cinfo.X_density * f;
    info.y_dpi = cinfo.Y_density * f;
  }
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
      info.exif.assign(m->data, m->data + m->data_length);
      break;
    }
  }
  TakeOrientation(info);
}

}  // namespace

Status JpegInfo(const uint8_t* data, size_t size, ImageInfo& info) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = Silent;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return Status::kCorrupt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  TakeHeaderInfo(cinfo, info);
  jpeg_destroy_decompress(&cinfo);
  return Status::kOk;
}

Status JpegDecode(const uint8_t* data, size_t size, const DecodeOptions& opt, Decoded& out) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = Silent;
  // Set before setjmp; read after a jump only through the volatile copy.
  volatile Status fail = Status::kCorrupt;
  std::vector<uint8_t> cmyk_row;
  Bitmap bmp;
  if (setjmp(err.jump)) {
    if (err.pub.msg_code == JERR_NO_BACKING_STORE) fail = Status::kTooLarge;
    jpeg_destroy_decompress(&cinfo);
    bmp = Bitmap();
    return fail;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  Progress progress{};
  progress.pub.progress_monitor = OnProgress;
  progress.opt = &opt;
  progress.why = &fail;
  cinfo.progress = &progress.pub;
  jpeg_read_header(&cinfo, TRUE);
  TakeHeaderInfo(cinfo, out.info);
  if (CheckedImageBytes(out.info.width, out.info.height, 3) == 0) {
    jpeg_destroy_decompress(&cinfo);
    return Status::kTooLarge;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  cinfo.scale_num = 1;
  cinfo.scale_denom = unsigned(opt.reduction);
  jpeg_calc_output_dimensions(&cinfo);
  {
    // Progressive files keep every coefficient at full size whatever the
    // reduction; the library's own buffers beyond that are held to what is
    // left of the budget (over it, it stops with "no backing store"). A
    // photo turned upright afterwards holds its turned copies beside the
    // decoded picture once the library's buffers are gone.
    const uint64_t coefficients = cinfo.progressive_mode ? CoefficientBytes(cinfo) : 0;
    const uint64_t row = cmyk ? uint64_t(cinfo.output_width) * 4 : 0;
    const uint64_t upright = uint64_t(UprightCopies(out.info.orientation)) *
                             CheckedImageBytes(cinfo.output_width, cinfo.output_height, 3);
    Status budget = CheckDecodeBudget(opt, cinfo.output_width, cinfo.output_height, false,
                                      std::max(coefficients + row, upright));
    if (budget != Status::kOk) {
      jpeg_destroy_decompress(&cinfo);
      return budget;
    }
    const uint64_t picture = uint64_t(cinfo.output_width) * cinfo.output_height * 3;
    cinfo.mem->max_memory_to_use = long(opt.max_bytes - picture - row);
  }
  bmp = Bitmap::Create(int32_t(cinfo.output_width), int32_t(cinfo.output_height));
  if (bmp.empty()) {
    jpeg_destroy_decompress(&cinfo);
    return Status::kNoMemory;
  }
  jpeg_start_decompress(&cinfo);
  const int32_t w = int32_t(cinfo.output_width), h = int32_t(cinfo.output_height);
  uint8_t* base = bmp.mutable_data();
  if (cmyk) cmyk_row.resize(size_t(w) * 4);
  RowReporter report(opt, h);
  bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    int32_t y = int32_t(cinfo.output_scanline);
    if (cmyk) {
      JSAMPROW row = cmyk_row.data();
      jpeg_read_scanlines(&cinfo, &row, 1);
      uint8_t* dst = base + size_t(y) * bmp.stride();
      for (int32_t x = 0; x < w; ++x) {
        int c = row[4 * x], m = row[4 * x + 1], ye = row[4 * x + 2], k = row[4 * x + 3];
        if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
        dst[3 * x] = uint8_t((ye * k + 127) / 255);
        dst[3 * x + 1] = uint8_t((m * k + 127) / 255);
        dst[3 * x + 2] = uint8_t((c * k + 127) / 255);
      }
    } else {
      JSAMPROW rows[8];
      int32_t n = std::min<int32_t>(8, h - y);
      for (int32_t i = 0; i < n; ++i) rows[i] = base + size_t(y + i) * bmp.stride();
      jpeg_read_scanlines(&cinfo, rows, JDIMENSION(n));
    }
    if (!report.Row(int32_t(cinfo.output_scanline))) {
      jpeg_abort_decompress(&cinfo);
      jpeg_destroy_decompress(&cinfo);
      return Status::kAborted;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out.pixels = std::move(bmp);
  return TurnDecodedUpright(out);
}

namespace {

// The library's destination: the sink's spaces, filled in place.
struct SinkDestination {
  jpeg_destination_mgr pub;
  ByteSink* sink;
  size_t size = 0;
  bool failed = false;
};

void SinkInit(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<SinkDestination*>(cinfo->dest);
  uint8_t* space = nullptr;
  if (!d->sink->Next(0, space, d->size)) {
    d->failed = true;
    ERREXIT(cinfo, JERR_FILE_WRITE);
  }
  d->pub.next_output_byte = space;
  d->pub.free_in_buffer = d->size;
}

boolean SinkEmpty(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<SinkDestination*>(cinfo->dest);
  uint8_t* space = nullptr;
  // The whole space is full when the library asks for more.
  if (!d->sink->Next(d->size, space, d->size)) {
    d->failed = true;
    ERREXIT(cinfo, JERR_FILE_WRITE);
  }
  d->pub.next_output_byte = space;
  d->pub.free_in_buffer = d->size;
  return TRUE;
}

void SinkTerm(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<SinkDestination*>(cinfo->dest);
  if (!d->sink->Finish(d->size - d->pub.free_in_buffer)) {
    d->failed = true;
    ERREXIT(cinfo, JERR_FILE_WRITE);
  }
}

}  // namespace

bool VectorSink::Next(size_t used, uint8_t*& space, size_t& size) {
  filled_ += used;
  // Grown by doubling from a guess at the whole size; resize keeps what
  // is written.
  size_t want = out_.size() ? out_.size() * 2 : std::max<size_t>(expected_, 4096);
  if (filled_ < out_.size()) want = out_.size();
  try {
    out_.resize(want);
  } catch (const std::bad_alloc&) {
    return false;
  }
  space = out_.data() + filled_;
  size = out_.size() - filled_;
  return true;
}

bool VectorSink::Finish(size_t used) {
  out_.resize(filled_ + used);
  return true;
}

Status JpegEncode(const Bitmap& pixels, const JpegOptions& opt, ByteSink& sink) {
  std::vector<uint8_t> exif;
  if (!opt.exif_base.empty() || opt.exif) {
    Status s = BuildExif(opt.exif_base, opt.exif ? &*opt.exif : nullptr, &pixels, exif);
    if (s != Status::kOk) return s;
  }
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = Silent;
  SinkDestination dest{};
  dest.pub.init_destination = SinkInit;
  dest.pub.empty_output_buffer = SinkEmpty;
  dest.pub.term_destination = SinkTerm;
  dest.sink = &sink;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return dest.failed ? Status::kWriteFailed : Status::kNoMemory;
  }
  jpeg_create_compress(&cinfo);
  cinfo.dest = &dest.pub;
  cinfo.image_width = JDIMENSION(pixels.width());
  cinfo.image_height = JDIMENSION(pixels.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, opt.quality, TRUE);
  if (opt.dpi > 0 && opt.dpi < 65535) {
    cinfo.density_unit = 1;
    cinfo.X_density = cinfo.Y_density = UINT16(opt.dpi + 0.5);
  }
  jpeg_start_compress(&cinfo, TRUE);
  if (!exif.empty()) jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
  const int32_t h = pixels.height();
  // Rows straight from the picture: the library reads them in place.
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rows[16];
    int32_t y = int32_t(cinfo.next_scanline);
    int32_t n = std::min<int32_t>(16, h - y);
    for (int32_t i = 0; i < n; ++i) rows[i] = const_cast<uint8_t*>(pixels.row(y + i));
    jpeg_write_scanlines(&cinfo, rows, JDIMENSION(n));
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return Status::kOk;
}

Status JpegEncode(const Bitmap& pixels, const JpegOptions& opt, std::vector<uint8_t>& out) {
  // A guess at the size (about an eighth of the pixel bytes at high
  // quality), doubled when short.
  VectorSink sink(out, pixels.bytes() / 8);
  Status s = JpegEncode(pixels, opt, sink);
  if (s != Status::kOk) out.clear();
  return s;
}

}  // namespace img::detail
