#pragma once
// A thin UTF-16 face over libxml2. Text crossing into libxml2 is UTF-8; text
// handed back is UTF-16 (CQelStringW). Two faces do the same work: the small
// classes below and the flat XMLWrapper_* functions, whose names and results
// the other programs of the suite share.
#include <libxml/tree.h>

#include <cstdint>

#include "CQelStringW.h"
#include "qel/QelTypes.h"

// Owns one string that libxml2 allocated (UTF-8), freed with xmlFree.
class CVdlAutoReleaseXMLChar {
 public:
  CVdlAutoReleaseXMLChar() = default;
  explicit CVdlAutoReleaseXMLChar(unsigned char* text) : m_text(text) {}
  CVdlAutoReleaseXMLChar(CVdlAutoReleaseXMLChar&& other) noexcept : m_text(other.m_text) {
    other.m_text = nullptr;
  }
  CVdlAutoReleaseXMLChar& operator=(CVdlAutoReleaseXMLChar&& other) noexcept;
  CVdlAutoReleaseXMLChar(const CVdlAutoReleaseXMLChar&) = delete;
  CVdlAutoReleaseXMLChar& operator=(const CVdlAutoReleaseXMLChar&) = delete;
  virtual ~CVdlAutoReleaseXMLChar();

  // Frees the held string first; the new one is owned from now on.
  CVdlAutoReleaseXMLChar& operator=(unsigned char* text);
  // Hands out the held pointer; it stays owned by this object.
  operator unsigned char*() const { return m_text; }  // NOLINT
  const char* c_str() const { return reinterpret_cast<const char*>(m_text); }

 private:
  unsigned char* m_text = nullptr;
};

// UTF-16 <-> UTF-8 conversion with owned buffers. The count is the source's
// length plus one (units for UTF-16, bytes for UTF-8).
class CVdlXMLStringHelper {
 public:
  CVdlXMLStringHelper() = default;
  explicit CVdlXMLStringHelper(const WCHAR* text);
  explicit CVdlXMLStringHelper(const unsigned char* utf8);
  CVdlXMLStringHelper(const CVdlXMLStringHelper&) = delete;
  CVdlXMLStringHelper& operator=(const CVdlXMLStringHelper&) = delete;
  virtual ~CVdlXMLStringHelper();

  CVdlXMLStringHelper& operator=(const WCHAR* text);
  CVdlXMLStringHelper& operator=(const unsigned char* utf8);

  // kind 0: the UTF-16 text; kinds 1 and 2: its UTF-8 form (made anew in a
  // buffer of 3 x count bytes); any other kind: null. Owned by this object.
  void* GetString(int kind);
  // The UTF-16 text, or an empty text when nothing is held.
  const WCHAR* GetString() const;
  int GetCount() const { return m_count; }
  const char* GetUTF8() { return static_cast<const char*>(GetString(1)); }
  void release();

 private:
  void Take(const WCHAR* text);
  void Take(const unsigned char* utf8);

  int m_count = 0;
  WCHAR* m_wide = nullptr;
  char* m_narrow = nullptr;
};

// One node of a document; the node belongs to its document, never to the
// wrapper. Copies share the node.
class CVdlXmlNode {
 public:
  CVdlXmlNode() = default;
  CVdlXmlNode(xmlNode* node) : m_node(node) {}  // NOLINT
  CVdlXmlNode(const CVdlXmlNode&) = default;
  CVdlXmlNode& operator=(const CVdlXmlNode&) = default;
  CVdlXmlNode& operator=(xmlNode* node) {
    m_node = node;
    return *this;
  }
  virtual ~CVdlXmlNode() = default;

  bool IsValid() const { return m_node != nullptr; }
  xmlNode* GetNode() const { return m_node; }

  // First child / next sibling of any kind (text nodes included); an entity
  // reference has no children (its text is its content).
  CVdlXmlNode GetChild() const;
  CVdlXmlNode NextSibling() const;

  // Name compared without regard to (ASCII) case.
  bool CompareNodeName(const WCHAR* name) const;
  // First child, in document order, whose name matches; `out` untouched
  // when none does.
  bool GetFirstChildByName(const WCHAR* name, CVdlXmlNode& out) const;

