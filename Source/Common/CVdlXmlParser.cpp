#include "VdlXmlWrapper.h"

CVdlXmlParser::~CVdlXmlParser() { Close(); }

bool CVdlXmlParser::Open(const WCHAR* path) {
  Close();  // a second Open must not leak the first document
  m_doc = XMLWrapper_LoadXML(path);
  return m_doc != nullptr;
}

CVdlXmlNode CVdlXmlParser::GetRootNode() const { return CVdlXmlNode(XMLWrapper_GetRootNode(m_doc)); }

void CVdlXmlParser::Close() {
  XMLWrapper_FreeDocument(m_doc);
  m_doc = nullptr;
}
