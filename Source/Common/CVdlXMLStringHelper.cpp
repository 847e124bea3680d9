#include <cstring>
#include <new>

#include "VdlXmlWrapper.h"

CVdlXMLStringHelper::CVdlXMLStringHelper(const WCHAR* text) { Take(text); }

CVdlXMLStringHelper::CVdlXMLStringHelper(const unsigned char* utf8) { Take(utf8); }

CVdlXMLStringHelper::~CVdlXMLStringHelper() { release(); }

CVdlXMLStringHelper& CVdlXMLStringHelper::operator=(const WCHAR* text) {
  release();
  Take(text);
  return *this;
}

CVdlXMLStringHelper& CVdlXMLStringHelper::operator=(const unsigned char* utf8) {
  release();
  Take(utf8);
  return *this;
}

void CVdlXMLStringHelper::Take(const WCHAR* text) {
  if (!text) return;
  size_t length = qel_wcslen(text);
  if (length >= size_t(INT32_MAX / 4)) return;
  m_wide = new (std::nothrow) WCHAR[length + 1];
  if (!m_wide) return;
  std::memcpy(m_wide, text, (length + 1) * sizeof(WCHAR));
  m_count = int(length + 1);
}

void CVdlXMLStringHelper::Take(const unsigned char* utf8) {
  if (!utf8) return;
  size_t bytes = std::strlen(reinterpret_cast<const char*>(utf8));
  if (bytes >= size_t(INT32_MAX / 4)) return;
  // A UTF-8 text never needs more UTF-16 units than it has bytes.
  m_wide = new (std::nothrow) WCHAR[bytes + 1]();
  if (!m_wide) return;
  QelUTF8ToUTF16(reinterpret_cast<const char*>(utf8), int(bytes), m_wide, bytes + 1);
  m_count = int(bytes + 1);
}

void* CVdlXMLStringHelper::GetString(int kind) {
  if (kind == 0) return m_wide;
  if (kind != 1 && kind != 2) return nullptr;
  delete[] m_narrow;
  m_narrow = nullptr;
  if (!m_wide) return nullptr;
  // Three bytes per unit covers every character, surrogate pairs included.
  size_t size = size_t(m_count) * 3;
  m_narrow = new (std::nothrow) char[size]();
  if (!m_narrow) return nullptr;
  QelUTF16ToUTF8(m_wide, -1, m_narrow, size);
  return m_narrow;
}

const WCHAR* CVdlXMLStringHelper::GetString() const { return m_wide ? m_wide : u""; }

void CVdlXMLStringHelper::release() {
  delete[] m_wide;
  delete[] m_narrow;
  m_wide = nullptr;
  m_narrow = nullptr;
  m_count = 0;
}
