#include <gtest/gtest.h>

#include <vector>

#include "CDBManager.h"
#include "DibBytes.h"

TEST(DibBlob, OnlyWholeTwentyFourBitBitmapsAreThumbnails) {
  struct Case {
    const char* what;
    std::vector<uint8_t> blob;
    bool valid;
  };
  std::vector<uint8_t> good = testdib::Make(3, 2, 1);  // stride 12: 40 + 24 bytes
  auto with = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> b = good;
    testdib::Put32(b, at, v);
    return b;
  };
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  std::vector<uint8_t> huge = testdib::Make(1, 1, 0);
  testdib::Put32(huge, 4, 0x40000000u);
  testdib::Put32(huge, 8, 0x40000000u);
  testdib::Put32(huge, 20, 0);
  Case cases[] = {
      {"3 x 2", good, true},
      {"top-down rows", testdib::Make(3, -2, 1), true},
      {"80 x 60", testdib::Make(80, 60, 1), true},
      {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1), false},
      {"one byte long", longer, false},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 40), false},
      {"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 39), false},
      {"header size 12", with(0, 12), false},
      {"width 0", with(4, 0), false},
      {"negative width", with(4, 0xFFFFFFFDu), false},
      {"height 0", with(8, 0), false},
      {"image size disagrees", with(20, 23), false},
      {"compressed", with(16, 1), false},
      {"32 bits", testdib::Make(3, 2, 1, 32), false},
      {"size past every limit", huge, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CDBManager::IsValidDibBlob(c.blob.data(), c.blob.size()), c.valid) << c.what;
  }
  EXPECT_FALSE(CDBManager::IsValidDibBlob(nullptr, 64));
  EXPECT_EQ(CDBManager::DibStoredLength(good.data()), 64u);
}
