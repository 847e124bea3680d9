// Module descriptors ("Module.xml") of the module bundles the main program
// finds in its Modules folder.
#include <sys/stat.h>

#include <cstdint>
#include <deque>
#include <string>

#include "FuzzSupport.h"
#include "ModuleMgr.h"
#include "qel/QelWideText.h"

namespace {

// The manager's own reading of one module folder.
class Reader : public CModuleMgr {
 public:
  Reader() : CModuleMgr(nullptr, nullptr, nullptr, nullptr) {}
  int32_t Read(const std::string& folder, std::deque<tagMODULEDLL_INFO*>* found) {
    return IsORVModule(folder, CQelStringW(u"$app\\Modules\\Fuzz\\"), found);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The descriptor names a library inside its folder; one that climbs out of
  // it could name any library of the system, which is no descriptor test.
  if (std::string_view(reinterpret_cast<const char*>(data), size).find("..") != std::string_view::npos) return 0;
  static const std::string folder = [] {
    std::string f = fuzz::PrivateFolder() + "/Modules/Fuzz";
    mkdir((fuzz::PrivateFolder() + "/Modules").c_str(), 0700);
    mkdir(f.c_str(), 0700);
    return f;
  }();
  fuzz::WriteFile("Modules/Fuzz/Module.xml", data, size);
  Reader reader;
  std::deque<tagMODULEDLL_INFO*> found;
  if (reader.Read(folder, &found) != 0 || !found.empty()) fuzz::Fail("a folder without a library gave a module");
  return 0;
}
