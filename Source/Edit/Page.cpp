#include "Page.h"

#include <cstring>

#include "CActionManage.h"
#include "EditElements.h"
#include "EditImage.h"
#include "ImgFunc.h"
#include "qel/QelCore.h"
#include "qel/QelImage.h"

int32_t CPage::m_nOrgW = 0;
int32_t CPage::m_nOrgH = 0;
PubImage::QelPicture* CPage::m_pPicInit = nullptr;

namespace {

// A new copy of `p` (sharing its pixels until either is changed), or null.
PubImage::QelPicture* CopyPicture(PubImage::QelPicture* p) {
  return p ? static_cast<PubImage::QelPicture*>(p->Copy()) : nullptr;
}

SIZE PictureSize(PubImage::QelPicture* p) {
  SIZE s{0, 0};
  if (p) p->GetSize(&s);
  return s;
}

bool IsUndoable(int32_t id) { return id >= PAGE_ACTION_APPLY && id <= PAGE_ACTION_FLIP; }

}  // namespace

CPage::CPage() = default;

CPage::~CPage() { Release(); }

void CPage::SetPanel(PubQelmar::QelPanel* panel) {
  if (m_pPanel) m_pPanel->Release();
  m_pPanel = nullptr;
  if (m_pImgCtrl) {
    m_pImgCtrl->Invalidate(1, nullptr);
    m_pImgCtrl->Release();
    m_pImgCtrl = nullptr;
  }
  if (!panel) return;
  panel->Retain();
  m_pPanel = panel;
  auto* control = reinterpret_cast<PubImage::QelImgControl*>(GetFirstElementByType(panel, QEL_KIND_IMAGECTRL, 1));
  if (!control) return;  // a photo view always has one
  control->Retain();
  m_pImgCtrl = control;
  m_pImgCtrl->SetPict(m_pPicResult);
}

void CPage::SetOriginalPath(const WCHAR* path) {
  if (!path) return;
  m_strPath = path;
}

int32_t CPage::OpenOriginData(const WCHAR* path, int32_t, int32_t) {
  m_nOrgH = m_nOrgW = 0;
  ReleaseAllPicture();
  PubImage::QelPicture* origin = path ? OpenImgFile(path, 0, nullptr, nullptr, 0) : nullptr;
  m_bReload = 0;
  if (!origin) return 0;
  m_pPicOrigin.Adopt(origin);
  SIZE s = PictureSize(origin);
  m_nOrgW = s.cx;
  m_nOrgH = s.cy;
  m_pPicInit = origin;
  m_strPath = path;
  SetPicture(CopyPicture(origin), 0);
  InitializeFrameParam(&m_FrameParam);
  m_FrameParam.pPicOrigin.Reset(origin);
  return 1;
}

PubImage::QelPicture* CPage::GetPictCtrl(PageGetMode mode) {
  if (m_strPath.empty() || mode < PAGE_GET_ORIGIN || mode > PAGE_GET_RESULT) return nullptr;
  PubImage::QelPicture* want = mode == PAGE_GET_RESULT ? m_pPicResult : m_pPicOrigin.get();
  if (!want) {
    std::u16string path = m_strPath;
    OpenOriginData(path.c_str(), m_bReload, 1);
    want = mode == PAGE_GET_RESULT ? m_pPicResult : m_pPicOrigin.get();
  }
  return want;
}

PubImage::QelPicture* CPage::GetResultPict() { return CopyPicture(m_pPicResult); }

void CPage::OriginPicture(PubImage::QelPicture* picture) {
  // The records that name the old origin hold it; the page lets go.
  m_pPicOrigin.Reset(picture);
}

int32_t CPage::SetPicture(PubImage::QelPicture* picture, int32_t) {
  PubImage::QelPicture* old = m_pPicResult;
  m_pPicResult = picture;
  if (m_pImgCtrl) m_pImgCtrl->SetPict(picture);
  if (old) old->Release();
  return picture ? 1 : 0;
}

int32_t CPage::GetDisplayPictSize(SIZE& size) {
  size = SIZE{0, 0};
  PubImage::QelPicture* shown = nullptr;
  if (m_pImgCtrl && m_pImgCtrl->GetPict(&shown) == 0 && shown) shown->GetSize(&size);
  return 1;
}

tagFrameParam* CPage::GetToolParam(tagFrameParam* out) {
  if (!out) return &m_FrameParam;
  *out = m_FrameParam;
  return out;
}

