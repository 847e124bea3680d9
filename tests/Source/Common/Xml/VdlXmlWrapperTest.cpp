#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>
#include <string>

#include "TestEnvironment.h"
#include "VdlXmlWrapper.h"
#include "XmlTestSupport.h"

namespace fs = std::filesystem;
using xmltest::PythonAccepts;
using xmltest::Wide;

namespace {

std::u16string S(const CQelStringW& s) { return std::u16string(s.c_str(), size_t(s.GetLength())); }

const char16_t kNonAscii[] = u"Fotos \u00e9t\u00e9 \u5199\u771f \U0001F4F7 <&>\"'";

}  // namespace

TEST(VdlXmlWrapper, SavedFileReadsBackHereAndInAnIndependentParser) {
  fs::path dir = testenv::MakeTempDir("xml") / u8"dossier \u00e9";
  fs::create_directories(dir);
  fs::path file = dir / "list.xml";
  {
    CVdlXmlSave save;
    ASSERT_TRUE(save.Create());
    CVdlXmlNode root = save.CreateRootNode(u"SelectedAssetList");
    ASSERT_TRUE(root.IsValid());
    CVdlXmlNode first = root.AddChild(u"FirstFile");
    ASSERT_TRUE(first.SetContentValue(u"/home/anna/caf\u00e9.jpg"));
    CVdlXmlNode path = root.AddChild(u"FilePath");
    ASSERT_TRUE(path.SetPropValue(u"LibFileID", uint32_t(4000000000u)));
    ASSERT_TRUE(path.SetPropValue(u"Title", kNonAscii));
    ASSERT_TRUE(path.SetContentValue(u"/home/anna/caf\u00e9.jpg"));
    ASSERT_TRUE(save.Save(Wide(file).c_str()));
  }

  std::string bytes = testenv::ReadFile(file);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u) << bytes;
  EXPECT_NE(bytes.find("\n  <FirstFile>"), std::string::npos) << "indented: " << bytes;
  // Nothing is left beside the file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  EXPECT_TRUE(PythonAccepts(file, R"(
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == 'SelectedAssetList', root.tag
assert [c.tag for c in root] == ['FirstFile', 'FilePath']
assert root[0].text == '/home/anna/caf\u00e9.jpg'
assert root[1].get('LibFileID') == '4000000000'
assert root[1].get('Title') == 'Fotos \u00e9t\u00e9 \u5199\u771f \U0001F4F7 <&>"\'', repr(root[1].get('Title'))
)"));

  CVdlXmlParser parser;
  ASSERT_TRUE(parser.Open(Wide(file).c_str()));
  CVdlXmlNode root = parser.GetRootNode();
  ASSERT_TRUE(root.CompareNodeName(u"selectedassetlist"));
  CVdlXmlNode path;
  ASSERT_TRUE(root.GetFirstChildByName(u"filepath", path));
  CQelStringW title;
  ASSERT_TRUE(path.GetPropValue(u"Title", title));
  EXPECT_EQ(S(title), kNonAscii);
  uint32_t id = 0;
  ASSERT_TRUE(path.GetPropValue(u"LibFileID", id));
  EXPECT_EQ(id, 4000000000u);
  CQelStringW content;
  ASSERT_TRUE(path.GetContentValue(content));
  EXPECT_EQ(S(content), u"/home/anna/caf\u00e9.jpg");
}

