#include <cstdint>

#include "VdlXmlWrapper.h"

namespace {

// Text handed back to callers: UTF-8 from libxml2 to UTF-16.
void AssignUtf8(CQelStringW& out, const char* utf8) {
  std::u16string wide = QelFromUTF8(utf8);
  out = wide.c_str();
}

}  // namespace

// An entity reference keeps the entity's declaration where a child would be;
// following it leads into the document type, whose declarations lead back to
// the references, so a walk over the tree would never end. References are
// leaves here; their text is read with GetContentValue.
CVdlXmlNode CVdlXmlNode::GetChild() const {
  if (!m_node || m_node->type == XML_ENTITY_REF_NODE) return CVdlXmlNode();
  return CVdlXmlNode(m_node->children);
}

CVdlXmlNode CVdlXmlNode::NextSibling() const { return CVdlXmlNode(m_node ? m_node->next : nullptr); }

bool CVdlXmlNode::CompareNodeName(const WCHAR* name) const {
  return XMLWrapper_CompareNodeName(m_node, name) != 0;
}

bool CVdlXmlNode::GetFirstChildByName(const WCHAR* name, CVdlXmlNode& out) const {
  for (CVdlXmlNode child = GetChild(); child.IsValid(); child = child.NextSibling()) {
    if (child.CompareNodeName(name)) {
      out = child;
      return true;
    }
  }
  return false;
}

bool CVdlXmlNode::GetPropValue(const WCHAR* name, CQelStringW& value) const {
  CVdlAutoReleaseXMLChar prop = XMLWrapper_GetPropValue(m_node, name);
  if (!prop) return false;
  AssignUtf8(value, prop.c_str());
  return true;
}

bool CVdlXmlNode::GetPropValue(const WCHAR* name, uint32_t& value) const {
  CQelStringW text;
  if (!GetPropValue(name, text)) return false;
  int32_t number = qel_wtoi(text);
  if (number == INT32_MAX) {
    // The writer formats with "%u": read values above the signed range back
    // whole instead of stopping at the signed limit.
    const WCHAR* p = text;
    while (*p == u' ' || *p == u'\t') ++p;
    if (*p == u'+') ++p;
    uint64_t wide = 0;
    for (; *p >= u'0' && *p <= u'9' && wide <= UINT32_MAX; ++p) wide = wide * 10 + uint64_t(*p - u'0');
    value = wide > UINT32_MAX ? UINT32_MAX : uint32_t(wide);
  } else {
    value = uint32_t(number);
  }
  return true;
}

bool CVdlXmlNode::SetPropValue(const WCHAR* name, const WCHAR* value) {
  return XMLWrapper_SetPropValue(m_node, name, value) != 0;
}

bool CVdlXmlNode::SetPropValue(const WCHAR* name, uint32_t value) {
  WCHAR text[100];
  qel_swprintf(text, 100, u"%u", value);
  return SetPropValue(name, text);
}

bool CVdlXmlNode::GetContentValue(CQelStringW& value) const {
  CVdlAutoReleaseXMLChar content = XMLWrapper_GetContentValue(m_node);
  if (!content) return false;
  AssignUtf8(value, content.c_str());
  return true;
}

bool CVdlXmlNode::SetContentValue(const WCHAR* text) { return XMLWrapper_SetContentValue(m_node, text) != 0; }

CVdlXmlNode CVdlXmlNode::AddChild(const WCHAR* name) {
  return CVdlXmlNode(XMLWrapper_AddChildNode(m_node, name));
}
