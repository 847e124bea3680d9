// String tables: <strings><s id="27">Text</s></strings>, texts by number.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "qel/QelLayout.h"

namespace qel {

bool StringTable::Load(const std::string& path) {
  xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) {
    std::fprintf(stderr, "qel: cannot read string table %s\n", path.c_str());
    return false;
  }
  xmlNodePtr root = xmlDocGetRootElement(doc);
  bool ok = root && xmlStrcmp(root->name, BAD_CAST "strings") == 0;
  if (!ok) std::fprintf(stderr, "qel: %s is not a string table\n", path.c_str());
  for (xmlNodePtr n = ok ? root->children : nullptr; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE || xmlStrcmp(n->name, BAD_CAST "s") != 0) continue;
    xmlChar* id = xmlGetProp(n, BAD_CAST "id");
    char* end = nullptr;
    errno = 0;
    long long v = id ? std::strtoll(reinterpret_cast<char*>(id), &end, 10) : 0;
    bool good = id && end && *end == 0 && end != reinterpret_cast<char*>(id) && errno != ERANGE &&
                v >= INT32_MIN && v <= INT32_MAX;  // an id past 32 bits is not another id cut short
    if (good && !strings_.count(int32_t(v))) {
      xmlChar* text = xmlNodeGetContent(n);
      strings_[int32_t(v)] = ToU16(text ? reinterpret_cast<char*>(text) : "");
      xmlFree(text);
    } else if (!good) {
      std::fprintf(stderr, "qel: %s: string without a numeric id\n", path.c_str());
    }
    xmlFree(id);
  }
  xmlFreeDoc(doc);
  return ok;
}

const std::u16string* StringTable::Find(int32_t id) const {
  auto it = strings_.find(id);
  return it == strings_.end() ? nullptr : &it->second;
}

intptr_t StringTable::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM) {
  if (iface == QEL_IF_AUI && method == 2) {
    const std::u16string* s = Find(int32_t(w));
    return s ? reinterpret_cast<intptr_t>(s->c_str()) : 0;
  }
  return QEL_E_NOTIMPL;
}

}  // namespace qel

QelObject QelCreateAUI(const char* path) {
  if (!path) return nullptr;
  auto* table = new qel::StringTable();
  if (!table->Load(QelResolvePath(path))) {
    table->Release();
    return nullptr;
  }
  return table->Handle();
}

QelObject QelCreateAUIW(const WCHAR* path) {
  if (!path) return nullptr;
  return QelCreateAUI(qel::ToU8(path).c_str());
}
