#include "ThumbData.h"

#include <cstring>

#include "qel/QelWideText.h"

_THUMBDATA::_THUMBDATA(int32_t t, const WCHAR* p) : type(t), path(nullptr), fileTime(), dib(nullptr) {
  size_t n = p ? qel_wcslen(p) : 0;
  path = new WCHAR[n + 1];
  if (n) std::memcpy(path, p, n * sizeof(WCHAR));
  path[n] = 0;
}

_THUMBDATA::~_THUMBDATA() {
  delete[] dib;
  delete[] path;
  dib = nullptr;
  path = nullptr;
  type = 0;
}

void _THUMBDATA::SetDib(unsigned char* d) {
  if (d == dib) return;
  delete[] dib;
  dib = d;
}

unsigned char* _THUMBDATA::TakeDib() {
  unsigned char* d = dib;
  dib = nullptr;
  return d;
}

bool IsThumbDataValid(const _THUMBDATA* item) {
  return item && item->dib && item->path && item->path[0] != 0;
}
