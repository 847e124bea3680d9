#include "LabelSpec.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "CQelStringW.h"
#include "qel/QelWideText.h"

int32_t CLabelSpec::m_nCustomXCount = 4;
int32_t CLabelSpec::m_nCustomYCount = 4;

namespace {

// A layout with more cells than any sheet could hold is not a layout.
constexpr int64_t kMaxCells = 4096;


std::u16string NameOf(const Vardel::CVdlXmlNode& node) {
  return node.GetType() == 1 ? std::u16string(node.GetName().c_str()) : std::u16string();
}

std::u16string Text(const Vardel::CVdlXmlNode& node) {
  CQelStringW value;
  if (!node.GetContentValue(value)) return {};
  return value.c_str();
}

std::u16string Prop(const Vardel::CVdlXmlNode& node, const char16_t* name, const char16_t* fallback = u"") {
  CQelStringW value;
  if (!node.GetPropValue(name, value)) return fallback;
  return value.c_str();
}

// The first element child of exactly this name.
Vardel::CVdlXmlNode Child(const Vardel::CVdlXmlNode& node, const char16_t* name) {
  for (Vardel::CVdlXmlNode c = node.GetChild(); c.IsValid(); c = c.NextSibling())
    if (NameOf(c) == name) return c;
  return {};
}

// Number of k >= 0 with start + size + k x step <= end.
int64_t FitCount(int64_t start, int64_t size, int64_t step, int64_t end) {
  if (step <= 0 || start + size > end) return 0;
  return (end - start - size) / step + 1;
}

std::u16string BaseName(const std::u16string& path) {
  size_t slash = path.find_last_of(u'/');
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of(u'.');
  return dot == std::u16string::npos || dot == 0 ? name : name.substr(0, dot);
}

int32_t Clamp32(double v) {
  if (std::isnan(v)) return 0;
  return int32_t(std::clamp(v, -1073741824.0, 1073741824.0));
}

uint32_t FilterBit(int32_t w, int32_t h) {
  static const struct { int32_t w, h; uint32_t bit; } kSizes[] = {
      {900, 900, 0x1},     {1500, 2100, 0x2},   {2100, 1500, 0x4},   {2100, 3000, 0x8},
      {3000, 2100, 0x10},  {2400, 3600, 0x20},  {3600, 2400, 0x40},  {3000, 4200, 0x80},
      {4200, 3000, 0x100}, {4800, 6000, 0x200}, {6000, 4800, 0x400},
  };
  for (const auto& s : kSizes)
    if (s.w == w && s.h == h) return s.bit;
  return 0;
}

}  // namespace

int32_t ZylRound(double v) { return Clamp32(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }

CLabelSpec::CLabelSpec(CZylPrintManager* parent) : m_parent(parent) {}
CLabelSpec::~CLabelSpec() = default;

double CLabelSpec::ParseNumber(const WCHAR* text) {
  if (!text) return 0;
  std::string ascii;
  const WCHAR* p = text;
  while (*p == u' ' || *p == u'\t' || *p == u'\n' || *p == u'\r') ++p;
  if (*p == u'+') ++p;
  for (; *p && ascii.size() < 64; ++p) {
    if (*p > 0x7F) break;
    char c = char(*p);
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
      break;
    ascii += c;
  }
  double v = 0;
  auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v, std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(v)) return 0;
  return v;
}

int32_t CLabelSpec::GetValue(const WCHAR* text, const WCHAR* unit, int32_t reference) {
  double v = ParseNumber(text);
  std::u16string u = unit ? unit : u"";
  if (u == u"inch") return Clamp32(v * 600.0);
  if (u == u"cm") return Clamp32(v * 600.0 / 2.54 + 0.5);
  if (u == u"mm") return Clamp32(v * 600.0 / 25.4 + 0.5);
  if (u == u"percentage" && reference != 0) return Clamp32(v * reference + 0.5);
  return Clamp32(v);
}

int CLabelSpec::ParseFileFactors(const std::vector<std::u16string>& files) {
  m_brands.clear();
  m_generics.clear();
  m_curWidth = m_curHeight = 0;
  for (const std::u16string& path : files) {
    if (!m_parser.Open(path.c_str())) continue;
    bool hasDefinition = false;
    Vardel::CVdlXmlNode root = m_parser.GetRootNode();
    for (Vardel::CVdlXmlNode c = root.GetChild(); c.IsValid() && !hasDefinition; c = c.NextSibling())
      hasDefinition = NameOf(c) == u"PaperDefinition";
    m_parser.Close();
    if (hasDefinition) PharseOldVersionFile(path.c_str());
  }
  MergeBrands();
  SortBrands();
  return 1;
}

