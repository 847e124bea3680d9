// EXIF blocks with libexif: a kept block is loaded, the given fields are
// replaced or added, and the block is serialised for an APP1 marker.
#include <libexif/exif-data.h>
#include <libexif/exif-entry.h>
#include <libexif/exif-utils.h>

#include <cstdlib>
#include <cstring>

#include "Codecs.h"

namespace img::detail {

namespace {

constexpr size_t kMaxApp1Payload = 65533;

void RemoveTag(ExifData* ed, ExifIfd ifd, ExifTag tag) {
  if (ExifEntry* e = exif_content_get_entry(ed->ifd[ifd], tag)) {
    exif_content_remove_entry(ed->ifd[ifd], e);
  }
}

// A fresh entry with its own data, added to the IFD.
bool AddEntry(ExifData* ed, ExifIfd ifd, ExifTag tag, ExifFormat format, unsigned long components,
              const void* bytes, size_t size) {
  RemoveTag(ed, ifd, tag);
  ExifMem* mem = exif_mem_new_default();
  if (!mem) return false;
  ExifEntry* e = exif_entry_new_mem(mem);
  bool ok = false;
  if (e) {
    void* buf = exif_mem_alloc(mem, ExifLong(size));
    if (buf) {
      std::memcpy(buf, bytes, size);
      e->data = static_cast<unsigned char*>(buf);
      e->size = static_cast<unsigned int>(size);
      e->tag = tag;
      e->components = components;
      e->format = format;
      exif_content_add_entry(ed->ifd[ifd], e);
      ok = true;
    }
    exif_entry_unref(e);
  }
  exif_mem_unref(mem);
  return ok;
}

bool AddAscii(ExifData* ed, ExifIfd ifd, ExifTag tag, const std::string& text) {
  std::string z = text;
  z.push_back('\0');
  return AddEntry(ed, ifd, tag, EXIF_FORMAT_ASCII, z.size(), z.data(), z.size());
}

bool AddLong(ExifData* ed, ExifIfd ifd, ExifTag tag, int32_t value) {
  unsigned char b[4];
  exif_set_long(b, exif_data_get_byte_order(ed), ExifLong(value < 0 ? 0 : value));
  return AddEntry(ed, ifd, tag, EXIF_FORMAT_LONG, 1, b, 4);
}

}  // namespace

Status BuildExif(const std::vector<uint8_t>& base, const ExifFields* f, const Bitmap* pixels,
                 std::vector<uint8_t>& out) {
  out.clear();
  if (base.empty() && !f) return Status::kOk;
  ExifData* ed = base.empty() ? exif_data_new()
                              : exif_data_new_from_data(base.data(), unsigned(base.size()));
  if (!ed) return Status::kNoMemory;
  if (base.empty()) {
    exif_data_set_byte_order(ed, EXIF_BYTE_ORDER_INTEL);
    exif_data_set_data_type(ed, EXIF_DATA_TYPE_COMPRESSED);
  }
  exif_data_unset_option(ed, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  if (!base.empty() && pixels) DescribeUprightPixels(ed, *pixels);
  bool ok = true;
  if (f) {
    if (f->date_time) {
      ok &= AddAscii(ed, EXIF_IFD_0, EXIF_TAG_DATE_TIME, *f->date_time);
      ok &= AddAscii(ed, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, *f->date_time);
    }
    if (f->description) ok &= AddAscii(ed, EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION, *f->description);
    if (f->exif_version) {
      char v[4] = {'0', '0', '0', '0'};
      std::memcpy(v, f->exif_version->data(), std::min<size_t>(4, f->exif_version->size()));
      ok &= AddEntry(ed, EXIF_IFD_EXIF, EXIF_TAG_EXIF_VERSION, EXIF_FORMAT_UNDEFINED, 4, v, 4);
    }
    if (f->pixel_x) ok &= AddLong(ed, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, *f->pixel_x);
    if (f->pixel_y) ok &= AddLong(ed, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, *f->pixel_y);
  }
  if (!ok) {
    exif_data_unref(ed);
    return Status::kNoMemory;
  }
  unsigned char* buf = nullptr;
  unsigned int size = 0;
  exif_data_save_data(ed, &buf, &size);
  if (buf && size > kMaxApp1Payload && ed->data) {
    // A large embedded thumbnail of a kept block would not fit one marker:
    // drop the thumbnail rather than the whole block.
    std::free(buf);
    buf = nullptr;
    std::free(ed->data);  // allocated by libexif's default (malloc) allocator
    ed->data = nullptr;
    ed->size = 0;
    exif_data_save_data(ed, &buf, &size);
  }
  if (buf && size > 0 && size <= kMaxApp1Payload) out.assign(buf, buf + size);
  std::free(buf);
  exif_data_unref(ed);
  return Status::kOk;
}

}  // namespace img::detail
