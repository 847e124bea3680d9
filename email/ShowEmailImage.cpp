#include "ShowEmailImage.h"

#include <cassert>

#include "DibHelper.h"
#include "ORVWaitCursor.h"

CShowEmailImage::CShowEmailImage(qel::ImageControl* panel) : m_pPanel(panel) {
  assert(panel != nullptr && "NULL!=m_pPanel");
}

CShowEmailImage::~CShowEmailImage() { Uninitialize(); }

qel::Picture* CShowEmailImage::MakePicture(const _EMAILFILEINFO& file, SIZE size) const {
  unsigned char* dib = file.kind == kMailMovie ? DibGetFromVideoFile(file.path.c_str(), size.cx, size.cy)
                                               : DibGetFromImageFile(file.path.c_str(), size.cx, size.cy);
  if (!dib) return nullptr;
  PubImage::QelPicture* picture = Dib2Pict(dib);
  DIBDelete(dib);
  return picture ? qel::Picture::From(reinterpret_cast<QelObject>(picture)) : nullptr;
}

int32_t CShowEmailImage::Initialize(const EmailFileList* files) {
  if (!files || files->empty()) return 0;
  CORVWaitCursor busy;
  Uninitialize();
  SIZE size = m_pPanel->LaidOutSize();
  if (size.cx <= 0 || size.cy <= 0) size = m_pPanel->FrameSize();
  for (const _EMAILFILEINFO* file : *files) {
    if (qel::Picture* picture = file ? MakePicture(*file, size) : nullptr) m_pictures.push_back(picture);
  }
  m_nIndex = 0;
  SetImgcPict();
  return 1;
}

void CShowEmailImage::Uninitialize() {
  if (m_pPanel) m_pPanel->SetPict(nullptr);
  for (qel::Picture* picture : m_pictures) picture->Release();
  m_pictures.clear();
  m_nIndex = -1;
}

void CShowEmailImage::SetImgcPict() {
  if (m_nIndex < 0 || m_nIndex >= Count()) return;
  m_pPanel->SetFitMode(true);
  m_pPanel->SetPict(m_pictures[size_t(m_nIndex)]);
}

void CShowEmailImage::StepForward() {
  if (!CanForward()) return;
  ++m_nIndex;
  SetImgcPict();
}

void CShowEmailImage::StepBackward() {
  if (!CanBackword()) return;
  --m_nIndex;
  SetImgcPict();
}

void CShowEmailImage::GetCurrentPicID(int32_t* position, int32_t* count) const {
  const bool any = !m_pictures.empty() && m_nIndex >= 0;
  if (position) *position = any ? m_nIndex + 1 : 0;
  if (count) *count = any ? Count() : 0;
}