int CLabelSpec::PharseOldVersionFile(const WCHAR* path) {
  if (!path || !m_parser.Open(path)) return 0;
  m_lastFile = path;
  Vardel::CVdlXmlNode root = m_parser.GetRootNode();
  const std::u16string orientation = Prop(root, u"Orientation", u"Portrait");
  const std::u16string rootUnit = Prop(root, u"Unit", u"inch");
  const std::u16string fileBase = BaseName(path);
  const std::u16string defaultBrand = fileBase == u"HP Greeting Card" ? u"HP" : fileBase;

  for (Vardel::CVdlXmlNode def = root.GetChild(); def.IsValid(); def = def.NextSibling()) {
    if (NameOf(def) != u"PaperDefinition") continue;
    const std::u16string unit = Prop(def, u"Unit", rootUnit.c_str());
    if (!def.GetChild().IsValid()) continue;
    // Percentages of the paper need a paper: the paper's own size is read in inches.
    const std::u16string sizeUnit = unit == u"percentage" ? u"inch" : unit;

    std::u16string brandName = defaultBrand;
    if (Vardel::CVdlXmlNode b = Child(def, u"Brand"); b.IsValid()) brandName = Text(b);
    tagFILEFACTOR* brand = nullptr;
    for (auto& f : m_brands)
      if (f->brand == brandName) brand = f.get();
    if (!brand) {
      auto made = std::make_unique<tagFILEFACTOR>();
      made->brand = brandName;
      made->filePath = path;
      made->fileBaseName = fileBase;
      brand = made.get();
      if (fileBase == u"Generic") {
        made->generic = 1;
        auto at = std::find_if(m_brands.begin(), m_brands.end(), [](const auto& f) { return !f->generic; });
        m_brands.insert(at, std::move(made));
      } else {
        m_brands.push_back(std::move(made));
      }
    }

    const size_t before = brand->templates.size();
    int32_t perforated = 0, greeting = 0, roll = 0;
    std::u16string current;
    for (Vardel::CVdlXmlNode c = def.GetChild(); c.IsValid(); c = c.NextSibling()) {
      const std::u16string name = NameOf(c);
      if (name == u"Brand") {
        brand->order = qel_wtoi(Prop(c, u"Order").c_str());
      } else if (name == u"Name") {
        current = Text(c);
      } else if (name == u"Size") {
        Vardel::CVdlXmlNode w = Child(c, u"PaperWidth"), h = Child(c, u"PaperHeight");
        if (w.IsValid() && !Text(w).empty()) m_curWidth = GetValue(Text(w).c_str(), sizeUnit.c_str(), 0);
        if (h.IsValid() && !Text(h).empty()) m_curHeight = GetValue(Text(h).c_str(), sizeUnit.c_str(), 0);
      } else if (name == u"Type") {
        if (Prop(c, u"IsPerforated") == u"TRUE") perforated = 1;
        if (Prop(c, u"GoodForGreetingCard") == u"TRUE") greeting = 1;
        if (Prop(c, u"IsRollPaper") == u"TRUE") roll = 1;
      } else if (name == u"Layout") {
        auto label = std::make_unique<tagTPLABEL>();
        label->portrait = orientation == u"Portrait" ? 1 : 0;
        label->fileBaseName = brand->fileBaseName;
        label->filePath = path;
        label->paperWidth = m_curWidth;
        label->paperHeight = m_curHeight;
        label->unit = unit;
        label->perforated = perforated;
        label->greetingCard = greeting;
        label->roll = roll;
        if (std::u16string layoutName = Prop(c, u"LayoutName"); !layoutName.empty()) current = layoutName;
        label->name = current;
        if (GetLabelOldeVersion(label.get(), c, unit.c_str(), m_curWidth, m_curHeight))
          brand->templates.push_back(std::move(label));
      } else if (name == u"PerforationDefinition") {
        std::u16string type;
        int32_t h = 0, v = 0;
        if (Vardel::CVdlXmlNode t = Child(c, u"PerforationType"); t.IsValid()) type = Text(t);
        for (Vardel::CVdlXmlNode a = c.GetChild(); a.IsValid(); a = a.NextSibling()) {
          if (NameOf(a) != u"PerforationAdjustment") continue;
          if (Vardel::CVdlXmlNode x = Child(a, u"HorizontalAdjustment"); x.IsValid())
            h = GetValue(Text(x).c_str(), unit.c_str(), m_curWidth);
          if (Vardel::CVdlXmlNode y = Child(a, u"VerticalAdjustment"); y.IsValid())
            v = GetValue(Text(y).c_str(), unit.c_str(), m_curHeight);
        }
        for (size_t i = before; i < brand->templates.size(); ++i) {
          brand->templates[i]->perforationType = type;
          brand->templates[i]->hAdjust = h;
          brand->templates[i]->vAdjust = v;
        }
      }
    }
    for (auto& t : brand->templates) {
      if (brand->generic || t->roll) ReArrangeLable(t.get(), 600, 600, SRect32{0, 0, t->paperWidth, t->paperHeight});
    }
  }
  m_parser.Close();
  return 1;
}