TEST(VdlXmlWrapper, ReadsAFileWrittenElsewhereWithBlankTextAndAnyCase) {
  fs::path file = testenv::MakeTempDir("xml") / "Module.xml";
  testenv::WriteFile(file,
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<module>\n"
                     "  <name lang=\"de\">Aufnahme \xc3\xbc\xe2\x82\xac</name>\n"
                     "  <CROPDISTANCE value=\"12\">  7 </CROPDISTANCE>\n"
                     "  <Index value=\"-3\" word=\"x9\"/>\n"
                     "</module>\n");
  CVdlXmlParser parser;
  ASSERT_TRUE(parser.Open(Wide(file).c_str()));
  CVdlXmlNode root = parser.GetRootNode();
  ASSERT_TRUE(root.CompareNodeName(u"Module"));

  // The first child of an indented element is the blank text before it.
  CVdlXmlNode first = root.GetChild();
  ASSERT_TRUE(first.IsValid());
  EXPECT_EQ(first.GetNode()->type, XML_TEXT_NODE);
  CQelStringW blank;
  ASSERT_TRUE(first.GetContentValue(blank));
  EXPECT_EQ(S(blank), u"\n  ");

  CVdlXmlNode crop;
  ASSERT_TRUE(root.GetFirstChildByName(u"CropDistance", crop));
  EXPECT_EQ(crop.GetNode()->type, XML_ELEMENT_NODE);
  CQelStringW text;
  ASSERT_TRUE(crop.GetContentValue(text));
  EXPECT_EQ(S(text), u"  7 ");
  uint32_t value = 0;
  ASSERT_TRUE(crop.GetPropValue(u"value", value));
  EXPECT_EQ(value, 12u);

  CVdlXmlNode name;
  ASSERT_TRUE(root.GetFirstChildByName(u"NAME", name));
  ASSERT_TRUE(name.GetContentValue(text));
  EXPECT_EQ(S(text), u"Aufnahme \u00fc\u20ac");

  CVdlXmlNode index;
  ASSERT_TRUE(root.GetFirstChildByName(u"index", index));
  ASSERT_TRUE(index.GetPropValue(u"value", value));
  EXPECT_EQ(int32_t(value), -3);
  ASSERT_TRUE(index.GetPropValue(u"word", value));
  EXPECT_EQ(value, 0u);  // no leading digits

  CVdlXmlNode untouched = root;
  EXPECT_FALSE(root.GetFirstChildByName(u"Missing", untouched));
  EXPECT_EQ(untouched.GetNode(), root.GetNode());
}

TEST(VdlXmlWrapper, AbsentAttributesAndEmptyWrappersLeaveOutputsAlone) {
  CVdlXmlSave save;
  ASSERT_TRUE(save.Create());
  CVdlXmlNode root = save.CreateRootNode(u"Root");
  uint32_t number = 77;
  CQelStringW text(u"keep");
  EXPECT_FALSE(root.GetPropValue(u"Absent", number));
  EXPECT_FALSE(root.GetPropValue(u"Absent", text));
  EXPECT_FALSE(root.GetPropValue(nullptr, text));
  EXPECT_EQ(number, 77u);
  EXPECT_EQ(S(text), u"keep");

  // Present but empty counts as present.
  ASSERT_TRUE(root.SetPropValue(u"Empty", u""));
  EXPECT_TRUE(root.GetPropValue(u"Empty", text));
  EXPECT_TRUE(text.IsEmpty());

  CVdlXmlNode empty;
  text = u"keep";
  EXPECT_FALSE(empty.IsValid());
  EXPECT_FALSE(empty.GetChild().IsValid());
  EXPECT_FALSE(empty.NextSibling().IsValid());
  EXPECT_FALSE(empty.CompareNodeName(u"Root"));
  EXPECT_FALSE(empty.GetPropValue(u"Empty", text));
  EXPECT_FALSE(empty.GetContentValue(text));
  EXPECT_FALSE(empty.SetContentValue(u"x"));
  EXPECT_FALSE(empty.SetPropValue(u"a", u"b"));
  EXPECT_FALSE(empty.AddChild(u"Child").IsValid());
  EXPECT_EQ(S(text), u"keep");
  EXPECT_FALSE(root.CompareNodeName(nullptr));
  EXPECT_FALSE(root.AddChild(nullptr).IsValid());
  EXPECT_FALSE(root.SetPropValue(u"a", static_cast<const WCHAR*>(nullptr)));
  // Names XML cannot carry are refused rather than written into a broken file.
  EXPECT_FALSE(root.AddChild(u"two words").IsValid());
  EXPECT_FALSE(root.AddChild(u"").IsValid());
  EXPECT_FALSE(root.SetPropValue(u"1st", u"x"));
}

