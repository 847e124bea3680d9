// The edit module's own reading of its Module.xml: the crop tool's pick
// distances from "CropDistance".
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

#include "EditSettingData.h"
#include "FuzzSupport.h"
#include "ModuleInstance.h"
#include "os/Bundle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The file lies beside the plug-in's bundle, as in Modules/Edit.
  static const bool bundle = [] {
    const std::string contents = fuzz::PrivateFolder() + "/ZylEdit.bundle/Contents";
    mkdir((fuzz::PrivateFolder() + "/ZylEdit.bundle").c_str(), 0700);
    mkdir(contents.c_str(), 0700);
    const std::string plist = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                              "<string>com.talvexa.ZylEdit</string></dict></plist>";
    fuzz::WriteFile("ZylEdit.bundle/Contents/Info.plist", reinterpret_cast<const uint8_t*>(plist.data()),
                    plist.size());
    std::optional<plat::Bundle> b = plat::Bundle::AtPath(fuzz::PrivateFolder() + "/ZylEdit.bundle");
    if (b) vStoreModuleInst(&*b);
    return b.has_value();
  }();
  if (!bundle) fuzz::Fail("no bundle to read beside");
  fuzz::WriteFile("Module.xml", data, size);
  ORVGF::CEditSettingData limits;
  ORVGF::GetSetData(&limits);
  // Whatever the file says, the distances stay pixels a crop frame can use.
  if (limits.MaxPointDistance > 4096 || limits.MaxLineDistance > 4096) fuzz::Fail("a pick distance past 4096");
  return 0;
}
