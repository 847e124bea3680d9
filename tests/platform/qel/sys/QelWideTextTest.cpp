#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "qel/QelFormatSpec.h"

#include "qel/QelWideText.h"

namespace {

std::u16string Fmt(const WCHAR* format, ...) {
  WCHAR buffer[256];
  va_list args;
  va_start(args, format);
  int n = qel_vswprintf(buffer, 256, format, args);
  va_end(args);
  EXPECT_GE(n, 0);
  return buffer;
}

}  // namespace

TEST(QelWideText, WtoiTable) {
  struct Case {
    const WCHAR* text;
    int32_t value;
  } cases[] = {
      {u"42", 42},          {u"  17abc", 17},       {u"\t-8", -8},
      {u"+5", 5},           {u"abc", 0},            {u"", 0},
      {u"- 3", 0},          {u"007", 7},            {u"2147483647", 2147483647},
      {u"99999999999", 2147483647}, {u"-2147483648", INT32_MIN},
      {u"-99999999999", INT32_MIN}, {u"12 34", 12}, {nullptr, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qel_wtoi(c.text), c.value) << (c.text ? QelToUTF8(c.text) : "null");
  }
}

TEST(QelWideText, CopyCompareAndSearch) {
  WCHAR buf[8];
  EXPECT_TRUE(qel_wcslcpy(buf, u"abc", 8));
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_FALSE(qel_wcslcat(buf, u"defghij", 8));
  EXPECT_EQ(std::u16string(buf), u"abcdefg");  // cut, terminated
  EXPECT_EQ(qel_wcslen(buf), 7u);
  EXPECT_EQ(qel_wcslen(nullptr), 0u);

  WCHAR pad[6] = {1, 1, 1, 1, 1, 1};
  qel_wcsncpy(pad, u"ab", 5);
  EXPECT_EQ(pad[2], 0);
  EXPECT_EQ(pad[4], 0);
  EXPECT_EQ(pad[5], 1);

  EXPECT_EQ(qel_wcscmpi(u"Capture", u"cAPTURE"), 0);
  EXPECT_LT(qel_wcscmpi(u"abc", u"ABD"), 0);
  EXPECT_GT(qel_wcscmpi(u"abcd", u"ABC"), 0);
  EXPECT_EQ(qel_wcscmpi(u"\u00C9t\u00E9", u"\u00E9T\u00C9"), 0);
  EXPECT_EQ(qel_wcsnicmp(u"ZoomIn", u"zoomout", 4), 0);
  EXPECT_NE(qel_wcsnicmp(u"ZoomIn", u"zoomout", 5), 0);
  EXPECT_EQ(_cstrcmpi(u"Record", u"RECORD"), 0);

  const WCHAR* text = u"-Capture/Zoomin";
  EXPECT_EQ(_cstrchr(text, u'/'), text + 8);
  EXPECT_EQ(_cstrchr(text, u'#'), nullptr);
  EXPECT_EQ(_cstrstr(text, u"Zoom"), text + 9);
  EXPECT_EQ(_cstrstr(text, u""), text);
  EXPECT_EQ(_cstrstr(text, u"zoom"), nullptr);
  const WCHAR* aab = u"aab";
  EXPECT_EQ(qel_wcsstr(aab, u"ab"), aab + 1);
}

