#include "MyTextInfo.h"

#include <algorithm>
#include <iterator>

bool CMyFontInfo::operator==(const CMyFontInfo& o) const {
  return size == o.size && std::equal(std::begin(attr), std::end(attr), std::begin(o.attr)) &&
         faceName == o.faceName;
}
