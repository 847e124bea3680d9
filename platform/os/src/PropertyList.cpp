#include "os/PropertyList.h"
#include "os/RegularFile.h"

#include <glib.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace plat {

PlistValue PlistValue::String(std::string utf8) {
  PlistValue v;
  v.type_ = Type::String;
  v.text_ = std::move(utf8);
  return v;
}
PlistValue PlistValue::Integer(int64_t i) {
  PlistValue v;
  v.type_ = Type::Integer;
  v.integer_ = i;
  return v;
}
PlistValue PlistValue::Real(double d) {
  PlistValue v;
  v.type_ = Type::Real;
  v.real_ = d;
  return v;
}
PlistValue PlistValue::Boolean(bool b) {
  PlistValue v;
  v.type_ = Type::Boolean;
  v.integer_ = b ? 1 : 0;
  return v;
}
PlistValue PlistValue::Data(std::vector<uint8_t> bytes) {
  PlistValue v;
  v.type_ = Type::Data;
  v.data_ = std::move(bytes);
  return v;
}
PlistValue PlistValue::Date(std::string iso8601) {
  PlistValue v;
  v.type_ = Type::Date;
  v.text_ = std::move(iso8601);
  return v;
}
PlistValue PlistValue::MakeArray(Array items) {
  PlistValue v;
  v.type_ = Type::Array;
  v.array_ = std::move(items);
  return v;
}
PlistValue PlistValue::MakeDict(Dict entries) {
  PlistValue v;
  v.type_ = Type::Dict;
  v.dict_ = std::move(entries);
  return v;
}

std::optional<std::string> PlistValue::AsString() const {
  if (type_ == Type::String || type_ == Type::Date) return text_;
  return std::nullopt;
}
std::optional<int64_t> PlistValue::AsInteger() const {
  if (type_ == Type::Integer) return integer_;
  return std::nullopt;
}
std::optional<double> PlistValue::AsReal() const {
  if (type_ == Type::Real) return real_;
  if (type_ == Type::Integer) return static_cast<double>(integer_);
  return std::nullopt;
}
std::optional<bool> PlistValue::AsBoolean() const {
  if (type_ == Type::Boolean) return integer_ != 0;
  return std::nullopt;
}
const std::vector<uint8_t>* PlistValue::AsData() const { return type_ == Type::Data ? &data_ : nullptr; }
const PlistValue::Array* PlistValue::AsArray() const { return type_ == Type::Array ? &array_ : nullptr; }
const PlistValue::Dict* PlistValue::AsDict() const { return type_ == Type::Dict ? &dict_ : nullptr; }
PlistValue::Array* PlistValue::MutableArray() { return type_ == Type::Array ? &array_ : nullptr; }
PlistValue::Dict* PlistValue::MutableDict() { return type_ == Type::Dict ? &dict_ : nullptr; }

const PlistValue* PlistValue::Find(const std::string& key) const {
  if (type_ != Type::Dict) return nullptr;
  auto it = dict_.find(key);
  return it == dict_.end() ? nullptr : &it->second;
}

bool PlistValue::operator==(const PlistValue& o) const {
  if (type_ != o.type_) return false;
  switch (type_) {
    case Type::None: return true;
    case Type::String:
    case Type::Date: return text_ == o.text_;
    case Type::Integer:
    case Type::Boolean: return integer_ == o.integer_;
    case Type::Real: return real_ == o.real_ || (std::isnan(real_) && std::isnan(o.real_));
    case Type::Data: return data_ == o.data_;
    case Type::Array: return array_ == o.array_;
    case Type::Dict: return dict_ == o.dict_;
  }
  return false;
}

// ---------------------------------------------------------------- parsing

