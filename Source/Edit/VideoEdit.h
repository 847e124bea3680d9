#pragma once
// The movie side of the edit page: a preview of the chosen movie that plays
// with sound, pauses and goes back to the trim start, its time, the trim bar,
// brightness and contrast, a snapshot of the shown frame, and saving over
// the file or under a new name. The edit panel drives it through the calls
// below and forwards the shared adjustment and save buttons to it.
#include <cstdint>
#include <memory>
#include <string>

#include "CropCtrl.h"
#include "MovieDescription.h"
#include "PubQelmar.h"
#include "QDRect.h"
#include "os/Power.h"

class CCaptureView;
class CConvertProgress;
class CPlay;
class CPlayView;
class CSource;
namespace qel {
class Element;
}

class CVideoEdit : public ICropCtrlCallback {
 public:
  enum PlayState : int32_t { kPlaying = 0, kPaused = 1, kStopped = 2 };
  static constexpr uint32_t kPlayTimerId = 1001;

  CVideoEdit();
  ~CVideoEdit() override;
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
  void RefreshVideo() {}
  // 1 while adjustments or trims differ from the file.
  int32_t GetReset() const { return m_bModified; }
  void SetReset() { m_bModified = 0; }
  int32_t IsSaving() const { return m_bSaving; }
  int32_t IsSnapshot() const { return m_bSnapshot; }
  const std::u16string& MoviePath() const { return m_strPath; }
  CSource* GetCurrentSource() const { return m_pSource; }
  CPlayView* GetPlayView() const { return m_pPlayView; }
  int32_t PlayStateNow() const { return m_nPlayState; }

  // 1 when saved; `target` null means the movie's own file.
  int32_t DoSave(const WCHAR* target);
  int32_t DoSaveAs();
  // The buttons of the movie area, as a click on them does.
  void OnPlayPause();
  void OnBack();
  void OnSnapshot();
  void OnSeek(int32_t percent);
  // The 0.25 s play timer's work: the time read-out, the play-head, the end.
  void UpdateCurrentTime();
  CCropCtrl& CropCtrl() { return m_CropCtrl; }

  void CropPositionChanged(int32_t time, int32_t final) override;
  void CropLeftChanged(int32_t time, int32_t final) override;
  void CropRightChanged(int32_t time, int32_t final) override;

  // The movie size reduced by the common factors 2, 3, 5 and 7.
  static void YueFen(int32_t& width, int32_t& height);

 private:
  void PauseForTrimDrag();
  qel::Element* Find(const char* name) const;
  qel::Element* FindTool(const char* name) const;
  qel::Element* FindButton(const char* name) const;
  void FitPreview();
  void UpdatePlayPauseCtrl();
  void UpdateResetButton();
  void UpdateVideoCrop(int32_t position);
  void ApplyEffect();
  void SetSlidersForMovie(bool movie);
  bool AskIfFileGone();
  void InstallCallbacks(bool on);
  static int32_t Element_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static void PlayTimer_Proc(void* owner, uint32_t id, void* data);

  PubQelmar::QelPanel* m_pMovieArea = nullptr;
  PubQelmar::QelPanel* m_pToolBar = nullptr;
  PubQelmar::QelPanel* m_pButtonBar = nullptr;
  WindowRef m_hWindow = nullptr;
  CCaptureView* m_pView = nullptr;
  std::u16string m_strPath;
  int32_t m_bSeeking = 0;
  int32_t m_nPlayState = kStopped;
  int32_t m_bModified = 0;
  int32_t m_bSaving = 0;
  int32_t m_bSnapshot = 0;
  int32_t m_bLastSaveOK = 0;
  int32_t m_bCanceled = 0;
  int32_t m_nWidth = 0, m_nHeight = 0;
  int32_t m_nRatioW = 0, m_nRatioH = 0;
  int32_t m_bDragArmed = 1;
  int32_t m_nInitStart = 0, m_nInitEnd = 0;
  SIZE m_fittedArea{0, 0};
  SRect32 m_photoSliders[2]{};  // the photo editor's slider ranges, given back
  bool m_bSlidersForMovie = false;
  CPlay* m_pPlayer = nullptr;
  CSource* m_pSource = nullptr;
  CPlayView* m_pPlayView = nullptr;
  CCropCtrl m_CropCtrl;
  ORVGF::__VideoDescription m_videoDesc;
  std::string m_playIcon;  // the play icon's file, as the layout found it
  // The preview pauses before the machine sleeps.
  std::unique_ptr<plat::PowerClient> m_pPower;
};
