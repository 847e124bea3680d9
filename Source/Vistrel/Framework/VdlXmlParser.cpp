#include "VdlXmlParser.h"

#include "VdlXmlWrapper.h"

namespace Vardel {

int CVdlXmlParser::Open(const WCHAR* path) {
  m_Doc.Close();
  if (!path) return 0;
  m_Doc.Adopt(XMLWrapper_LoadXML(path));
  return m_Doc.Document() ? 1 : 0;
}

CVdlXmlNode CVdlXmlParser::GetRootNode() const { return XMLWrapper_GetRootNode(m_Doc.Document()); }

}  // namespace Vardel
