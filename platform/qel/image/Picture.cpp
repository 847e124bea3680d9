// Pictures: a canvas size and a list of layers (1 at the bottom), and the
// picture calls of interface 104.
#include <algorithm>
#include <cstring>

#include "qel/QelImage.h"
#include "qel/QelPath.h"
#include "qel/QelElement.h"

namespace qel {

namespace {

template <typename T>
T* Ptr(intptr_t v) {
  return reinterpret_cast<T*>(v);
}

// The UTF-8 path of a toolkit file reference.
std::string PathOf(QELLPARAM ref) {
  if (!ref) return {};
  WCHAR buf[QEL_MAX_PATH];
  if (!Qel0FSRToAbs(reinterpret_cast<Qel0FSRef>(ref), buf, QEL_MAX_PATH)) return {};
  return ToU8(std::u16string(buf));
}

// Draws `layer` over `canvas` (canvas coordinates), honouring its mask.
void Compose(img::Bitmap& canvas, const Layer& layer) {
  const img::Bitmap& px = layer.Pixels();
  if (px.empty()) return;
  _QELRECT r = layer.Rect();
  int32_t x0 = std::max(r.left, 0), y0 = std::max(r.top, 0);
  int32_t x1 = std::min(r.right, canvas.width()), y1 = std::min(r.bottom, canvas.height());
  if (x1 <= x0 || y1 <= y0) return;
  const img::Plane& mask = layer.Mask();
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* d = canvas.mutable_row(y) + size_t(x0) * 3;
    const uint8_t* s = px.row(y - r.top) + size_t(x0 - r.left) * 3;
    if (mask.empty()) {
      std::memcpy(d, s, size_t(x1 - x0) * 3);
      continue;
    }
    const uint8_t* a = mask.row(y - r.top) + (x0 - r.left);
    for (int32_t x = 0; x < x1 - x0; ++x) {
      uint32_t al = a[x];
      for (int c = 0; c < 3; ++c) {
        d[3 * x + c] = uint8_t((s[3 * x + c] * al + d[3 * x + c] * (255 - al) + 127) / 255);
      }
    }
  }
}

}  // namespace

Picture::Picture() : Object(QEL_KIND_PICTURE) {}

Picture::~Picture() { RemoveAll(); }

Picture* Picture::From(QelObject h) { return dynamic_cast<Picture*>(Object::FromHandle(h)); }

Layer* Picture::LayerAt(int32_t n) const {
  if (n < 1 || n > LayerCount()) return nullptr;
  return layers_[size_t(n - 1)];
}

bool Picture::Insert(int32_t position, Layer* layer) {
  if (!layer) return false;
  if (std::find(layers_.begin(), layers_.end(), layer) != layers_.end()) return false;
  size_t at = position <= 1 ? 0 : std::min(size_t(position - 1), layers_.size());
  layer->Retain();
  layers_.insert(layers_.begin() + long(at), layer);
  return true;
}

Layer* Picture::Remove(int32_t n) {
  if (n < 1 || n > LayerCount()) return nullptr;
  Layer* l = layers_[size_t(n - 1)];
  layers_.erase(layers_.begin() + (n - 1));
  return l;
}

void Picture::RemoveAll() {
  for (Layer* l : layers_) l->Release();
  layers_.clear();
}

img::Bitmap Picture::Flatten() const {
  // An opaque bottom layer covering the canvas is the canvas to draw the
  // others on (alone, it is the picture itself).
  bool covered = false;
  if (!layers_.empty() && layers_[0]->Visible() && layers_[0]->Mask().empty()) {
    _QELRECT r = layers_[0]->Rect();
    covered = r.left == 0 && r.top == 0 && r.right == size_.cx && r.bottom == size_.cy;
  }
  if (covered && layers_.size() == 1) return layers_[0]->Pixels();
  img::Bitmap canvas = covered ? layers_[0]->Pixels() : img::Bitmap::Filled(size_.cx, size_.cy, 0xFF);
  if (canvas.empty()) return canvas;
  for (size_t i = covered ? 1 : 0; i < layers_.size(); ++i) {
    if (layers_[i]->Visible()) Compose(canvas, *layers_[i]);
  }
  return canvas;
}

Layer* Picture::Merge() const {
  img::Bitmap flat = Flatten();
  return flat.empty() ? nullptr : Layer::Make(std::move(flat));
}

