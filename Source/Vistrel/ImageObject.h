#pragma once
// One picture known to the thumbnail pool: its path, its 160 x 160
// thumbnail when one was built, and the size of the image in the file.
// Reference counted by hand; the pool holds the only reference.
#include <cstdint>

#include "CQelStringW.h"
#include "PictureReader.h"

enum ImgObjType { IOT_UNKNOW = 0, IOT_Thumbnail = 1, IOT_Edit = 2 };

enum eThumbFlag {
  TF_UNKNOW = 0,
  TF_Pending = 1,   // no thumbnail
  TF_160X160 = 2,   // a 160 x 160 thumbnail is held
  TF_160X160_Process_Info = 3,
  TF_READ_SET_FILE = 4,
  TF_Error = 5,     // the file could not be opened
};

class CImageObject {
 public:
  static CImageObject* CreateImageObject(ImgObjType type, const WCHAR* lpFilePath);

  int32_t Retain() { return ++m_nRef; }
  // Deletes the object when the count reaches 0.
  int32_t Release();

  // Builds the thumbnail: true when one was made (the flag is then
  // dwTaskParam); a file that cannot be opened gives TF_Error, an
  // unsupported one stays TF_Pending.
  bool ProcessTask(uint32_t dwTaskParam, ImgAbortProc fAbort, void* pExtra);
  // Drops the thumbnail; the flag goes back to TF_Pending.
  void DestroyTask();
  // Takes the other's thumbnail (one more reference), flag, path and size.
  CImageObject& operator=(const CImageObject& other);

  uint32_t GetThumbFlag() const { return m_dwThumbFlag; }
  PubImage::QelPicture* GetThumbPicture() const { return m_pPicture; }  // no reference passed
  SIZE GetObjSize() const { return m_sizImage; }
  const CQelStringW& GetFile() const { return m_File; }

 private:
  CImageObject() = default;
  ~CImageObject() { DestroyTask(); }

  uint32_t m_dwThumbFlag = TF_Pending;
  CQelStringW m_File;
  PubImage::QelPicture* m_pPicture = nullptr;
  int32_t m_nRef = 0;
  SIZE m_sizImage{0, 0};
};
