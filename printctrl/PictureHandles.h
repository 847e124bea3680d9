#pragma once
// Between the typed wrappers the control passes around (a wrapper pointer is
// the toolkit handle) and the toolkit's picture objects behind them.
#include "PubImage.h"
#include "qel/QelImage.h"

namespace pichandle {

inline qel::Picture* Pict(const void* p) { return qel::Picture::From(const_cast<void*>(p)); }
inline qel::Layer* Lyr(const void* l) { return qel::Layer::From(const_cast<void*>(l)); }
inline PubImage::QelPicture* Wrap(qel::Picture* p) {
  return reinterpret_cast<PubImage::QelPicture*>(p ? p->Handle() : nullptr);
}
inline PubImage::QelLayer* Wrap(qel::Layer* l) {
  return reinterpret_cast<PubImage::QelLayer*>(l ? l->Handle() : nullptr);
}

}  // namespace pichandle
