// Photos: the newest preview picture, stamped with the date when wanted,
// enlarged to the chosen photo size, saved whole or not at all under a
// unique name in the capture folder.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "BasePanel.h"
#include "CaptureSettingData.h"
#include "Capture.h"
#include "DibHelper.h"
#include "DlgWarning.h"
#include "ORVGF.h"
#include "ORVImageTools.h"
#include "ORVTrace.h"
#include "Profile.h"
#include "TimeStamp.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Section_Capture";

// 1 JPEG, 2 BMP, 0 anything else.
int FileType(const std::u16string& type) {
  if (qel_wcscmpi(type.c_str(), u"JPG") == 0 || qel_wcscmpi(type.c_str(), u".JPG") == 0) return 1;
  if (qel_wcscmpi(type.c_str(), u"BMP") == 0 || qel_wcscmpi(type.c_str(), u".BMP") == 0) return 2;
  return 0;
}

int32_t JpegQuality(int32_t setting) {
  switch (setting) {
    case 0: return 60;
    case 50: return 75;
    default: return 90;
  }
}

// The picture enlarged by one factor until it covers width x height, then
// cut to that size about its centre; never made smaller. The new picture,
// or the old one when nothing had to change (null on failure).
PubImage::QelPicture* CoverResolution(PubImage::QelPicture* picture, SIZE target) {
  SIZE size{0, 0};
  picture->GetSize(&size);
  if (target.cx <= 0 || target.cy <= 0 || (size.cx >= target.cx && size.cy >= target.cy)) return picture;
  const double factor = std::max(double(target.cx) / size.cx, double(target.cy) / size.cy);
  // The part of the picture that becomes the photo, in picture pixels.
  const int32_t cropW = std::min(size.cx, int32_t(std::lround(target.cx / factor)));
  const int32_t cropH = std::min(size.cy, int32_t(std::lround(target.cy / factor)));
  const int32_t left = (size.cx - cropW) / 2, top = (size.cy - cropH) / 2;
  PubImage::QelLayer* layer = nullptr;
  if (!ORVGF::PictHandleToLayer(picture, &layer)) return nullptr;
  PubImage::QelLayer* scaled =
      ORVGF::CropAndResample(layer, _QELRECT{left, top, left + cropW, top + cropH}, _QELDIV{target.cx, cropW},
                             _QELDIV{target.cy, cropH});
  layer->Release();
  if (!scaled) return nullptr;
  PubImage::QelPicture* out = Layer2Pic(scaled);
  scaled->Release();
  return out;
}

}  // namespace

std::u16string CBasePanel::GetImageFileName() {
  if (!ORVGF::CreatePathChecked(m_strCaptureFolder)) return {};
  if (m_strPhotoBase.empty()) {
    m_strPhotoBase = ORVGF::vLoadResString(50);
    // A translation must not lead names out of the folder either.
    if (m_strPhotoBase.empty() || !ORVGF::IsSafePrefix(m_strPhotoBase, 64)) m_strPhotoBase = u"Photo";
  }
  const std::filesystem::path folder(QelToUTF8(m_strCaptureFolder));
  for (uint64_t tries = 0; tries <= UINT32_MAX; ++tries) {
    const uint32_t number = m_nPhotoCounter++;
    const std::u16string name =
        m_bPrefix && !m_strPrefix.empty()
            ? qel_format(u"%s_%s%u.%s", m_strPrefix.c_str(), m_strPhotoBase.c_str(), number, m_strImageType.c_str())
            : qel_format(u"%s%u.%s", m_strPhotoBase.c_str(), number, m_strImageType.c_str());
    const std::filesystem::path path = folder / QelToUTF8(name);
    // Whatever the texts hold, the photo lands in the capture folder.
    if (path.parent_path() != folder) return {};
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
      SaveProfileInt(kSection, u"ImageFileNum", int32_t(m_nPhotoCounter));
      return QelFromUTF8(path.string());
    }
  }
  return {};
}

void CBasePanel::TakePhoto() {
  CCapture* capture = CCapture::GetInstance();
  PubImage::QelPicture* picture = nullptr;
  if (!capture || !capture->CapturePicture(&picture) || !picture) return;
  SIZE size{0, 0};
  picture->GetSize(&size);
  if (m_bTimeStamp) {
    CTimeStamp* stamp = CTimeStamp::GetPtr();
    if (!stamp) stamp = new CTimeStamp();
    stamp->AddTimeStamp(picture, CTimeStamp::WidthFraction(size.cx), 0.025, 0.025);
  }
  PubImage::QelPicture* photo = CoverResolution(picture, m_imageResolution);
  if (photo != picture) picture->Release();
  const int type = FileType(m_strImageType);
  if (!photo || type == 0) {
    if (photo) photo->Release();
    return;
  }
  const std::u16string path = GetImageFileName();
  int saved = 0;
  if (!path.empty()) {
    saved = ORVGF::SaveImageFile(photo, path.c_str(), type == 1 ? JpegQuality(m_nPhotoQuality) : 100, type);
  }
  photo->Release();
  if (!saved) {
    // The writer leaves nothing behind; a file of this name is not ours.
    OrvTrace("capture save failed");
    std::u16string format = ORVGF::vLoadResFormat(
        43, "s", u"The photo could not be saved in %s. Check that the disk has room and that the folder can be written.");
    std::u16string text = qel_format(format.c_str(), m_strCaptureFolder.c_str());
    vMessageBox(ORVGF::vGetLastPopupWindow(), text.c_str(), u"", kWarnOK);
    return;
  }
  OrvTrace("capture photo " + QelToUTF8(path));
  // The album lists it; a photo that is written stays, whatever the album says.
  DoAlbumCall(0, 1, path);
}

void CBasePanel::OnPhotoButton(qel::Element*, int32_t, QELLPARAM) { TakePhoto(); }
