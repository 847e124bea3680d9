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
#include "PhotoWriter.h"
#include "qel/QelWideText.h"

namespace {
constexpr const WCHAR* kSection = u"Section_Capture";
}  // namespace

std::u16string CBasePanel::UniqueCaptureName(std::u16string& base, uint32_t stringId, const char16_t* fallback,
                                             uint32_t& counter, const std::u16string& type, const char16_t* key) {
  if (!ORVGF::CreatePathChecked(m_strCaptureFolder)) return {};
  if (base.empty()) {
    base = ORVGF::vLoadResString(stringId);
    // A translation must not lead names out of the folder either.
    if (base.empty() || !ORVGF::IsSafePrefix(base, 64)) base = fallback;
  }
  const std::filesystem::path folder(QelToUTF8(m_strCaptureFolder));
  for (uint64_t tries = 0; tries <= UINT32_MAX; ++tries) {
    const uint32_t number = counter++;
    const std::u16string name =
        m_bPrefix && !m_strPrefix.empty()
            ? qel_format(u"%s_%s%u.%s", m_strPrefix.c_str(), base.c_str(), number, type.c_str())
            : qel_format(u"%s%u.%s", base.c_str(), number, type.c_str());
    const std::filesystem::path path = folder / QelToUTF8(name);
    // Whatever the texts hold, the file lands in the capture folder.
    if (path.parent_path() != folder) return {};
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
      SaveProfileInt(kSection, key, int32_t(counter));
      return QelFromUTF8(path.string());
    }
  }
  return {};
}

std::u16string CBasePanel::GetImageFileName() {
  return UniqueCaptureName(m_strPhotoBase, 50, u"Photo", m_nPhotoCounter, m_strImageType, u"ImageFileNum");
}

std::u16string CBasePanel::GetVideoFileName() {
  return UniqueCaptureName(m_strMovieBase, 51, u"Movie", m_nMovieCounter, m_strVideoType, u"VideoFileNum");
}

void CBasePanel::TakePhoto() {
  CCapture* capture = CCapture::GetInstance();
  PubImage::QelPicture* picture = nullptr;
  if (!capture || !capture->CapturePicture(&picture) || !picture) return;
  PhotoRequest request;
  request.resolution = m_imageResolution;
  request.timeStamp = m_bTimeStamp != 0;
  request.type = PhotoFileType(m_strImageType);
  request.quality = m_nPhotoQuality;
  if (request.type == 0) {
    picture->Release();
    return;
  }
  request.path = GetImageFileName();
  const int saved = !request.path.empty() && WritePhoto(picture, request);
  picture->Release();
  if (!saved) {
    // The writer leaves nothing behind; a file of this name is not ours.
    OrvTrace("capture save failed");
    std::u16string format = ORVGF::vLoadResFormat(
        43, "s", u"The photo could not be saved in %s. Check that the disk has room and that the folder can be written.");
    std::u16string text = qel_format(format.c_str(), m_strCaptureFolder.c_str());
    vMessageBox(ORVGF::vGetLastPopupWindow(), text.c_str(), u"", kWarnOK);
    return;
  }
  OrvTrace("capture photo " + QelToUTF8(request.path));
  // The album lists it; a photo that is written stays, whatever the album says.
  DoAlbumCall(0, 1, request.path);
}

void CBasePanel::OnPhotoButton(qel::Element*, int32_t, QELLPARAM) { TakePhoto(); }
