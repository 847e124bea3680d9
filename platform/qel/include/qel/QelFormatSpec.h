#pragma once
// One conversion of a UTF-16 format ("%-8.3ls"), read the one way both the
// formatter and the check of string-table texts read it, so a text that
// passes the check is formatted with exactly the arguments it was checked
// against.
#include <cstdint>

#include "qel/QelTypes.h"

// Widths and precisions are bounded to this many units; longer digit runs
// are read to their end but never accumulated past it.
inline constexpr int kQelFormatMaxWidth = 4096;

struct QelFormatSpec {
  // What the conversion takes from the arguments.
  enum class Arg : uint8_t {
    kNone,     // "%%", or a letter the formatter does not know (shown as written)
    kText,     // s S: const WCHAR*
    kChar,     // c C: a unit passed as int
    kInt,      // d i u x X o with no length, h, hh or l: 32 bits
    kInt64,    // the same with ll, z, j or t
    kDouble,   // f F e E g G (L is read and ignored)
    kPointer,  // p
  };
  char flags[6] = {};           // the flag characters as written, "-+ 0#" at most once each
  bool left = false;            // '-' given
  int width = -1;               // -1: none; otherwise 0..kQelFormatMaxWidth
  int precision = -1;           // -1: none
  bool widthFromArgs = false;   // '*': an int argument before the value
  bool precisionFromArgs = false;
  bool half = false;            // h or hh
  WCHAR letter = 0;             // the conversion letter; 0 when the format ends first
  Arg arg = Arg::kNone;
};

// Reads the conversion whose '%' is at `percent`. Answers the first unit
// after it (after the letter, or at the terminator when the format ends
// inside the conversion).
QEL_API const WCHAR* qel_parse_format_spec(const WCHAR* percent, QelFormatSpec* spec);
