// Zoom, fit, actual size and quarter turns of the image view. The zoom is
// kept relative to the image in the file, because the picture on screen is
// often a reduced preview that the full-resolution picture later replaces.
#include "BaseWnd.h"
#include "BaseWndShared.h"
#include "GlobalFun.h"
#include "ZoomTable.h"

using vistrel::CSLock;
using vistrel::Shared;

namespace {

// The rotate operation of the image control: {1, degrees counter-clockwise, 0, 0, 0}.
struct RotateParam {
  int32_t one = 1;
  int32_t degrees = 0;
  int32_t reserved[3] = {0, 0, 0};
};
constexpr int32_t kOpRotate = 792;
constexpr int32_t kOpRedEye = 781;
constexpr int32_t kHandTool = 513;

}  // namespace

void CBaseWnd::SetZoom(long nMul, long nDiv) {
  if (!m_objImgcFix) return;
  m_objImgcFix->SetMode(0);
  m_objImgcFix->SetZoom(static_cast<int32_t>(nMul), static_cast<int32_t>(nDiv));
}

bool CBaseWnd::CurZoom2OrgZoom(const int& nCurMul, const int& nCurDiv, int& nOrgMul, int& nOrgDiv) {
  if (!m_objPict) return false;
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  if (s.queue.empty()) return false;
  const tagIMGFILEDATA& centre = s.queue[size_t(vistrel::QueueCentre())];
  if (!centre.objPict) return false;
  zoom::CurToOrg(nCurMul, nCurDiv, centre.bOrgImg, PictureSize(m_objPict), centre.sizeOrgImg, nOrgMul, nOrgDiv);
  return true;
}

bool CBaseWnd::OrgZoom2CurZoom(const int& nOrgMul, const int& nOrgDiv, int& nCurMul, int& nCurDiv) {
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  if (s.queue.empty()) return false;
  const tagIMGFILEDATA& centre = s.queue[size_t(vistrel::QueueCentre())];
  if (!centre.objPict) return false;
  // The shown picture may already be the full-resolution one.
  const bool full = centre.bOrgImg || (m_objPict && m_objPict == FullResolutionPicture());
  zoom::OrgToCur(nOrgMul, nOrgDiv, full, PictureSize(m_objPict), centre.sizeOrgImg, nCurMul, nCurDiv);
  return true;
}

void CBaseWnd::GetOrgZoomValue(int& nOrgMul, int& nOrgDiv) {
  nOrgMul = nOrgDiv = 0;
  if (!m_objPict) return;
  if (!m_bFitIn) {
    nOrgMul = m_nOrgZoomMul;
    nOrgDiv = m_nOrgZoomDiv;
    return;
  }
  int32_t num = 1, den = 1;
  if (m_objImgcFix) m_objImgcFix->GetZoom(&num, &den);
  CurZoom2OrgZoom(num, den, nOrgMul, nOrgDiv);
}

bool CBaseWnd::GetNextZoomValue(int bZoomIn, int& nMul, int& nDiv) {
  int m = 0, d = 0;
  GetOrgZoomValue(m, d);
  if (m == 0 || d == 0) return false;
  zoom::NextInTable(bZoomIn != 0, m, d);
  SetOrgZoomValue(m, d);
  return OrgZoom2CurZoom(m, d, nMul, nDiv);
}

bool CBaseWnd::CanZoomIn() {
  int m = 0, d = 0;
  GetOrgZoomValue(m, d);
  return zoom::CanZoomIn(m, d);
}

bool CBaseWnd::CanZoomOut() {
  int m = 0, d = 0;
  GetOrgZoomValue(m, d);
  return zoom::CanZoomOut(m, d);
}

bool CBaseWnd::CanDoActualSize() {
  int m = 0, d = 0;
  GetOrgZoomValue(m, d);
  return zoom::CanDoActualSize(m, d);
}

bool CBaseWnd::CanPan() {
  if (!m_objImgcFix) return false;
  SIZE shown{0, 0};
  m_objImgcFix->GetPictShowSize(&shown);
  SIZE own{0, 0};
  m_objImgcFix->_QelSize()->GetSize(&own);
  if (shown.cx <= own.cx && shown.cy <= own.cy) return false;
  const void* tool = nullptr;
  m_objImgcFix->GetCurTool(&tool);
  return tool && Qel0GetType(const_cast<void*>(tool)) == uint32_t(kHandTool);
}

