#include "MediaTexts.h"

#include <glib.h>

#include <cstdio>

#include "qel/QelWideText.h"

std::u16string vSizeToString(const SIZE& size) {
  const char* name = nullptr;
  switch (size.cx) {
    case 160: name = "SQVGA"; break;
    case 176: name = "QCIF"; break;
    case 320: name = "QVGA"; break;
    case 352: name = "CIF"; break;
    case 640: name = "VGA"; break;
    case 800: name = "SVGA"; break;
    case 960: name = "HD"; break;
    case 1024: name = "XGA"; break;
    case 1280: name = size.cy == 720 ? "HD 720P" : "1.3MP"; break;
    case 1600: name = "2MP"; break;
    case 1920: name = "HD 1080P"; break;
    case 2040:
    case 2048: name = "3MP"; break;
    case 2560: name = size.cy == 1440 ? "4MP" : "5MP"; break;
    case 3200: name = "8MP"; break;
    case 4080:
    case 4096: name = "12MP"; break;
    default: break;
  }
  char text[80];
  if (name) std::snprintf(text, sizeof text, "%d x %d (%s)", int(size.cx), int(size.cy), name);
  else std::snprintf(text, sizeof text, "%d x %d", int(size.cx), int(size.cy));
  return QelFromUTF8(text);
}

std::u16string vTimeToString(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[64];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
  return QelFromUTF8(text);
}

std::u16string vFileTimeToString(const plat::FileTime& time) {
  struct timespec ts = plat::FileTimeToUnix(time);
  GDateTime* utc = g_date_time_new_from_unix_utc(ts.tv_sec);
  if (!utc) return {};
  GDateTime* local = g_date_time_to_local(utc);
  gchar* text = local ? g_date_time_format(local, "%x %X") : nullptr;
  std::u16string out = text ? QelFromUTF8(text) : std::u16string();
  g_free(text);
  if (local) g_date_time_unref(local);
  g_date_time_unref(utc);
  return out;
}

std::u16string FormatThousands(uint64_t number) {
  std::string digits = std::to_string(number);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return QelFromUTF8(out);
}

std::u16string FormatKilobytes(int64_t bytes) {
  if (bytes <= 0) return u"0";
  return FormatThousands((uint64_t(bytes) + 1023) / 1024);
}
