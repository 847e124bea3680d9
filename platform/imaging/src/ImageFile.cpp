#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "AtomicWriter.h"
#include "Codecs.h"

namespace img {

namespace {

// A file's bytes, not cleared before they are read over.
struct FileBytes {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
};

// Reads a whole file, or its first `limit` bytes (refusing anything that
// cannot be a picture we accept, and files over `most` bytes). Opened
// without blocking: a named pipe or a device would otherwise hold the
// reading thread in open() until someone writes to it.
Status ReadWholeFile(const std::string& path, FileBytes& out, size_t limit = 0,
                     uint64_t most = uint64_t(2) << 30) {
  out.size = 0;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Status::kOpenFailed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Status::kOpenFailed;
  }
  size_t want = size_t(st.st_size);
  if (limit && want > limit) want = limit;
  if (!limit && uint64_t(st.st_size) > most) {
    ::close(fd);
    return Status::kTooLarge;
  }
  out.data.reset(new (std::nothrow) uint8_t[want ? want : 1]);
  if (!out.data) {
    ::close(fd);
    return Status::kNoMemory;
  }
  size_t got = 0;
  while (got < want) {
    ssize_t n = ::read(fd, out.data.get() + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += size_t(n);
  }
  ::close(fd);
  out.size = got;
  return Status::kOk;
}

std::string LowerExtension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

FileFormat SniffFormat(const uint8_t* d, size_t n) {
  if (!d) return FileFormat::kUnknown;
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return FileFormat::kJpeg;
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && std::memcmp(d, kPng, 8) == 0) return FileFormat::kPng;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return FileFormat::kBmp;
  return FileFormat::kUnknown;
}

FileFormat FormatOfFile(const std::string& path) {
  FileBytes head;
  if (ReadWholeFile(path, head, 16) != Status::kOk) return FileFormat::kUnknown;
  return SniffFormat(head.data.get(), head.size);
}

FileFormat FormatForExtension(const std::string& path) {
  std::string ext = LowerExtension(path);
  if (ext == ".jpg" || ext == ".jpeg") return FileFormat::kJpeg;
  if (ext == ".png") return FileFormat::kPng;
  if (ext == ".bmp") return FileFormat::kBmp;
  return FileFormat::kUnknown;
}

Status ReadImageInfoMemory(const uint8_t* data, size_t size, ImageInfo& info) {
  info = ImageInfo{};
  switch (SniffFormat(data, size)) {
    case FileFormat::kJpeg: return detail::JpegInfo(data, size, info);
    case FileFormat::kPng: return detail::PngInfo(data, size, info);
    case FileFormat::kBmp: return detail::BmpInfo(data, size, info);
    default: return data || !size ? Status::kUnsupported : Status::kBadArgument;
  }
}

Status ReadImageInfo(const std::string& path, ImageInfo& info) {
  info = ImageInfo{};
  FileBytes bytes;
  // JPEG headers (with an EXIF block) fit in the first 128 KB nearly always;
  // read the whole file only when they do not.
  Status s = ReadWholeFile(path, bytes, 128 * 1024);
  if (s != Status::kOk) return s;
  s = ReadImageInfoMemory(bytes.data.get(), bytes.size, info);
  if (s == Status::kCorrupt && bytes.size == 128 * 1024) {
    s = ReadWholeFile(path, bytes);
    if (s == Status::kOk) s = ReadImageInfoMemory(bytes.data.get(), bytes.size, info);
  }
  return s;
}

Status DecodeMemory(const uint8_t* data, size_t size, const DecodeOptions& options,
                    Decoded& out) {
  out = Decoded{};
  if (!data && size) return Status::kBadArgument;
  int32_t r = options.reduction;
  if (r != 1 && r != 2 && r != 4 && r != 8) return Status::kBadArgument;
  switch (SniffFormat(data, size)) {
    case FileFormat::kJpeg: return detail::JpegDecode(data, size, options, out);
    case FileFormat::kPng: return detail::PngDecode(data, size, options, out);
    case FileFormat::kBmp: return detail::BmpDecode(data, size, options, out);
    default: return Status::kUnsupported;
  }
}

Status DecodeFile(const std::string& path, const DecodeOptions& options, Decoded& out) {
  out = Decoded{};
  FileBytes bytes;
  // The file's bytes are held through the decode: they count against its budget.
  Status s = ReadWholeFile(path, bytes, 0, options.max_bytes);
  if (s != Status::kOk) return s;
  return DecodeMemory(bytes.data.get(), bytes.size, options, out);
}

Status DecodeFile(const std::string& path, const DecodeOptions& options, const OptionChooser& choose,
                  Decoded& out) {
  out = Decoded{};
  FileBytes bytes;
  Status s = ReadWholeFile(path, bytes, 0, options.max_bytes);
  if (s != Status::kOk) return s;
  ImageInfo info;
  s = ReadImageInfoMemory(bytes.data.get(), bytes.size, info);
  if (s != Status::kOk) return s;
  DecodeOptions chosen = options;
  if (choose) choose(info, chosen);
  return DecodeMemory(bytes.data.get(), bytes.size, chosen, out);
}

int32_t ReductionFor(const ImageInfo& info, int32_t need_w, int32_t need_h) {
  if (info.format == FileFormat::kUnknown || need_w <= 0 || need_h <= 0) return 1;
  int32_t best = 1;
  for (int32_t r : {2, 4, 8}) {
    int32_t w = (info.width + r - 1) / r, h = (info.height + r - 1) / r;
    if (w >= need_w && h >= need_h) best = r;
  }
  return best;
}

std::string ExifDateTimeNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm {};
  localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d:%02d:%02d %02d:%02d:%02d", (tm.tm_year + 1900) % 10000,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

Status EncodeJpeg(const Bitmap& pixels, const JpegOptions& options, std::vector<uint8_t>& out) {
  out.clear();
  if (pixels.empty() || options.quality < 1 || options.quality > 100) return Status::kBadArgument;
  return detail::JpegEncode(pixels, options, out);
}

Status EncodeBmp(const Bitmap& pixels, const BmpOptions& options, std::vector<uint8_t>& out) {
  out.clear();
  if (pixels.empty()) return Status::kBadArgument;
  return detail::BmpEncode(pixels, options, out);
}

Status EncodePng(const Bitmap& pixels, const Plane& alpha, const PngOptions& options,
                 std::vector<uint8_t>& out) {
  out.clear();
  if (pixels.empty()) return Status::kBadArgument;
  if (!alpha.empty() && (alpha.width() != pixels.width() || alpha.height() != pixels.height())) {
    return Status::kBadArgument;
  }
  return detail::PngEncode(pixels, alpha, options, out);
}

namespace {

// Encoded bytes straight to the file through one buffer per thread, kept
// for the next save: no picture-sized buffer, no copy of the file.
class FileSink final : public detail::ByteSink {
 public:
  explicit FileSink(detail::AtomicWriter& file) : file_(file) {}
  bool Next(size_t used, uint8_t*& space, size_t& size) override {
    if (used && !file_.Write(Buffer().data(), used)) return false;
    space = Buffer().data();
    size = Buffer().size();
    return true;
  }
  bool Finish(size_t used) override { return !used || file_.Write(Buffer().data(), used); }