TEST(QelWideText, FormatterConversions) {
  struct Case {
    std::u16string got;
    std::u16string want;
  } cases[] = {
      {Fmt(u"%s=%d", u"w", 5), u"w=5"},
      {Fmt(u"%S|%c|%C", u"\u00E9t\u00E9", int(u'x'), int(u'\u00FC')), u"\u00E9t\u00E9|x|\u00FC"},
      {Fmt(u"%i %u %ld", -3, 4000000000u, int32_t(-7)), u"-3 4000000000 -7"},
      {Fmt(u"%x %X %04x", 255, 255, 10), u"ff FF 000a"},
      {Fmt(u"%f", 1.5), u"1.500000"},
      {Fmt(u"%.1f|%2.2f", 2.25, 3.14159), u"2.2|3.14"},
      {Fmt(u"[%5d][%-5d][%05d]", 42, 42, 42), u"[   42][42   ][00042]"},
      {Fmt(u"[%6s][%-6s][%.2s]", u"ab", u"ab", u"abcdef"), u"[    ab][ab    ][ab]"},
      {Fmt(u"100%%"), u"100%"},
      {Fmt(u"%s", static_cast<const WCHAR*>(nullptr)), u"(null)"},
      {Fmt(u"%lld", (long long)1 << 40), u"1099511627776"},
      {Fmt(u"%*d", 4, 7), u"   7"},
      {Fmt(u"%s_%s%d.%s", u"pre", u"IMG", 12, u"jpg"), u"pre_IMG12.jpg"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << QelToUTF8(c.want);
}

TEST(QelWideText, FormatterIsBoundedAndTerminated) {
  WCHAR buf[6];
  for (auto& c : buf) c = u'#';
  EXPECT_EQ(qel_swprintf(buf, 6, u"%s", u"abcdefgh"), -1);
  EXPECT_EQ(std::u16string(buf), u"abcde");
  EXPECT_EQ(qel_swprintf(buf, 6, u"%d", 12345), 5);
  EXPECT_EQ(std::u16string(buf), u"12345");
  EXPECT_EQ(qel_swprintf(buf, 0, u"x"), -1);
  // A pair is never cut in half.
  WCHAR small[3];
  EXPECT_EQ(qel_swprintf(small, 3, u"a\U0001F600"), -1);
  EXPECT_EQ(std::u16string(small), u"a");
}

TEST(QelWideText, UTF8Conversions) {
  const std::u16string text = u"Caf\u00E9 \u65E5\U0001F600";
  std::string utf8 = QelToUTF8(text);
  EXPECT_EQ(utf8, "Caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80");
  EXPECT_EQ(QelFromUTF8(utf8), text);

  char small[8];
  EXPECT_EQ(QelUTF16ToUTF8(text.c_str(), -1, small, sizeof small), -1);
  EXPECT_EQ(std::string(small), "Caf\xC3\xA9 ");  // stops before a whole character
  char big[32];
  EXPECT_EQ(QelUTF16ToUTF8(text.c_str(), -1, big, sizeof big), int(utf8.size()));

  WCHAR wide[4];
  EXPECT_EQ(QelUTF8ToUTF16("abcdef", -1, wide, 4), -1);
  EXPECT_EQ(std::u16string(wide), u"abc");

  // Broken input never passes through unchecked.
  const WCHAR lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(QelToUTF8(lone), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(QelFromUTF8("x\xC3"), u"x\uFFFD");
  EXPECT_EQ(QelFromUTF8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
}

TEST(QelWideText, WidthsAndPrecisionsAreBounded) {
  // Digit runs of any length, and widths from the arguments, stop at the
  // bound instead of overflowing or padding billions of units.
  struct Case {
    std::u16string got;
    size_t units;
  } cases[] = {
      {qel_format(u"%2147483648s", u"ab"), size_t(kQelFormatMaxWidth)},
      {qel_format(u"%4294967298s", u"ab"), size_t(kQelFormatMaxWidth)},
      {qel_format(u"%-99999999999999999999d|", 5), size_t(kQelFormatMaxWidth) + 1},
      {qel_format(u"%.2147483649s", u"abc"), 3},
      {qel_format(u"%*d", INT_MIN, 7), size_t(kQelFormatMaxWidth)},
      {qel_format(u"%*d", INT_MAX, 7), size_t(kQelFormatMaxWidth)},
      {qel_format(u"%.*s", INT_MIN, u"abc"), 3},
      // A long number is written whole, not cut at a fixed buffer.
      {qel_format(u"%.4096f", 1e308), 309 + 1 + 4096},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got.size(), c.units) << QelToUTF8(c.got.substr(0, 40));
  EXPECT_EQ(qel_format(u"%-*d|", -3, 7), u"7  |");
}

TEST(QelWideText, FormatChecksForTableTexts) {
  struct Case {
    const WCHAR* format;
    const char* expected;
    bool matches;
  } cases[] = {
      {u"%s=%d", "sd", true},
      {u"%S: %5.2f%% %ld", "sfd", true},
      {u"%i files in %-12s", "ds", true},
      {u"no conversions 100%%", "", true},
      {u"%lld bytes, %zu left", "lldzu", true},
      {u"%d=%s", "sd", false},
      {u"%s %s", "s", false},
      {u"%s %", "s", false},
      // Read differently by the formatter than they look: refused.
      {u"%*s has %d files", "sd", false},
      {u"%.*s has %d files", "sd", false},
      {u"%llld", "d", false},
      {u"%5-d", "d", false},
      {u"%lld", "d", false},
      {u"%d", "lld", false},
      {u"%n%d", "d", false},
      {u"%q", "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qel_format_matches(c.format, c.expected), c.matches) << QelToUTF8(c.format);
  EXPECT_FALSE(qel_format_matches(nullptr, ""));
}

TEST(QelWideText, CheckedTableTextReadsOnlyItsArguments) {
  // Every text the check lets through for (text, int) formats safely with
  // exactly those arguments; the formatter shows refused pieces as text.
  const WCHAR* texts[] = {u"%s has %d files", u"%-20s|%+05d", u"%.3S %i", u"%s%%%d"};
  for (const WCHAR* t : texts) {
    ASSERT_TRUE(qel_format_matches(t, "sd")) << QelToUTF8(t);
    EXPECT_FALSE(qel_format(t, u"disk", 3).empty());
  }
  EXPECT_EQ(qel_format(u"%5-d|%llld", 1, 2), u"%5-d|%llld");
}
