#include "SQText.h"

namespace vdlsq {

bool ToUtf8(const char16_t* text, std::string* out) {
  if (!text || !out) return false;
  out->clear();
  for (const char16_t* p = text; *p; ++p) {
    uint32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF) {
      uint32_t low = p[1];
      if (low < 0xDC00 || low > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++p;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      out->push_back(char(c));
    } else if (c < 0x800) {
      out->push_back(char(0xC0 | (c >> 6)));
      out->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out->push_back(char(0xE0 | (c >> 12)));
      out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(char(0x80 | (c & 0x3F)));
    } else {
      out->push_back(char(0xF0 | (c >> 18)));
      out->push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

bool ColumnNameEquals(const char16_t* a, const char* b) {
  if (!a || !b) return false;
  auto lower = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  for (; *a && *b; ++a, ++b) {
    if (lower(*a) != lower(uint8_t(*b))) return false;
  }
  return *a == 0 && *b == 0;
}

}  // namespace vdlsq
