#include "VdlXmlSave.h"

#include "VdlXmlWrapper.h"

namespace Vardel {

int CVdlXmlSave::Create() {
  m_Doc.Adopt(XMLWrapper_CreateDocument());
  return m_Doc.Document() ? 1 : 0;
}

CVdlXmlNode CVdlXmlSave::CreateRootNode(const WCHAR* name) {
  if (!name) return CVdlXmlNode();
  return XMLWrapper_CreateRootNode(m_Doc.Document(), name);
}

}  // namespace Vardel
