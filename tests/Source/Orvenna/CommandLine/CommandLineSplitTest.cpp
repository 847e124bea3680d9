// The form "-<module>[/<argument>]" and how module names are matched.
#include <gtest/gtest.h>

#include "CommandLine.h"

TEST(SplitCommandLine, ModuleAndArgument) {
  struct Case {
    std::u16string text;
    bool ok;
    std::u16string module, argument;
  };
  const Case cases[] = {
      {u"-Capture/Zoomin", true, u"Capture", u"Zoomin"},
      {u"-Capture", true, u"Capture", u"(untouched)"},
      {u"-Capture/", true, u"Capture", u""},
      {u"-Capture/a/b", true, u"Capture", u"a/b"},
      {u"-/Record", true, u"", u"Record"},
      {u"Capture/Record", false, u"(untouched)", u"(untouched)"},
      {u"", false, u"(untouched)", u"(untouched)"},
  };
  for (const Case& c : cases) {
    std::u16string module = u"(untouched)", argument = u"(untouched)";
    EXPECT_EQ(SplitCommandLine(c.text, &module, &argument), c.ok);
    EXPECT_EQ(module, c.module);
    EXPECT_EQ(argument, c.argument);
  }
  // Either output may be left out.
  EXPECT_TRUE(SplitCommandLine(u"-Capture/x", nullptr, nullptr));
}

TEST(SplitCommandLine, ModuleNamesLoseSpacesAndCase) {
  EXPECT_EQ(CommandModuleName(u"Photo Edit"), u"PhotoEdit");
  EXPECT_TRUE(SameModuleName(CommandModuleName(u"Photo Edit"), u"photoedit"));
  EXPECT_FALSE(SameModuleName(CommandModuleName(u"Photo Edit"), u"Photo Edit"));
  EXPECT_TRUE(SameModuleName(u"Capture", u"cAPTURE"));
  EXPECT_FALSE(SameModuleName(u"Capture", u"Captures"));
}
