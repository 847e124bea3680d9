// The photo viewer's command line as it arrives by socket or from its
// arguments: any text, in either form ("-AssetFilePath" with a list, or
// quoted paths, of which one names pictures that exist here). Whatever the
// text, a command that was not taken leaves the list as it was, and a taken
// one leaves the picture to show first inside the list.
#include <cstdint>
#include <string>

#include "App.h"
#include "CmdLineProcessor.h"
#include "FuzzSupport.h"
#include "qel/QelWideText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  // A folder of two pictures, so a single quoted path may list its folder.
  static const std::string folder = [] {
    std::string f = fuzz::PrivateFolder();
    fuzz::WriteFile("a.jpg", reinterpret_cast<const uint8_t*>("x"), 1);
    fuzz::WriteFile("b.png", reinterpret_cast<const uint8_t*>("x"), 1);
    return f;
  }();
  const bool seeded = in.Flag();
  const bool utf16 = in.Flag();
  std::string_view rest = in.Rest();
  std::u16string text = utf16 ? fuzz::Utf16(rest) : QelFromUTF8(std::string(rest));
  // The folder's name may stand for "@" so that short inputs reach real files.
  for (size_t at = text.find(u'@'); at != std::u16string::npos; at = text.find(u'@', at + 1)) {
    std::u16string f = QelFromUTF8(folder);
    text.replace(at, 1, f);
    at += f.size() - 1;
  }

  FileList* list = g_pApp->GetFilelist();
  if (seeded) list->push_back(CCmdLineProcessor::NewFileInfo(u"/seed/old.jpg"));
  const size_t before = list->size();
  int fromNuvo = 7, index = 9;
  CCmdLineProcessor::SetCommandLine(text.c_str());
  int taken = CCmdLineProcessor::ProcessCommandLine(fromNuvo, index, 1);
  CCmdLineProcessor::SetCommandLine(nullptr);
  if (!taken) {
    if (fromNuvo != 7 || index != 9) fuzz::Fail("a command that was not taken changed the outputs");
    if (list->size() != before) fuzz::Fail("a command that was not taken changed the list");
  } else {
    if (fromNuvo != 0 && fromNuvo != 1) fuzz::Fail("the form is neither of the two");
    if (!list->empty() && (index < 0 || size_t(index) >= list->size())) fuzz::Fail("first picture outside the list");
    if (list->empty() && index != 0) fuzz::Fail("an empty list with a first picture");
  }
  for (const tag_FILE_INFO* info : *list) {
    if (!info || info->szFilePath.empty()) fuzz::Fail("an empty entry was listed");
  }
  g_pApp->ClearFileList();
  return 0;
}
