#include "ImageObject.h"

#include "GlobalFun.h"

CImageObject* CImageObject::CreateImageObject(ImgObjType, const WCHAR* lpFilePath) {
  auto* object = new CImageObject;
  object->m_File = lpFilePath;
  object->m_nRef = 1;
  return object;
}

int32_t CImageObject::Release() {
  int32_t count = --m_nRef;
  if (count <= 0) delete this;
  return count;
}

void CImageObject::DestroyTask() {
  ReleasePicture(m_pPicture);
  m_dwThumbFlag = TF_Pending;
}

CImageObject& CImageObject::operator=(const CImageObject& other) {
  if (this == &other) return *this;
  DestroyTask();
  m_pPicture = other.m_pPicture;
  RetainPicture(m_pPicture);
  m_dwThumbFlag = other.m_dwThumbFlag;
  m_File = other.m_File;
  m_sizImage = other.m_sizImage;
  return *this;
}

bool CImageObject::ProcessTask(uint32_t dwTaskParam, ImgAbortProc fAbort, void* pExtra) {
  DestroyTask();
  if (!CGlobalFun::IsSupportedImageFile(m_File)) return false;
  SIZE box{160, 160};
  SIZE full{0, 0};
  m_pPicture = CGlobalFun::OpenImgFileThumb(m_File, box, fAbort, pExtra, 0, 0, &full);
  if (!m_pPicture) {
    m_dwThumbFlag = TF_Error;
    return false;
  }
  m_sizImage = full;
  m_dwThumbFlag = dwTaskParam;
  return true;
}
