#include "Template.h"

#include <algorithm>
#include <cstring>

WCHAR* ZylDupText(const WCHAR* text) {
  if (!text || !*text) return nullptr;
  size_t n = std::char_traits<char16_t>::length(text);
  WCHAR* copy = new WCHAR[n + 1];
  std::memcpy(copy, text, (n + 1) * sizeof(WCHAR));
  return copy;
}

CTemplate::CTemplate() = default;

CTemplate::~CTemplate() {
  m_brand.clear();
  m_name.clear();
  ClearCellList();
  m_portrait = 1;
}

void CTemplate::SetBrandName(const WCHAR* name) {
  if (name) m_brand = name;
}

void CTemplate::SetTemplateName(const WCHAR* name) {
  if (name) m_name = name;
}

void CTemplate::SetPerforatedType(const WCHAR* type) {
  if (type) m_perforationType = type;
}

void CTemplate::SetTemplatePaperSize(int32_t width, int32_t height) {
  m_paperWidth = width;
  m_paperHeight = height;
}

int CTemplate::GetTemplatePaperSize(int32_t* width, int32_t* height) const {
  if (!width || !height) return 0;
  *width = m_paperWidth;
  *height = m_paperHeight;
  return 1;
}

void CTemplate::SetTemplateSpace(int32_t x, int32_t y) {
  m_spaceX = std::clamp(x, 0, 100);
  m_spaceY = std::clamp(y, 0, 100);
}

int CTemplate::GetTemplateSpace(int32_t* x, int32_t* y) const {
  if (!x || !y) return 0;
  *x = m_spaceX;
  *y = m_spaceY;
  return 1;
}

void CTemplate::SetCellList(std::vector<_CELLRECT> cells) {
  auto kept = [&cells](const WCHAR* text) {
    return std::any_of(cells.begin(), cells.end(),
                       [text](const _CELLRECT& c) { return c.szMask == text || c.szExtra == text; });
  };
  for (_CELLRECT& old : m_cells) {
    if (old.szMask && !kept(old.szMask)) delete[] old.szMask;
    if (old.szExtra && !kept(old.szExtra)) delete[] old.szExtra;
  }
  m_cells = std::move(cells);
}

void CTemplate::AddCell(const SRect32& rc, const WCHAR* mask, const WCHAR* extra) {
  m_cells.push_back(_CELLRECT{rc, ZylDupText(mask), ZylDupText(extra)});
}

const _CELLRECT* CTemplate::GetCell(int index) const {
  if (index < 0 || index >= int(m_cells.size())) return nullptr;
  return &m_cells[size_t(index)];
}

void CTemplate::ClearCellList() {
  for (_CELLRECT& c : m_cells) {
    delete[] c.szMask;
    delete[] c.szExtra;
  }
  m_cells.clear();
}
