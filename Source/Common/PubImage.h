#pragma once
// Typed wrappers of the image control, pictures and picture layers
// (interfaces 100, 104 and 105); like PubQelmar, a wrapper pointer is the
// toolkit handle itself.
#include "PubQelmar.h"
#include "qel/QelImage.h"
#include "qel/QelPath.h"

typedef int32_t _IMGSHOW_MODE;

namespace PubImage {

using PubQelmar::detail::Call;
using PubQelmar::detail::Int;
using PubQelmar::detail::Obj;
using PubQelmar::detail::P;

// SetExifInfo's three values travel as one record in lparam.
using QelExifInfo = QelExifItem;

class QelLayer : public PubQelmar::QelBase {
 public:
  int32_t Init(SIZE* size) { return Int(this, 105, 0, 0, P(size)); }
  int32_t GetPixels(QelPixelTransfer* t) { return Int(this, 105, 24, 0, P(t)); }
  int32_t PutPixels(QelPixelTransfer* t) { return Int(this, 105, 25, 0, P(t)); }
  int32_t GetDepth() { return Int(this, 105, 17); }
  QelLayer* Resample(_LYR_RESAMPLE* r) { return Obj<QelLayer>(this, 105, 34, 0, P(r)); }
  QelLayer* Copy0() { return Obj<QelLayer>(this, 105, 48); }
  int32_t SetRect(_QELRECT* r) { return Int(this, 105, 5, 0, P(r)); }
  int32_t GetRect(_QELRECT* r) { return Int(this, 105, 6, 0, P(r)); }
  int32_t GetVisible() { return Int(this, 105, 15); }
  // Both answer a new layer (count 1) or null.
  QelLayer* CropResize(IMGCLYR_PROCINFO* info, IMGCLYR_CROPRESIZE* crop) {
    return Obj<QelLayer>(this, 105, 38, reinterpret_cast<QELWPARAM>(info), P(crop));
  }
  QelLayer* Transform(_LYR_TRANSFORM* t) { return Obj<QelLayer>(this, 105, 43, 0, P(t)); }
};

class QelPicture : public PubQelmar::QelBase {
 public:
  int32_t Init(SIZE* size) { return Int(this, 104, 0, 0, P(size)); }
  int32_t GetSize(SIZE* size) { return Int(this, 104, 3, 0, P(size)); }
  int32_t GetLayerCount() { return Int(this, 104, 5); }
  QelLayer* GetLayer(int32_t index) { return Obj<QelLayer>(this, 104, 6, index); }
  int32_t InsertLayer(int32_t position, QelLayer* layer) { return Int(this, 104, 7, position, P(layer)); }
  int32_t RemoveLayer(int32_t index) { return Int(this, 104, 8, index); }
  QelLayer* GetActiveLayer() { return Obj<QelLayer>(this, 104, 10); }
  QelLayer* MergeLayers() { return Obj<QelLayer>(this, 104, 16); }
  int32_t GetDepth() { return Int(this, 104, 19); }
  void* GetSelection() { return Obj<void>(this, 104, 25); }
  int32_t SetSize(SIZE* size) { return Int(this, 104, 41, 0, P(size)); }
  int32_t GetProp(int32_t id, int32_t* value) { return Int(this, 104, 15, id, P(value)); }
  int32_t Open(QelImageOpenOptions* o, Qel0FSRef ref) {
    return Int(this, 104, 50, reinterpret_cast<QELWPARAM>(o), reinterpret_cast<QELLPARAM>(ref));
  }
  int32_t Save(QelImageSaveOptions* o, Qel0FSRef ref) {
    return Int(this, 104, 51, reinterpret_cast<QELWPARAM>(o), reinterpret_cast<QELLPARAM>(ref));
  }
  int32_t SetExifInfo(int32_t id, void* data, uint32_t size) {
    QelExifInfo info{id, data, size};
    return Int(this, 104, 48, 0, P(&info));
  }
  int32_t IsPtInSelection(_QELPOINT* p) { return Int(this, 104, 53, reinterpret_cast<QELWPARAM>(p)); }
};

class QelImgControl : public PubQelmar::QelElement {
 public:
  // Zoom mode with num/den (the control shows the picture at that scale).
  int32_t SetZoom(int32_t num, int32_t den) { return Int(this, 100, 0, num, den); }
  // Mode 2: a rectangle of the control into picture pixels.
  int32_t WindowToPicture(int32_t mode, _QELRECT* r) { return Int(this, 100, 38, mode, P(r)); }
  int32_t GetZoom(int32_t* num, int32_t* den) { return Int(this, 100, 1, reinterpret_cast<QELWPARAM>(num), P(den)); }
  // 1: the control fits the picture itself; 0: the zoom set by the caller.
  int32_t SetMode(_IMGSHOW_MODE mode) { return Int(this, 100, 2, mode); }
  int32_t GetMode() { return Int(this, 100, 3); }
  int32_t SetTrans(uint32_t trans) { return Int(this, 100, 4, trans); }
  int32_t SetPict(QelPicture* pict) { return Int(this, 100, 8, 0, P(pict)); }
  int32_t GetPict(QelPicture** pict) { return Int(this, 100, 9, 0, P(pict)); }
  // The point of the shown (zoomed) picture at the control's top-left;
  // negative when the picture is centred in a larger control.
  int32_t SetPictOrg(POINT* org) { return Int(this, 100, 10, 0, P(org)); }
  int32_t GetPictOrg(POINT* org) { return Int(this, 100, 11, 0, P(org)); }
  int32_t GetClientRect(SRect32* r) { return Int(this, 100, 14, 0, P(r)); }
  int32_t Invalidate(uint32_t flags, _QELRECT* r) { return Int(this, 100, 15, flags, P(r)); }
  int32_t SetNotify(QELCALLBACK callback, int32_t data) {
    return Int(this, 100, 16, data, reinterpret_cast<QELLPARAM>(callback));
  }
  int32_t SetToolset(void* toolset) { return Int(this, 100, 18, 0, P(toolset)); }
  int32_t SetCurTool(int32_t tool) { return Int(this, 100, 20, 0, tool); }
  int32_t GetCurTool(const void** tool) { return Int(this, 100, 21, 0, P(tool)); }
  int32_t RunOp(int32_t op, void* arg) { return Int(this, 100, 22, op, P(arg)); }
  int32_t GetPictShowSize(SIZE* size) { return Int(this, 100, 25, 0, P(size)); }
  int32_t NeedScroll(int32_t on) { return Int(this, 100, 30, on); }
  // 0 normal, 1 good, 2 the system's.
  int32_t SetShowQualityGrade(int32_t grade) { return Int(this, 100, 40, grade); }
};

}  // namespace PubImage
