// BMP reading and writing, our own code. Reads BI_RGB at 1, 4, 8, 16, 24 and
// 32 bits, RLE8 and RLE4, BI_BITFIELDS at 16 and 32 bits, the OS/2 core header and the V4/V5
// headers, bottom-up and top-down; every offset and size is checked against
// the data before use. Writes 14 + 40 byte headers, rows padded to 4 bytes.
#include <cstring>

#include "Codecs.h"
#include "DecodeBudget.h"
#include "RowReducer.h"

namespace img::detail {

namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct Header {
  int32_t width = 0, height = 0;  // height positive
  bool top_down = false;
  int32_t bpp = 0;
  uint32_t compression = 0;
  uint32_t masks[3] = {0, 0, 0};  // R, G, B
  uint32_t pixel_offset = 0;
  size_t palette_at = 0;
  uint32_t palette_entries = 0;
  uint32_t palette_entry_size = 4;
  double x_dpi = 0, y_dpi = 0;
};

Status ParseHeader(const uint8_t* d, size_t n, Header& h) {
  if (n < 26 || d[0] != 'B' || d[1] != 'M') return Status::kCorrupt;
  h.pixel_offset = U32(d + 10);
  uint32_t hs = U32(d + 14);
  if (hs != 12 && hs < 40) return Status::kUnsupported;
  if (hs > n - 14) return Status::kCorrupt;
  const uint8_t* ih = d + 14;
  int64_t width, height;
  if (hs == 12) {
    width = U16(ih + 4);
    height = int16_t(U16(ih + 6));
    h.bpp = U16(ih + 10);
    h.compression = kBiRgb;
    h.palette_entry_size = 3;
  } else {
    width = int32_t(U32(ih + 4));
    height = int32_t(U32(ih + 8));
    h.bpp = U16(ih + 14);
    h.compression = U32(ih + 16);
    uint32_t xppm = U32(ih + 24), yppm = U32(ih + 28);
    h.x_dpi = xppm * 0.0254;
    h.y_dpi = yppm * 0.0254;
    h.palette_entries = U32(ih + 32);
  }
  if (height < 0) {
    h.top_down = true;
    height = -height;
  }
  if (width <= 0 || height <= 0) return Status::kCorrupt;
  if (width > kMaxSide || height > kMaxSide) return Status::kTooLarge;
  h.width = int32_t(width);
  h.height = int32_t(height);
  switch (h.bpp) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Status::kUnsupported;
  }
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    if (h.bpp != 16 && h.bpp != 32) return Status::kCorrupt;
    // Masks follow a 40-byte header, or sit inside a V2+ header.
    size_t at = 14 + 40;
    if (at + 12 > n) return Status::kCorrupt;
    h.masks[0] = U32(d + at);
    h.masks[1] = U32(d + at + 4);
    h.masks[2] = U32(d + at + 8);
  } else if (h.compression == kBiRgb) {
    if (h.bpp == 16) {
      h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (h.bpp == 32) {
      h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
    }
  } else if ((h.compression == kBiRle8 && h.bpp == 8) || (h.compression == kBiRle4 && h.bpp == 4)) {
    if (h.top_down) return Status::kCorrupt;  // run-length data is always bottom-up
  } else {
    return Status::kUnsupported;  // JPEG or PNG inside BMP, or a mismatched RLE
  }
  if (h.bpp <= 8) {
    uint32_t max_entries = 1u << h.bpp;
    if (h.palette_entries == 0 || h.palette_entries > max_entries) h.palette_entries = max_entries;
    h.palette_at = 14 + hs + (h.compression == kBiBitfields && hs == 40 ? 12 : 0);
    // A short palette is allowed as long as it lies before the pixels.
    size_t room = h.pixel_offset > h.palette_at ? (h.pixel_offset - h.palette_at) / h.palette_entry_size : 0;
    if (room < h.palette_entries) h.palette_entries = uint32_t(room);
    if (h.palette_entries == 0) return Status::kCorrupt;
    if (h.palette_at + size_t(h.palette_entries) * h.palette_entry_size > n) return Status::kCorrupt;
  }
  return Status::kOk;
}

size_t RowBytes(int32_t width, int32_t bpp) { return ((size_t(width) * size_t(bpp) + 31) / 32) * 4; }

