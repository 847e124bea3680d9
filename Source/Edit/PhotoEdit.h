#pragma once
// The photo side of the edit page: shows the album's current photo in the
// image control "imgc" of the photo view and lets the user zoom and pan,
// turn, mirror, auto-enhance, change brightness, contrast and sharpness,
// resize, crop, undo and redo, go back to the file, save over it and save
// under another name. Each photo is held by a page (CPage) that rebuilds
// the result from an origin and an edit record; the editor keeps a working
// copy of that record, changes it per edit and hands it to the page. The
// edit panel creates one editor, routes its own sliders and buttons to it
// and asks it whether there are unsaved edits. Main thread only.
//
// The code is split by concern: set-up, photos and the user interface
// (PhotoEdit.cpp), fitting, zoom and panning (PhotoEditZoom.cpp), the
// editing tools and undo (PhotoEditTools.cpp), the crop tool
// (PhotoEditCrop.cpp), reset and saving (PhotoEditSave.cpp).
#include <cstdint>
#include <string>

#include "CActionManage.h"
#include "FrameParam.h"
#include "PubImage.h"
#include "PubQelmar.h"
#include "qel/QelTypes.h"

class CPage;

struct tagZoomRatio {
  int32_t num, den;
};

class CPhotoEdit {
 public:
  static constexpr int32_t s_nZoomParam = 36;
  static const tagZoomRatio s_ZoomParam[s_nZoomParam];
  static constexpr int32_t kSharpenSteps = 11;
  static const tagSharpenParam s_SharpenParam[kSharpenSteps];
  // The history of the shown editor (created by ShowModal, deleted by
  // HideModal).
  static CActionManage* s_pBkActionMan;

  CPhotoEdit();
  ~CPhotoEdit();
  CPhotoEdit(const CPhotoEdit&) = delete;
  CPhotoEdit& operator=(const CPhotoEdit&) = delete;

  // Keeps the photo view, the tool bar, the button bar and the window and
  // sets everything up; 1.
  int32_t Init(PubQelmar::QelPanel* photoView, PubQelmar::QelPanel* toolBar, PubQelmar::QelPanel* buttonBar,
               WindowRef window);
  // Shows a photo; 0 when the file does not exist, else 1.
  int32_t PreviewImageFile(const WCHAR* path);
  // The brightness and contrast sliders moved (the panel forwards them);
  // 0, or -1 without a photo.
  int32_t OnBrightnessProc(QELLPARAM data);
  int32_t OnContrastProc(QELLPARAM data);
  // The button bar: back to the file, save under another name, save over
  // the file; always 0.
  int32_t OnResetProc(QELLPARAM data);
  int32_t OnSaveasProc(QELLPARAM data);
  int32_t OnDoneProc(QELLPARAM data);
  // The view's size changed; 0.
  int32_t OnMainLayoutChange(QelObject element, int32_t event, QELLPARAM data);
  // Leaves crop mode.
  void CanCelCrop();
  int32_t IsCrop() const { return m_bCrop; }
  // 1 while there are edits that can be undone (and are not in the file).
  int32_t GetReset() const { return m_bModified; }
  void SetReset() { m_bModified = 0; }
  const std::u16string& CurrentFile() const { return m_strFile; }

  // 1 when the file was written.
  int32_t DoSave();
  // Save As; always 0.
  int32_t AskSaveChange();

  // For tests and the panel: the page, the zoom state.
  CPage* Page() const { return m_pPage; }
  int32_t ZoomIndex() const { return m_nZoomIndex; }
  tagZoomRatio CurrentZoom() const { return m_Zoom; }
  int32_t IsFitMode() const { return m_bFitMode; }
  float FitIndex() const { return m_fFitIndex; }
  tagZoomRatio FitZoom() const { return m_FitZoom; }
  int32_t IsAtFit() const { return m_bAtFit; }
  const SRect32& CropRect() const { return m_rcCrop; }
  const SRect32& CropBounds() const { return m_rcBounds; }

 private:
  // Set-up and teardown.
  void InitPhotoPanel();
  void PrepareTools();
  void RegisterTool(int32_t type);
  void ShowModal();
  void HideModal();
  void ReleasePicture();
  int32_t InitCallBack();
  int32_t ReleaseCallBack();
  void ImportImageList();
  int32_t PrepareOp();
  void InitEnhanceScrollBar();

