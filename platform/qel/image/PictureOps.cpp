// The image control's operations on the picture it shows, in place.
#include <cstring>

#include "img/Operations.h"
#include "qel/QelImage.h"

namespace qel {

namespace {

// Every layer's pixels through a colour operation.
template <typename Fn>
void EachLayer(Picture* p, Fn fn) {
  for (int32_t i = 1; i <= p->LayerCount(); ++i) {
    Layer* l = p->LayerAt(i);
    img::Bitmap px = l->Pixels();
    fn(px);
    l->SetPixels(std::move(px), l->Mask());
  }
}

// The picture flattened, changed by `fn`, and set back as one layer.
template <typename Fn>
int32_t Geometry(Picture* p, Fn fn) {
  img::Bitmap flat = p->Flatten();
  if (flat.empty()) return QEL_E_INVALIDARG;
  img::Bitmap out = fn(flat);
  if (out.empty()) return QEL_E_INVALIDARG;
  p->SetSingle(std::move(out));
  return QEL_S_OK;
}

}  // namespace

int32_t RunPictureOp(Picture* p, int32_t op, const void* record) {
  if (!p) return QEL_E_POINTER;
  switch (op) {
    case QEL_OP_BRIGHTNESS_CONTRAST: {
      if (!record) return QEL_E_POINTER;
      int16_t v[3];
      std::memcpy(v, record, sizeof v);
      if (v[0] == 0 && v[1] == 0) return QEL_S_OK;
      auto table = img::BrightnessContrastTable(v[0], v[1]);
      EachLayer(p, [&](img::Bitmap& b) { img::ApplyTable(b, table); });
      return QEL_S_OK;
    }
    case QEL_OP_SHARPEN: {
      if (!record) return QEL_E_POINTER;
      int32_t v[3];
      std::memcpy(v, record, sizeof v);
      if (v[0] <= 0 || v[1] <= 0) return QEL_S_OK;
      EachLayer(p, [&](img::Bitmap& b) { b = img::UnsharpMask(b, v[1], v[0]); });
      return QEL_S_OK;
    }
    case QEL_OP_AUTO_ENHANCE: {
      // One map for the whole picture, from its composed look.
      auto table = img::AutoLevelsTable(p->Flatten(), 0.5);
      EachLayer(p, [&](img::Bitmap& b) { img::ApplyTable(b, table); });
      return QEL_S_OK;
    }
    case QEL_OP_AUTO_ENHANCE_END:
    case QEL_OP_REDEYE:
      return QEL_S_OK;  // nothing more to do; red-eye is never asked for
    case QEL_OP_ROTATE: {
      if (!record) return QEL_E_POINTER;
      int32_t v[2];
      std::memcpy(v, record, sizeof v);
      if (v[1] % 360 == 0) return QEL_S_OK;
      return Geometry(p, [&](const img::Bitmap& b) { return img::Rotate(b, v[1]); });
    }
    case QEL_OP_FLIP: {
      if (!record) return QEL_E_POINTER;
      int32_t v[2];
      std::memcpy(v, record, sizeof v);
      auto axis = v[1] == 1 ? img::FlipAxis::kLeftRight : img::FlipAxis::kTopBottom;
      return Geometry(p, [&](const img::Bitmap& b) { return img::Flip(b, axis); });
    }
    case QEL_OP_ROTATE_FLIP: {  // {angle, flip, 1}: turn, then mirror left to right
      if (!record) return QEL_E_POINTER;
      int32_t v[2];
      std::memcpy(v, record, sizeof v);
      if (v[0] % 90 != 0) return QEL_E_INVALIDARG;
      if (v[0] % 360 == 0 && v[1] == 0) return QEL_S_OK;
      return Geometry(p, [&](const img::Bitmap& b) {
        img::Bitmap t = img::Rotate(b, v[0]);
        return v[1] ? img::Flip(t, img::FlipAxis::kLeftRight) : t;
      });
    }
    case QEL_OP_RESAMPLE: {  // {new w, old w, new h, old h, quality}
      if (!record) return QEL_E_POINTER;
      int32_t v[4];
      std::memcpy(v, record, sizeof v);
      if (v[1] <= 0 || v[3] <= 0) return QEL_E_INVALIDARG;
      SIZE s = p->Size();
      int32_t w = int32_t(int64_t(s.cx) * v[0] / v[1]), h = int32_t(int64_t(s.cy) * v[2] / v[3]);
      return Geometry(p, [&](const img::Bitmap& b) { return img::Resample(b, w, h); });
    }
    default:
      return QEL_E_NOTIMPL;
  }
}

}  // namespace qel
