#pragma once
// Pictures (interface 104), picture layers (105) and the image control
// element (100) of the toolkit, over the imaging library (img::). A picture
// is a canvas size plus an ordered list of layers (layer 1 at the bottom);
// a layer is a rectangle of 24-bit pixels with an optional 8-bit mask.
// Layers share pixels copy-on-write, so copies of pictures are cheap.
#include <cstdint>
#include <map>
#include <vector>

#include "img/Bitmap.h"
#include "qel/QelCore.h"
#include "qel/QelObject.h"

// ---- records handed through Qel0Inter (global names as the callers use them) ----
struct _QELRECT {
  int32_t left, top, right, bottom;
};
struct _QELPOINT {
  int32_t x, y;
};
struct _QELDIV {  // a ratio target / source
  int32_t num, den;
};

// Pixel transfer of a layer's get (105/24) and put (105/25) calls: a block
// of 24-bit B, G, R rows; a bottom-up block is handed over with the pointer
// at its last row and a negative row step.
struct QelPixelTransfer {
  int32_t kind;            // 1
  void* pixels;
  int32_t left, top, right, bottom;  // inside the layer: 0, 0, width, height
  int32_t bitsPerPixel;    // 24 (B, G, R); 32 (A, R, G, B) into a layer only
  intptr_t rowStep;        // signed, bytes
  int32_t reserved[4] = {};
};

// 3 x 3 affine matrix, row-vector convention: x' = x m11 + y m21 + m31.
struct _LYR_XFORM {
  double eM11, eM12, eM13, eM21, eM22, eM23, eM31, eM32, eM33;
};
struct _LYR_TRANSFORM {
  _LYR_XFORM xForm;
  int32_t nType;    // 2 for the scale transform of the picture helpers, 1 for CropTransform
  int32_t bResize;  // (kept; the result is always the transformed bounds)
};
struct _LYR_RESAMPLE {
  _QELDIV DivX, DivY;
  int32_t nMode;
};
struct IMGCLYR_PROCINFO {  // processing info: unused here, may be null
  int32_t size;
};
struct IMGCLYR_CROPRESIZE {
  _QELRECT rect;   // the part of the layer (its own coordinates)
  _QELDIV x, y;    // scale of each axis, target / source
  int32_t word;    // 1
};
// Layer rotate (105/41): degrees counter-clockwise, quarter turns.
struct QelLayerRotate {
  int32_t degrees;
  int32_t width, height;
  uint32_t fill;
  int32_t hasFill;
};

// Image-file open options (picture methods 1 and 50).
typedef unsigned long (*QelImgPoll)(void*);  // non-zero: stop
struct QelImageOpenOptions {
  int32_t nStructSize = 0;
  int32_t nFileType = 0;
  int32_t nSupportDepth = 0;   // 0x00FFFFFF full size; 512 a preview-sized decode
  int32_t nSupportChrom = 0;
  int32_t bNoLzw = 0;
  int32_t nImportMode = 0;     // 2/7 thumbnail of nThumbWidth x nThumbHeight; 6 reduced by eDeflatelevel
  int32_t nThumbWidth = 0, nThumbHeight = 0;
  int32_t bThumbFixedRatio = 0;
  int32_t nProgressStart = 0, nProgressEnd = 0;
  QelImgPoll ProcProgess = nullptr;  // called with pExtra (its answer is ignored)
  QelImgPoll ProcAbort = nullptr;    // polled with pExtra while decoding
  void* pExtra = nullptr;
  int32_t eDeflatelevel = 0;   // 0 full, 1 half, 2 quarter, 3 eighth (interlaced PNG: whole)
  int32_t bUseDibLayer = 0;
};
// Image-file save options (picture methods 2 and 51).
struct QelImageSaveOptions {
  int32_t nStructSize = 0;
  int32_t nFileType = 0;  // 1 JPEG, 2 BMP, 3 PNG; 0 by the file name's extension
  int32_t reserved2 = 0, reserved3 = 0;
  int32_t reserved4[4] = {};
  const int32_t* options = nullptr;  // {0, JPEG quality} / {0, BMP bits}; null: 90 / 24
};
// SetExifInfo's three values.
struct QelExifItem {
  int32_t id;
  void* data;
  uint32_t size;
};
// Image control records.
struct _OpZoomParam {
  _QELPOINT* lpptCenter;
  int32_t nMul, nDiv;
};
struct _IMGCBUFFER {
  int32_t nType;
  void* pData;
  _QELRECT rect;
  int32_t nDepth, nRowBytes;
  int32_t reserved[3];
};

