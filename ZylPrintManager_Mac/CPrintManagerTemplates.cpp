// The manager's side of the label catalogue: loading a folder of label
// files, brands and templates by name, and templates built for the page.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "CPrintManager.h"
#include "LabelSpec.h"
#include "qel/QelWideText.h"

namespace {

void CopyOut(WCHAR* buffer, const std::u16string& text) {
  size_t n = std::min<size_t>(text.size(), kZylTextUnits - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
}

bool IsMetric(const std::u16string& unit) {
  return qel_wcscmpi(unit.c_str(), u"cm") == 0 || qel_wcscmpi(unit.c_str(), u"mm") == 0;
}

}  // namespace

int32_t CZylPrintManager::InitFactors(const std::vector<std::u16string>& files) {
  if (!m_labels) m_labels = std::make_unique<CLabelSpec>(this);
  return m_labels->ParseFileFactors(files);
}

int32_t CZylPrintManager::LoadLabelSpec(const WCHAR* folder) {
  if (!folder || qel_wcslen(folder) < 2 || GetPrinterCount() < 1) return 0;
  std::u16string base = folder;
  if (base.back() != u'/') base += u'/';
  std::error_code ec;
  std::filesystem::directory_iterator it(QelToUTF8(base), ec), end;
  if (ec) return 0;
  std::vector<std::u16string> files;
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    if (it->is_directory(ec)) continue;
    std::string name = it->path().filename().string();
    std::string ext = it->path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == ".xml") files.push_back(base + QelFromUTF8(name));
  }
  // The order of a folder listing is the file system's: read by name.
  std::sort(files.begin(), files.end());
  if (!InitFactors(files)) return 0;
  ReloadGenericTemplate(nullptr);
  return 1;
}

int32_t CZylPrintManager::GetBrandCount() { return m_labels ? int32_t(m_labels->Brands().size()) : 0; }

int32_t CZylPrintManager::GetBrandName(int32_t index, WCHAR* buffer) {
  if (!m_labels || !buffer || index < 0 || index >= GetBrandCount()) return 0;
  CopyOut(buffer, m_labels->Brands()[size_t(index)]->brand);
  return 1;
}

int32_t CZylPrintManager::IsGenericBrand(const WCHAR* brand) {
  return m_labels && m_labels->FindGeneric(brand) ? 1 : 0;
}

int32_t CZylPrintManager::GetTemplateCountByBrandName(const WCHAR* brand) {
  tagFILEFACTOR* f = m_labels ? m_labels->FindBrand(brand) : nullptr;
  return f ? int32_t(f->templates.size()) : 0;
}

int32_t CZylPrintManager::GetTemplateNameByBrandName(const WCHAR* brand, int32_t index, WCHAR* buffer) {
  tagFILEFACTOR* f = m_labels ? m_labels->FindBrand(brand) : nullptr;
  if (!f || !buffer || index < 0 || index >= int32_t(f->templates.size())) return 0;
  CopyOut(buffer, f->templates[size_t(index)]->name);
  return 1;
}

void CZylPrintManager::SetFitAreaGenericName(const WCHAR* name) {
  if (m_labels) m_labels->SetFitAreaGenericName(name);
}

int32_t CZylPrintManager::IsNeedReloatTemplate() { return m_labels ? m_labels->IsNeedReload() : 0; }

int32_t CZylPrintManager::GetCurrentTemplateName(WCHAR* brand, WCHAR* name) {
  if (brand && name) {
    CopyOut(brand, m_selBrand);
    CopyOut(name, m_selTemplate);
  }
  return 0;
}

int32_t CZylPrintManager::GetSelTemplateName(WCHAR* brand, WCHAR* name) {
  if (!brand || !name) return 0;
  CopyOut(brand, m_selBrand);
  CopyOut(name, m_selTemplate);
  return 1;
}

