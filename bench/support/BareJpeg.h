#pragma once
// The anchor of the JPEG save benchmarks: libjpeg-turbo alone encoding the
// same pixels to a file with the same settings as a file we saved (quality,
// JFIF density, the same EXIF marker), so both files must be identical.
// What is read from our file is read before the timing.
#include <fcntl.h>
#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace bench {

struct JpegLike {
  int quality = 90;
  int densityUnit = 1, xDensity = 72, yDensity = 72;
  std::vector<uint8_t> app1;  // payload of the EXIF marker, empty for none
};

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// The JFIF density and the first APP1 marker of a JPEG file we wrote.
inline JpegLike SettingsOf(const std::string& path, int quality) {
  JpegLike s;
  s.quality = quality;
  const std::vector<uint8_t> b = ReadFileBytes(path);
  size_t at = 2;
  while (at + 4 <= b.size() && b[at] == 0xFF && b[at + 1] != 0xDA) {
    const size_t len = size_t(b[at + 2]) << 8 | b[at + 3];
    if (b[at + 1] == 0xE0 && len >= 14 && at + 2 + len <= b.size()) {
      s.densityUnit = b[at + 11];
      s.xDensity = b[at + 12] << 8 | b[at + 13];
      s.yDensity = b[at + 14] << 8 | b[at + 15];
    }
    if (b[at + 1] == 0xE1 && s.app1.empty() && at + 2 + len <= b.size()) {
      s.app1.assign(b.begin() + long(at + 4), b.begin() + long(at + 2 + len));
    }
    at += 2 + len;
  }
  return s;
}

// B, G, R rows (`bottomUp` for a DIB's order) to `path`; `durable` adds the
// fsync a whole-or-absent save needs before its rename.
inline bool BareJpeg(const uint8_t* bits, size_t stride, int w, int h, bool bottomUp, const JpegLike& s,
                     const std::string& path, bool durable) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = JDIMENSION(w);
  c.image_height = JDIMENSION(h);
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, s.quality, TRUE);
  c.density_unit = UINT8(s.densityUnit);
  c.X_density = UINT16(s.xDensity);
  c.Y_density = UINT16(s.yDensity);
  jpeg_start_compress(&c, TRUE);
  if (!s.app1.empty()) jpeg_write_marker(&c, JPEG_APP0 + 1, s.app1.data(), unsigned(s.app1.size()));
  while (c.next_scanline < c.image_height) {
    const int y = bottomUp ? h - 1 - int(c.next_scanline) : int(c.next_scanline);
    JSAMPROW row = const_cast<JSAMPROW>(bits + size_t(y) * stride);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  bool ok = std::fflush(f) == 0;
  if (durable) ok = ok && ::fsync(fileno(f)) == 0;
  return std::fclose(f) == 0 && ok;
}

inline double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

inline double LoadAverage() {
  double l[1] = {0};
  return getloadavg(l, 1) == 1 ? l[0] : -1.0;
}

}  // namespace bench
