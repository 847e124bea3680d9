// Text records from the toolkit's text-info record. Text cells are not drawn
// yet: nothing in the control makes one, so the renderer answers no layer.
#include "MyTextInfo.h"
#include "PictureFunctions.h"

int ZylText2MyTextInfo(const ZYLTEXTINFO* source, CMyTextInfo& out) {
  if (!source) return 0;
  if (source->text) out.text = source->text;
  out.font.faceName = source->faceName ? source->faceName : u"";
  static const int kOrder[9] = {0, 1, 4, 5, 6, 7, 8, 2, 3};
  out.font.size = source->values[kOrder[0]];
  for (int i = 1; i < 9; ++i) out.font.attr[i - 1] = source->values[kOrder[i]];
  return 1;
}

PubImage::QelLayer* Text2Layer(const CMyTextInfo&, _QELDIV, int, bool) { return nullptr; }