 private:
  static std::vector<uint8_t>& Buffer() {
    thread_local std::vector<uint8_t> buffer(size_t(256) << 10);
    return buffer;
  }
  detail::AtomicWriter& file_;
};

}  // namespace

Status SaveJpeg(const Bitmap& pixels, const std::string& path, const JpegOptions& options) {
  if (pixels.empty() || options.quality < 1 || options.quality > 100) return Status::kBadArgument;
  detail::AtomicWriter file;
  Status s = file.Open(path);
  if (s != Status::kOk) return s;
  FileSink sink(file);
  s = detail::JpegEncode(pixels, options, sink);
  return s == Status::kOk ? file.Commit() : s;
}

Status SaveBmp(const Bitmap& pixels, const std::string& path, const BmpOptions& options) {
  std::vector<uint8_t> bytes;
  Status s = EncodeBmp(pixels, options, bytes);
  return s == Status::kOk ? WriteFileAtomically(path, bytes) : s;
}

Status SavePng(const Bitmap& pixels, const Plane& alpha, const std::string& path,
               const PngOptions& options) {
  std::vector<uint8_t> bytes;
  Status s = EncodePng(pixels, alpha, options, bytes);
  return s == Status::kOk ? WriteFileAtomically(path, bytes) : s;
}

}  // namespace img
