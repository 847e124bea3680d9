#include "PrintProject.h"

#include <algorithm>
#include <cmath>

#include "PrintPage.h"

CPrintProject::CPrintProject(const void* hostElement)
    : m_pHostElement(hostElement), m_pImageList(new CPrintImageList(&m_lock)) {
  for (int id : {0, 1, 4, 5, 10, 11, 12, 13, 14, 15, 21, 23, 25, 28, 32}) m_nParam[id] = 1;
  m_pImageList->SetAutoRotateAngle(m_nTurnAngle);  // the stored 360 - angle
}

CPrintProject::~CPrintProject() {
  m_pHostElement = nullptr;  // the element is going: it hears nothing more
  _DeleteViews();
  for (CPrintPage* p : m_pages) delete p;
  m_pages.clear();
  m_pImageList->ClearDirty(true);
  delete m_pImageList;
  delete m_pTemplate;
  delete m_pClipCell;
  _ClearTmpPagesTexts();
  _ClearCellMaskPics();
  if (m_pPrintMgr) m_pPrintMgr->Release();
}

void CPrintProject::SetPrintManager(CZylPrintManager* manager) {
  // The host owns its own reference; the project holds one while attached.
  if (manager) manager->AddRef();
  if (m_pPrintMgr) m_pPrintMgr->Release();
  m_pPrintMgr = manager;
}

int CPrintProject::GetPrintPaperSize(SIZE& size) const {
  if (!m_pPrintMgr) return 0;
  int w = 0, h = 0;
  m_pPrintMgr->GetPaperSize(&w, &h);
  size = SIZE{w, h};
  return 1;
}

int CPrintProject::GetPrintArea(SRect32& area) const {
  if (!m_pPrintMgr) return 0;
  m_pPrintMgr->GetPrintArea(&area);
  return 1;
}

int CPrintProject::GetPrintPixel(int& x, int& y) const {
  x = y = 0;
  if (!m_pPrintMgr) return 0;
  m_pPrintMgr->GetPixel(&x, &y);
  return 1;
}

int CPrintProject::GetPrinterMargin(int* left, int* top) const {
  if (!m_pPrintMgr) return 0;
  return m_pPrintMgr->GetMargin(left, top, 1);
}

int CPrintProject::GetPaperSize(double& w, double& h, bool useSetting, bool inch) const {
  SIZE s{0, 0};
  int px = 0, py = 0;
  if (!GetPrintPaperSize(s) || !GetPrintPixel(px, py) || px <= 0 || py <= 0) return 0;
  const bool inches = useSetting ? m_nParam[5] == 1 : inch;
  const double k = inches ? 1.0 : 2.54;
  w = k * s.cx / px;
  h = k * s.cy / py;
  return 1;
}

double CPrintProject::GetCellZoom() const {
  if (!m_pTemplate) return 1.0;
  double z = m_pTemplate->GetRecommendedScaling();
  if (!std::isfinite(z) || z > 1e6) return 1.0;
  if (z >= 100) z /= 100;
  return z < 0.001 ? 1.0 : z;
}

PubImage::QelPicture* CPrintProject::GetImgThumbPic(long res) const { return m_pImageList->GetThumbPic(res); }
PubImage::QelPicture* CPrintProject::GetImgDispPic(long res) const { return m_pImageList->GetDispPic(res); }
PubImage::QelPicture* CPrintProject::GetImgOrgPic(long res) const { return m_pImageList->GetOrgPic(res); }
int32_t CPrintProject::GetOrgDispPicRotatedDegee(long res) const { return m_pImageList->GetOrgDispPiclAngle(res); }
SIZE CPrintProject::GetOrgImgDispSize(long res) const { return m_pImageList->GetDispSize(res); }
bool CPrintProject::IsTextRes(long res) const { return m_pImageList->IsText(res); }

int CPrintProject::ImgCopiesDecrease(long res, bool drop) {
  if (m_pClipCell && !m_pClipCell->isText && m_pClipCell->resIndex == res) drop = false;
  return m_pImageList->CopyDecrease(res, drop);
}

long CPrintProject::AddText(const CMyTextInfo& info) {
  int x = 0, y = 0;
  GetPrintPixel(x, y);
  return m_pImageList->AddText(info, y);
}

int CPrintProject::UpdateText(unsigned long res, const CMyTextInfo& info, POINT* oldShadow) {
  int x = 0, y = 0;
  GetPrintPixel(x, y);
  return m_pImageList->UpdateText(long(res), info, oldShadow, y);
}

PubImage::QelPicture* CPrintProject::GetCellMaskPic(unsigned long i) const {
  if (!m_nParam[10] || i >= m_cellMaskPics.size()) return nullptr;
  return m_cellMaskPics[i];
}

CPrintPage* CPrintProject::GetPage(long i) const {
  return i >= 0 && i < long(m_pages.size()) ? m_pages[size_t(i)] : nullptr;
}

long CPrintProject::GetPageIndex(const CPrintPage* page) const {
  auto it = std::find(m_pages.begin(), m_pages.end(), page);
  return it == m_pages.end() ? -1 : long(it - m_pages.begin());
}

CPrintCell* CPrintProject::_GetActiveCell() const {
  CPrintPage* p = GetPage(m_nCurPage);
  return p ? p->GetActiveCellPt() : nullptr;
}

void CPrintProject::SetNeedSave(int flag) {
  if (flag && m_pages.size() == 1 && m_pages[0]->IsPageEmpty()) flag = 0;
  if (flag != m_nParam[9]) {
    m_nParam[9] = flag;
    UpdateActionBtnState();
  }
}
