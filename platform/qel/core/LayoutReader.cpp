// Reads layout files into element trees. The element class is the `type`
// attribute, never guessed from the name.
#include <glib.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "ThemeIcons.h"
#include "qel/QelLayout.h"

namespace qel {

namespace {

class Reader {
 public:
  Reader(std::string source, std::string base_dir)
      : source_(std::move(source)), base_(std::move(base_dir)) {}

  Element* ReadRoot(xmlNodePtr root) {
    if (!root || xmlStrcmp(root->name, BAD_CAST "layout") != 0) {
      Fail(root, "the root element is not <layout>");
      return nullptr;
    }
    auto name = Attr(root, "name");
    auto* e = new Element(QelFourCC("cata"), name ? *name : "cata_root");
    if (!ReadCommon(root, e) || !ReadChildren(root, e)) {
      e->Release();
      return nullptr;
    }
    return e;
  }

 private:
  std::optional<std::string> Attr(xmlNodePtr n, const char* key) {
    xmlChar* v = xmlGetProp(n, BAD_CAST key);
    if (!v) return std::nullopt;
    std::string s(reinterpret_cast<char*>(v));
    xmlFree(v);
    return s;
  }

  bool Fail(xmlNodePtr n, const char* what) {
    std::fprintf(stderr, "qel: %s:%d: %s\n", source_.c_str(), n ? int(n->line) : 0, what);
    return false;
  }

  bool Int(xmlNodePtr n, const char* key, int32_t* out, int64_t lo = INT32_MIN, int64_t hi = INT32_MAX) {
    auto v = Attr(n, key);
    if (!v) return true;
    errno = 0;
    char* end = nullptr;
    long long x = std::strtoll(v->c_str(), &end, 10);
    if (v->empty() || *end != 0 || errno == ERANGE || x < INT32_MIN || x > INT32_MAX) {
      std::string msg = std::string("attribute ") + key + " is not a number";
      return Fail(n, msg.c_str());
    }
    if (x < lo || x > hi) {
      std::string msg = std::string("attribute ") + key + " is out of range";
      return Fail(n, msg.c_str());
    }
    *out = int32_t(x);
    return true;
  }

  // Positions and sizes: bounded so that no sum of them in a panel can
  // leave 32 bits.
  bool Coord(xmlNodePtr n, const char* key, int32_t* out) {
    return Int(n, key, out, -kQelLayoutMaxCoordinate, kQelLayoutMaxCoordinate);
  }

  bool Color(xmlNodePtr n, const char* key, uint32_t* out) {
    auto v = Attr(n, key);
    if (!v) return true;
    const std::string& s = *v;
    bool ok = (s.size() == 7 || s.size() == 9) && s[0] == '#';
    for (size_t i = 1; ok && i < s.size(); ++i) ok = g_ascii_isxdigit(s[i]);
    if (!ok) return Fail(n, "colours are #rrggbb or #aarrggbb");
    uint32_t x = uint32_t(std::strtoul(s.c_str() + 1, nullptr, 16));
    *out = s.size() == 7 ? (0xff000000u | x) : x;
    return true;
  }

  bool Method(xmlNodePtr n, const char* key, uint32_t* out) {
    auto v = Attr(n, key);
    if (!v) return true;
    if (*v == "fixed") *out = kSizeFixed;
    else if (*v == "fill") *out = kSizeFill;
    else if (*v == "text") *out = kSizeText;
    else return Fail(n, "size methods are fixed, fill or text");
    return true;
  }