int32_t CZylPrintManager::ReloadGenericTemplate(const WCHAR*) {
  if (!m_labels) return 0;
  int32_t w = 0, h = 0, x = 0, y = 0;
  SRect32 area{0, 0, 0, 0};
  WCHAR paper[kZylTextUnits] = {};
  if (!GetPaperSize(&w, &h) || !GetPixel(&x, &y) || !GetPrintArea(&area)) return 0;
  GetCurrentPaperName(paper);
  return m_labels->ReloadGenericTemplate(w, h, x, y, area, GetPortrait(), 1, paper[0] ? paper : nullptr);
}

tagTPLABEL CZylPrintManager::ConvertedLabel(const tagTPLABEL& source, int32_t portrait, int32_t x, int32_t y) const {
  // The catalogue keeps its own values: converting a copy every time means
  // that turning the page or changing printers never drifts the cells.
  tagTPLABEL t = source;
  if (t.portrait != portrait) {
    std::swap(t.xres, t.yres);
    std::swap(t.paperWidth, t.paperHeight);
    for (tagCELLINFO& c : t.cells) {
      std::swap(c.x, c.y);
      std::swap(c.width, c.height);
    }
    t.portrait = portrait;
  }
  if ((t.xres != x || t.yres != y) && t.xres > 0 && t.yres > 0) {
    const double fx = double(x) / t.xres, fy = double(y) / t.yres;
    t.paperWidth = ZylRound(t.paperWidth * fx);
    t.paperHeight = ZylRound(t.paperHeight * fy);
    for (tagCELLINFO& c : t.cells) {
      c.x = ZylRound(c.x * fx);
      c.width = ZylRound(c.width * fx);
      c.y = ZylRound(c.y * fy);
      c.height = ZylRound(c.height * fy);
    }
    t.xres = x;
    t.yres = y;
  }
  return t;
}

CTemplate* CZylPrintManager::GetTemplateByName(const WCHAR* brand, const WCHAR* name, int32_t fit, int32_t* found) {
  if (found) *found = 0;
  if (!m_labels || !brand || !name) return nullptr;
  tagFILEFACTOR* f = m_labels->FindBrand(brand);
  if (!f) return nullptr;
  const tagTPLABEL* source = nullptr;
  for (const auto& t : f->templates)
    if (t->name == name) {
      source = t.get();
      break;
    }
  if (!source) return nullptr;

  int32_t x = 0, y = 0;
  if (!GetPixel(&x, &y)) return nullptr;
  tagTPLABEL label = ConvertedLabel(*source, GetPortrait(), x, y);
  if (fit) {
    SRect32 area{0, 0, 0, 0};
    GetPrintArea(&area);
    ReArrangeLable(&label, x, y, area);
  }

  auto* out = new CTemplate();
  out->SetBrandName(brand);
  out->SetTemplateName(name);
  out->SetFilterState(label.filterState);
  out->SetTemplatePaperSize(label.paperWidth, label.paperHeight);
  out->SetPortrait(label.portrait);
  out->SetPerforated(label.perforated);
  out->SetRecommendedScaling(label.scaling);
  out->SetRollPaper(label.roll);
  out->SetGFGC(label.greetingCard);
  out->SetPerforatedType(label.perforationType.c_str());
  out->SetImperial(IsMetric(label.unit) ? 0 : 1);
  // Percentages were turned into lengths when the file was read.
  for (const tagCELLINFO& c : label.cells)
    out->AddCell(SRect32{c.x, c.y, c.x + c.width, c.y + c.height}, c.text1.c_str(), c.text2.c_str());
  if (found) *found = 1;
  return out;
}

int32_t CZylPrintManager::SelectTemplateByName(const WCHAR* brand, const WCHAR* name) {
  if (!brand || !name) return 0;
  const bool generic = IsGenericBrand(brand);
  const int32_t fit = generic && IsGenericBrand(m_selBrand.c_str()) ? 0 : 1;
  CTemplate* t = GetTemplateByName(brand, name, fit, nullptr);
  if (!t) return 0;
  delete t;
  m_selBrand = brand;
  m_selTemplate = name;
  if (generic) ReloadGenericTemplate(nullptr);
  return 1;
}
