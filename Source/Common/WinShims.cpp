#include "WinShims.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "qel/QelWideText.h"

namespace {

// The upper halves of the two single-byte code pages (the lower halves are ASCII).
const char16_t kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};
const char16_t kWindowsLatin1[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152,
    0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0,
    0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD,
    0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA,
    0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4,
    0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const char16_t* SingleByteTable(uint32_t codePage) {
  return codePage == CP_WINDOWS_LATIN1 ? kWindowsLatin1 : kMacRoman;
}

std::u16string Decode(uint32_t codePage, const char* text, size_t bytes) {
  if (codePage == CP_UTF8) return QelFromUTF8(std::string_view(text, bytes));
  const char16_t* table = SingleByteTable(codePage);
  std::u16string out;
  out.reserve(bytes);
  for (size_t i = 0; i < bytes; ++i) {
    uint8_t b = uint8_t(text[i]);
    out.push_back(b < 0x80 ? char16_t(b) : table[b - 0x80]);
  }
  return out;
}

// False when a character has no form in the code page.
bool Encode(uint32_t codePage, const WCHAR* text, size_t units, std::string* out) {
  if (codePage == CP_UTF8) {
    *out = QelToUTF8(std::u16string_view(text, units));
    return true;
  }
  const char16_t* table = SingleByteTable(codePage);
  out->clear();
  for (size_t i = 0; i < units; ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      out->push_back(char(c));
      continue;
    }
    const char16_t* hit = std::find(table, table + 128, c);
    if (hit == table + 128) return false;
    out->push_back(char(0x80 + (hit - table)));
  }
  return true;
}

// The bytes of `text` to convert: `length` of them, never past a terminator.
size_t ByteCount(const char* text, int32_t length) {
  if (length < 0) return std::strlen(text);
  const void* nul = std::memchr(text, 0, size_t(length));
  return nul ? size_t(static_cast<const char*>(nul) - text) : size_t(length);
}

size_t UnitCount(const WCHAR* text, int32_t length) {
  if (length < 0) return qel_wcslen(text);
  size_t n = 0;
  while (n < size_t(length) && text[n]) ++n;
  return n;
}

}  // namespace

void BlockZero(void* block, int32_t count) {
  if (block && count > 0) std::memset(block, 0, size_t(count));
}

int lstrlenW(const WCHAR* text) { return text ? int(qel_wcslen(text)) : 0; }

const WCHAR* CharNextW(const WCHAR* text) { return text + 1; }
WCHAR* CharNextW(WCHAR* text) { return text + 1; }

int32_t InterlockedIncrement(int32_t* value) { return __atomic_add_fetch(value, 1, __ATOMIC_ACQ_REL); }
int32_t InterlockedDecrement(int32_t* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_ACQ_REL); }

int32_t MultiByteToWideChar(uint32_t codePage, uint32_t, const char* text, int32_t length, WCHAR* out,
                            int32_t outSize) {
  if (!text || outSize < 0) return 0;
  size_t bytes = ByteCount(text, length);
  if (bytes >= size_t(INT32_MAX)) return 0;
  // Every byte gives at most one unit.
  if (outSize == 0) return int32_t(bytes + 1);
  if (!out) return 0;
  std::u16string wide = Decode(codePage, text, bytes);
  std::fill(out, out + outSize, u'\0');
  if (wide.size() + 1 > size_t(outSize)) return 0;
  std::copy(wide.begin(), wide.end(), out);
  return int32_t(wide.size() + 1);
}

int32_t WideCharToMultiByte(uint32_t codePage, uint32_t, const WCHAR* text, int32_t length, char* out,
                            int32_t outSize, const char*, int32_t*) {
  if (!text || outSize < 0) return 0;
  size_t units = UnitCount(text, length);
  if (units >= size_t(INT32_MAX / 3 - 1)) return 0;
  if (outSize == 0) return int32_t(units * 3 + 3);
  if (!out) return 0;
  std::memset(out, 0, size_t(outSize));
  std::string narrow;
  if (!Encode(codePage, text, units, &narrow) || narrow.size() + 1 > size_t(outSize)) return 0;
  std::memcpy(out, narrow.data(), narrow.size());
  return int32_t(narrow.size() + 1);
}

int TrimStringSpace(WCHAR* text) {
  if (!text || !*text) return 0;
  size_t n = qel_wcslen(text);
  size_t start = 0;
  while (start < n && text[start] == u' ') ++start;
  size_t end = n;
  while (end > start && text[end - 1] == u' ') --end;
  size_t kept = end - start;
  if (start > 0) std::memmove(text, text + start, kept * sizeof(WCHAR));
  text[kept] = 0;
  return int(kept);
}
