#pragma once
// The component framework's UTF-16 view of one libxml2 node. A handle never
// owns its node: the node belongs to its document and lives as long as the
// document does. Every operation on an empty handle answers 0, -1, empty
// text or an empty handle and changes nothing.
#include <libxml/tree.h>

#include <cstdint>

#include "CQelStringW.h"

namespace Vardel {

class CVdlXmlNode {
 public:
  CVdlXmlNode() = default;
  CVdlXmlNode(xmlNode* node) : m_pNode(node) {}  // NOLINT: converts like the framework's
  CVdlXmlNode(const CVdlXmlNode&) = default;
  CVdlXmlNode& operator=(const CVdlXmlNode&) = default;
  CVdlXmlNode& operator=(xmlNode* node) {
    m_pNode = node;
    return *this;
  }
  virtual ~CVdlXmlNode() = default;

  int IsValid() const { return m_pNode ? 1 : 0; }
  xmlNode* GetNode() const { return m_pNode; }

  // Children of every kind (elements, text, comments, CDATA) count.
  CVdlXmlNode GetChild() const;
  CVdlXmlNode NextSibling() const;
  // The first child whose name matches as CompareNodeName does; 1 and
  // `out` set, or 0 with `out` untouched.
  int GetFirstChildByName(const WCHAR* name, CVdlXmlNode& out) const;

  CQelStringW GetName() const;
  // libxml2's node type (1 element, 3 text, 4 CDATA, 8 comment); -1 when empty.
  int GetType() const;
  // 1 when the node's name equals `name` without regard to letter case.
  int CompareNodeName(const WCHAR* name) const;

  // 1 and the value (also when empty) for a present attribute; 0 and
  // `value` untouched otherwise.
  int GetPropValue(const WCHAR* name, CQelStringW& value) const;
  // The text form, its leading decimal digits as the number.
  int GetPropValue(const WCHAR* name, uint32_t& value) const;
  int SetPropValue(const WCHAR* name, const WCHAR* value);
  int SetPropValue(const WCHAR* name, uint32_t value);  // decimal text

  // The text of the node and all its descendants; 0 and `value` untouched
  // when libxml2 gives none.
  int GetContentValue(CQelStringW& value) const;
  int SetContentValue(const WCHAR* text);

  // New children appended last; empty handles on failure.
  CVdlXmlNode AddChild(const WCHAR* name);
  CVdlXmlNode AddChildCData(const WCHAR* text);
  // Links an unlinked node (such as a copy) as the last child.
  CVdlXmlNode AddChildExist(CVdlXmlNode node);
  // A copy (recursive 1: the whole subtree) of the first matching child; the
  // copy belongs to no tree until it is added somewhere.
  CVdlXmlNode CopyFirstChildByName(const WCHAR* name, int recursive);
  // Unlinks and frees the first matching child.
  void DeleteFirstChildByName(const WCHAR* name);
  // Unlinks and frees `node` (not this handle's node); every handle on it
  // then names freed memory.
  void DeleteNode(CVdlXmlNode node);

 private:
  xmlNode* m_pNode = nullptr;
};

}  // namespace Vardel
