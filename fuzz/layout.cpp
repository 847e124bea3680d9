// Layout files from module bundles: read, laid out, each element's place
// checked, painted, and its slider and list driven.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "qel/QelLayout.h"
#include "qel/QelPaint.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QEL_BACKEND", "headless", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string xml(reinterpret_cast<const char*>(data), size);
  qel::Element* root = qel::LoadLayoutString(xml, fuzz::PrivateFolder());
  if (!root) return 0;
  std::vector<qel::Element*> all{root};
  for (size_t i = 0; i < all.size() && all.size() < 5000; ++i)
    for (qel::Element* c : all[i]->Children()) all.push_back(c);
  for (qel::Element* e : all) {
    SRect32 r = e->Bounds();
    if (r.right < r.left || r.bottom < r.top) fuzz::Fail("an element is laid out inside out");
    SIZE s = e->LaidOutSize();
    if (s.cx < 0 || s.cy < 0) fuzz::Fail("an element has a negative size");
    const qel::ScrollState& sc = e->Scroll();
    if (sc.pos < sc.min || sc.pos > sc.max) fuzz::Fail("a slider sits outside its range");
    e->SetScrollPos(INT32_MAX);
    e->SetScrollPos(INT32_MIN);
    e->SetSelection(int32_t(e->Items().size()) - 1);
  }
  // Pictures named by a layout are read from files; an input naming any
  // file of the system (a device that never ends) is not painted.
  if (xml.find("img") == std::string::npos) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 48);
    cairo_t* cr = cairo_create(surface);
    qel::PaintTree(cr, root);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  root->Release();
  return 0;
}