void Picture::SetSingle(img::Bitmap pixels) {
  RemoveAll();
  size_ = SIZE{pixels.width(), pixels.height()};
  Layer* l = Layer::Make(std::move(pixels));
  Insert(1, l);
  l->Release();
}

Object* Picture::Copy() const {
  auto* c = new Picture();
  c->size_ = size_;
  c->full_size_ = full_size_;
  c->depth_ = depth_;
  c->dpi_ = dpi_;
  c->exif_block_ = exif_block_;
  c->exif_items_ = exif_items_;
  for (const Layer* l : layers_) {
    auto* lc = static_cast<Layer*>(l->Copy());
    c->layers_.push_back(lc);  // the copy's own reference
  }
  return c;
}

intptr_t Picture::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  if (iface != QEL_IF_PICTURE) return QEL_E_NOTIMPL;
  switch (method) {
    case 0:    // Init(SIZE*)
    case 41: { // SetSize(SIZE*)
      auto* s = Ptr<SIZE>(l);
      if (!s) return QEL_E_POINTER;
      if (img::CheckedImageBytes(s->cx, s->cy, 3) == 0) return QEL_E_INVALIDARG;
      size_ = *s;
      if (method == 0) full_size_ = *s;
      return QEL_S_OK;
    }
    case 1:    // Open(options, file reference)
    case 50: {
      Picture* p = OpenPictureFile(PathOf(l), Ptr<QelImageOpenOptions>(w));
      if (!p) return QEL_E_FAIL;
      RemoveAll();
      layers_.swap(p->layers_);
      size_ = p->size_;
      full_size_ = p->full_size_;
      dpi_ = p->dpi_;
      exif_block_ = std::move(p->exif_block_);
      exif_items_.clear();
      p->Release();
      return QEL_S_OK;
    }
    case 2:    // Save(record, file reference)
    case 51:
      return SavePictureFile(this, PathOf(l), Ptr<QelImageSaveOptions>(w));
    case 3:
      if (!l) return QEL_E_POINTER;
      *Ptr<SIZE>(l) = size_;
      return QEL_S_OK;
    case 5: return LayerCount();
    case 6: return reinterpret_cast<intptr_t>(LayerAt(int32_t(w ? w : l)));
    case 7: return Insert(int32_t(w), Layer::From(reinterpret_cast<QelObject>(l))) ? QEL_S_OK : QEL_E_INVALIDARG;
    case 8: {
      Layer* out = Remove(int32_t(w));
      return out ? QEL_S_OK : QEL_E_INVALIDARG;  // the caller releases it (GetLayer first)
    }
    case 10: return reinterpret_cast<intptr_t>(LayerAt(1));
    case 15: {  // GetProp(id, 4-byte out)
      if (!l) return QEL_E_POINTER;
      if (w == QEL_PICT_PROP_FULL_WIDTH) *Ptr<int32_t>(l) = full_size_.cx;
      else if (w == QEL_PICT_PROP_FULL_HEIGHT) *Ptr<int32_t>(l) = full_size_.cy;
      else return QEL_E_INVALIDARG;
      return QEL_S_OK;
    }
    case 16: {
      Layer* m = Merge();
      return reinterpret_cast<intptr_t>(m ? m->Handle() : nullptr);
    }
    case 18: return QEL_S_OK;  // SetDepth: pictures hold 24-bit layers
    case 19: return depth_;
    case 22: return QEL_S_OK;  // SetPalette
    case 23: return 0;         // GetPalette
    case 25: return 0;         // GetSelection: none
    case 28:  // SetResolution(dots per inch), horizontal and vertical alike
    case 30:
      if (w < 1) return QEL_E_INVALIDARG;
      dpi_ = double(w);
      return QEL_S_OK;
    case 29:
    case 31: return intptr_t(dpi_ + 0.5);
    case 45: return reinterpret_cast<intptr_t>(Copy()->Handle());  // Convert: already 24-bit
    case 48: {  // SetExifInfo(QelExifItem*)
      auto* e = Ptr<QelExifItem>(l);
      if (!e) return QEL_E_POINTER;
      if (e->size > 4096 || (e->size && !e->data)) return QEL_E_INVALIDARG;
      auto* b = static_cast<const uint8_t*>(e->data);
      exif_items_[e->id] = std::vector<uint8_t>(b, b + e->size);
      return QEL_S_OK;
    }
    case 53: return 0;  // IsPtInSelection: no selection
    default:
      return QEL_E_NOTIMPL;
  }
}

}  // namespace qel
