#pragma once
// One XML document built in memory and written to a file.
#include <cstdint>

#include "VdlXmlDocument.h"
#include "VdlXmlNode.h"

namespace Vardel {

class CVdlXmlSave {
 public:
  CVdlXmlSave() = default;
  CVdlXmlSave(const CVdlXmlSave&) = delete;
  CVdlXmlSave& operator=(const CVdlXmlSave&) = delete;
  ~CVdlXmlSave() { Close(); }

  // A new, empty XML 1.0 document (the one held before is dropped).
  int Create();
  // A new element set as the document's root; empty on failure.
  CVdlXmlNode CreateRootNode(const WCHAR* name);
  // Indented UTF-8 with an XML declaration, replacing the file whole; 1 when
  // written.
  int Save(const WCHAR* path) { return m_Doc.Save(path, nullptr); }
  int SaveEx(const WCHAR* path, const char* encoding) { return m_Doc.Save(path, encoding ? encoding : "UTF-8"); }
  void DumpDocuments(unsigned char* buffer, uint32_t* length, const char* encoding) {
    m_Doc.Dump(buffer, length, encoding);
  }
  void Close() { m_Doc.Close(); }

 private:
  detail::XmlDocumentHolder m_Doc;
};

}  // namespace Vardel
