// String tables from module bundles, and their texts used as formats.
#include <cstdint>

#include "FuzzFormats.h"
#include "qel/QelLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteFile("strings.aui", data, size);
  auto* table = new qel::StringTable();
  if (table->Load(path)) {
    for (const auto& [id, text] : table->Strings()) {
      if (table->Find(id) != &text) fuzz::Fail("a text is not found by its id");
      fuzz::CheckAndFormat(text);
    }
  }
  table->Release();
  return 0;
}
