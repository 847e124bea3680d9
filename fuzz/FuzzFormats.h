#pragma once
// Texts used as formats: each is checked against the argument lists the
// program passes, and formatted with exactly those arguments whenever the
// check lets it through (as a text from a string table would be).
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "qel/QelFormatSpec.h"
#include "qel/QelWideText.h"

namespace fuzz {

inline void CheckAndFormat(const std::u16string& text) {
  const WCHAR* f = text.c_str();
  WCHAR small[16];
  auto run = [&](const char* expected, auto&&... args) {
    if (!qel_format_matches(f, expected)) return;
    std::u16string out = qel_format(f, args...);
    if (out.size() > text.size() * (kQelFormatMaxWidth + 32) + 64) Fail("a checked format grew past its bound");
    qel_swprintf(small, 16, f, args...);
    if (small[15] != 0 && qel_wcslen(small) > 15) Fail("a cut result is not terminated");
  };
  run("");
  run("s", u"text");
  run("d", 42);
  run("u", 4000000000u);
  run("x", 255);
  run("c", int(u'\u00e9'));
  run("f", 2.5);
  run("lld", (long long)1 << 40);
  run("sd", u"Disk", 3);
  run("ds", 3, u"files");
  run("ss", u"a", u"b");
  run("dd", -1, 2);
  run("sds", u"a", 1, u"b");
  run("dddddd", 2024, 1, 31, 23, 59, 58);
}

}  // namespace fuzz
