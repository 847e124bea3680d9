#pragma once
// The document and in-memory dump that the parser and the builder both hold.
#include <libxml/tree.h>

#include <cstdint>

#include "qel/QelTypes.h"

namespace Vardel::detail {

class XmlDocumentHolder {
 public:
  XmlDocumentHolder() = default;
  XmlDocumentHolder(const XmlDocumentHolder&) = delete;
  XmlDocumentHolder& operator=(const XmlDocumentHolder&) = delete;
  ~XmlDocumentHolder() { Close(); }

  xmlDoc* Document() const { return m_pDoc; }
  // Takes the document; one held before is freed.
  void Adopt(xmlDoc* doc);
  // Size query (buffer null): dumps the document anew, keeps the dump and
  // stores its length. Copy: dumps when no dump is held, copies at most
  // *length bytes and drops the dump; *length is not changed.
  void Dump(unsigned char* buffer, uint32_t* length, const char* encoding);
  int Save(const WCHAR* path, const char* encoding) const;
  // Drops the dump and the document; safe to repeat.
  void Close();

 private:
  void DropDump();

  xmlDoc* m_pDoc = nullptr;
  unsigned char* m_pDump = nullptr;
  int m_nDumpLength = 0;
};

}  // namespace Vardel::detail
