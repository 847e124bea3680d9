// Property lists: preference files and bundles' Info.plist. Whatever parses
// is written again and must read back equal.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "os/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto value = plat::ParsePropertyList(std::string(reinterpret_cast<const char*>(data), size));
  if (!value) return 0;
  auto xml = plat::SerializePropertyList(*value);
  if (!xml) return 0;  // a value XML cannot carry is refused, never written half
  auto again = plat::ParsePropertyList(*xml);
  if (!again) fuzz::Fail("a written property list does not parse");
  if (!(*again == *value)) fuzz::Fail("a written property list reads back otherwise");
  return 0;
}
