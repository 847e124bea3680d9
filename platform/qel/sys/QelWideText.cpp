#include "qel/QelWideText.h"

#include <glib.h>

#include <climits>

size_t qel_wcslen(const WCHAR* s) {
  if (!s) return 0;
  const WCHAR* p = s;
  while (*p) ++p;
  return static_cast<size_t>(p - s);
}

WCHAR* qel_wcscpy(WCHAR* dst, const WCHAR* src) {
  WCHAR* d = dst;
  while ((*d++ = *src++) != 0) {}
  return dst;
}

WCHAR* qel_wcscat(WCHAR* dst, const WCHAR* src) {
  qel_wcscpy(dst + qel_wcslen(dst), src);
  return dst;
}

WCHAR* qel_wcsncpy(WCHAR* dst, const WCHAR* src, size_t n) {
  size_t i = 0;
  for (; i < n && src[i]; ++i) dst[i] = src[i];
  for (; i < n; ++i) dst[i] = 0;
  return dst;
}

bool qel_wcslcpy(WCHAR* dst, const WCHAR* src, size_t size) {
  if (size == 0) return false;
  size_t i = 0;
  if (src) {
    for (; i + 1 < size && src[i]; ++i) dst[i] = src[i];
  }
  dst[i] = 0;
  return !src || src[i] == 0;
}

bool qel_wcslcat(WCHAR* dst, const WCHAR* src, size_t size) {
  size_t used = 0;
  while (used < size && dst[used]) ++used;
  if (used == size) return false;  // not even terminated: leave it alone
  return qel_wcslcpy(dst + used, src, size - used);
}

int qel_wcscmp(const WCHAR* a, const WCHAR* b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  while (*a && *a == *b) ++a, ++b;
  return static_cast<int>(*a) - static_cast<int>(*b);
}

WCHAR qel_towlower(WCHAR c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;  // half of a pair: leave as is
  gunichar l = g_unichar_tolower(c);
  return l <= 0xFFFF ? static_cast<WCHAR>(l) : c;
}

int qel_wcsnicmp(const WCHAR* a, const WCHAR* b, size_t n) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  for (size_t i = 0; i < n; ++i) {
    int ca = qel_towlower(a[i]);
    int cb = qel_towlower(b[i]);
    if (ca != cb || ca == 0) return ca - cb;
  }
  return 0;
}

int qel_wcscmpi(const WCHAR* a, const WCHAR* b) { return qel_wcsnicmp(a, b, SIZE_MAX); }

const WCHAR* qel_wcsstr(const WCHAR* s, const WCHAR* sub) {
  if (!s || !sub) return nullptr;
  if (!*sub) return s;
  for (; *s; ++s) {
    size_t i = 0;
    while (sub[i] && s[i] == sub[i]) ++i;
    if (!sub[i]) return s;
  }
  return nullptr;
}

int32_t qel_wtoi(const WCHAR* s) {
  if (!s) return 0;
  while (*s == u' ' || (*s >= u'\t' && *s <= u'\r')) ++s;
  bool negative = false;
  if (*s == u'+' || *s == u'-') negative = (*s++ == u'-');
  int64_t value = 0;
  for (; *s >= u'0' && *s <= u'9'; ++s) {
    value = value * 10 + (*s - u'0');
    if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

int _cstrcmpi(const WCHAR* a, const WCHAR* b) { return qel_wcscmpi(a, b); }

const WCHAR* _cstrchr(const WCHAR* s, WCHAR c) {
  if (!s) return nullptr;
  for (;; ++s) {
    if (*s == c) return s;
    if (!*s) return nullptr;
  }
}

const WCHAR* _cstrstr(const WCHAR* s, const WCHAR* sub) { return qel_wcsstr(s, sub); }

// ---- UTF-16 <-> UTF-8 ----

namespace {

// Next code point of UTF-16 text; unpaired surrogates give U+FFFD.
char32_t NextUTF16(const WCHAR* s, size_t n, size_t& i) {
  char32_t c = s[i++];
  if (c >= 0xD800 && c <= 0xDBFF) {
    if (i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
      return 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
    }
    return 0xFFFD;
  }
  if (c >= 0xDC00 && c <= 0xDFFF) return 0xFFFD;
  return c;
}

int EncodeUTF8(char32_t c, char* out) {
  if (c < 0x80) { out[0] = char(c); return 1; }
  if (c < 0x800) { out[0] = char(0xC0 | (c >> 6)); out[1] = char(0x80 | (c & 0x3F)); return 2; }
  if (c < 0x10000) {
    out[0] = char(0xE0 | (c >> 12)); out[1] = char(0x80 | ((c >> 6) & 0x3F));
    out[2] = char(0x80 | (c & 0x3F)); return 3;
  }
  out[0] = char(0xF0 | (c >> 18)); out[1] = char(0x80 | ((c >> 12) & 0x3F));
  out[2] = char(0x80 | ((c >> 6) & 0x3F)); out[3] = char(0x80 | (c & 0x3F)); return 4;
}

// Next code point of UTF-8 text; a malformed sequence gives U+FFFD and
// consumes one byte.
char32_t NextUTF8(const unsigned char* s, size_t n, size_t& i) {
  unsigned char b = s[i];
  int more = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
  if (more == 0) { ++i; return b; }
  if (more < 0 || i + more >= n) { ++i; return 0xFFFD; }
  char32_t c = b & (0x3F >> more);
  for (int k = 1; k <= more; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) { ++i; return 0xFFFD; }
    c = (c << 6) | (s[i + k] & 0x3F);
  }
  static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) { ++i; return 0xFFFD; }
  i += more + 1;
  return c;
}

int EncodeUTF16(char32_t c, WCHAR* out) {
  if (c < 0x10000) { out[0] = WCHAR(c); return 1; }
  c -= 0x10000;
  out[0] = WCHAR(0xD800 + (c >> 10)); out[1] = WCHAR(0xDC00 + (c & 0x3FF));
  return 2;
}

}  // namespace

int QelUTF16ToUTF8(const WCHAR* src, int length, char* dst, size_t size) {
  size_t n = length < 0 ? qel_wcslen(src) : size_t(length);
  if (size == 0) return n == 0 ? 0 : -1;
  size_t used = 0;
  size_t i = 0;
  while (i < n) {
    char tmp[4];
    int k = EncodeUTF8(NextUTF16(src, n, i), tmp);
    if (used + k + 1 > size) { dst[used] = 0; return -1; }
    for (int j = 0; j < k; ++j) dst[used++] = tmp[j];
  }
  dst[used] = 0;
  return int(used);
}

int QelUTF8ToUTF16(const char* src, int length, WCHAR* dst, size_t size) {
  size_t n = length < 0 ? (src ? std::char_traits<char>::length(src) : 0) : size_t(length);
  if (size == 0) return n == 0 ? 0 : -1;
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  size_t used = 0;
  size_t i = 0;
  while (i < n) {
    WCHAR tmp[2];
    int k = EncodeUTF16(NextUTF8(s, n, i), tmp);
    if (used + k + 1 > size) { dst[used] = 0; return -1; }
    for (int j = 0; j < k; ++j) dst[used++] = tmp[j];
  }
  dst[used] = 0;
  return int(used);
}

std::string QelToUTF8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char tmp[4];
    int k = EncodeUTF8(NextUTF16(text.data(), text.size(), i), tmp);
    out.append(tmp, k);
  }
  return out;
}

std::u16string QelFromUTF8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
  while (i < text.size()) {
    WCHAR tmp[2];
    int k = EncodeUTF16(NextUTF8(s, text.size(), i), tmp);
    out.append(tmp, k);
  }
  return out;
}