  bool ReadCommon(xmlNodePtr n, Element* e) {
    SRect32 m{0, 0, 0, 0};
    SIZE s{0, 0};
    int32_t visible = 1, enabled = 1, check = 0, menu = 0, limit = 0, clip = 0;
    int32_t smin = 0, smax = 100, spos = 0, spage = 0;
    uint32_t wm = kSizeFixed, hm = kSizeFixed, bg = 0, fg = 0xff000000u;
    int32_t font = 12;
    if (!Coord(n, "x", &m.left) || !Coord(n, "y", &m.top) || !Coord(n, "right", &m.right) ||
        !Coord(n, "bottom", &m.bottom) || !Coord(n, "w", &s.cx) || !Coord(n, "h", &s.cy) ||
        !Int(n, "visible", &visible) || !Int(n, "enabled", &enabled) || !Int(n, "clip", &clip) ||
        !Int(n, "check", &check) || !Int(n, "menuid", &menu) || !Int(n, "limit", &limit) ||
        !Int(n, "min", &smin) || !Int(n, "max", &smax) || !Int(n, "pos", &spos) ||
        !Int(n, "page", &spage) || !Int(n, "size", &font, INT32_MIN, kQelLayoutMaxFontSize) || !Method(n, "width", &wm) ||
        !Method(n, "height", &hm) || !Color(n, "bg", &bg) || !Color(n, "fg", &fg)) {
      return false;
    }
    if (auto f = Attr(n, "flow")) {
      if (*f == "none") e->SetFlow(kFlowNone);
      else if (*f == "h") e->SetFlow(kFlowHorizontal);
      else if (*f == "v") e->SetFlow(kFlowVertical);
      else return Fail(n, "flow is none, h or v");
    }
    if (auto a = Attr(n, "anchor")) {
      if (*a == "right") e->SetAnchor(Element::kAnchorRight);
      else if (*a == "bottom") e->SetAnchor(Element::kAnchorBottom);
      else if (*a == "rightbottom") e->SetAnchor(Element::kAnchorRight | Element::kAnchorBottom);
      else return Fail(n, "anchor is right, bottom or rightbottom");
    }
    e->SetMargin(m);
    e->SetFrameSize(s);
    e->SetWidthMethod(wm);
    e->SetHeightMethod(hm);
    e->Show(visible != 0);
    e->Enable(enabled != 0);
    e->SetClipsChildren(clip != 0);
    e->SetCheck(check);
    e->SetMenuId(menu);
    e->SetTextLimit(uint32_t(limit > 0 ? limit : 0));
    e->SetScrollRange(smin, smax);
    e->SetScrollPage(spage);
    e->SetScrollPos(spos);
    e->SetBackground(bg);
    e->SetForeground(fg);
    e->SetFontSize(font > 0 ? font : 12);
    if (auto t = Attr(n, "text")) e->SetText(ToU16(*t));
    if (auto t = Attr(n, "tip")) e->SetTips(ToU16(*t));
    if (auto img = Attr(n, "img")) {
      if (img->rfind("theme:", 0) == 0) e->SetImagePath(ThemeIconPath(img->substr(6)));
      else e->SetImagePath(img->empty() || (*img)[0] == '/' || (*img)[0] == '$' ? QelResolvePath(*img)
                                                                               : base_ + "/" + *img);
    }
    return true;
  }

  bool ReadChildren(xmlNodePtr n, Element* parent) {
    for (xmlNodePtr c = n->children; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      if (xmlStrcmp(c->name, BAD_CAST "item") == 0) {
        auto text = Attr(c, "text");
        int32_t i = parent->AddItem(ToU16(text ? *text : ""));
        if (auto tip = Attr(c, "tip")) parent->Items()[size_t(i)].tip = ToU16(*tip);
        continue;
      }
      if (xmlStrcmp(c->name, BAD_CAST "element") != 0) return Fail(c, "unknown tag");
      auto type = Attr(c, "type");
      if (!type || type->size() != 4) return Fail(c, "type must be four characters");
      for (char ch : *type) {
        if (!g_ascii_isalnum(ch)) return Fail(c, "type must be four letters or digits");
      }
      char code[5] = {(*type)[0], (*type)[1], (*type)[2], (*type)[3], 0};
      uint32_t kind = (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
                      (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
      auto name = Attr(c, "name");
      Element* e = CreateElement(kind, name ? *name : "");
      e->PutInside(parent, nullptr);
      e->Release();  // the parent holds it now
      if (!ReadCommon(c, e) || !ReadChildren(c, e)) return false;
      int32_t sel = -1;
      if (!Int(c, "sel", &sel)) return false;
      if (Attr(c, "sel")) e->SetSelection(sel);
    }
    return true;
  }

  std::string source_;
  std::string base_;
};

std::string DirOf(const std::string& path) {
  gchar* d = g_path_get_dirname(path.c_str());
  std::string out(d);
  g_free(d);
  return out;
}

}  // namespace

Element* LoadLayoutFile(const std::string& path) {
  xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) {
    std::fprintf(stderr, "qel: cannot read layout %s\n", path.c_str());
    return nullptr;
  }
  Element* root = Reader(path, DirOf(path)).ReadRoot(xmlDocGetRootElement(doc));
  xmlFreeDoc(doc);
  return root;
}

Element* LoadLayoutString(const std::string& xml, const std::string& base_dir) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), int(xml.size()), "layout.aui", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) {
    std::fprintf(stderr, "qel: cannot parse layout text\n");
    return nullptr;
  }
  Element* root = Reader("layout text", base_dir).ReadRoot(xmlDocGetRootElement(doc));
  xmlFreeDoc(doc);
  return root;
}

}  // namespace qel

QelObject QelCreateLayout(const char* path) {
  if (!path) return nullptr;
  qel::Element* e = qel::LoadLayoutFile(QelResolvePath(path));
  return e ? e->Handle() : nullptr;
}

QelObject QelCreateLayoutW(const WCHAR* path) {
  if (!path) return nullptr;
  return QelCreateLayout(qel::ToU8(path).c_str());
}
