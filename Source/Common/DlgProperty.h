#pragma once
// The image and video property dialogs: they show ready-made texts about one
// album file (the album formats them). Each dialog keeps its own copy.
#include <string>

#include "CDlgBase.h"

struct tagIMAGE_PROPERTY {
  std::u16string fileName;
  std::u16string filePath;
  std::u16string fileSize;
  std::u16string fileTime;
  std::u16string fileFormat;  // the albums put the picture's resolution here
};

struct tagVIDEO_PROPERTY {
  std::u16string fileName;
  std::u16string filePath;
  std::u16string fileSize;
  std::u16string fileTime;
  std::u16string mediaDuration;
  std::u16string audioFormat;
  std::u16string videoFormat;
};

// Created with "ImageProperty.aui" through CDlgBase::Create.
class CDlgImageProperty : public CDlgBase {
 public:
  CDlgImageProperty(const tagIMAGE_PROPERTY& property, WindowRef parent);
  int32_t DidCreate() override;
  void InitAfterDlgShow() override;
  const tagIMAGE_PROPERTY& Property() const { return m_property; }

 private:
  void Fill();
  tagIMAGE_PROPERTY m_property;
};

// Created with "VideoProperty.aui" through CDlgBase::Create.
class CDlgVideoProperty : public CDlgBase {
 public:
  CDlgVideoProperty(const tagVIDEO_PROPERTY& property, WindowRef parent);
  int32_t DidCreate() override;
  void InitAfterDlgShow() override;
  const tagVIDEO_PROPERTY& Property() const { return m_property; }

 private:
  void Fill();
  tagVIDEO_PROPERTY m_property;
};