void CPage::InitializeFrameParam(tagFrameParam* p) {
  if (!p) return;
  *p = tagFrameParam{};
  p->szTarget = SIZE{m_nOrgW, m_nOrgH};
  p->pPicOrigin.Reset(m_pPicInit);
}

int32_t CPage::RestroePicture() {
  InitializeFrameParam(&m_FrameParam);
  return SetPicture(CopyPicture(m_pPicOrigin.get()), 0);
}

int32_t CPage::ReloadPicture() {
  ReleaseAllPicture();
  InitializeFrameParam(&m_FrameParam);
  std::u16string path = m_strPath;
  return OpenOriginData(path.c_str(), m_bReload, 1);
}

void CPage::ReleaseAllPicture() {
  if (m_pPicInit && m_pPicInit == m_pPicOrigin.get()) m_pPicInit = nullptr;  // never left dangling
  m_pPicOrigin.Reset();
  if (m_pImgCtrl) m_pImgCtrl->SetPict(nullptr);
  if (m_pPicResult) m_pPicResult->Release();
  m_pPicResult = nullptr;
}

void CPage::Release() {
  ReleaseAllPicture();
  if (m_pImgCtrl) m_pImgCtrl->Release();
  m_pImgCtrl = nullptr;
  if (m_pPanel) m_pPanel->Release();
  m_pPanel = nullptr;
}

// ---- applying the record ----

void CPage::DoHorzFlip(int32_t) {
  if (!m_pImgCtrl) return;
  if (m_FrameParam.bHorzFlip) {
    int32_t lr[2] = {1, 1};
    m_pImgCtrl->RunOp(QEL_OP_FLIP, lr);
  }
  if (m_FrameParam.bVertFlip) {
    int32_t tb[2] = {1, 0};
    m_pImgCtrl->RunOp(QEL_OP_FLIP, tb);
  }
}

void CPage::DoRotate(int32_t, int32_t) {
  if (!m_pImgCtrl || m_FrameParam.nDegree == 0) return;
  int32_t turn[5] = {1, m_FrameParam.nDegree, 0, 0, 0};
  m_pImgCtrl->RunOp(QEL_OP_ROTATE, turn);
}

void CPage::DoAutoEnhance(int32_t) {
  if (!m_pImgCtrl || !m_FrameParam.bAutoEnhance) return;
  m_pImgCtrl->RunOp(QEL_OP_AUTO_ENHANCE, nullptr);
  m_pImgCtrl->RunOp(QEL_OP_AUTO_ENHANCE_END, nullptr);
}

void CPage::DoBrightnessContrast(int32_t) {
  tagBrightContrast& bc = m_FrameParam.BrightContrast;
  if (!m_pImgCtrl || (bc.nBrightness == 0 && bc.nContrast == 0)) return;
  m_pImgCtrl->RunOp(QEL_OP_BRIGHTNESS_CONTRAST, &bc);
}

void CPage::DoSharpen(int32_t) {
  tagSharpenParam& s = m_FrameParam.Sharpen;
  if (!m_pImgCtrl || (s.nAmount == 0 && s.nRadius == 0 && s.nReserved == 0)) return;
  m_pImgCtrl->RunOp(QEL_OP_SHARPEN, &s);
}

void CPage::DoResize(int32_t) {
  const SIZE target = m_FrameParam.szTarget;
  if (!m_pImgCtrl || target.cx <= 0 || target.cy <= 0) return;
  PubImage::QelPicture* pic = nullptr;
  if (m_pImgCtrl->GetPict(&pic) != 0 || !pic) return;
  SIZE now = PictureSize(pic);
  if (now.cx == target.cx && now.cy == target.cy) return;
  PubImage::QelLayer* merged = pic->MergeLayers();
  if (!merged) return;
  PubImage::QelLayer* scaled = ResampleLayer(merged, target.cx, target.cy);
  merged->Release();
  if (!scaled) return;
  for (int32_t n = pic->GetLayerCount(); n > 0; --n) {
    PubImage::QelLayer* l = pic->GetLayer(1);
    pic->RemoveLayer(1);
    if (l) l->Release();
  }
  SIZE s = target;
  pic->SetSize(&s);
  pic->InsertLayer(0, scaled);
  scaled->Release();
  m_pImgCtrl->SetPict(pic);
}

