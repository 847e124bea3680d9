// Asset lists as the photo viewer reads them: any bytes in the file named
// after "-AssetFilePath". Whatever is read, the list holds only entries it
// accepted and the picture to show first lies inside it.
#include <cstdint>
#include <string>

#include "App.h"
#include "CmdLineProcessor.h"
#include "FuzzSupport.h"
#include "qel/QelWideText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteFile("list.xml", data, size);
  const int kUntouched = -7;
  int index = kUntouched;
  int read = CCmdLineProcessor::ParseCmdLine(QelFromUTF8(path).c_str(), index);
  FileList* list = g_pApp->GetFilelist();
  if (!read && index != kUntouched) fuzz::Fail("a list that could not be read moved the first picture");
  if (index != kUntouched && (index < 0 || size_t(index) >= list->size()))
    fuzz::Fail("the first picture lies outside the list");
  for (const tag_FILE_INFO* info : *list) {
    if (!info || info->szFilePath.empty()) fuzz::Fail("an empty entry was listed");
  }
  g_pApp->ClearFileList();
  return 0;
}