namespace {

struct XmlDocDeleter {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

bool NameIs(const xmlNode* n, const char* name) {
  return n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

std::string NodeText(const xmlNode* n) {
  xmlChar* t = xmlNodeGetContent(n);
  std::string s = t ? reinterpret_cast<const char*>(t) : "";
  xmlFree(t);
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Next element sibling, skipping text (whitespace), comments and PIs.
// Non-blank text between elements makes the list malformed.
const xmlNode* NextElement(const xmlNode* n, bool& bad) {
  for (; n; n = n->next) {
    if (n->type == XML_ELEMENT_NODE) return n;
    if (n->type == XML_TEXT_NODE && !Trim(NodeText(n)).empty()) bad = true;
  }
  return nullptr;
}

constexpr int kMaxDepth = 256;

std::optional<PlistValue> ParseNode(const xmlNode* n, int depth) {
  if (depth > kMaxDepth) return std::nullopt;
  if (NameIs(n, "string")) return PlistValue::String(NodeText(n));
  if (NameIs(n, "date")) return PlistValue::Date(Trim(NodeText(n)));
  if (NameIs(n, "true")) return PlistValue::Boolean(true);
  if (NameIs(n, "false")) return PlistValue::Boolean(false);
  if (NameIs(n, "integer")) {
    std::string t = Trim(NodeText(n));
    if (t.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    int base = 10;
    const char* p = t.c_str();
    bool neg = false;
    if (*p == '-' || *p == '+') neg = (*p++ == '-');
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
      base = 16;
      p += 2;
    }
    if (!*p) return std::nullopt;
    unsigned long long u = std::strtoull(p, &end, base);
    if (errno == ERANGE || *end != '\0' || !g_ascii_isxdigit(*p)) return std::nullopt;
    if (neg) {
      if (u > 9223372036854775808ull) return std::nullopt;
      return PlistValue::Integer(static_cast<int64_t>(0 - u));
    }
    // Unsigned 64-bit values wrap like other readers keep them: refuse instead.
    if (u > 9223372036854775807ull) return std::nullopt;
    return PlistValue::Integer(static_cast<int64_t>(u));
  }
  if (NameIs(n, "real")) {
    std::string t = Trim(NodeText(n));
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    double d = g_ascii_strtod(t.c_str(), &end);
    if (*end != '\0') return std::nullopt;
    return PlistValue::Real(d);
  }
  if (NameIs(n, "data")) {
    std::string t;
    for (char c : NodeText(n))
      if (!g_ascii_isspace(c)) t.push_back(c);
    for (char c : t)
      if (!(g_ascii_isalnum(c) || c == '+' || c == '/' || c == '=')) return std::nullopt;
    gsize len = 0;
    guchar* raw = g_base64_decode(t.c_str(), &len);
    std::vector<uint8_t> bytes(raw, raw + len);
    g_free(raw);
    return PlistValue::Data(std::move(bytes));
  }
  if (NameIs(n, "array")) {
    PlistValue::Array items;
    bool bad = false;
    for (const xmlNode* c = NextElement(n->children, bad); c; c = NextElement(c->next, bad)) {
      auto v = ParseNode(c, depth + 1);
      if (!v) return std::nullopt;
      items.push_back(std::move(*v));
    }
    if (bad) return std::nullopt;
    return PlistValue::MakeArray(std::move(items));
  }
  if (NameIs(n, "dict")) {
    PlistValue::Dict entries;
    bool bad = false;
    for (const xmlNode* c = NextElement(n->children, bad); c; c = NextElement(c->next, bad)) {
      if (!NameIs(c, "key")) return std::nullopt;
      std::string key = NodeText(c);
      const xmlNode* valueNode = NextElement(c->next, bad);
      if (!valueNode) return std::nullopt;
      auto v = ParseNode(valueNode, depth + 1);
      if (!v) return std::nullopt;
      entries[key] = std::move(*v);  // a repeated key: the last one wins
      c = valueNode;
    }
    if (bad) return std::nullopt;
    return PlistValue::MakeDict(std::move(entries));
  }
  return std::nullopt;
}

}  // namespace

std::optional<PlistValue> ParsePropertyList(const std::string& xmlBytes) {
  if (xmlBytes.empty() || xmlBytes.size() > static_cast<size_t>(INT32_MAX)) return std::nullopt;
  // No network, no entity substitution, no DTD loading: the file is data.
  std::unique_ptr<xmlDoc, XmlDocDeleter> doc(
      xmlReadMemory(xmlBytes.data(), static_cast<int>(xmlBytes.size()), "plist", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) return std::nullopt;
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) return std::nullopt;
  if (NameIs(root, "plist")) {
    bool bad = false;
    const xmlNode* first = NextElement(root->children, bad);
    if (!first || bad) return std::nullopt;
    const xmlNode* extra = NextElement(first->next, bad);
    if (extra || bad) return std::nullopt;
    return ParseNode(first, 0);
  }
  return std::nullopt;
}

std::optional<PlistValue> ReadPropertyListFile(const std::string& path) {
  std::string text;
  if (!ReadRegularFile(path, text)) return std::nullopt;
  return ParsePropertyList(text);
}

// ---------------------------------------------------------------- writing

namespace {

// XML 1.0 cannot carry most C0 controls, even as character references.
bool AppendEscaped(std::string& out, const std::string& s) {
  if (!g_utf8_validate(s.data(), static_cast<gssize>(s.size()), nullptr)) return false;
  for (unsigned char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\r': out += "&#13;"; break;
      default:
        if (c < 0x20 && c != '\t' && c != '\n') return false;
        out.push_back(static_cast<char>(c));
    }
  }
  return true;
}

void Indent(std::string& out, int depth) { out.append(static_cast<size_t>(depth), '\t'); }

bool WriteNode(std::string& out, const PlistValue& v, int depth) {
  Indent(out, depth);
  switch (v.type()) {
    case PlistValue::Type::None: return false;
    case PlistValue::Type::String:
      out += "<string>";
      if (!AppendEscaped(out, *v.AsString())) return false;
      out += "</string>\n";
      return true;
    case PlistValue::Type::Date:
      out += "<date>";
      if (!AppendEscaped(out, *v.AsString())) return false;
      out += "</date>\n";
      return true;
    case PlistValue::Type::Integer:
      out += "<integer>" + std::to_string(*v.AsInteger()) + "</integer>\n";
      return true;
    case PlistValue::Type::Real: {
      double d = *v.AsReal();
      char buf[G_ASCII_DTOSTR_BUF_SIZE];
      if (std::isnan(d)) std::snprintf(buf, sizeof buf, "nan");
      else if (std::isinf(d)) std::snprintf(buf, sizeof buf, d > 0 ? "inf" : "-inf");
      else g_ascii_formatd(buf, sizeof buf, "%.17g", d);
      out += std::string("<real>") + buf + "</real>\n";
      return true;
    }
    case PlistValue::Type::Boolean:
      out += *v.AsBoolean() ? "<true/>\n" : "<false/>\n";
      return true;
    case PlistValue::Type::Data: {
      const auto* bytes = v.AsData();
      gchar* b64 = g_base64_encode(bytes->data(), bytes->size());
      out += "<data>";
      out += b64;
      out += "</data>\n";
      g_free(b64);
      return true;
    }
    case PlistValue::Type::Array: {
      const auto* items = v.AsArray();
      if (items->empty()) {
        out += "<array/>\n";
        return true;
      }
      out += "<array>\n";
      for (const auto& item : *items)
        if (!WriteNode(out, item, depth + 1)) return false;
      Indent(out, depth);
      out += "</array>\n";
      return true;
    }
    case PlistValue::Type::Dict: {
      const auto* entries = v.AsDict();
      if (entries->empty()) {
        out += "<dict/>\n";
        return true;
      }
      out += "<dict>\n";
      for (const auto& [key, item] : *entries) {
        Indent(out, depth + 1);
        out += "<key>";
        if (!AppendEscaped(out, key)) return false;
        out += "</key>\n";
        if (!WriteNode(out, item, depth + 1)) return false;
      }
      Indent(out, depth);
      out += "</dict>\n";
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> SerializePropertyList(const PlistValue& root) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
  if (!WriteNode(out, root, 0)) return std::nullopt;
  out += "</plist>\n";
  return out;
}

}  // namespace plat
