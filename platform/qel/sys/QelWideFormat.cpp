// The UTF-16 formatter behind qel_swprintf and CQelStringW::Format. Text
// arguments are UTF-16 and are copied unit by unit; conversions are read by
// the same parser that checks texts from string tables.
#include <cstdio>
#include <cstring>

#include "qel/QelFormatSpec.h"
#include "qel/QelWideText.h"

namespace {

void Pad(std::u16string& out, int count, WCHAR fill) {
  if (count > 0) out.append(size_t(count), fill);
}

void AppendText(std::u16string& out, const WCHAR* text, size_t n, int width, bool left) {
  int pad = n < size_t(width > 0 ? width : 0) ? width - int(n) : 0;
  if (!left) Pad(out, pad, u' ');
  out.append(text, n);
  if (left) Pad(out, pad, u' ');
}

// Numbers go through the C library's narrow formatting (they are ASCII).
template <typename T>
void AppendNumber(std::u16string& out, const std::string& numfmt, T value) {
  char small[128];
  int n = std::snprintf(small, sizeof small, numfmt.c_str(), value);
  if (n < 0) return;
  if (size_t(n) < sizeof small) {
    out.append(small, small + n);
    return;
  }
  std::string big(size_t(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), numfmt.c_str(), value);
  out.append(big.data(), big.data() + n);
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
    const WCHAR* start = p;
    QelFormatSpec spec;
    p = qel_parse_format_spec(p, &spec);
    if (spec.letter == u'%') {
      out.push_back(u'%');
      continue;
    }
    if (spec.letter == 0) {  // the format ends inside a conversion: keep it as text
      out.append(start, p);
      break;
    }
    if (spec.arg == QelFormatSpec::Arg::kNone) {  // unknown letter: shown as written, nothing taken
      out.append(start, p);
      continue;
    }
    // Widths and precisions from the arguments are bounded as written ones are.
    bool left = spec.left;
    int width = spec.width;
    if (spec.widthFromArgs) {
      int w = va_arg(args, int);
      if (w < 0) {
        left = true;
        width = w < -kQelFormatMaxWidth ? kQelFormatMaxWidth : -w;
      } else {
        width = w > kQelFormatMaxWidth ? kQelFormatMaxWidth : w;
      }
    }
    int precision = spec.precision;
    if (spec.precisionFromArgs) {
      int v = va_arg(args, int);
      precision = v < 0 ? -1 : (v > kQelFormatMaxWidth ? kQelFormatMaxWidth : v);
    }
    std::string numfmt = std::string("%") + spec.flags;
    if (left && !std::strchr(spec.flags, '-')) numfmt.push_back('-');
    if (width >= 0) numfmt += std::to_string(width);
    if (precision >= 0) numfmt += "." + std::to_string(precision);

    using Arg = QelFormatSpec::Arg;
    switch (spec.arg) {
      case Arg::kText: {
        const WCHAR* text = va_arg(args, const WCHAR*);
        if (!text) text = u"(null)";
        size_t n = 0;
        while ((precision < 0 || n < size_t(precision)) && text[n]) ++n;
        AppendText(out, text, n, width, left);
        break;
      }
      case Arg::kChar: {
        WCHAR c = static_cast<WCHAR>(va_arg(args, int));
        AppendText(out, &c, 1, width, left);
        break;
      }
      case Arg::kInt:
      case Arg::kInt64: {
        const bool wide = spec.arg == Arg::kInt64;
        if (spec.letter == u'd' || spec.letter == u'i') {
          long long v = wide ? va_arg(args, long long) : va_arg(args, int);
          if (spec.half) v = static_cast<short>(v);
          AppendNumber(out, numfmt + "lld", v);
        } else {
          unsigned long long v = wide ? va_arg(args, unsigned long long) : va_arg(args, unsigned int);
          if (spec.half) v = static_cast<unsigned short>(v);
          AppendNumber(out, numfmt + "ll" + char(spec.letter), v);
        }
        break;
      }
      case Arg::kDouble:
        AppendNumber(out, numfmt + char(spec.letter), va_arg(args, double));
        break;
      case Arg::kPointer: {
        char buf[32];
        int n = std::snprintf(buf, sizeof buf, "%p", va_arg(args, void*));
        std::u16string text(buf, buf + (n > 0 ? n : 0));
        AppendText(out, text.c_str(), text.size(), width, left);
        break;
      }
      case Arg::kNone:
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
