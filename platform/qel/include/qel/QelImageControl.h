#pragma once
// The image control element ('imgc', interface 100): shows a picture fitted
// or at a zoom ratio, pans it (the hand tool drags the picture itself),
// converts between window and picture pixels, runs picture operations and
// tells its host about pointer activity. The model is pure arithmetic on
// {zoom, origin, mode}; painting goes through cairo on every backend.
#include "qel/QelElement.h"
#include "qel/QelImage.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace qel {

class QEL_API ImageControl : public Element {
 public:
  explicit ImageControl(std::string name = {});

  // Model (all in control pixels; the origin is the point of the zoomed
  // picture at the control's top-left, negative when the picture is centred
  // in a larger control).
  Picture* Pict() const { return pict_; }
  void SetPict(Picture* p);
  bool FitMode() const { return fit_; }
  void SetFitMode(bool fit);
  void Zoom(int32_t* num, int32_t* den);     // the effective zoom (fit included)
  bool SetZoom(int32_t num, int32_t den, const POINT* keep = nullptr);
  SIZE ShownSize();
  POINT Origin();
  void SetOrigin(POINT o);
  // Control rectangle -> picture pixels (method 38, mode 2).
  _QELRECT ToPicture(const _QELRECT& r);
  int32_t CurrentToolKind() const;

  // Pointer activity at a point of the control (control coordinates);
  // events 0x40000002 down, 0x40000001 move, 0x40000003 up.
  bool OnPointer(int32_t event, POINT local);
  bool TakePointer(const PointerInput& in) override;

  void Paint(cairo_t* cr, const SRect32& bounds);

  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;
  static ImageControl* From(QelObject h);

 protected:
  ~ImageControl() override;

 private:
  void Notify(int32_t code, POINT p);
  void ClampOrigin();
  void DropCache();

  Picture* pict_ = nullptr;
  bool fit_ = true;
  int32_t num_ = 1, den_ = 1;
  POINT origin_{0, 0};
  bool origin_set_ = false;
  int32_t quality_ = 1;
  bool trans_ = false;
  bool need_scroll_ = true;
  QELCALLBACK notify_ = nullptr;
  intptr_t notify_data_ = 0;
  Element* toolset_ = nullptr;
  Element* tool_ = nullptr;
  img::Bitmap background_;
  bool dragging_ = false;
  POINT drag_from_{0, 0};
  // The picture as drawn last: its pixels and the surface made from them.
  img::Bitmap cache_src_;
  SIZE cache_size_{0, 0};
  cairo_surface_t* cache_ = nullptr;
};

// Elements of a layout or Qel0CreateObj of kind 'imgc', 'tlst' and the
// tool kinds come from here.
QEL_API Object* CreateImageObject(uint32_t kind);
QEL_API Element* NewImageElement(uint32_t kind, const std::string& name);

}  // namespace qel

// The image control and the tools control become available to layouts
// (their element classes are registered); each may be called more than
// once. 0.
extern "C" QEL_API int32_t ImageCtrlInit();
extern "C" QEL_API int32_t ToolsCtrlInit();
