// Picture files as the print layout control's image list opens them: the
// size from the header, a display picture decoded at a reduction and bounded
// to the display limits, its thumbnail, a turn into a cell's orientation and
// the full original.
#include <cstdint>

#include "FunctionImgCtrl.h"
#include "FuzzSupport.h"
#include "PictureHandles.h"
#include "PrintImageList.h"
#include "img/ImageFile.h"
#include "qel/QelElement.h"

namespace {

constexpr int64_t kFullDecodePixels = int64_t(4) << 20;  // beyond: the original is not opened

SIZE SizeOf(PubImage::QelPicture* p) {
  SIZE s{0, 0};
  if (p) p->GetSize(&s);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool shared = [] {
    CFunctionImgCtrl::AcquireShared();
    return true;
  }();
  (void)shared;
  const std::string path = fuzz::WriteFile("picture", data, size);
  const std::u16string wide = qel::ToU16(path);
  CPrintImageList list;
  list.SetDisMaxWH(64, 64);
  list.SetThumbMaxWH(16, 16);
  const int32_t i = list.AddFile(wide.c_str(), false, nullptr);
  if (i < 0) return 0;
  SIZE org{0, 0};
  list.GetOrgSize(i, &org);
  SIZE disp = SizeOf(list.GetDispPic(i));
  // Snapped to a power-of-two reduction, a display picture is at most twice the limits.
  if (disp.cx < 1 || disp.cy < 1 || disp.cx > 128 || disp.cy > 128) fuzz::Fail("display picture not bounded");
  SIZE thumb = SizeOf(list.GetThumbPic(i));
  if (thumb.cx > 16 || thumb.cy > 16) fuzz::Fail("thumbnail not bounded");
  if (list.DoAutoRotate(i, 10, 20) || list.DoAutoRotate(i, 20, 10)) {
    SIZE turned = SizeOf(list.GetDispPic(i));
    SIZE want = list.GetDispSize(i);
    if (turned.cx != want.cx || turned.cy != want.cy) fuzz::Fail("turned display picture and its size disagree");
  }
  if (int64_t(org.cx) * org.cy <= kFullDecodePixels) {
    SIZE full = SizeOf(list.GetOrgPic(i));
    if (full.cx > org.cx || full.cy > org.cy) fuzz::Fail("original larger than its header");
  }
  return 0;
}