  // Fitting and zoom.
  void KeepPreviewRatio();
  void AdjustImageView(int32_t setPanel);
  void SetZoom(int32_t num, int32_t den);
  static int32_t GetZoomIndex(const SIZE* shown, const SIZE* picture);
  void DoZoomIn();
  void DoZoomOut();
  int32_t OnZoomButton(PubQelmar::QelElement* element, int32_t event, bool in);
  int32_t CanPan();
  void SelectPanTool();
  SIZE AvailableSize();
  void Invalidate();

  // Tools.
  int32_t OnSliderChange(int32_t editId, const char* slider);
  int32_t OnAutoEnhanceProc();
  int32_t OnRotate(int32_t step);
  int32_t OnFlipProc();
  int32_t OnResizeProc();
  void DoUndo();
  void DoRedo();
  int32_t OnUndoRedo(bool undo);

  // The crop tool.
  int32_t OnCropProc(PubQelmar::QelElement* check);
  void InitCropPanel();
  void AdjustCropPanel();
  void AdjustPanelSize();
  void SetCropMargins();
  int32_t OnBeginCropProc(int32_t event, QELLPARAM l);
  int32_t PosInRect(POINT pt) const;
  void OnSetCursor(POINT pt);
  void DoMouseDown(POINT pt);
  void DoMouseMove(POINT pt);
  void DoMouseUp(POINT pt);
  void AdjustRectInSide(SRect32* rc, const SRect32* bounds) const;
  void SetPanelSize(const SRect32& rc);
  int32_t OnCropApplyProc();
  int32_t OnCancelCropProc();

  // Reset and saving.
  bool AskIfFileGone();
  void BringWindowForward();

  // The user interface.
  void UpdateAllUI();
  void UpdateUndoUI();
  void UpdateRestoreUI();
  void UpdateBrightUI();
  void UpdateSharpenUI();
  void UpdateZoomUI();
  void UpdateAutoEnhanceUI();
  int32_t UpdateUIforCrop(int32_t enable);
  void UpdateSliderArrows(PubQelmar::QelElement* slider);

  PubQelmar::QelElement* Find(PubQelmar::QelPanel* panel, const char* name) const;
  void Enable(PubQelmar::QelPanel* panel, const char* name, bool on) const;
  void Show(PubQelmar::QelPanel* panel, const char* name, bool on) const;
  int32_t CanUndo() const;
  int32_t CanRedo() const;
  SIZE ControlPictureSize() const;
  SIZE ShownSize() const;

  static int32_t Element_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t Crop_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t s_ImgView_Change(QelObject control, int32_t code, QELLPARAM param, void* data);
  static void ZoomRepeat_Proc(void* owner, uint32_t id, void* data);

  PubQelmar::QelPanel* m_pPhotoView = nullptr;
  PubQelmar::QelPanel* m_pToolBar = nullptr;
  PubQelmar::QelPanel* m_pButtonBar = nullptr;
  WindowRef m_hMainWnd = nullptr;
  PubQelmar::QelPanel* m_pImageContainer = nullptr;  // "cata_image"
  PubImage::QelImgControl* m_pImgCtrl = nullptr;     // "imgc"
  QelObject m_pToolset = nullptr;
  tagFrameParam m_WorkParam;
  CPage* m_pPage = nullptr;
  std::u16string m_strFile;
  int32_t m_bFitMode = 1;
  SIZE m_szPicture{0, 0};
  int32_t m_nZoomIndex = 5;
  tagZoomRatio m_Zoom{1, 1};
  tagZoomRatio m_FitZoom{0, 0};
  float m_fFitIndex = 0;
  int32_t m_bAtFit = 0;
  int32_t m_bUserZoom = 0;
  // The crop tool.
  int32_t m_bCrop = 0;
  int32_t m_bCropDrag = 0;
  SRect32 m_rcCrop{0, 0, 0, 0};
  SRect32 m_rcBounds{0, 0, 0, 0};
  tagZoomRatio m_LastZoom{0, 0};
  PubQelmar::QelPanel* m_pCropPanel = nullptr;  // "cata_crop"
  int32_t m_nDoWhat = -1;
  POINT m_ptPre{0, 0};
  SRect32 m_rcBackup{0, 0, 0, 0};

  int32_t m_bModified = 0;
  int32_t m_bCallbacks = 0;
};
