#pragma once
// The one photo the photo editor is editing, kept non-destructively: the
// origin picture and an edit record (tagFrameParam) give the result picture,
// rebuilt by applying the record's parts in a fixed order through the image
// control's operations. Crops and auto-enhance are baked into a new origin
// by the editor. The page is also the undo history's action object: every
// edit goes through DoAction, which pushes one undo record holding the
// record as it was before.
#include <cstdint>
#include <string>

#include "CAction.h"
#include "FrameParam.h"
#include "PubImage.h"
#include "PubQelmar.h"

// Action identifiers of the page.
enum : int32_t {
  PAGE_ACTION_NONE_1 = 4097,
  PAGE_ACTION_NONE_2 = 4098,
  PAGE_ACTION_APPLY = 4099,   // data: tagFrameParam* (the new record)
  PAGE_ACTION_ROTATE = 4100,  // data: the new absolute degrees
  PAGE_ACTION_UNDO_ONLY = 4101,
  PAGE_ACTION_CROP = 4102,    // data: SRect32* in picture pixels
  PAGE_ACTION_FLIP = 4103,    // data: int32_t[2], the new horizontal and vertical flags
};

// Which picture GetPictCtrl answers.
enum PageGetMode : int32_t { PAGE_GET_ORIGIN = 0, PAGE_GET_ORIGIN2 = 1, PAGE_GET_RESULT = 2 };

class CPage : public CAction {
 public:
  CPage();
  ~CPage() override;

  // Attaches the page to the panel's first image control and shows the
  // result in it; null detaches.
  void SetPanel(PubQelmar::QelPanel* panel);
  void SetOriginalPath(const WCHAR* path);
  const std::u16string& OriginalPath() const { return m_strPath; }
  // Opens the file as the origin; 1, or 0 when it cannot be read.
  int32_t OpenOriginData(const WCHAR* path, int32_t reload, int32_t);
  // The origin (modes 0, 1) or the result (2), opened from the file path
  // first when missing; null for an empty path or another mode. Owned by
  // the page.
  PubImage::QelPicture* GetPictCtrl(PageGetMode mode);
  // A new copy of the result; the caller owns it.
  PubImage::QelPicture* GetResultPict();
  // Makes `picture` the origin (held by the page).
  void OriginPicture(PubImage::QelPicture* picture);
  PubImage::QelPicture* OriginPicture() const { return m_pPicOrigin.get(); }
  // Makes `picture` the result (the page takes the caller's reference) and
  // shows it; 1 when not null.
  int32_t SetPicture(PubImage::QelPicture* picture, int32_t);
  // The size of the picture the control shows; 1.
  int32_t GetDisplayPictSize(SIZE& size);
  tagFrameParam* GetToolParam(tagFrameParam* out);
  tagFrameParam* GetFrameParam() { return &m_FrameParam; }
  // Clears `p` and gives it the size and origin of the picture opened last.
  static void InitializeFrameParam(tagFrameParam* p);
  int32_t RestroePicture();
  int32_t ReloadPicture();
  void ReleaseAllPicture();
  void Release();

  // Rebuilds the result from the origin with `p` (null: applies the
  // current record once more to the shown picture); 1 when it rebuilt.
  int32_t DoWithParam(const tagFrameParam* p);
  void DoHorzFlip(int32_t = 0);
  void DoRotate(int32_t = 0, int32_t = 0);
  void DoAutoEnhance(int32_t = 0);
  void DoBrightnessContrast(int32_t = 0);
  void DoSharpen(int32_t = 0);
  void DoResize(int32_t = 0);

  void DoAction(int32_t id, intptr_t data) override;
  void UndoAction(int32_t id, intptr_t data) override;
  void RedoAction(int32_t id, intptr_t data) override;
  void DisposeActionData(int32_t id, intptr_t data) override;

  PubImage::QelImgControl* ImageControl() const { return m_pImgCtrl; }

  // Size and origin of the picture opened last, by any page.
  static int32_t m_nOrgW, m_nOrgH;
  static PubImage::QelPicture* m_pPicInit;

 private:
  void InternalUnReAction(int32_t id, intptr_t data, int32_t undo);
  void PushUndo(int32_t id, const tagFrameParam& before);

  PubImage::QelImgControl* m_pImgCtrl = nullptr;
  PubQelmar::QelPanel* m_pPanel = nullptr;
  PubImage::QelPicture* m_pPicResult = nullptr;
  CPictRef m_pPicOrigin;
  tagFrameParam m_FrameParam;
  std::u16string m_strPath;
  int32_t m_bReload = 1;
};