TEST(VdlXmlWrapper, ContentDecodesEntityReferencesAsLibxml2Does) {
  fs::path file = testenv::MakeTempDir("xml") / "c.xml";
  CVdlXmlSave save;
  ASSERT_TRUE(save.Create());
  CVdlXmlNode root = save.CreateRootNode(u"R");
  ASSERT_TRUE(root.AddChild(u"A").SetContentValue(u"Tom &amp; Jerry <1>"));
  ASSERT_TRUE(save.Save(Wide(file).c_str()));
  EXPECT_TRUE(PythonAccepts(file, R"(
import sys, xml.etree.ElementTree as ET
assert ET.parse(sys.argv[1]).getroot()[0].text == 'Tom & Jerry <1>'
)"));
}

TEST(VdlXmlWrapper, WalkingEveryNodeEndsAndMeetsEachOnce) {
  // Entity references in content and attributes: a walk over children and
  // siblings must not wander into the declarations and round again.
  fs::path file = testenv::MakeTempDir("xml") / "e.xml";
  testenv::WriteFile(file, "<?xml version='1.0'?><!DOCTYPE r [<!ENTITY a 'A&#x42;'><!ENTITY b '&a;&a;'>]>"
                           "<r Name='&b;'>&b;<x>&a;</x>tail&b;</r>");
  CVdlXmlParser xml;
  ASSERT_TRUE(xml.Open(Wide(file).c_str()));
  std::set<xmlNode*> seen;
  std::vector<CVdlXmlNode> todo{xml.GetRootNode()};
  while (!todo.empty()) {
    CVdlXmlNode n = todo.back();
    todo.pop_back();
    ASSERT_TRUE(seen.insert(n.GetNode()).second) << "a node met twice";
    ASSERT_LT(seen.size(), 100u);
    for (CVdlXmlNode c = n.GetChild(); c.IsValid(); c = c.NextSibling()) todo.push_back(c);
  }
  CQelStringW text;
  ASSERT_TRUE(xml.GetRootNode().GetContentValue(text));
  EXPECT_EQ(std::u16string(text.c_str()), u"ABABABtailABAB");
}

TEST(VdlXmlWrapper, UnreadableFilesAndFailedSaves) {
  fs::path dir = testenv::MakeTempDir("xml");
  testenv::WriteFile(dir / "broken.xml", "<a><b></a>");
  CVdlXmlParser parser;
  EXPECT_FALSE(parser.Open(nullptr));
  EXPECT_FALSE(parser.Open(Wide(dir / "missing.xml").c_str()));
  EXPECT_FALSE(parser.Open(Wide(dir / "broken.xml").c_str()));
  EXPECT_FALSE(parser.GetRootNode().IsValid());

  CVdlXmlSave save;
  EXPECT_FALSE(save.CreateRootNode(u"R").IsValid());  // no document yet
  EXPECT_FALSE(save.Save(Wide(dir / "none.xml").c_str()));
  ASSERT_TRUE(save.Create());
  save.CreateRootNode(u"New");
  EXPECT_FALSE(save.Save(nullptr));
  EXPECT_FALSE(save.Save(Wide(dir / "no-such-folder" / "x.xml").c_str()));

  // A save that cannot complete leaves the earlier file as it was.
  fs::path kept = dir / "kept.xml";
  testenv::WriteFile(kept, "<Old/>");
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  bool saved = save.Save(Wide(kept).c_str());
  fs::permissions(dir, fs::perms::owner_all);
  if (::geteuid() != 0) {
    EXPECT_FALSE(saved);
  }
  if (!saved) {
    EXPECT_EQ(testenv::ReadFile(kept), "<Old/>");
  }

  // A replaced file keeps its permissions.
  fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(save.Save(Wide(kept).c_str()));
  EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  // Opening again replaces the earlier document.
  testenv::WriteFile(dir / "other.xml", "<Other/>");
  ASSERT_TRUE(parser.Open(Wide(kept).c_str()));
  ASSERT_TRUE(parser.Open(Wide(dir / "other.xml").c_str()));
  EXPECT_TRUE(parser.GetRootNode().CompareNodeName(u"other"));
}

TEST(VdlXmlWrapper, StringHelperConvertsBothWays) {
  CVdlXMLStringHelper empty;
  EXPECT_EQ(empty.GetCount(), 0);
  EXPECT_EQ(empty.GetString()[0], 0);
  EXPECT_EQ(empty.GetString(0), nullptr);
  EXPECT_EQ(empty.GetString(1), nullptr);

  CVdlXMLStringHelper wide(u"\u00e9\U0001F4F7a");
  EXPECT_EQ(wide.GetCount(), 5);  // four units and the terminator
  EXPECT_STREQ(static_cast<const char*>(wide.GetString(1)), "\xc3\xa9\xf0\x9f\x93\xb7" "a");
  EXPECT_STREQ(static_cast<const char*>(wide.GetString(2)), "\xc3\xa9\xf0\x9f\x93\xb7" "a");
  EXPECT_EQ(wide.GetString(3), nullptr);

  const unsigned char utf8[] = "\xc3\xa9t\xc3\xa9";
  CVdlXMLStringHelper narrow(utf8);
  EXPECT_EQ(narrow.GetCount(), 6);  // five bytes and the terminator
  EXPECT_EQ(std::u16string(narrow.GetString()), u"\u00e9t\u00e9");

  narrow = u"x";
  EXPECT_EQ(narrow.GetCount(), 2);
  narrow = static_cast<const WCHAR*>(nullptr);
  EXPECT_EQ(narrow.GetCount(), 0);
  EXPECT_EQ(narrow.GetString()[0], 0);
}
