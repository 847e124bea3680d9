#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TestEnvironment.h"
#include "VdlXmlWrapper.h"
#include "XmlTestSupport.h"

namespace fs = std::filesystem;
using xmltest::PythonAccepts;
using xmltest::Wide;

TEST(XMLWrapperFunctions, BuildCopyMoveAndSave) {
  xmlDoc* doc = XMLWrapper_CreateDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(doc->version), "1.0");
  xmlNode* root = XMLWrapper_CreateRootNode(doc, u"Profile");
  ASSERT_EQ(XMLWrapper_GetRootNode(doc), root);

  xmlNode* section = XMLWrapper_AddChildNode(root, u"Section");
  ASSERT_EQ(XMLWrapper_SetPropValue(section, u"Name", u"Fen\u00eatre"), 1);
  xmlNode* item = XMLWrapper_AddChildNode(section, u"Item");
  ASSERT_EQ(XMLWrapper_SetPropValue(item, u"Value", u"1"), 1);
  ASSERT_EQ(XMLWrapper_SetPropValue(item, u"Value", u"2"), 1);  // replaces
  ASSERT_NE(XMLWrapper_AddChildCData(root, u"a < b && \u00e9"), nullptr);

  xmlNode* copy = XMLWrapper_CopyNode(section, 1);
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(XMLWrapper_AddChildNodeExist(root, copy), copy);

  xmlNode* gone = XMLWrapper_AddChildNode(root, u"Gone");
  XMLWrapper_UnlinkNode(gone);
  XMLWrapper_FreeNode(gone);

  EXPECT_EQ(XMLWrapper_CompareNodeName(section, u"SECTION"), 1);
  EXPECT_EQ(XMLWrapper_CompareNodeName(section, u"Sect"), 0);
  CVdlAutoReleaseXMLChar name = XMLWrapper_GetPropValue(section, u"Name");
  EXPECT_STREQ(name.c_str(), "Fen\xc3\xaatre");
  CVdlAutoReleaseXMLChar absent = XMLWrapper_GetPropValue(section, u"Nope");
  EXPECT_EQ(static_cast<unsigned char*>(absent), nullptr);

  fs::path file = testenv::MakeTempDir("xml") / "profile.xml";
  ASSERT_EQ(XMLWrapper_Save(doc, Wide(file).c_str()), 1);
  XMLWrapper_FreeDocument(doc);

  EXPECT_TRUE(PythonAccepts(file, R"(
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert [c.tag for c in root] == ['Section', 'Section'], [c.tag for c in root]
for s in root:
    assert s.get('Name') == 'Fen\u00eatre'
    assert s[0].tag == 'Item' and s[0].get('Value') == '2'
assert root[0].tail.strip() == 'a < b && \u00e9', repr(root[0].tail)
)"));

  xmlDoc* loaded = XMLWrapper_LoadXML(Wide(file).c_str());
  ASSERT_NE(loaded, nullptr);
  CVdlAutoReleaseXMLChar content = XMLWrapper_GetContentValue(XMLWrapper_GetRootNode(loaded));
  EXPECT_NE(std::strstr(content.c_str(), "a < b && \xc3\xa9"), nullptr);
  XMLWrapper_FreeDocument(loaded);
}

TEST(XMLWrapperFunctions, NullArgumentsGiveNullResults) {
  xmlDoc* doc = XMLWrapper_CreateDocument();
  xmlNode* root = XMLWrapper_CreateRootNode(doc, u"R");
  EXPECT_EQ(XMLWrapper_LoadXML(nullptr), nullptr);
  EXPECT_EQ(XMLWrapper_GetRootNode(nullptr), nullptr);
  EXPECT_EQ(XMLWrapper_CreateRootNode(nullptr, u"R"), nullptr);
  EXPECT_EQ(XMLWrapper_CreateRootNode(doc, nullptr), nullptr);
  EXPECT_EQ(XMLWrapper_AddChildNode(nullptr, u"C"), nullptr);
  EXPECT_EQ(XMLWrapper_AddChildNode(root, nullptr), nullptr);
  EXPECT_EQ(XMLWrapper_AddChildCData(nullptr, u"t"), nullptr);
  EXPECT_EQ(XMLWrapper_AddChildNodeExist(root, nullptr), nullptr);
  EXPECT_EQ(XMLWrapper_CopyNode(nullptr, 1), nullptr);
  EXPECT_EQ(XMLWrapper_CompareNodeName(nullptr, u"R"), 0);
  EXPECT_EQ(XMLWrapper_SetPropValue(root, nullptr, u"v"), 0);
  EXPECT_EQ(XMLWrapper_SetContentValue(nullptr, u"v"), 0);
  EXPECT_EQ(static_cast<unsigned char*>(XMLWrapper_GetContentValue(nullptr)), nullptr);
  EXPECT_EQ(XMLWrapper_Save(nullptr, u"/tmp/x.xml"), 0);
  XMLWrapper_UnlinkNode(nullptr);
  XMLWrapper_FreeNode(nullptr);
  XMLWrapper_FreeDocument(nullptr);

  unsigned char* buffer = reinterpret_cast<unsigned char*>(1);
  int length = 5;
  XMLWrapper_Dump(nullptr, &buffer, &length, "UTF-8");
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(length, 0);
  XMLWrapper_Dump(doc, &buffer, &length, nullptr);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size_t(length)),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<R/>\n");
  XMLWrapper_FreeMemory(buffer);
  XMLWrapper_FreeDocument(doc);
}

TEST(XMLWrapperFunctions, SaveExWritesTheNamedEncoding) {
  xmlDoc* doc = XMLWrapper_CreateDocument();
  xmlNode* root = XMLWrapper_CreateRootNode(doc, u"R");
  XMLWrapper_SetContentValue(root, u"\u00e9");
  fs::path file = testenv::MakeTempDir("xml") / "latin.xml";
  ASSERT_NE(XMLWrapper_SaveEx(doc, Wide(file).c_str(), "ISO-8859-1"), 0);
  XMLWrapper_FreeDocument(doc);
  std::string bytes = testenv::ReadFile(file);
  EXPECT_NE(bytes.find("encoding=\"ISO-8859-1\""), std::string::npos);
  EXPECT_NE(bytes.find("<R>\xe9</R>"), std::string::npos) << bytes;
}
