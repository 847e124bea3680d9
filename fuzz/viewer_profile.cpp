// The viewer's settings profile files: any bytes as the file, read by
// section and key; then a value is set, the file written and read back by a
// fresh profile, which must give the value again and keep what it read.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "VdlXmlProfile.h"
#include "qel/QelWideText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const int64_t number = in.Range(-100000, 100000);
  std::string_view file = in.Rest();
  const std::u16string path =
      QelFromUTF8(fuzz::WriteFile("Nuvo_Vistrel.xml", reinterpret_cast<const uint8_t*>(file.data()), file.size()));

  Vardel::CVdlXmlProfile profile;
  profile.SetProfilePathFile(path.c_str());
  const int left = profile.GetValue(u"Screen", u"ScreenLeft", 12345);
  CQelStringW param = profile.GetValue(u"PARAM", u"ThumbnailNum", u"none");
  profile.GetValue(u"screen", u"ScreenLeft", 0);

  if (profile.SetValue(u"Fuzz", u"Number", int(number)) != 1) return 0;  // a path that cannot be written
  Vardel::CVdlXmlProfile again;
  again.SetProfilePathFile(path.c_str());
  if (again.GetValue(u"Fuzz", u"Number", -1 - int(number)) != int(number)) fuzz::Fail("a value set was not read back");
  if (again.GetValue(u"Screen", u"ScreenLeft", 12345) != left) fuzz::Fail("a value read was lost by writing");
  if (!(again.GetValue(u"PARAM", u"ThumbnailNum", u"none") == param.c_str())) fuzz::Fail("a text read was changed");
  return 0;
}
