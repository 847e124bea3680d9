#include <gtest/gtest.h>

#include <string>

#include "TestEnvironment.h"
#include "VdlXmlParser.h"
#include "VdlXmlSave.h"
#include "qel/QelWideText.h"

using Vardel::CVdlXmlNode;
using Vardel::CVdlXmlParser;
using Vardel::CVdlXmlSave;

namespace {

std::u16string W(const std::filesystem::path& p) { return QelFromUTF8(p.string()); }
std::u16string S(const CQelStringW& s) { return std::u16string(s.c_str()); }

class VdlXmlNodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testenv::MakeTempDir("xml") / "list.xml";
    testenv::WriteFile(path_,
                       "<?xml version=\"1.0\"?>\n"
                       "<List>\n"
                       "  <!-- photos -->\n"
                       "  <Item Name=\"a\" Empty=\"\" Count=\"12abc\">first</Item>\n"
                       "  <Item Name=\"b\">sec<b>o</b>nd</Item>\n"
                       "  <Other/>\n"
                       "</List>\n");
    ASSERT_EQ(parser_.Open(W(path_).c_str()), 1);
    root_ = parser_.GetRootNode();
    ASSERT_TRUE(root_.IsValid());
  }
  std::filesystem::path path_;
  CVdlXmlParser parser_;
  CVdlXmlNode root_;
};

}  // namespace

// The framework's own rule (not the exact match some callers describe): node
// names compare without regard to letter case.
TEST_F(VdlXmlNodeTest, NamesMatchIgnoringCaseAndLookupsSkipTextAndComments) {
  EXPECT_EQ(root_.CompareNodeName(u"list"), 1);
  EXPECT_EQ(root_.CompareNodeName(u"LIST"), 1);
  EXPECT_EQ(root_.CompareNodeName(u"Lists"), 0);
  EXPECT_EQ(root_.CompareNodeName(nullptr), 0);

  // The first child is the blank text before the comment.
  EXPECT_EQ(root_.GetChild().GetType(), 3);
  CVdlXmlNode item;
  ASSERT_EQ(root_.GetFirstChildByName(u"item", item), 1);
  EXPECT_EQ(item.GetType(), 1);
  EXPECT_EQ(S(item.GetName()), u"Item");
  CQelStringW name;
  ASSERT_EQ(item.GetPropValue(u"Name", name), 1);
  EXPECT_EQ(S(name), u"a");

  CVdlXmlNode untouched = root_;
  EXPECT_EQ(root_.GetFirstChildByName(u"Missing", untouched), 0);
  EXPECT_EQ(untouched.GetNode(), root_.GetNode());

  // Walking every sibling meets text, comment and element nodes.
  int elements = 0, comments = 0;
  for (CVdlXmlNode n = root_.GetChild(); n.IsValid(); n = n.NextSibling()) {
    elements += n.GetType() == 1;
    comments += n.GetType() == 8;
  }
  EXPECT_EQ(elements, 3);
  EXPECT_EQ(comments, 1);
}

TEST_F(VdlXmlNodeTest, AttributesAndContent) {
  CVdlXmlNode item;
  ASSERT_EQ(root_.GetFirstChildByName(u"Item", item), 1);

  CQelStringW text(u"keep");
  EXPECT_EQ(item.GetPropValue(u"Empty", text), 1);
  EXPECT_TRUE(text.IsEmpty());
  text = u"keep";
  EXPECT_EQ(item.GetPropValue(u"Absent", text), 0);
  EXPECT_EQ(S(text), u"keep");
  EXPECT_EQ(item.GetPropValue(u"name", text), 0);  // attribute names match exactly

  uint32_t number = 77;
  EXPECT_EQ(item.GetPropValue(u"Count", number), 1);
  EXPECT_EQ(number, 12u);
  number = 77;
  EXPECT_EQ(item.GetPropValue(u"Absent", number), 0);
  EXPECT_EQ(number, 77u);

  EXPECT_EQ(item.SetPropValue(u"Count", uint32_t{4000000000u}), 1);
  ASSERT_EQ(item.GetPropValue(u"Count", text), 1);
  EXPECT_EQ(S(text), u"4000000000");

  CVdlXmlNode second = item.NextSibling().NextSibling();
  ASSERT_EQ(second.CompareNodeName(u"Item"), 1);
  ASSERT_EQ(second.GetContentValue(text), 1);
  EXPECT_EQ(S(text), u"second");  // the text of all descendants joined
  EXPECT_EQ(second.SetContentValue(u"caf\u00e9"), 1);
  ASSERT_EQ(second.GetContentValue(text), 1);
  EXPECT_EQ(S(text), u"caf\u00e9");
}

