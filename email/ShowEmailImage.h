#pragma once
// The confirm dialog's preview: one picture per file (a photo, or a movie's
// first frame) fitted to the preview element, stepped through one at a time.
// Files no picture can be made of are left out of the preview (they are
// still sent).
#include <cstdint>
#include <vector>

#include "MailFiles.h"
#include "qel/QelImageControl.h"

class CShowEmailImage {
 public:
  explicit CShowEmailImage(qel::ImageControl* panel);
  ~CShowEmailImage();
  CShowEmailImage(const CShowEmailImage&) = delete;
  CShowEmailImage& operator=(const CShowEmailImage&) = delete;

  // Builds the pictures and shows the first; 0 for an empty list.
  int32_t Initialize(const EmailFileList* files);
  void Uninitialize();
  void SetImgcPict();
  void StepForward();
  void StepBackward();
  bool CanForward() const { return m_nIndex + 1 < Count(); }
  bool CanBackword() const { return m_nIndex > 0; }
  // (position from 1, count), or (0, 0) without pictures.
  void GetCurrentPicID(int32_t* position, int32_t* count) const;

 private:
  int32_t Count() const { return int32_t(m_pictures.size()); }
  qel::Picture* MakePicture(const _EMAILFILEINFO& file, SIZE size) const;

  qel::ImageControl* m_pPanel;
  std::vector<qel::Picture*> m_pictures;
  int32_t m_nIndex = -1;
};
