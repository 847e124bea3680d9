#include "qel/QelStringData.h"

namespace {
// Count -1: the data reads as locked, so nobody ever counts it.
struct EmptyData {
  CQelStringData header{-1, 0, 0};
  WCHAR terminator[2] = {0, 0};
} gEmpty;
}  // namespace

extern "C" CQelStringData* QelEmptyStringData() { return &gEmpty.header; }