TEST_F(VdlXmlNodeTest, EmptyHandleAnswersNeutrallyAndChangesNothing) {
  CVdlXmlNode empty;
  CQelStringW text(u"keep");
  uint32_t number = 5;
  CVdlXmlNode out = root_;
  EXPECT_EQ(empty.IsValid(), 0);
  EXPECT_FALSE(empty.GetChild().IsValid());
  EXPECT_FALSE(empty.NextSibling().IsValid());
  EXPECT_EQ(empty.GetFirstChildByName(u"Item", out), 0);
  EXPECT_EQ(out.GetNode(), root_.GetNode());
  EXPECT_TRUE(empty.GetName().IsEmpty());
  EXPECT_EQ(empty.GetType(), -1);
  EXPECT_EQ(empty.CompareNodeName(u"Item"), 0);
  EXPECT_EQ(empty.GetPropValue(u"Name", text), 0);
  EXPECT_EQ(empty.GetPropValue(u"Name", number), 0);
  EXPECT_EQ(empty.SetPropValue(u"Name", u"x"), 0);
  EXPECT_EQ(empty.GetContentValue(text), 0);
  EXPECT_EQ(empty.SetContentValue(u"x"), 0);
  EXPECT_FALSE(empty.AddChild(u"x").IsValid());
  EXPECT_FALSE(empty.AddChildCData(u"x").IsValid());
  EXPECT_FALSE(empty.CopyFirstChildByName(u"Item", 1).IsValid());
  CVdlXmlNode item;
  ASSERT_EQ(root_.GetFirstChildByName(u"Item", item), 1);
  empty.DeleteNode(item);  // an empty handle deletes nothing
  empty.DeleteFirstChildByName(u"Item");
  EXPECT_EQ(S(text), u"keep");
  EXPECT_EQ(number, 5u);
  EXPECT_EQ(root_.GetFirstChildByName(u"Item", item), 1);
  EXPECT_EQ(item.CompareNodeName(u"Item"), 1);
}

TEST_F(VdlXmlNodeTest, CopyMoveAndDeleteChildren) {
  CVdlXmlNode copy = root_.CopyFirstChildByName(u"ITEM", 1);
  ASSERT_TRUE(copy.IsValid());
  EXPECT_EQ(copy.GetNode()->parent, nullptr);  // belongs to no tree yet
  CVdlXmlNode other;
  ASSERT_EQ(root_.GetFirstChildByName(u"Other", other), 1);
  CVdlXmlNode added = other.AddChildExist(copy);
  ASSERT_TRUE(added.IsValid());
  CQelStringW text;
  ASSERT_EQ(other.GetContentValue(text), 1);
  EXPECT_EQ(S(text), u"first");

  EXPECT_TRUE(other.AddChildCData(u"<raw & text>").IsValid());
  ASSERT_EQ(other.GetContentValue(text), 1);
  EXPECT_EQ(S(text), u"first<raw & text>");

  root_.DeleteFirstChildByName(u"item");
  CVdlXmlNode first;
  ASSERT_EQ(root_.GetFirstChildByName(u"Item", first), 1);
  ASSERT_EQ(first.GetPropValue(u"Name", text), 1);
  EXPECT_EQ(S(text), u"b");
  root_.DeleteNode(first);
  ASSERT_EQ(root_.GetFirstChildByName(u"Item", first), 0);
  root_.DeleteFirstChildByName(u"Nothing");  // no match: nothing happens
  EXPECT_EQ(root_.GetFirstChildByName(u"Other", other), 1);
}
