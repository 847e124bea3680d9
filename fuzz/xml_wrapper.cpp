// XML files through the common library's wrapper, as module descriptors,
// asset lists and settings files are read: every node walked, attributes
// and contents read, the document written out again.
#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "VdlXmlWrapper.h"
#include "qel/QelWideText.h"

namespace {

const WCHAR* const kNames[] = {u"FileName", u"Name", u"Index", u"IconFile", u"IconName",
                               u"DescStringID", u"ModuleNameID", u"id", u"path", u""};

// Every node once: a node met again means the walk goes round.
void Walk(const CVdlXmlNode& node, int depth, std::set<xmlNode*>& seen) {
  if (!node.IsValid() || depth > 300) return;
  if (!seen.insert(node.GetNode()).second) fuzz::Fail("a walk over the tree meets a node twice");
  for (const WCHAR* name : kNames) {
    CQelStringW text;
    uint32_t number = 0;
    node.GetPropValue(name, text);
    node.GetPropValue(name, number);
    (void)node.CompareNodeName(name);
    CVdlXmlNode child;
    node.GetFirstChildByName(name, child);
  }
  CQelStringW content;
  node.GetContentValue(content);
  for (CVdlXmlNode c = node.GetChild(); c.IsValid(); c = c.NextSibling()) Walk(c, depth + 1, seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteFile("input.xml", data, size);
  std::u16string wide = QelFromUTF8(path);
  {
    CVdlXmlParser parser;
    std::set<xmlNode*> seen;
    if (parser.Open(wide.c_str())) Walk(parser.GetRootNode(), 0, seen);
  }
  if (xmlDoc* doc = XMLWrapper_LoadXML(wide.c_str())) {
    if (xmlNode* root = XMLWrapper_GetRootNode(doc)) {
      CVdlAutoReleaseXMLChar content = XMLWrapper_GetContentValue(root);
      CVdlAutoReleaseXMLChar prop = XMLWrapper_GetPropValue(root, u"Name");
      XMLWrapper_CompareNodeName(root, u"Module");
    }
    unsigned char* buffer = nullptr;
    int length = 0;
    XMLWrapper_Dump(doc, &buffer, &length, nullptr);
    XMLWrapper_FreeMemory(buffer);
    XMLWrapper_FreeDocument(doc);
  }
  return 0;
}
