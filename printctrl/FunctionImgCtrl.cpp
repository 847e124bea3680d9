#include "FunctionImgCtrl.h"

#include <mutex>

#include "qel/QelCore.h"

namespace {

std::mutex g_lock;
CFunctionImgCtrl* g_object = nullptr;
int g_users = 0;  // control instances alive

}  // namespace

CFunctionImgCtrl::CFunctionImgCtrl() {
  // The control runs its operations without a tool being chosen.
  m_pImgCtrl = reinterpret_cast<PubImage::QelImgControl*>(Qel0CreateObj(QEL_KIND_IMAGECTRL));
}

CFunctionImgCtrl::~CFunctionImgCtrl() {
  if (m_pImgCtrl) {
    m_pImgCtrl->SetPict(nullptr);
    m_pImgCtrl->Release();
  }
}

int32_t CFunctionImgCtrl::Run(PubImage::QelPicture* picture, int32_t tool, void* record) {
  if (!m_pImgCtrl || !picture) return 0;
  m_pImgCtrl->SetPict(picture);
  int32_t r = m_pImgCtrl->RunOp(tool, record);
  m_pImgCtrl->SetPict(nullptr);
  return r == QEL_S_OK ? 1 : 0;
}

int32_t CFunctionImgCtrl::RotatePic(PubImage::QelPicture* picture, long angle) {
  int32_t rec[5] = {1, int32_t(angle), 0, 0, 0};
  return Run(picture, QEL_OP_ROTATE, rec);
}

int32_t CFunctionImgCtrl::FlipPic(PubImage::QelPicture* picture, bool dir) {
  int32_t rec[2] = {1, dir ? 1 : 0};
  return Run(picture, QEL_OP_FLIP, rec);
}

int32_t CFunctionImgCtrl::RotateFlipPic(PubImage::QelPicture* picture, long angle, long flip) {
  int32_t rec[3] = {int32_t(angle), int32_t(flip), 1};
  return Run(picture, QEL_OP_ROTATE_FLIP, rec);
}

CFunctionImgCtrl* CFunctionImgCtrl::Shared() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_object;
}

void CFunctionImgCtrl::AcquireShared() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_users++ == 0) g_object = new CFunctionImgCtrl();
}

void CFunctionImgCtrl::ReleaseShared() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_users == 0) return;
  if (--g_users == 0) {
    delete g_object;
    g_object = nullptr;
  }
}
