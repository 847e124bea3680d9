#include "ShowInFolder.h"

#include "ORVPubTools.h"
#include "os/Reveal.h"
#include "qel/QelWideText.h"

namespace ORVGF {

int ShowInFolder(WindowRef parent, const std::u16string& path) {
  if (plat::RevealInFileManager(QelToUTF8(path)) == 0) return 1;
  const std::u16string text = u"The folder of this file cannot be shown: no file manager answered.\n\n" + path;
  CORVPubTools::MessageBox(parent, text.c_str(), u"", 0x30);
  return 0;
}

}  // namespace ORVGF