// Value of a masked field widened to 8 bits by repeating its bits (5-bit 31
// becomes 255, 5-bit 1 becomes 8), as readers of 16-bit BMPs do.
struct MaskField {
  uint32_t mask = 0;
  int shift = 0, bits = 0;
  explicit MaskField(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint8_t operator()(uint32_t v) const {
    if (!bits) return 0;
    uint32_t f = (v & mask) >> shift;
    if (bits >= 8) return uint8_t(f >> (bits - 8));
    uint32_t out = 0;
    for (int s = 8 - bits; s > -bits; s -= bits) out |= s >= 0 ? f << s : f >> -s;
    return uint8_t(out);
  }
};

// Expands RLE8 / RLE4 data into one palette index per pixel (row 0 = the
// file's first, bottom row). Pixels the data skips keep index 0.
Status ExpandRle(const uint8_t* d, size_t n, const Header& h, std::vector<uint8_t>& idx) {
  const int32_t w = h.width, rows = h.height;
  idx.assign(size_t(w) * size_t(rows), 0);
  const bool four = h.compression == kBiRle4;
  size_t at = h.pixel_offset;
  int32_t x = 0, y = 0;
  auto put = [&](uint8_t v) {
    if (x < w && y < rows) idx[size_t(y) * size_t(w) + size_t(x)] = v;
    ++x;
  };
  while (y < rows) {
    if (at + 2 > n) return Status::kCorrupt;
    uint8_t count = d[at], value = d[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? uint8_t((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0, ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (at + 2 > n) return Status::kCorrupt;
      x += d[at], y += d[at + 1];
      at += 2;
    } else {  // absolute run of `value` pixels, padded to 16 bits
      size_t bytes = four ? (size_t(value) + 1) / 2 : value;
      if (at + bytes > n) return Status::kCorrupt;
      for (int i = 0; i < value; ++i) {
        put(four ? uint8_t((i & 1) ? d[at + size_t(i / 2)] & 15 : d[at + size_t(i / 2)] >> 4)
                 : d[at + size_t(i)]);
      }
      at += (bytes + 1) & ~size_t(1);
    }
  }
  return Status::kOk;
}

}  // namespace

Status BmpInfo(const uint8_t* data, size_t size, ImageInfo& info) {
  Header h;
  Status s = ParseHeader(data, size, h);
  if (s != Status::kOk) return s;
  info.format = FileFormat::kBmp;
  info.width = h.width;
  info.height = h.height;
  info.bits_per_pixel = h.bpp;
  info.x_dpi = h.x_dpi;
  info.y_dpi = h.y_dpi;
  return Status::kOk;
}

Status BmpDecode(const uint8_t* d, size_t n, const DecodeOptions& opt, Decoded& out) {
  Header h;
  Status s = ParseHeader(d, n, h);
  if (s != Status::kOk) return s;
  BmpInfo(d, n, out.info);
  const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  size_t rb = RowBytes(h.width, h.bpp);
  if (h.pixel_offset > n || (!rle && rb * size_t(h.height) > n - h.pixel_offset)) {
    return Status::kCorrupt;
  }
  // Run-length data is expanded into one index a pixel first.
  const uint64_t indexes_bytes = rle ? uint64_t(h.width) * uint64_t(h.height) : 0;
  Status budget = CheckDecodeBudget(opt, ReducedSide(h.width, opt.reduction),
                                    ReducedSide(h.height, opt.reduction), false,
                                    indexes_bytes + RowReducer::WorkBytes(h.width, opt.reduction, false));
  if (budget != Status::kOk) return budget;
  RowReducer reducer(h.width, h.height, opt.reduction, false);
  if (!reducer.ok()) return Status::kNoMemory;
  std::vector<uint8_t> indexes;
  if (rle) {
    Status rs = ExpandRle(d, n, h, indexes);
    if (rs != Status::kOk) return rs;
  }
  uint8_t pal[256][3];
  for (uint32_t i = 0; i < h.palette_entries && h.bpp <= 8; ++i) {
    const uint8_t* e = d + h.palette_at + size_t(i) * h.palette_entry_size;
    pal[i][0] = e[0], pal[i][1] = e[1], pal[i][2] = e[2];
  }
  MaskField fr(h.masks[0]), fg(h.masks[1]), fb(h.masks[2]);
  RowReporter report(opt, h.height);
  for (int32_t y = 0; y < h.height; ++y) {
    int32_t src_row = h.top_down ? y : h.height - 1 - y;
    const uint8_t* r = rle ? nullptr : d + h.pixel_offset + size_t(src_row) * rb;
    uint8_t* o = reducer.ColorRow(y);
    const int32_t w = h.width;
    if (rle) {
      const uint8_t* ix = indexes.data() + size_t(src_row) * size_t(w);
      for (int32_t x = 0; x < w; ++x) {
        uint32_t i = ix[x] < h.palette_entries ? ix[x] : 0;
        o[3 * x] = pal[i][0], o[3 * x + 1] = pal[i][1], o[3 * x + 2] = pal[i][2];
      }
      reducer.Done(y);
      if (!report.Row(y + 1)) return Status::kAborted;
      continue;
    }
    switch (h.bpp) {
      case 24:
        std::memcpy(o, r, size_t(w) * 3);
        break;
      case 32:
        if (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF) {
          for (int32_t x = 0; x < w; ++x) {
            o[3 * x] = r[4 * x], o[3 * x + 1] = r[4 * x + 1], o[3 * x + 2] = r[4 * x + 2];
          }
        } else {
          for (int32_t x = 0; x < w; ++x) {
            uint32_t v = U32(r + 4 * x);
            o[3 * x] = fb(v), o[3 * x + 1] = fg(v), o[3 * x + 2] = fr(v);
          }
        }
        break;
      case 16:
        for (int32_t x = 0; x < w; ++x) {
          uint32_t v = U16(r + 2 * x);
          o[3 * x] = fb(v), o[3 * x + 1] = fg(v), o[3 * x + 2] = fr(v);
        }
        break;
      default: {  // 1, 4, 8 with a palette
        const int bpp = h.bpp;
        const uint32_t mask = (1u << bpp) - 1;
        for (int32_t x = 0; x < w; ++x) {
          size_t bit = size_t(x) * size_t(bpp);
          uint32_t idx = (r[bit / 8] >> (8 - bpp - int(bit % 8))) & mask;
          if (idx >= h.palette_entries) idx = 0;
          o[3 * x] = pal[idx][0], o[3 * x + 1] = pal[idx][1], o[3 * x + 2] = pal[idx][2];
        }
      }
    }
    reducer.Done(y);
    if (!report.Row(y + 1)) return Status::kAborted;
  }
  out.pixels = reducer.TakePixels();
  return Status::kOk;
}

Status BmpEncode(const Bitmap& pixels, const BmpOptions& opt, std::vector<uint8_t>& out) {
  const int32_t bpp = opt.bits_per_pixel;
  if (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32) return Status::kBadArgument;
  const int32_t w = pixels.width(), h = pixels.height();
  const size_t rb = RowBytes(w, bpp);
  const uint32_t palette = bpp <= 8 ? (1u << bpp) : 0;
  const uint64_t image = uint64_t(rb) * uint64_t(h);
  const uint64_t offset = 14 + 40 + uint64_t(palette) * 4;
  if (offset + image > 0xFFFFFFFFull) return Status::kTooLarge;
  out.clear();
  out.reserve(size_t(offset + image));
  out.push_back('B');
  out.push_back('M');
  Put32(out, uint32_t(offset + image));
  Put32(out, 0);
  Put32(out, uint32_t(offset));
  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(h));  // positive: bottom-up
  Put16(out, 1);
  Put16(out, uint16_t(bpp));
  Put32(out, kBiRgb);
  Put32(out, uint32_t(image));
  uint32_t ppm = opt.dpi > 0 ? uint32_t(opt.dpi / 0.0254 + 0.5) : 0;
  Put32(out, ppm);
  Put32(out, ppm);
  Put32(out, palette);
  Put32(out, 0);
  for (uint32_t i = 0; i < palette; ++i) {
    uint8_t v = bpp == 1 ? uint8_t(i ? 255 : 0) : uint8_t(i);
    out.push_back(v), out.push_back(v), out.push_back(v), out.push_back(0);
  }
  size_t at = out.size();
  out.resize(size_t(offset + image), 0);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* s = pixels.row(h - 1 - y);
    uint8_t* o = out.data() + at + size_t(y) * rb;
    switch (bpp) {
      case 24:
        std::memcpy(o, s, size_t(w) * 3);
        break;
      case 32:
        for (int32_t x = 0; x < w; ++x) {
          o[4 * x] = s[3 * x], o[4 * x + 1] = s[3 * x + 1], o[4 * x + 2] = s[3 * x + 2];
          o[4 * x + 3] = 0;
        }
        break;
      default:
        for (int32_t x = 0; x < w; ++x) {
          uint32_t l = (114u * s[3 * x] + 587u * s[3 * x + 1] + 299u * s[3 * x + 2] + 500) / 1000;
          if (bpp == 8) {
            o[x] = uint8_t(l);
          } else if (l >= 128) {
            o[x / 8] |= uint8_t(0x80 >> (x % 8));
          }
        }
    }
  }
  return Status::kOk;
}

}  // namespace img::detail
