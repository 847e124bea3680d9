#include "VdlXmlDocument.h"

#include <algorithm>
#include <cstring>

#include "VdlXmlWrapper.h"

namespace Vardel::detail {

void XmlDocumentHolder::Adopt(xmlDoc* doc) {
  Close();
  m_pDoc = doc;
}

void XmlDocumentHolder::DropDump() {
  XMLWrapper_FreeMemory(m_pDump);
  m_pDump = nullptr;
  m_nDumpLength = 0;
}

void XmlDocumentHolder::Dump(unsigned char* buffer, uint32_t* length, const char* encoding) {
  if (!length || !m_pDoc) return;
  if (!buffer) {
    DropDump();
    XMLWrapper_Dump(m_pDoc, &m_pDump, &m_nDumpLength, encoding);
    *length = static_cast<uint32_t>(m_nDumpLength);
    return;
  }
  if (!m_pDump) XMLWrapper_Dump(m_pDoc, &m_pDump, &m_nDumpLength, encoding);
  size_t n = std::min<size_t>(static_cast<size_t>(std::max(m_nDumpLength, 0)), *length);
  if (n && m_pDump) std::memcpy(buffer, m_pDump, n);
  DropDump();
}

int XmlDocumentHolder::Save(const WCHAR* path, const char* encoding) const {
  if (!path) return 0;
  return encoding ? XMLWrapper_SaveEx(m_pDoc, path, encoding) : XMLWrapper_Save(m_pDoc, path);
}

void XmlDocumentHolder::Close() {
  DropDump();
  XMLWrapper_FreeDocument(m_pDoc);
  m_pDoc = nullptr;
}

}  // namespace Vardel::detail