  // Attribute reads leave `value` untouched when the attribute is absent.
  bool GetPropValue(const WCHAR* name, CQelStringW& value) const;
  bool GetPropValue(const WCHAR* name, uint32_t& value) const;
  bool SetPropValue(const WCHAR* name, const WCHAR* value);
  bool SetPropValue(const WCHAR* name, uint32_t value);

  // The text of the node and its descendants; false when there is none.
  bool GetContentValue(CQelStringW& value) const;
  // Replaces the content. Entity references in `text` are decoded, so a
  // caller storing arbitrary text escapes '&' first.
  bool SetContentValue(const WCHAR* text);

  // A new element appended as the last child; empty on failure.
  CVdlXmlNode AddChild(const WCHAR* name);

 private:
  xmlNode* m_node = nullptr;
};

// A document read from a file.
class CVdlXmlParser {
 public:
  CVdlXmlParser() = default;
  CVdlXmlParser(const CVdlXmlParser&) = delete;
  CVdlXmlParser& operator=(const CVdlXmlParser&) = delete;
  virtual ~CVdlXmlParser();

  bool Open(const WCHAR* path);
  CVdlXmlNode GetRootNode() const;
  void Close();
  xmlDoc* GetDocument() const { return m_doc; }

 private:
  xmlDoc* m_doc = nullptr;
};

// A document being built and written.
class CVdlXmlSave {
 public:
  CVdlXmlSave() = default;
  CVdlXmlSave(const CVdlXmlSave&) = delete;
  CVdlXmlSave& operator=(const CVdlXmlSave&) = delete;
  ~CVdlXmlSave();

  bool Create();
  CVdlXmlNode CreateRootNode(const WCHAR* name);
  // UTF-8, indented, with an XML declaration; the file is replaced whole
  // (written beside it, then renamed), so a failed save leaves the old one.
  bool Save(const WCHAR* path);
  void Close();
  xmlDoc* GetDocument() const { return m_doc; }

 private:
  xmlDoc* m_doc = nullptr;
};

// The flat function set. Null arguments give null / 0 results.
xmlDoc* XMLWrapper_CreateDocument();
xmlDoc* XMLWrapper_LoadXML(const WCHAR* path);
xmlNode* XMLWrapper_GetRootNode(xmlDoc* doc);
void XMLWrapper_FreeDocument(xmlDoc* doc);
xmlNode* XMLWrapper_CreateRootNode(xmlDoc* doc, const WCHAR* name);
xmlNode* XMLWrapper_AddChildNode(xmlNode* parent, const WCHAR* name);
xmlNode* XMLWrapper_AddChildCData(xmlNode* parent, const WCHAR* text);
xmlNode* XMLWrapper_AddChildNodeExist(xmlNode* parent, xmlNode* node);
xmlNode* XMLWrapper_CopyNode(xmlNode* node, int recursive);
void XMLWrapper_UnlinkNode(xmlNode* node);
void XMLWrapper_FreeNode(xmlNode* node);
int XMLWrapper_CompareNodeName(xmlNode* node, const WCHAR* name);
int XMLWrapper_SetPropValue(xmlNode* node, const WCHAR* name, const WCHAR* value);
CVdlAutoReleaseXMLChar XMLWrapper_GetPropValue(xmlNode* node, const WCHAR* name);
int XMLWrapper_SetContentValue(xmlNode* node, const WCHAR* text);
CVdlAutoReleaseXMLChar XMLWrapper_GetContentValue(xmlNode* node);
// 1 when the document was written (at least one byte), else 0.
int XMLWrapper_Save(xmlDoc* doc, const WCHAR* path);
// The same in another encoding ("UTF-8" when null).
int XMLWrapper_SaveEx(xmlDoc* doc, const WCHAR* path, const char* encoding);
// Serialises the document into a new buffer (release with
// XMLWrapper_FreeMemory); buffer null and length 0 on failure.
void XMLWrapper_Dump(xmlDoc* doc, unsigned char** buffer, int* length, const char* encoding);
void XMLWrapper_FreeMemory(unsigned char* buffer);
