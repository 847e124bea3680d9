// Format texts, as a translated string table may hold them.
#include <cstdint>

#include "FuzzFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::CheckAndFormat(fuzz::Utf16(in.Rest()));
  return 0;
}
