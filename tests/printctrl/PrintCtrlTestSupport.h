#pragma once
// A print manager with fixed geometry, a project whose template and pages a
// test sets directly, and picture files written for a test.
#include <filesystem>
#include <string>
#include <vector>

#include "PrintManagerApi.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "img/Bitmap.h"

namespace pctest {

// 600 x 800 device pixels of paper at 100 dpi, printable (10, 10, 590, 790).
class FixedPrintManager : public CZylPrintManager {
 public:
  SIZE paper{600, 800};
  SRect32 area{10, 10, 590, 790};
  int dpi = 100;
  POINT margin{0, 0};
  int GetPaperSize(int* w, int* h) override;
  int GetPixel(int* x, int* y) override;
  int GetMargin(int* l, int* t, int) override;
  int GetPrintArea(SRect32* a) override;
};

// Also hands out a template of `cells` under the names brand/name, and
// counts its own destruction.
class TemplatePrintManager : public FixedPrintManager {
 public:
  std::vector<SRect32> cells;
  std::u16string brand = u"Photo", name = u"Four";
  bool* destroyed = nullptr;
  ~TemplatePrintManager() override;
  CTemplate* GetTemplateByName(const WCHAR* b, const WCHAR* n, int fit, int* found) override;
  int GetCurrentTemplateName(WCHAR* b, WCHAR* n) override;
};

class TestProject : public CPrintProject {
 public:
  TestProject();
  FixedPrintManager* manager;  // held by the project
  // A template of these cells (the project owns it) and `pages` pages laid out from it.
  void UseTemplate(const std::vector<SRect32>& cells, int pages = 1);
  CPrintPage* AddFreePage();
  CPrintPage* Page(long i) const { return GetPage(i); }
};

// Writes `b` as a lossless PNG and answers its path as UTF-16.
std::u16string WritePng(const img::Bitmap& b, const std::filesystem::path& path);
std::u16string U16(const std::filesystem::path& path);

// ImageMagick's `convert in.png <ops> out.ppm`, read back; empty when it failed.
img::Bitmap Convert(const std::filesystem::path& in, const std::vector<std::string>& ops,
                    const std::filesystem::path& dir);

// The picture's pixels, composed.
img::Bitmap Pixels(PubImage::QelPicture* picture);

}  // namespace pctest
