#pragma once
// A window hosting a 'prtc' element (the preview fills it) with a page strip
// below, a 2 x 2 template of 600 x 800 paper at 100 dpi, photos of one
// colour each, and a pointer driven as the toolkit's backends drive it.
#include <cairo.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PrintCtrlTestSupport.h"
#include "PrintPreview.h"
#include "PrintProject.h"
#include "qel/QelElement.h"
#include "qel/QelWindow.h"

namespace pvtest {

// A photo of one colour (B, G, R) with an optional black square marker.
img::Bitmap Solid(int w, int h, uint32_t rgb, SRect32 marker = {0, 0, 0, 0});

// The centre of the dark pixels (each channel below 60) of a cairo surface
// inside `r`; {-1, -1} when there are none.
struct Centre {
  double x = -1, y = -1;
  size_t count = 0;
};
Centre DarkCentre(cairo_surface_t* s, SRect32 r);
Centre DarkCentre(const img::Bitmap& b, SRect32 r);
// The colour (0xRRGGBB) of a pixel of a bitmap.
uint32_t At(const img::Bitmap& b, int x, int y);

class PreviewHost {
 public:
  // A headless or GTK window (as the backend is chosen) of 720 x 640: the
  // control takes the top 720 x 500, the strip the rest.
  explicit PreviewHost(bool strip = true);
  ~PreviewHost();
  PreviewHost(const PreviewHost&) = delete;
  PreviewHost& operator=(const PreviewHost&) = delete;

  intptr_t Cmd(uint32_t c, intptr_t w = 0, const void* l = nullptr);
  // Attaches the manager with the 2 x 2 template and adds photos of these colours.
  void Fill(const std::vector<uint32_t>& colours, int w = 400, int h = 300);
  std::u16string Photo(const std::string& name, const img::Bitmap& b);

  CPrintProject* Project() const;
  CPrintPreview* Preview() const;
  CPrintPage* Page() const;
  POINT CellCentre(long cell) const;
  // The pointer as a backend hands it in (window coordinates).
  void Down(POINT p, int button = 1);
  void Double(POINT p);
  void Move(POINT p);
  void Up(POINT p, int button = 1);
  void Drag(POINT from, POINT to, int steps = 4);
  // Notifications the host heard, by code.
  std::vector<intptr_t> Heard(int32_t code) const;

  CQelWindow* window = nullptr;
  QelObject element = nullptr;
  qel::Element* album = nullptr;
  pctest::TemplatePrintManager* manager = nullptr;
  std::filesystem::path dir;
  std::vector<std::pair<int32_t, intptr_t>> heard;

 private:
  static int32_t Callback(QelObject, int32_t event, QELLPARAM param, void* user);
};

}  // namespace pvtest
