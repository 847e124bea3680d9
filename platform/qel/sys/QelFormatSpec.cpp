// The one reader of conversions, shared by the formatter and by the check
// of texts that come from string tables.
#include "qel/QelFormatSpec.h"

#include <cstring>
#include <string>

#include "qel/QelWideText.h"

namespace {

// Digits up to the first non-digit, saturating at the bound so a run of any
// length can neither overflow nor ask for billions of units.
int ReadBoundedNumber(const WCHAR*& p) {
  int value = 0;
  while (*p >= u'0' && *p <= u'9') {
    if (value <= kQelFormatMaxWidth) value = value * 10 + (*p - u'0');
    ++p;
  }
  return value > kQelFormatMaxWidth ? kQelFormatMaxWidth : value;
}

QelFormatSpec::Arg ArgOf(WCHAR letter, bool wide) {
  using Arg = QelFormatSpec::Arg;
  switch (letter) {
    case u's': case u'S': return Arg::kText;
    case u'c': case u'C': return Arg::kChar;
    case u'd': case u'i': case u'u': case u'x': case u'X': case u'o':
      return wide ? Arg::kInt64 : Arg::kInt;
    case u'f': case u'F': case u'e': case u'E': case u'g': case u'G': return Arg::kDouble;
    case u'p': return Arg::kPointer;
    default: return Arg::kNone;
  }
}

// Letters that read the same argument count as one ('i' is 'd', 'S' is 's').
char Canonical(WCHAR letter) {
  switch (letter) {
    case u'i': return 'd';
    case u'S': return 's';
    case u'C': return 'c';
    default: return letter < 0x80 ? char(letter) : '?';
  }
}

}  // namespace

const WCHAR* qel_parse_format_spec(const WCHAR* p, QelFormatSpec* spec) {
  *spec = QelFormatSpec();
  if (!p || *p != u'%') return p;
  ++p;
  if (*p == u'%') {
    spec->letter = u'%';
    return p + 1;
  }
  size_t nflags = 0;
  while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'0' || *p == u'#') {
    if (*p == u'-') spec->left = true;
    if (!std::strchr(spec->flags, char(*p)) && nflags + 1 < sizeof spec->flags)
      spec->flags[nflags++] = char(*p);
    ++p;
  }
  if (*p == u'*') {
    spec->widthFromArgs = true;
    ++p;
  } else if (*p >= u'0' && *p <= u'9') {
    spec->width = ReadBoundedNumber(p);
  }
  if (*p == u'.') {
    ++p;
    if (*p == u'*') {
      spec->precisionFromArgs = true;
      ++p;
    } else {
      spec->precision = ReadBoundedNumber(p);
    }
  }
  // Lengths: h and hh narrow; l is the toolkit's 32-bit long; ll, z, j, t
  // are 64-bit; L is accepted for floating point. Anything else (a third l,
  // a flag after the width) ends the conversion as an unknown letter.
  bool wide = false;
  if (*p == u'h') {
    spec->half = true;
    ++p;
    if (*p == u'h') ++p;
  } else if (*p == u'l') {
    ++p;
    if (*p == u'l') {
      wide = true;
      ++p;
    }
  } else if (*p == u'z' || *p == u'j' || *p == u't') {
    wide = true;
    ++p;
  } else if (*p == u'L') {
    ++p;
  }
  if (!*p) return p;  // the format ends inside the conversion: letter 0
  spec->letter = *p;
  spec->arg = ArgOf(*p, wide);
  return p + 1;
}

bool qel_format_matches(const WCHAR* format, const char* expected) {
  if (!format || !expected) return false;
  // The expected conversions, written as in a format without the '%':
  // "sd", "lldu" (a 64-bit d, then u).
  std::string want;
  for (const char* e = expected; *e;) {
    bool wide = false;
    if (e[0] == 'l' && e[1] == 'l') {
      wide = true;
      e += 2;
    } else if (*e == 'z' || *e == 'j' || *e == 't') {
      wide = true;
      ++e;
    } else if (*e == 'l' || *e == 'h') {
      ++e;
      if (*e == 'h') ++e;
    }
    if (!*e) return false;
    const WCHAR letter = WCHAR(uint8_t(*e++));
    want.push_back(Canonical(letter));
    want.push_back(char('0' + int(ArgOf(letter, wide))));
  }
  std::string found;
  for (const WCHAR* p = format; *p;) {
    if (*p != u'%') {
      ++p;
      continue;
    }
    QelFormatSpec spec;
    p = qel_parse_format_spec(p, &spec);
    if (spec.letter == u'%') continue;
    // A table text may not take widths from the arguments (they are not
    // there), nor hold a conversion the formatter would show as text.
    if (spec.letter == 0 || spec.arg == QelFormatSpec::Arg::kNone || spec.widthFromArgs ||
        spec.precisionFromArgs) {
      return false;
    }
    found.push_back(Canonical(spec.letter));
    found.push_back(char('0' + int(spec.arg)));
  }
  return found == want;
}
