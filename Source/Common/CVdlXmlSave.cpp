#include "VdlXmlWrapper.h"

CVdlXmlSave::~CVdlXmlSave() { Close(); }

bool CVdlXmlSave::Create() {
  Close();
  m_doc = XMLWrapper_CreateDocument();
  return m_doc != nullptr;
}

CVdlXmlNode CVdlXmlSave::CreateRootNode(const WCHAR* name) {
  return CVdlXmlNode(XMLWrapper_CreateRootNode(m_doc, name));
}

bool CVdlXmlSave::Save(const WCHAR* path) { return XMLWrapper_Save(m_doc, path) != 0; }

void CVdlXmlSave::Close() {
  XMLWrapper_FreeDocument(m_doc);
  m_doc = nullptr;
}
