// Bitmap row flip.
#include "ORVIconHelper.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

int CORVIconHelper::ReverseBitmap(unsigned char* rows, int32_t rowBytes, int32_t rowCount) {
  if (!rows || rowBytes < 0 || rowCount < 0) {
    std::fprintf(stderr, "ReverseBitmap: no bitmap to flip\n");
    return 0;
  }
  if (rowBytes == 0 || rowCount < 2) return 1;
  std::unique_ptr<unsigned char[]> scratch(new (std::nothrow) unsigned char[size_t(rowBytes)]);
  if (!scratch) return 0;
  const size_t stride = size_t(rowBytes);
  unsigned char* top = rows;
  unsigned char* bottom = rows + stride * size_t(rowCount - 1);
  while (top < bottom) {
    std::memcpy(scratch.get(), top, stride);
    std::memcpy(top, bottom, stride);
    std::memcpy(bottom, scratch.get(), stride);
    top += stride;
    bottom -= stride;
  }
  return 1;
}
