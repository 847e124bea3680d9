#pragma once
// The movie side of the edit page. So far it shows the movie's first frame
// in the preview area "cata_Preview" of the movie area with its length; the
// player, trimming, adjustments, snapshots and saving fill in the calls
// below. The edit panel drives it through them.
#include <cstdint>
#include <string>

#include "PubQelmar.h"

class CCaptureView;
namespace qel {
class Element;
}

class CVideoEdit {
 public:
  CVideoEdit();
  ~CVideoEdit();
  CVideoEdit(const CVideoEdit&) = delete;
  CVideoEdit& operator=(const CVideoEdit&) = delete;

  // Keeps the movie area, the tool bar, the button bar and the window; 1.
  int32_t Init(PubQelmar::QelPanel* movieArea, PubQelmar::QelPanel* toolBar, PubQelmar::QelPanel* buttonBar,
               WindowRef window);
  void SetView(CCaptureView* view) { m_pView = view; }
  // Opens the movie for the preview; 0 when it cannot be opened.
  int32_t InitPreview(const WCHAR* path);
  void UninitPreview();
  int32_t OnBrightnessProc(int32_t event, QELLPARAM data);
  int32_t OnContrastProc(int32_t event, QELLPARAM data);
  int32_t OnResetProc(QELLPARAM data);
  int32_t OnSaveasProc(QELLPARAM data);
  int32_t OnDoneProc(QELLPARAM data);
  // Whether the last save wrote the movie.
  int32_t LastSaveSucceeded() const { return m_bLastSaveOK; }
  void RefreshVideo();
  // 1 while adjustments or trims differ from the file.
  int32_t GetReset() const { return m_bModified; }
  void SetReset() { m_bModified = 0; }
  int32_t IsSaving() const { return m_bSaving; }
  int32_t IsSnapshot() const { return m_bSnapshot; }
  const std::u16string& MoviePath() const { return m_strPath; }

 private:
  qel::Element* Find(const char* name) const;

  PubQelmar::QelPanel* m_pMovieArea = nullptr;
  PubQelmar::QelPanel* m_pToolBar = nullptr;
  PubQelmar::QelPanel* m_pButtonBar = nullptr;
  WindowRef m_hWindow = nullptr;
  CCaptureView* m_pView = nullptr;
  std::u16string m_strPath;
  int32_t m_bModified = 0;
  int32_t m_bSaving = 0;
  int32_t m_bSnapshot = 0;
  int32_t m_bLastSaveOK = 0;
};
