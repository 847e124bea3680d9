#pragma once
// The photo side of the edit page. So far it shows the album's photo fitted
// in the image control "imgc" of the photo view, lets the tool bar's
// brightness and contrast sliders change it, and saves it over its file or
// goes back to the file. The edit panel drives it through the calls below;
// the full editor (zoom, turns, crop, resize, undo) fills in the same calls.
#include <cstdint>
#include <string>

#include "PubImage.h"
#include "PubQelmar.h"

class CPhotoEdit {
 public:
  CPhotoEdit();
  ~CPhotoEdit();
  CPhotoEdit(const CPhotoEdit&) = delete;
  CPhotoEdit& operator=(const CPhotoEdit&) = delete;

  // Keeps the photo view, the tool bar, the button bar and the window; 1.
  int32_t Init(PubQelmar::QelPanel* photoView, PubQelmar::QelPanel* toolBar, PubQelmar::QelPanel* buttonBar,
               WindowRef window);
  // Shows the photo; 0 when the file does not exist or cannot be read.
  int32_t PreviewImageFile(const WCHAR* path);
  // The sliders "hscrl_1" and "hscrl_2" moved; -1 without a photo.
  int32_t OnBrightnessProc(QELLPARAM data);
  int32_t OnContrastProc(QELLPARAM data);
  // The button bar: back to the file, save under another name, save.
  int32_t OnResetProc(QELLPARAM data);
  int32_t OnSaveasProc(QELLPARAM data);
  // Writes the edited photo over its file; the modified flag stays set when
  // that fails. Always 0.
  int32_t OnDoneProc(QELLPARAM data);
  int32_t OnMainLayoutChange(QelObject element, int32_t event, QELLPARAM data);
  void CanCelCrop() { m_bCrop = 0; }
  int32_t IsCrop() const { return m_bCrop; }
  // 1 while there are edits that are not in the file.
  int32_t GetReset() const { return m_bModified; }
  void SetReset();
  const std::u16string& CurrentFile() const { return m_strFile; }

 private:
  int32_t ApplyAdjustments();
  int32_t SliderPos(const char* name) const;
  void SetSliderPos(const char* name, int32_t pos);
  void ReleasePicture();

  PubQelmar::QelPanel* m_pPhotoView = nullptr;
  PubQelmar::QelPanel* m_pToolBar = nullptr;
  PubQelmar::QelPanel* m_pButtonBar = nullptr;
  WindowRef m_hWindow = nullptr;
  PubImage::QelImgControl* m_pImgCtrl = nullptr;
  PubImage::QelPicture* m_pOrigin = nullptr;  // the file's picture, owned
  std::u16string m_strFile;
  int32_t m_nBrightness = 0;
  int32_t m_nContrast = 0;
  int32_t m_bModified = 0;
  int32_t m_bCrop = 0;
};
