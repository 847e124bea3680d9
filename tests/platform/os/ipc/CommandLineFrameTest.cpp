#include "os/CommandLineFrame.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using plat::CommandLineFrameReader;
using State = CommandLineFrameReader::State;

std::vector<uint8_t> Frame(const char* magic, uint32_t n, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f(magic, magic + 4);
  for (int i = 0; i < 4; ++i) f.push_back(uint8_t(n >> (8 * i)));
  f.insert(f.end(), payload.begin(), payload.end());
  return f;
}

TEST(CommandLineFrame, EncodesLittleEndianWithTerminatorAndBlockPadding) {
  auto f = plat::EncodeCommandLineFrame(u"-A\u00e9");
  std::vector<uint8_t> expect = {'C', 'M', 'D', 'L', 8, 0, 0, 0, '-', 0, 'A', 0, 0xE9, 0, 0, 0};
  EXPECT_EQ(f, expect);

  auto block = plat::EncodeCommandLineFrame(u"-Capture/Zoomin", 64);
  ASSERT_EQ(block.size(), 8u + 64u);
  EXPECT_EQ(block[4], 64);
  EXPECT_EQ(block.back(), 0);
  // A text larger than the block keeps its exact size; one past the largest payload is refused.
  EXPECT_EQ(plat::EncodeCommandLineFrame(std::u16string(40, u'x'), 64).size(), 8u + 82u);
  EXPECT_TRUE(plat::EncodeCommandLineFrame(std::u16string(32767, u'x')).size() == 8u + 65536u);
  EXPECT_TRUE(plat::EncodeCommandLineFrame(std::u16string(32768, u'x')).empty());
}

TEST(CommandLineFrame, ReadsByteByByteAndStopsAtFirstZero) {
  auto f = plat::EncodeCommandLineFrame(u"ab", 2048);
  CommandLineFrameReader r;
  size_t fed = 0;
  while (r.Wanted() > 0) {
    r.Feed(&f[fed], 1);
    ++fed;
  }
  EXPECT_EQ(fed, f.size());
  ASSERT_EQ(r.state(), State::Complete);
  EXPECT_EQ(r.text(), u"ab");
}

TEST(CommandLineFrame, TextWithoutTerminatorEndsAtDataEnd) {
  CommandLineFrameReader r;
  auto f = Frame("CMDL", 4, {'h', 0, 'i', 0});
  EXPECT_EQ(r.Feed(f.data(), f.size()), State::Complete);
  EXPECT_EQ(r.text(), u"hi");
}

TEST(CommandLineFrame, RejectsBadHeadersWithoutAskingForMore) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"bad magic", Frame("CMDX", 4, {'a', 0, 0, 0})},
      {"odd count", Frame("CMDL", 3, {'a', 0, 0})},
      {"zero count", Frame("CMDL", 0, {})},
      {"oversized", Frame("CMDL", 65538, {})},
      {"huge", Frame("CMDL", 0xFFFFFFFFu, {})},
  };
  for (auto& c : cases) {
    CommandLineFrameReader r;
    EXPECT_EQ(r.Feed(c.bytes.data(), c.bytes.size()), State::Rejected) << c.name;
    EXPECT_EQ(r.Wanted(), 0u) << c.name;
  }
  // The magic is judged after 4 bytes, before the count arrives.
  CommandLineFrameReader r;
  const uint8_t junk[] = {'G', 'E', 'T', ' '};
  EXPECT_EQ(r.Feed(junk, 4), State::Rejected);
}

}  // namespace
