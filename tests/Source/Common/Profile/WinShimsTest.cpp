#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "WinShims.h"

TEST(WinShims, MultiByteToWideChar) {
  EXPECT_EQ(MultiByteToWideChar(CP_MAC_ROMAN, 0, "abc", -1, nullptr, 0), 4);

  WCHAR out[8];
  // Too small: nothing half-written, and 0 rather than a cut text.
  EXPECT_EQ(MultiByteToWideChar(CP_MAC_ROMAN, 0, "abc", -1, out, 2), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(MultiByteToWideChar(CP_MAC_ROMAN, 0, "abc", -1, out, 3), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_MAC_ROMAN, 0, "abc", -1, out, 4), 4);
  EXPECT_EQ(std::u16string(out), u"abc");
  EXPECT_EQ(MultiByteToWideChar(CP_MAC_ROMAN, 0, "abcdef", 2, out, 8), 3);
  EXPECT_EQ(std::u16string(out), u"ab");

  struct Case {
    uint32_t codePage;
    const char* bytes;
    const char16_t* text;
  } cases[] = {
      {CP_MAC_ROMAN, "\x8e\xdb\xa5", u"\u00e9\u20ac\u2022"},
      {7, "\x8e", u"\u00e9"},  // unknown pages read as Mac Roman
      {CP_WINDOWS_LATIN1, "\xe9\x80\x85", u"\u00e9\u20ac\u2026"},
      {CP_UTF8, "\xc3\xa9\xe2\x82\xac", u"\u00e9\u20ac"},
  };
  for (const Case& c : cases) {
    WCHAR wide[8];
    int32_t n = MultiByteToWideChar(c.codePage, 0, c.bytes, -1, wide, 8);
    EXPECT_EQ(std::u16string(wide), c.text) << c.codePage;
    EXPECT_EQ(n, int32_t(std::u16string(c.text).size() + 1));

    char narrow[16];
    n = WideCharToMultiByte(c.codePage, 0, c.text, -1, narrow, 16, nullptr, nullptr);
    EXPECT_STREQ(narrow, c.bytes) << c.codePage;
    EXPECT_EQ(n, int32_t(std::strlen(c.bytes) + 1));
  }
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, out, 8), 0);
}

TEST(WinShims, WideCharToMultiByte) {
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e9", -1, out, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(out, "\xc3\xa9");
  EXPECT_EQ(std::memcmp(out + 2, "\0\0\0\0\0\0", 6), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abcd", -1, nullptr, 0, nullptr, nullptr), 15);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abcd", 2, out, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(out, "ab");

  // Does not fit: 0 and an empty buffer, never 1 for an empty success.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e9", -1, out, 2, nullptr, nullptr), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abcdefgh", -1, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abcdefg", -1, out, 8, nullptr, nullptr), 8);
  // No form in the code page.
  EXPECT_EQ(WideCharToMultiByte(CP_MAC_ROMAN, 0, u"\u5199", -1, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_WINDOWS_LATIN1, 0, u"a\u2260", -1, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_MAC_ROMAN, 0, u"a\u2260", -1, out, 8, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, out, 8, nullptr, nullptr), 0);
}

TEST(WinShims, TrimStringSpace) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"  a b  ", u"a b"}, {u"   ", u""}, {u"", u""}, {u"x", u"x"}, {u"\tx ", u"\tx"}, {u" \u00e9", u"\u00e9"},
  };
  for (const Case& c : cases) {
    std::u16string buffer(c.in);
    buffer.push_back(0);
    int n = TrimStringSpace(buffer.data());
    EXPECT_EQ(std::u16string(buffer.c_str()), c.out);
    EXPECT_EQ(n, int(std::u16string(c.out).size()));
  }
  EXPECT_EQ(TrimStringSpace(nullptr), 0);
}

TEST(WinShims, SmallHelpers) {
  unsigned char block[8];
  std::memset(block, 0xAB, sizeof block);
  BlockZero(block, 4);
  BlockZero(block + 4, 0);
  BlockZero(block + 4, -3);
  EXPECT_EQ(block[3], 0);
  EXPECT_EQ(block[4], 0xAB);

  EXPECT_EQ(lstrlenW(u"abc"), 3);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  const WCHAR* text = u"ab";
  EXPECT_EQ(CharNextW(text), text + 1);

  int32_t counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(&counter);
        InterlockedDecrement(&counter);
        InterlockedIncrement(&counter);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
  EXPECT_EQ(InterlockedDecrement(&counter), 39999);
}
