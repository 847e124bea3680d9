#include "os/PropertyList.h"

#include <gtest/gtest.h>

namespace {

using plat::PlistValue;

TEST(PropertyList, RoundTripsEveryType) {
  PlistValue::Dict inner{{"n", PlistValue::Integer(-7)}};
  PlistValue root = PlistValue::MakeDict({
      {"Text <&>", PlistValue::String("a & b < c > d \xC3\xA9\n\ttab")},
      {"Int", PlistValue::Integer(2147483647)},
      {"Big", PlistValue::Integer(-9223372036854775807LL - 1)},
      {"Real", PlistValue::Real(0.1)},
      {"Yes", PlistValue::Boolean(true)},
      {"No", PlistValue::Boolean(false)},
      {"Data", PlistValue::Data({0, 1, 2, 255})},
      {"Empty", PlistValue::Data({})},
      {"When", PlistValue::Date("2024-01-31T12:00:00Z")},
      {"List", PlistValue::MakeArray({PlistValue::String(""), PlistValue::MakeDict(inner),
                                      PlistValue::MakeArray()})},
  });
  auto xml = plat::SerializePropertyList(root);
  ASSERT_TRUE(xml);
  auto back = plat::ParsePropertyList(*xml);
  ASSERT_TRUE(back);
  EXPECT_TRUE(*back == root) << *xml;
}

TEST(PropertyList, RefusesTextXmlCannotCarry) {
  EXPECT_FALSE(plat::SerializePropertyList(PlistValue::String(std::string("a\x01", 2))));
  EXPECT_FALSE(plat::SerializePropertyList(PlistValue::String("\xFF\xFE")));
  EXPECT_FALSE(plat::SerializePropertyList(PlistValue()));
}

TEST(PropertyList, RejectsMalformedDocuments) {
  const char* cases[] = {
      "",
      "not xml",
      "<plist><dict><key>a</key></dict></plist>",             // key without value
      "<plist><dict><string>a</string></dict></plist>",       // value without key
      "<plist><integer>12x</integer></plist>",
      "<plist><integer>99999999999999999999</integer></plist>",
      "<plist><real>1.5q</real></plist>",
      "<plist><data>!!!</data></plist>",
      "<plist><blob/></plist>",
      "<plist><true/><false/></plist>",                       // two roots
      "<dict><key>a</key><true/></dict>",                     // no plist element
      "<plist><array>junk<true/></array></plist>",
  };
  for (const char* c : cases) EXPECT_FALSE(plat::ParsePropertyList(c)) << c;
}

TEST(PropertyList, ReadsHexIntegersAndLastDuplicateKey) {
  auto v = plat::ParsePropertyList(
      "<plist version=\"1.0\"><dict><!-- c --><key>k</key><integer>0x10</integer>"
      "<key>k</key><integer> -3 </integer></dict></plist>");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->Find("k")->AsInteger(), -3);
  auto h = plat::ParsePropertyList("<plist><integer>0x10</integer></plist>");
  ASSERT_TRUE(h);
  EXPECT_EQ(h->AsInteger(), 16);
}

}  // namespace