int CLabelSpec::GetLabelOldeVersion(tagTPLABEL* label, const Vardel::CVdlXmlNode& layout, const WCHAR* unit,
                                    int32_t W, int32_t H) {
  if (!label || !unit || !layout.IsValid()) return 0;
  // The geometry is the Layout's first element, however the file is indented.
  Vardel::CVdlXmlNode geometry;
  for (Vardel::CVdlXmlNode c = layout.GetChild(); c.IsValid() && !geometry.IsValid(); c = c.NextSibling())
    if (c.GetType() == 1) geometry = c;
  if (!geometry.IsValid() || !geometry.GetChild().IsValid()) return 0;

  CQelStringW scaling;
  label->scaling = geometry.GetPropValue(u"RecommendedScaling", scaling) ? ParseNumber(scaling.c_str()) / 100.0 : 1.0;

  const bool percent = std::u16string(unit) == u"percentage";
  const char16_t* names[6] = {u"LeftOffset", u"TopOffset", u"Width", u"Height", u"HorizontalPitch", u"VerticalPitch"};
  const bool horizontal[6] = {true, false, true, false, true, false};
  int64_t v[6];
  for (int i = 0; i < 6; ++i) {
    Vardel::CVdlXmlNode n = Child(geometry, names[i]);
    if (!n.IsValid()) return 0;
    // Percentages are fractions of the paper (the value is kept whole until then).
    v[i] = GetValue(Text(n).c_str(), unit, percent ? (horizontal[i] ? W : H) : 0);
  }
  const int64_t left = v[0], top = v[1], width = v[2], height = v[3], hp = v[4], vp = v[5];
  if (hp <= 0 || vp <= 0 || width <= 0 || height <= 0) return 0;
  const int64_t columns = FitCount(left, width, hp, W), rows = FitCount(top, height, vp, H);
  if (columns * rows == 0 || columns * rows > kMaxCells) return 0;

  label->cells.clear();
  label->filterState = 0;
  for (int64_t c = 0; c < columns; ++c) {
    for (int64_t r = 0; r < rows; ++r) {
      tagCELLINFO cell;
      cell.x = Clamp32(double(left + c * hp));
      cell.y = Clamp32(double(top + r * vp));
      cell.width = int32_t(width);
      cell.height = int32_t(height);
      label->cells.push_back(cell);
    }
  }
  label->filterState = FilterBit(int32_t(width), int32_t(height));
  if (width == height && (width == 900 || width == 1200 || width == 1800)) label->filterState |= kFilterUniformSquare;
  return 1;
}

void CLabelSpec::MergeBrands() {
  for (const char16_t* name : {u"Avery", u"HP", u"Kodak"}) {
    tagFILEFACTOR* first = nullptr;
    for (auto it = m_brands.begin(); it != m_brands.end();) {
      if ((*it)->brand != name) {
        ++it;
      } else if (!first) {
        first = it->get();
        ++it;
      } else {
        for (auto& t : (*it)->templates) first->templates.push_back(std::move(t));
        it = m_brands.erase(it);
      }
    }
  }
}

void CLabelSpec::SortBrands() {
  std::vector<std::unique_ptr<tagFILEFACTOR>> sorted;
  for (auto& b : m_brands) {
    if (b->order == 0) b->order = 4;
    auto at = std::find_if(sorted.begin(), sorted.end(), [&b](const auto& e) {
      if (b->order != 4) return e->order > b->order;
      return e->order > 4 || (e->order == 4 && e->brand > b->brand);
    });
    sorted.insert(at, std::move(b));
  }
  m_brands = std::move(sorted);
}

tagFILEFACTOR* CLabelSpec::FindGeneric(const WCHAR* brand) const {
  if (!brand) return nullptr;
  for (const auto& f : m_generics)
    if (f->brand == brand) return f.get();
  return nullptr;
}

