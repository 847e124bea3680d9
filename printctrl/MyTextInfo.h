#pragma once
// The content of a text resource: the text and its font. Plain value types,
// compared exactly (letter case counts) to tell whether a text changed.
#include <cstdint>

#include "CQelStringW.h"

class CMyFontInfo {
 public:
  CQelStringW faceName;
  int32_t size = 12;
  // Style and colour values in the order the toolkit's text-info record
  // supplies them (see ZylText2MyTextInfo).
  int32_t attr[8] = {};

  bool operator==(const CMyFontInfo& o) const;
  bool operator!=(const CMyFontInfo& o) const { return !(*this == o); }
};

class CMyTextInfo {
 public:
  CQelStringW text;
  CMyFontInfo font;

  bool operator==(const CMyTextInfo& o) const { return text == o.text && font == o.font; }
  bool operator!=(const CMyTextInfo& o) const { return !(*this == o); }
};
