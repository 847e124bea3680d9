#include "HelpFunc.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "ORVPubTools.h"
#include "os/Bundle.h"
#include "os/Reveal.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace {
constexpr int32_t kEnglish = ('e' << 8) | 'n';
}

std::string HelpPagePath(const char* page) {
  auto bundle = plat::Bundle::Main();
  if (!bundle || !page) return {};
  int32_t language = Qel0GetSelValue(2, kEnglish);
  const std::string letters{char((language >> 8) & 0xff), char(language & 0xff)};
  std::filesystem::path help = std::filesystem::path(bundle->ResourcesPath()) / "Help";
  for (const std::string& folder : {letters, std::string("en")}) {
    std::filesystem::path file = help / folder / page;
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) return file.string();
  }
  return {};
}

int LaunchHelp() {
  std::string page = HelpPagePath();
  if (page.empty()) {
    std::fprintf(stderr, "Dunsellow: the bundle has no help pages\n");
    return -1;
  }
  return plat::OpenWithDefaultHandler(page);
}

int ShowHelp(WindowRef parent) {
  const int result = LaunchHelp();
  if (result != 0) {
    CORVPubTools::MessageBox(parent,
                             HelpPagePath().empty()
                                 ? u"The help cannot be shown: this copy of Dunsellow has no help pages."
                                 : u"The help cannot be shown: no program to show web pages is set up on this "
                                   u"computer.\n\nInstall a web browser, then try again.",
                             u"Dunsellow", 0x30);
  }
  return result;
}

const WCHAR* GetExeVersion(WCHAR* buffer) {
  static WCHAR version[kVersionUnits] = {};
  static bool read = false;
  if (!read) {
    read = true;
    if (auto bundle = plat::Bundle::Main()) {
      std::u16string text = QelFromUTF8(bundle->Version());
      if (text.size() < kVersionUnits) std::memcpy(version, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    }
  }
  if (!buffer) return version;
  std::memcpy(buffer, version, sizeof(version));
  return buffer;
}