tagFILEFACTOR* CLabelSpec::FindBrand(const WCHAR* brand, bool genericFirst) const {
  if (!brand) return nullptr;
  if (genericFirst)
    if (tagFILEFACTOR* g = FindGeneric(brand)) return g;
  for (const auto& f : m_brands)
    if (f->brand == brand) return f.get();
  return nullptr;
}

void CLabelSpec::SetFitAreaGenericName(const WCHAR* name) {
  if (name) m_fitAreaName = name;
}

void CLabelSpec::SetCustomX(int32_t x) {
  if (x >= 1) m_nCustomXCount = x;
}
void CLabelSpec::SetCustomY(int32_t y) {
  if (y >= 1) m_nCustomYCount = y;
}
void CLabelSpec::GetCustomXY(int32_t& x, int32_t& y) {
  x = m_nCustomXCount;
  y = m_nCustomYCount;
}

void CLabelSpec::SetHeadTailHeight(int32_t head, int32_t tail) {
  if (head < 0 || tail < 0 || (head == m_head && tail == m_tail)) return;
  m_head = head;
  m_tail = tail;
  m_needReload = 1;
}

void CLabelSpec::GetHeadTailHeight(int32_t& head, int32_t& tail) const {
  head = m_head;
  tail = m_tail;
}

int CLabelSpec::GetPaperType(const WCHAR* brand, const WCHAR* name, int32_t* type, WCHAR* media, WCHAR* unit,
                             int32_t* width, int32_t* height, int32_t* xres, int32_t* yres) const {
  tagFILEFACTOR* generic = FindGeneric(brand);
  tagFILEFACTOR* f = generic ? generic : FindBrand(brand, false);
  if (!f || !name) return 0;
  const tagTPLABEL* t = nullptr;
  for (const auto& l : f->templates)
    if (l->name == name) t = l.get();
  if (!t) return 0;
  if (type) {
    *type = generic ? 0 : 1;
    if (t->perforated) *type = 3;
    if (t->roll) *type = 4;
    if (t->greetingCard) *type = 2;
  }
  if (media) qel_wcslcpy(media, t->mediaType.empty() ? u"GLOSSY" : t->mediaType.c_str(), 1024);
  if (unit) qel_wcslcpy(unit, t->unit.c_str(), 1024);
  if (width && height) {
    *width = t->paperWidth;
    *height = t->paperHeight;
    if (xres && yres) {
      *xres = t->xres;
      *yres = t->yres;
    }
  }
  return 1;
}

void ReArrangeLable(tagTPLABEL* label, int32_t xres, int32_t yres, SRect32 area, int32_t) {
  if (!label || xres <= 0 || yres <= 0) return;
  const double fx = double(label->xres) / xres, fy = double(label->yres) / yres;
  const int64_t L = ZylRound(area.left * fx), R = ZylRound(area.right * fx);
  const int64_t T = ZylRound(area.top * fy), B = ZylRound(area.bottom * fy);
  if (label->cells.empty()) {
    tagCELLINFO cell;
    cell.x = int32_t(L);
    cell.y = int32_t(T);
    cell.width = int32_t(R - L);
    cell.height = int32_t(B - T);
    label->cells.push_back(cell);
    return;
  }
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
  for (const tagCELLINFO& c : label->cells) {
    minX = std::min<int64_t>(minX, c.x);
    minY = std::min<int64_t>(minY, c.y);
    maxX = std::max<int64_t>(maxX, int64_t(c.x) + c.width);
    maxY = std::max<int64_t>(maxY, int64_t(c.y) + c.height);
  }
  const int64_t spanX = maxX - minX, spanY = maxY - minY;
  const int64_t newLeft = spanX > R - L ? L : L + ZylRound(double(R - L - spanX) * 0.5);
  const int64_t newTop = spanY > B - T ? T : T + ZylRound(double(B - T - spanY) * 0.5);
  for (tagCELLINFO& c : label->cells) {
    c.x = Clamp32(double(c.x + newLeft - minX));
    c.y = Clamp32(double(c.y + newTop - minY));
    if (int64_t(c.x) + c.width > R) c.width = int32_t(R - c.x);
    if (int64_t(c.y) + c.height > B) c.height = int32_t(B - c.y);
  }
}

void CopyLabel(tagTPLABEL* destination, const tagTPLABEL* source) {
  if (destination && source && destination != source) *destination = *source;
}
