#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestEnvironment.h"
#include "VdlXmlParser.h"
#include "VdlXmlSave.h"
#include "qel/QelWideText.h"

using Vardel::CVdlXmlNode;
using Vardel::CVdlXmlParser;
using Vardel::CVdlXmlSave;

namespace {

std::u16string W(const std::filesystem::path& p) { return QelFromUTF8(p.string()); }

CVdlXmlSave* MakeDocument(CVdlXmlSave& doc) {
  EXPECT_EQ(doc.Create(), 1);
  CVdlXmlNode root = doc.CreateRootNode(u"Root");
  EXPECT_TRUE(root.IsValid());
  CVdlXmlNode child = root.AddChild(u"Child");
  child.SetPropValue(u"Path", u"/tmp/a & b/caf\u00e9.jpg");
  child.SetContentValue(u"text");
  return &doc;
}

}  // namespace

TEST(VdlXmlDocumentTest, SaveWritesIndentedUtf8ThatReadsBack) {
  auto dir = testenv::MakeTempDir("doc");
  CVdlXmlSave doc;
  MakeDocument(doc);
  EXPECT_EQ(doc.Save(nullptr), 0);
  ASSERT_EQ(doc.Save(W(dir / "out.xml").c_str()), 1);
  std::string bytes = testenv::ReadFile(dir / "out.xml");
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
  EXPECT_NE(bytes.find("\n  <Child"), std::string::npos);
  EXPECT_NE(bytes.find("caf\xc3\xa9"), std::string::npos);

  CVdlXmlParser parser;
  ASSERT_EQ(parser.Open(W(dir / "out.xml").c_str()), 1);
  CVdlXmlNode child;
  ASSERT_EQ(parser.GetRootNode().GetFirstChildByName(u"child", child), 1);
  CQelStringW path;
  ASSERT_EQ(child.GetPropValue(u"Path", path), 1);
  EXPECT_EQ(std::u16string(path.c_str()), u"/tmp/a & b/caf\u00e9.jpg");

  // Saving again over the file, and in another encoding.
  EXPECT_EQ(parser.SaveDocuments(W(dir / "again.xml").c_str()), 1);
  ASSERT_EQ(doc.SaveEx(W(dir / "latin.xml").c_str(), "ISO-8859-1"), 1);
  std::string latin = testenv::ReadFile(dir / "latin.xml");
  EXPECT_NE(latin.find("encoding=\"ISO-8859-1\""), std::string::npos);
  EXPECT_NE(latin.find("caf\xe9"), std::string::npos);
}

TEST(VdlXmlDocumentTest, OpenRefusesMissingAndMalformedFiles) {
  auto dir = testenv::MakeTempDir("bad");
  testenv::WriteFile(dir / "broken.xml", "<Root><Unclosed></Root>");
  CVdlXmlParser parser;
  EXPECT_EQ(parser.Open(nullptr), 0);
  EXPECT_EQ(parser.Open(W(dir / "none.xml").c_str()), 0);
  EXPECT_EQ(parser.Open(W(dir / "broken.xml").c_str()), 0);
  EXPECT_FALSE(parser.GetRootNode().IsValid());
  parser.Close();
  parser.Close();  // safe to repeat

  CVdlXmlSave doc;
  EXPECT_FALSE(doc.CreateRootNode(u"Root").IsValid());  // no document yet
  EXPECT_EQ(doc.Save(W(dir / "none-written.xml").c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "none-written.xml"));
  ASSERT_EQ(doc.Create(), 1);
  EXPECT_FALSE(doc.CreateRootNode(nullptr).IsValid());
}

TEST(VdlXmlDocumentTest, DumpMeasuresThenCopiesAndDumpsAfreshAfterACopy) {
  CVdlXmlSave doc;
  MakeDocument(doc);

  uint32_t length = 0;
  doc.DumpDocuments(nullptr, &length, "UTF-8");
  ASSERT_GT(length, 40u);
  uint32_t again = 0;
  doc.DumpDocuments(nullptr, &again, "UTF-8");  // a second query dumps anew
  EXPECT_EQ(again, length);

  std::vector<unsigned char> full(length, 0xEE);
  uint32_t size = length;
  doc.DumpDocuments(full.data(), &size, "UTF-8");
  EXPECT_EQ(size, length);  // the length is not changed by a copy
  std::string text(full.begin(), full.end());
  EXPECT_EQ(text.rfind("<?xml", 0), 0u);
  EXPECT_NE(text.find("<Child"), std::string::npos);

  // Without a size query first, a copy dumps by itself; a small buffer gets
  // only that many bytes.
  std::vector<unsigned char> small(10, 0xEE);
  size = 5;
  doc.DumpDocuments(small.data(), &size, "UTF-8");
  EXPECT_EQ(std::string(small.begin(), small.begin() + 5), "<?xml");
  EXPECT_EQ(small[5], 0xEE);

  doc.DumpDocuments(nullptr, nullptr, "UTF-8");  // null length: nothing
  CVdlXmlParser none;
  uint32_t untouched = 3;
  none.DumpDocuments(nullptr, &untouched, "UTF-8");
  EXPECT_EQ(untouched, 3u);
}
