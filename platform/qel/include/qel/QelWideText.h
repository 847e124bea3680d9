#pragma once
// Wide text on 2-byte UTF-16 units (char16_t). The C library's wchar_t
// functions work on 4-byte units on Linux, so none of them may touch this text.
#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

#include "qel/QelTypes.h"

// Length in units, 0 for null.
QEL_API size_t qel_wcslen(const WCHAR* s);
// Unbounded copy / append, as their C namesakes; prefer the bounded forms.
QEL_API WCHAR* qel_wcscpy(WCHAR* dst, const WCHAR* src);
QEL_API WCHAR* qel_wcscat(WCHAR* dst, const WCHAR* src);
// Copies at most n units and pads with 0 up to n, as wcsncpy: the result is
// not terminated when src has n units or more.
QEL_API WCHAR* qel_wcsncpy(WCHAR* dst, const WCHAR* src, size_t n);
// Bounded copy / append into a buffer of `size` units, always terminated.
// Returns false when the text had to be cut.
QEL_API bool qel_wcslcpy(WCHAR* dst, const WCHAR* src, size_t size);
QEL_API bool qel_wcslcat(WCHAR* dst, const WCHAR* src, size_t size);
QEL_API int qel_wcscmp(const WCHAR* a, const WCHAR* b);
// Case-insensitive comparisons (simple case folding); <0, 0, >0. Null sorts
// before any text.
QEL_API int qel_wcscmpi(const WCHAR* a, const WCHAR* b);
QEL_API int qel_wcsnicmp(const WCHAR* a, const WCHAR* b, size_t n);
// First occurrence of sub in s; s itself for an empty sub; null when absent.
QEL_API const WCHAR* qel_wcsstr(const WCHAR* s, const WCHAR* sub);
// Leading blanks, an optional sign, then decimal digits; 0 when there are
// none. Values beyond 32 bits saturate.
QEL_API int32_t qel_wtoi(const WCHAR* s);
// One unit in simple lower case.
QEL_API WCHAR qel_towlower(WCHAR c);

// Formats into a buffer of `count` units, always terminated (nothing is
// written when count is 0). Returns the units written without the
// terminator, or -1 when the result was cut to fit.
// Conversions: %s and %S take const WCHAR* (null prints "(null)"), %c and %C
// a WCHAR (passed as int), %d %i %u %x %X %o (h, l = 32-bit, ll, z), %f %e %g,
// %p, %%; flags - + space 0 #, width and precision (also *), both bounded to
// kQelFormatMaxWidth. Conversions are read as qel_parse_format_spec reads them.
QEL_API int qel_swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...);
QEL_API int qel_vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
// The same formatter appending to a growing string (no length limit).
QEL_API void qel_vformat(std::u16string& out, const WCHAR* format, va_list args);
QEL_API std::u16string qel_format(const WCHAR* format, ...);

// True when the conversions of format are exactly `expected`, in order,
// written as in a format without the '%' ("sd" for "%s=%d", "llds" for
// "%lld %s"; flags and widths are free, "%%" is no conversion, 'i' is 'd',
// 'S' is 's'). A '*' width or precision, an unknown letter or a trailing '%'
// never match: texts from string tables are checked with it before they are
// used as formats, so a bad translation cannot read the wrong arguments.
QEL_API bool qel_format_matches(const WCHAR* format, const char* expected);

// The toolkit's comparison helpers.
QEL_API int _cstrcmpi(const WCHAR* a, const WCHAR* b);
QEL_API const WCHAR* _cstrchr(const WCHAR* s, WCHAR c);
QEL_API const WCHAR* _cstrstr(const WCHAR* s, const WCHAR* sub);
inline WCHAR* _cstrchr(WCHAR* s, WCHAR c) {
  return const_cast<WCHAR*>(_cstrchr(static_cast<const WCHAR*>(s), c));
}
inline WCHAR* _cstrstr(WCHAR* s, const WCHAR* sub) {
  return const_cast<WCHAR*>(_cstrstr(static_cast<const WCHAR*>(s), sub));
}

// UTF-16 <-> UTF-8. Unpaired surrogates and malformed UTF-8 become U+FFFD.
// The bounded forms write at most `size` bytes / units including the
// terminator, never split a character, always terminate (when size > 0) and
// return the length written, or -1 when the text did not fit (what fitted is
// kept). `length` < 0 means "up to the terminator".
QEL_API int QelUTF16ToUTF8(const WCHAR* src, int length, char* dst, size_t size);
QEL_API int QelUTF8ToUTF16(const char* src, int length, WCHAR* dst, size_t size);
QEL_API std::string QelToUTF8(std::u16string_view text);
QEL_API std::u16string QelFromUTF8(std::string_view text);
