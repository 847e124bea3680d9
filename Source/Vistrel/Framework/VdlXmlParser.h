#pragma once
// One XML document read from a file.
#include <cstdint>

#include "VdlXmlDocument.h"
#include "VdlXmlNode.h"

namespace Vardel {

class CVdlXmlParser {
 public:
  CVdlXmlParser() = default;
  CVdlXmlParser(const CVdlXmlParser&) = delete;
  CVdlXmlParser& operator=(const CVdlXmlParser&) = delete;
  virtual ~CVdlXmlParser() { Close(); }

  // 1 when the file was read as an XML document. A document held from an
  // earlier Open is freed first.
  int Open(const WCHAR* path);
  // The root element; empty without a document.
  CVdlXmlNode GetRootNode() const;
  // Writes the held document as indented UTF-8; 1 when written.
  int SaveDocuments(const WCHAR* path) { return m_Doc.Save(path, nullptr); }
  // With a null buffer: the serialised length in *length. With a buffer:
  // copies at most *length bytes (no terminator added).
  void DumpDocuments(unsigned char* buffer, uint32_t* length, const char* encoding) {
    m_Doc.Dump(buffer, length, encoding);
  }
  void Close() { m_Doc.Close(); }

 private:
  detail::XmlDocumentHolder m_Doc;
};

}  // namespace Vardel