int32_t CPage::DoWithParam(const tagFrameParam* p) {
  if (!m_pImgCtrl) return 0;
  if (p) {
    if (*p == m_FrameParam) return 0;
    PubImage::QelPicture* fresh = CopyPicture(m_pPicOrigin.get());
    if (!fresh) return 0;
    SetPicture(fresh, 0);
    m_FrameParam = *p;
  }
  DoHorzFlip();
  DoRotate();
  DoAutoEnhance();
  DoBrightnessContrast();
  DoSharpen();
  DoResize();
  return 1;
}

// ---- actions, undo and redo ----

void CPage::PushUndo(int32_t id, const tagFrameParam& before) {
  tagActionInfo info{this, id, reinterpret_cast<intptr_t>(new tagFrameParam(before))};
  CActionCollect::PushActionInfo(&info);
}

void CPage::DoAction(int32_t id, intptr_t data) {
  switch (id) {
    case PAGE_ACTION_ROTATE: {
      tagFrameParam before = m_FrameParam;
      const int32_t degrees = int32_t(data);
      // Turns the shown picture by the difference only.
      m_FrameParam.nDegree = ((degrees - m_FrameParam.nDegree) % 360 + 360) % 360;
      DoRotate();
      GetDisplayPictSize(m_FrameParam.szTarget);
      m_FrameParam.nDegree = degrees;
      PushUndo(id, before);
      break;
    }
    case PAGE_ACTION_CROP: {
      auto* rect = reinterpret_cast<const SRect32*>(data);
      if (!rect || IsRectEmpty(rect)) break;
      tagFrameParam before = m_FrameParam;
      m_FrameParam.rcCrop = *rect;
      if (PubImage::QelPicture* cut = CropPictureByRect(m_pPicResult, rect)) SetPicture(cut, 0);
      GetDisplayPictSize(m_FrameParam.szTarget);
      PushUndo(id, before);
      break;
    }
    case PAGE_ACTION_FLIP: {
      auto* flags = reinterpret_cast<const int32_t*>(data);
      if (!flags) break;
      tagFrameParam before = m_FrameParam;
      // Mirrors the shown picture left to right once.
      m_FrameParam.bHorzFlip = 1;
      m_FrameParam.bVertFlip = 0;
      DoHorzFlip();
      GetDisplayPictSize(m_FrameParam.szTarget);
      m_FrameParam.bHorzFlip = flags[0];
      m_FrameParam.bVertFlip = flags[1];
      PushUndo(id, before);
      break;
    }
    case PAGE_ACTION_APPLY: {
      auto* next = reinterpret_cast<const tagFrameParam*>(data);
      if (!next) break;
      tagFrameParam before = m_FrameParam;
      if (DoWithParam(next)) PushUndo(id, before);
      break;
    }
    default:
      break;
  }
}

// Undo and redo swap the page's record with the undo record's.
void CPage::InternalUnReAction(int32_t, intptr_t data, int32_t undo) {
  auto* record = reinterpret_cast<tagFrameParam*>(data);
  if (!record) return;
  tagFrameParam a = m_FrameParam, b = *record;
  if (undo) {
    if (b.pPicOrigin) OriginPicture(b.pPicOrigin.get());
  } else if (!(b.pPicOrigin == a.pPicOrigin)) {
    // A step that baked a new origin: that origin as it is.
    OriginPicture(b.pPicOrigin.get());
    SetPicture(CopyPicture(b.pPicOrigin.get()), 0);
    *record = a;
    m_FrameParam = b;
    return;
  }
  if (DoWithParam(&b)) *record = a;
  m_FrameParam = b;
}

void CPage::UndoAction(int32_t id, intptr_t data) {
  if (IsUndoable(id)) InternalUnReAction(id, data, 1);
}

void CPage::RedoAction(int32_t id, intptr_t data) {
  if (id == PAGE_ACTION_NONE_2) {
    UndoAction(PAGE_ACTION_NONE_1, data);
  } else if (id == PAGE_ACTION_NONE_1) {
    UndoAction(PAGE_ACTION_NONE_2, data);
  } else if (IsUndoable(id)) {
    InternalUnReAction(id, data, 0);
  }
}

void CPage::DisposeActionData(int32_t id, intptr_t data) {
  if (IsUndoable(id)) delete reinterpret_cast<tagFrameParam*>(data);
}
