#include "PrintCtrlTestSupport.h"

#include "PictureHandles.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "qel/QelElement.h"

namespace pctest {

int FixedPrintManager::GetPaperSize(int* w, int* h) {
  if (!w || !h) return 0;
  *w = paper.cx, *h = paper.cy;
  return 1;
}

int FixedPrintManager::GetPixel(int* x, int* y) {
  if (!x || !y) return 0;
  *x = *y = dpi;
  return 1;
}

int FixedPrintManager::GetMargin(int* l, int* t, int) {
  if (l) *l = margin.x;
  if (t) *t = margin.y;
  return 1;
}

int FixedPrintManager::GetPrintArea(SRect32* a) {
  if (a) *a = area;
  return 1;
}

TemplatePrintManager::~TemplatePrintManager() {
  if (destroyed) *destroyed = true;
}

CTemplate* TemplatePrintManager::GetTemplateByName(const WCHAR*, const WCHAR*, int, int*) {
  auto* t = new CTemplate();
  t->SetRecommendedScaling(1.0);
  t->SetBrandName(brand.c_str());
  t->SetTemplateName(name.c_str());
  for (const SRect32& r : cells) t->AddCell(r);
  return t;
}

int TemplatePrintManager::GetCurrentTemplateName(WCHAR* b, WCHAR* n) {
  if (b) std::copy(brand.begin(), brand.end(), b), b[brand.size()] = 0;
  if (n) std::copy(name.begin(), name.end(), n), n[name.size()] = 0;
  return 0;
}

TestProject::TestProject() : CPrintProject(nullptr), manager(new FixedPrintManager()) {
  manager->AddRef();
  m_pPrintMgr = manager;
}

void TestProject::UseTemplate(const std::vector<SRect32>& cells, int pages) {
  delete m_pTemplate;
  m_pTemplate = new CTemplate();
  m_pTemplate->SetRecommendedScaling(1.0);
  for (const SRect32& r : cells) m_pTemplate->AddCell(r);
  for (int i = 0; i < pages; ++i) {
    auto* p = new CPrintPage(this, 0);
    p->SetTemplate(m_pTemplate);
    m_pages.push_back(p);
  }
  m_nCurPage = 0;
}

CPrintPage* TestProject::AddFreePage() {
  m_nParam[6] = 1;
  auto* p = new CPrintPage(this, 1);
  p->SetPaperSize(manager->paper);
  m_pages.push_back(p);
  m_nCurPage = 0;
  return p;
}

std::u16string U16(const std::filesystem::path& path) { return qel::ToU16(path.string()); }

std::u16string WritePng(const img::Bitmap& b, const std::filesystem::path& path) {
  img::SavePng(b, {}, path.string(), img::PngOptions{});
  return U16(path);
}

img::Bitmap Convert(const std::filesystem::path& in, const std::vector<std::string>& ops,
                    const std::filesystem::path& dir) {
  static int n = 0;
  std::filesystem::path out = dir / ("ref" + std::to_string(++n) + ".ppm");
  std::vector<std::string> argv{"convert", in.string()};
  argv.insert(argv.end(), ops.begin(), ops.end());
  argv.push_back(out.string());
  if (imgtest::Run(argv) != 0) return {};
  return imgtest::ReadPpm(out);
}

img::Bitmap Pixels(PubImage::QelPicture* picture) {
  qel::Picture* p = pichandle::Pict(picture);
  return p ? p->Flatten() : img::Bitmap();
}

}  // namespace pctest