// Picture properties (104/15) and EXIF item numbers (104/48).
enum : int32_t {
  QEL_PICT_PROP_FULL_WIDTH = 14003,
  QEL_PICT_PROP_FULL_HEIGHT = 14004,
  QEL_EXIF_DESCRIPTION = 11019,
  QEL_EXIF_DATETIME = 11020,
  QEL_EXIF_VERSION = 11507,
  QEL_EXIF_PIXEL_X = 11529,
  QEL_EXIF_PIXEL_Y = 11530,
};

// Tool and operation kinds of the image control (Qel0CreateObj kinds too).
enum : int32_t {
  QEL_TOOL_HAND = 513,
  QEL_OP_TEXT = 526,
  QEL_OP_ZOOM = 769,
  QEL_OP_BRIGHTNESS_CONTRAST = 772,
  QEL_OP_SHARPEN = 774,
  QEL_OP_REDEYE = 781,
  QEL_OP_AUTO_ENHANCE = 786,
  QEL_OP_AUTO_ENHANCE_END = 787,
  QEL_OP_RESAMPLE = 791,
  QEL_OP_ROTATE = 792,
  QEL_OP_FLIP = 793,
  QEL_OP_ROTATE_FLIP = 799,
};

// Image control notifications to the SetNotify callback.
enum : int32_t {
  QEL_IMGC_BUTTON_DOWN = 8197,
  QEL_IMGC_POINTER_MOVED = 8198,
  QEL_IMGC_BUTTON_UP = 8199,
  QEL_IMGC_POINTER_LEFT = 8200,
  QEL_IMGC_VIEW_CHANGED = 12288,
};

namespace qel {

class QEL_API Layer : public Object {
 public:
  Layer();
  // A layer showing `pixels` at (left, top); an empty mask means opaque.
  static Layer* Make(img::Bitmap pixels, img::Plane mask = {}, int32_t left = 0, int32_t top = 0);

  const img::Bitmap& Pixels() const { return pixels_; }
  const img::Plane& Mask() const { return mask_; }
  void SetPixels(img::Bitmap pixels, img::Plane mask = {});
  _QELRECT Rect() const;
  void MoveTo(int32_t left, int32_t top) { left_ = left, top_ = top; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }

  Object* Copy() const override;
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;
  static Layer* From(QelObject h);

 private:
  img::Bitmap pixels_;
  img::Plane mask_;
  int32_t left_ = 0, top_ = 0;
  bool visible_ = true;
};

class QEL_API Picture : public Object {
 public:
  Picture();

  SIZE Size() const { return size_; }
  void SetSize(SIZE s) { size_ = s; }
  int32_t LayerCount() const { return int32_t(layers_.size()); }
  Layer* LayerAt(int32_t number) const;  // 1-based; null when absent
  // Inserts before layer `position` (0 or 1: first; past the end: last);
  // the picture takes its own reference.
  bool Insert(int32_t position, Layer* layer);
  // Takes layer `number` out; the caller receives the picture's reference.
  Layer* Remove(int32_t number);
  void RemoveAll();
  // All visible layers composed over white into one new layer (count 1).
  Layer* Merge() const;
  // The picture as one bitmap of its size (layers composed).
  img::Bitmap Flatten() const;
  // Replaces every layer by one layer holding `pixels` at 0,0, and the size.
  void SetSingle(img::Bitmap pixels);

  // The full size of the file it was opened from (properties 14003/14004).
  SIZE FullSize() const { return full_size_; }
  void SetFullSize(SIZE s) { full_size_ = s; }
  std::vector<uint8_t>& ExifBlock() { return exif_block_; }
  std::map<int32_t, std::vector<uint8_t>>& ExifItems() { return exif_items_; }
  int32_t Depth() const { return depth_; }
  double Dpi() const { return dpi_; }
  void SetDpi(double d) { dpi_ = d; }

  Object* Copy() const override;
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;
  static Picture* From(QelObject h);

 protected:
  ~Picture() override;

 private:
  SIZE size_{0, 0};
  SIZE full_size_{0, 0};
  std::vector<Layer*> layers_;
  int32_t depth_ = 24;
  double dpi_ = 72;
  std::vector<uint8_t> exif_block_;
  std::map<int32_t, std::vector<uint8_t>> exif_items_;
};

// Opens `path` into a new picture (count 1) with the options of method 50;
// null when it cannot be read. Saves `picture` per a save record (0 = ok).
QEL_API Picture* OpenPictureFile(const std::string& path, const QelImageOpenOptions* options);
QEL_API int32_t SavePictureFile(Picture* picture, const std::string& path,
                                const QelImageSaveOptions* options);
// Runs an image-control operation on a picture in place (0 = done).
QEL_API int32_t RunPictureOp(Picture* picture, int32_t op, const void* record);

}  // namespace qel
