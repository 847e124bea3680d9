#include "VdlXmlNode.h"

#include "VdlXmlWrapper.h"
#include "qel/QelWideText.h"

namespace Vardel {

namespace {

CQelStringW FromUtf8(const unsigned char* text) {
  if (!text) return CQelStringW();
  std::u16string wide = QelFromUTF8(reinterpret_cast<const char*>(text));
  return CQelStringW(wide.c_str());
}

}  // namespace

CVdlXmlNode CVdlXmlNode::GetChild() const { return m_pNode ? m_pNode->children : nullptr; }

CVdlXmlNode CVdlXmlNode::NextSibling() const { return m_pNode ? m_pNode->next : nullptr; }

int CVdlXmlNode::GetFirstChildByName(const WCHAR* name, CVdlXmlNode& out) const {
  if (!m_pNode || !name) return 0;
  for (CVdlXmlNode child = GetChild(); child.IsValid(); child = child.NextSibling()) {
    if (child.CompareNodeName(name)) {
      out = child;
      return 1;
    }
  }
  return 0;
}

CQelStringW CVdlXmlNode::GetName() const { return m_pNode ? FromUtf8(m_pNode->name) : CQelStringW(); }

int CVdlXmlNode::GetType() const { return m_pNode ? static_cast<int>(m_pNode->type) : -1; }

int CVdlXmlNode::CompareNodeName(const WCHAR* name) const {
  return XMLWrapper_CompareNodeName(m_pNode, name);
}

int CVdlXmlNode::GetPropValue(const WCHAR* name, CQelStringW& value) const {
  if (!m_pNode || !name) return 0;
  CVdlAutoReleaseXMLChar text = XMLWrapper_GetPropValue(m_pNode, name);
  if (!static_cast<unsigned char*>(text)) return 0;
  value = FromUtf8(text);
  return 1;
}

int CVdlXmlNode::GetPropValue(const WCHAR* name, uint32_t& value) const {
  CQelStringW text;
  if (!GetPropValue(name, text)) return 0;
  value = static_cast<uint32_t>(qel_wtoi(text));
  return 1;
}

int CVdlXmlNode::SetPropValue(const WCHAR* name, const WCHAR* value) {
  return XMLWrapper_SetPropValue(m_pNode, name, value);
}

int CVdlXmlNode::SetPropValue(const WCHAR* name, uint32_t value) {
  WCHAR buffer[100] = {};
  qel_swprintf(buffer, 100, u"%u", value);
  return SetPropValue(name, buffer);
}

int CVdlXmlNode::GetContentValue(CQelStringW& value) const {
  if (!m_pNode) return 0;
  CVdlAutoReleaseXMLChar text = XMLWrapper_GetContentValue(m_pNode);
  if (!static_cast<unsigned char*>(text)) return 0;
  value = FromUtf8(text);
  return 1;
}

int CVdlXmlNode::SetContentValue(const WCHAR* text) { return XMLWrapper_SetContentValue(m_pNode, text); }

CVdlXmlNode CVdlXmlNode::AddChild(const WCHAR* name) { return XMLWrapper_AddChildNode(m_pNode, name); }

CVdlXmlNode CVdlXmlNode::AddChildCData(const WCHAR* text) { return XMLWrapper_AddChildCData(m_pNode, text); }

CVdlXmlNode CVdlXmlNode::AddChildExist(CVdlXmlNode node) {
  return XMLWrapper_AddChildNodeExist(m_pNode, node.m_pNode);
}

CVdlXmlNode CVdlXmlNode::CopyFirstChildByName(const WCHAR* name, int recursive) {
  CVdlXmlNode child;
  if (!GetFirstChildByName(name, child)) return CVdlXmlNode();
  return XMLWrapper_CopyNode(child.m_pNode, recursive);
}

void CVdlXmlNode::DeleteFirstChildByName(const WCHAR* name) {
  CVdlXmlNode child;
  if (GetFirstChildByName(name, child)) DeleteNode(child);
}

void CVdlXmlNode::DeleteNode(CVdlXmlNode node) {
  if (!m_pNode || !node.m_pNode) return;
  XMLWrapper_UnlinkNode(node.m_pNode);
  XMLWrapper_FreeNode(node.m_pNode);
}

}  // namespace Vardel
