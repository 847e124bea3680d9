// Label specification files as the print manager reads them: any bytes as
// a label file (named "Generic.xml" or not), loaded for a paper and an
// orientation of the input's choosing; then every template listed is
// built, also turned to the other orientation and back, which must give
// the same cells again.
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CPrintManager.h"
#include "FuzzSupport.h"
#include "qel/QelWideText.h"

namespace {

std::vector<SRect32> Cells(const CTemplate& t) {
  std::vector<SRect32> out;
  for (const _CELLRECT& c : t.GetCellList()) out.push_back(c.rc);
  return out;
}

bool Same(const std::vector<SRect32>& a, const std::vector<SRect32>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right || a[i].bottom != b[i].bottom)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const bool generic = in.Flag();
  const int32_t paper = int32_t(in.Range(0, 7));
  const bool landscape = in.Flag();
  const int32_t fit = in.Flag() ? 1 : 0;
  std::string_view file = in.Rest();

  const std::string folder = fuzz::PrivateFolder() + "/labels";
  mkdir(folder.c_str(), 0700);
  for (const char* name : {"/Generic.xml", "/Labels.xml"}) std::remove((folder + name).c_str());
  fuzz::WriteFile(generic ? "labels/Generic.xml" : "labels/Labels.xml", reinterpret_cast<const uint8_t*>(file.data()),
                  file.size());

  // No print system: the file destination and the built-in papers.
  auto mgr = std::make_unique<CZylPrintManager>(nullptr);
  WCHAR name[kZylTextUnits];
  if (mgr->GetSupportPaperName(paper, name)) mgr->SelectPaperName(name);
  mgr->SetPortrait(landscape ? 0 : 1);
  if (!mgr->LoadLabelSpec(QelFromUTF8(folder).c_str())) fuzz::Fail("a readable folder was refused");

  std::vector<std::pair<std::u16string, std::u16string>> all;
  WCHAR brand[kZylTextUnits];
  for (int32_t b = 0; b < mgr->GetBrandCount(); ++b) {
    if (!mgr->GetBrandName(b, brand)) fuzz::Fail("a counted brand has no name");
    const int32_t n = mgr->GetTemplateCountByBrandName(brand);
    for (int32_t t = 0; t < n; ++t) {
      if (!mgr->GetTemplateNameByBrandName(brand, t, name)) fuzz::Fail("a counted template has no name");
      all.emplace_back(brand, name);
    }
  }
  for (const auto& [b, t] : all) {
    int32_t found = 0;
    std::unique_ptr<CTemplate> first(mgr->GetTemplateByName(b.c_str(), t.c_str(), fit, &found));
    if (!first || !found) fuzz::Fail("a listed template could not be built");
    mgr->SetPortrait(landscape ? 1 : 0);
    std::unique_ptr<CTemplate> turned(mgr->GetTemplateByName(b.c_str(), t.c_str(), fit, &found));
    mgr->SetPortrait(landscape ? 0 : 1);
    std::unique_ptr<CTemplate> again(mgr->GetTemplateByName(b.c_str(), t.c_str(), fit, &found));
    if (!turned || !again || !Same(Cells(*first), Cells(*again))) fuzz::Fail("turning the page twice moved cells");
    mgr->SelectTemplateByName(b.c_str(), t.c_str());
  }
  return 0;
}
