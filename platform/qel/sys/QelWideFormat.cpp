// The UTF-16 formatter behind qel_swprintf and CQelStringW::Format. Numbers go
// through the C library's narrow formatting (they are ASCII); text arguments
// are UTF-16 and are copied unit by unit.
#include <cstdio>
#include <cstring>

#include "qel/QelWideText.h"

namespace {

void Pad(std::u16string& out, int count, WCHAR fill) {
  if (count > 0) out.append(size_t(count), fill);
}

void AppendText(std::u16string& out, const WCHAR* text, size_t n, int width, bool left) {
  int pad = width - int(n);
  if (!left) Pad(out, pad, u' ');
  out.append(text, n);
  if (left) Pad(out, pad, u' ');
}

void AppendAscii(std::u16string& out, const char* text) {
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
}

}  // namespace

void qel_vformat(std::u16string& out, const WCHAR* format, va_list args) {
  if (!format) return;
  const WCHAR* p = format;
  while (*p) {
    if (*p != u'%') {
      out.push_back(*p++);
      continue;
    }
    const WCHAR* start = p++;
    if (*p == u'%') {
      out.push_back(u'%');
      ++p;
      continue;
    }
    // Flags, width, precision, length: rebuilt as a narrow numfmt for numbers.
    std::string numfmt = "%";
    bool left = false;
    while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'0' || *p == u'#') {
      if (*p == u'-') left = true;
      numfmt.push_back(char(*p++));
    }
    int width = -1;
    if (*p == u'*') {
      width = va_arg(args, int);
      if (width < 0) { left = true; numfmt.push_back('-'); width = -width; }
      ++p;
    } else if (*p >= u'0' && *p <= u'9') {
      width = 0;
      while (*p >= u'0' && *p <= u'9') width = width * 10 + (*p++ - u'0');
      if (width > 4096) width = 4096;
    }
    int precision = -1;
    if (*p == u'.') {
      ++p;
      precision = 0;
      if (*p == u'*') {
        precision = va_arg(args, int);
        ++p;
      } else {
        while (*p >= u'0' && *p <= u'9') precision = precision * 10 + (*p++ - u'0');
      }
      if (precision > 4096) precision = 4096;
    }
    if (width >= 0) numfmt += std::to_string(width);
    if (precision >= 0) numfmt += "." + std::to_string(precision);
    // Length: "l" is 32-bit like the toolkit's long; "ll", "z" are 64-bit.
    int size = 32;
    bool half = false;
    if (*p == u'h') {
      ++p;
      half = true;
      if (*p == u'h') ++p;
    } else if (*p == u'l') {
      ++p;
      if (*p == u'l') { ++p; size = 64; }
    } else if (*p == u'z' || *p == u'j' || *p == u't') {
      ++p;
      size = 64;
    } else if (*p == u'L') {
      ++p;
    }

    char buf[4200 + 64];
    WCHAR conv = *p;
    if (!conv) {  // a lone "%" at the end: keep it as text
      out.append(start, p);
      break;
    }
    ++p;
    switch (conv) {
      case u's':
      case u'S': {
        const WCHAR* text = va_arg(args, const WCHAR*);
        if (!text) text = u"(null)";
        size_t n = 0;
        while ((precision < 0 || n < size_t(precision)) && text[n]) ++n;
        AppendText(out, text, n, width, left);
        break;
      }
      case u'c':
      case u'C': {
        WCHAR c = static_cast<WCHAR>(va_arg(args, int));
        AppendText(out, &c, 1, width, left);
        break;
      }
      case u'd':
      case u'i': {
        long long v = size == 64 ? va_arg(args, long long) : va_arg(args, int);
        if (half) v = static_cast<short>(v);
        snprintf(buf, sizeof buf, (numfmt + "lld").c_str(), v);
        AppendAscii(out, buf);
        break;
      }
      case u'u':
      case u'x':
      case u'X':
      case u'o': {
        unsigned long long v = size == 64 ? va_arg(args, unsigned long long)
                                          : va_arg(args, unsigned int);
        if (half) v = static_cast<unsigned short>(v);
        numfmt += "ll";
        numfmt.push_back(char(conv));
        snprintf(buf, sizeof buf, numfmt.c_str(), v);
        AppendAscii(out, buf);
        break;
      }
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G': {
        double v = va_arg(args, double);
        numfmt.push_back(char(conv));
        snprintf(buf, sizeof buf, numfmt.c_str(), v);
        AppendAscii(out, buf);
        break;
      }
      case u'p': {
        void* v = va_arg(args, void*);
        snprintf(buf, sizeof buf, "%p", v);
        AppendText(out, std::u16string(buf, buf + strlen(buf)).c_str(), strlen(buf), width, left);
        break;
      }
      default:
        // Unknown conversion: shown as written, no argument taken.
        out.append(start, p);
        break;
    }
  }
}

std::u16string qel_format(const WCHAR* format, ...) {
  std::u16string out;
  va_list args;
  va_start(args, format);
  qel_vformat(out, format, args);
  va_end(args);
  return out;
}

int qel_vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
  if (!buffer || count == 0) return -1;
  std::u16string out;
  qel_vformat(out, format, args);
  if (out.size() + 1 > count) {
    size_t keep = count - 1;
    if (keep > 0 && out[keep - 1] >= 0xD800 && out[keep - 1] <= 0xDBFF) --keep;  // no half pairs
    std::memcpy(buffer, out.data(), keep * sizeof(WCHAR));
    buffer[keep] = 0;
    return -1;
  }
  std::memcpy(buffer, out.data(), out.size() * sizeof(WCHAR));
  buffer[out.size()] = 0;
  return int(out.size());
}

int qel_swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  int n = qel_vswprintf(buffer, count, format, args);
  va_end(args);
  return n;
}

bool qel_format_matches(const WCHAR* format, const char* expected) {
  if (!format || !expected) return false;
  std::string found;
  for (const WCHAR* p = format; *p; ++p) {
    if (*p != u'%') continue;
    ++p;
    if (*p == u'%') continue;
    while (*p && std::strchr("-+ 0#123456789.*hlLzjt", char(*p)) && *p < 0x80) ++p;
    if (!*p) return false;  // a lone "%" at the end
    char c = *p < 0x80 ? char(*p) : '?';
    if (c == 'S') c = 's';
    if (c == 'C') c = 'c';
    if (c == 'i') c = 'd';
    found.push_back(c);
  }
  return found == expected;
}
