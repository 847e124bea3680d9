// Asset lists as the media player reads them: any bytes in the file named
// after "-AssetFilePath", and any text around that option. Whatever is
// read, the playlist holds only full paths of movies and sound files, and
// the entry played first lies inside it.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "GlobalFun.h"
#include "MainFrame.h"
#include "qel/QelWideText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteFile("list.xml", data, size);
  static CMainFrame* frame = new CMainFrame;  // the window itself is never made
  const int kUntouched = -7;
  int start = kUntouched;
  const bool read = frame->ParseCmdLine(QelFromUTF8(path), start);
  const PlayList& list = frame->GetPlayList();
  if (!read && start != kUntouched) fuzz::Fail("a list that could not be read moved the first entry");
  if (start != kUntouched && (start < 0 || size_t(start) >= list.size()))
    fuzz::Fail("the first entry lies outside the playlist");
  for (const tag_FILE_INFO* info : list) {
    if (!info || info->szFilePath.empty() || info->szFilePath[0] != u'/' ||
        !CGlobalFun::IsSupportedFile(info->szFilePath.c_str()))
      fuzz::Fail("an entry that is no full path of a movie or sound file was listed");
  }
  // The same bytes as a command line's text around the option.
  int found = 0, from = 0;
  std::u16string text = QelFromUTF8(std::string(reinterpret_cast<const char*>(data), size));
  frame->ProcessCommandLine(text.c_str(), found, from);
  frame->ClearFileList();
  return 0;
}