void CBaseWnd::DoZoomIn() {
  if (!CanDoTool()) return;
  int mul = 0, div = 0;
  if (!GetNextZoomValue(1, mul, div) || mul <= 0 || div <= 0) return;
  SetZoom(mul, div);
  m_bFitIn = false;
  if (NeedReadOrgImg(1)) StartReadOrgImgThread();
  if (!AdjustImageView(m_pImagePreviewArea, m_pShadowCata, m_objImgcFix) && m_objImgcFix)
    m_objImgcFix->Invalidate(0, nullptr);
  UpdateBtnState();
}

void CBaseWnd::DoZoomOut() {
  if (!CanDoTool()) return;
  int mul = 0, div = 0;
  if (!GetNextZoomValue(0, mul, div) || mul <= 0 || div <= 0) return;
  SetZoom(mul, div);
  m_bFitIn = false;
  if (!AdjustImageView(m_pImagePreviewArea, m_pShadowCata, m_objImgcFix) && m_objImgcFix)
    m_objImgcFix->Invalidate(0, nullptr);
  UpdateBtnState();
}

void CBaseWnd::DoActualSize() {
  if (!CanDoTool()) return;
  SetOrgZoomValue(1, 1);
  int mul = 0, div = 0;
  if (!OrgZoom2CurZoom(1, 1, mul, div) || mul <= 0 || div <= 0) return;
  SetZoom(mul, div);
  m_bFitIn = false;
  if (NeedReadOrgImg(1)) StartReadOrgImgThread();
  if (m_objImgcFix) m_objImgcFix->SetCurTool(kHandTool);
  if (!AdjustImageView(m_pImagePreviewArea, m_pShadowCata, m_objImgcFix) && m_objImgcFix)
    m_objImgcFix->Invalidate(0, nullptr);
  UpdateBtnState();
}

void CBaseWnd::DoBestFit() {
  if (!CanDoTool()) return;
  FitInImage(false);
  UpdateBtnState();
}

void CBaseWnd::DoRotate(int bLeft) {
  if (!CanDoTool()) return;
  const int angle = bLeft ? 90 : 270;
  if (m_bSupportRotateEffect) {
    if (m_bFitIn) {
      DoRotateEffect(bLeft);
    } else {
      SwapResampleLayer(bLeft);
    }
  }
  m_nRotateDegree = (m_nRotateDegree + angle) % 360;
  RotateParam param;
  param.degrees = angle;
  if (m_objImgcFix) m_objImgcFix->RunOp(kOpRotate, &param);
  {
    vistrel::ReaderState& s = Shared();
    CSLock lock(&s.csImgData);
    if (!s.queue.empty()) {
      tagIMGFILEDATA& centre = s.queue[size_t(vistrel::QueueCentre())];
      std::swap(centre.sizeOrgImg.cx, centre.sizeOrgImg.cy);
      std::swap(centre.sizeCurThumb.cx, centre.sizeCurThumb.cy);
      if (tag_FILE_INFO* file = CurrentFile()) {
        file->nImageWidth_org = centre.sizeOrgImg.cx;
        file->nImageHeight_org = centre.sizeOrgImg.cy;
        file->nImageWidth = centre.sizeCurThumb.cx;
        file->nImageHeight = centre.sizeCurThumb.cy;
      }
    }
  }
  FitInImage(false);
  UpdateBtnState();
}

void CBaseWnd::RedoActionsToOrgImg(POINT& ptPictOrg) {
  if (!m_objPict) return;
  if (m_objImgcFix) {
    RotateParam param;
    param.degrees = m_nRotateDegree;
    if (m_nRotateDegree) m_objImgcFix->RunOp(kOpRotate, &param);
    if (m_bAutoRedEye) m_objImgcFix->RunOp(kOpRedEye, nullptr);
  }
  if (m_bFitIn) {
    FitInImage(false);
    return;
  }
  SetZoom(m_nOrgZoomMul, m_nOrgZoomDiv);
  if (m_objImgcFix) {
    m_objImgcFix->SetPictOrg(&ptPictOrg);
    m_objImgcFix->Invalidate(0, nullptr);
  }
}

bool CBaseWnd::PrepareTools() {
  if (!m_objImgcFix) return false;
  QelObject tools = Qel0CreateObj(QEL_KIND_TOOLLIST);
  if (!tools) return false;
  m_objImgcFix->SetToolset(tools);
  Qel0Inter(tools, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(m_objImgcFix),
            reinterpret_cast<QELLPARAM>(ADDEleEnd));
  for (int32_t tool : {513, 514, 769, 792, 781}) CGlobalFun::RegisterTool(tools, tool);
  if (m_objToolset) Qel0Release(m_objToolset);
  m_objToolset = tools;
  return true;
}
