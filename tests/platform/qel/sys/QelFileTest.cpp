#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "TestEnvironment.h"
#include "qel/QelFile.h"
#include "qel/QelHeap.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"

namespace {

std::u16string U(const std::filesystem::path& p) { return QelFromUTF8(p.string()); }

}  // namespace

TEST(QelFile, CreateWriteSizeAndDelete) {
  auto dir = testenv::MakeTempDir("file");
  std::u16string path = U(dir / "d\xC3\xA9j\xC3\xA0.bin");
  QelFileRef f = QelFileCreateExt(path.c_str(), 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(QelFileCreateExt(path.c_str(), 0), nullptr);  // exists
  EXPECT_EQ(QelFileWriteExt(f, "hello", 5), 1);
  int64_t size = 0;
  EXPECT_EQ(QelFileGetFileSizeExt(f, &size), 1);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(QelFileSeekExt(f, int64_t(5) << 32, 0), 1);  // past 4 GiB: sparse
  EXPECT_EQ(QelFileWriteExt(f, "!", 1), 1);
  QelFileGetFileSizeExt(f, &size);
  EXPECT_EQ(size, (int64_t(5) << 32) + 1);
  EXPECT_EQ(QelFileCloseExt(f), 1);

  f = QelFileOpenExt(path.c_str(), 0);
  ASSERT_NE(f, nullptr);
  char buf[8] = {};
  size_t got = 0;
  EXPECT_EQ(QelFileReadExt(f, buf, 5, &got), 1);
  EXPECT_EQ(got, 5u);
  EXPECT_STREQ(buf, "hello");
  QelFileCloseExt(f);

  EXPECT_EQ(QelFileDeleteExt(path.c_str()), 1);
  EXPECT_EQ(QelFileDeleteExt(path.c_str()), 0);
  EXPECT_EQ(QelFileOpenExt(path.c_str(), 0), nullptr);
  EXPECT_EQ(QelFileOpenExt(U(dir).c_str(), 0), nullptr);  // a folder
  EXPECT_EQ(QelFileCloseExt(nullptr), 0);
}

TEST(QelFile, CopyIsWholeOrNothing) {
  auto dir = testenv::MakeTempDir("copy");
  std::string payload(200000, 'x');
  testenv::WriteFile(dir / "src", payload);
  testenv::WriteFile(dir / "old", "old");
  std::u16string src = U(dir / "src");
  EXPECT_EQ(QelCopyFile(src.c_str(), U(dir / "dst").c_str(), 1), 1);
  EXPECT_EQ(testenv::ReadFile(dir / "dst"), payload);
  EXPECT_EQ(QelCopyFile(src.c_str(), U(dir / "old").c_str(), 1), 0);
  EXPECT_EQ(testenv::ReadFile(dir / "old"), "old");
  EXPECT_EQ(QelCopyFile(src.c_str(), U(dir / "old").c_str(), 0), 1);
  EXPECT_EQ(testenv::ReadFile(dir / "old"), payload);
  EXPECT_EQ(QelCopyFile(U(dir / "none").c_str(), U(dir / "x").c_str(), 0), 0);
  EXPECT_EQ(QelCopyFile(src.c_str(), U(dir / "no/such/x").c_str(), 0), 0);
  // No temporary files left behind.
  std::set<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"dst", "old", "src"}));
}

TEST(QelFile, FoldersAndListing) {
  auto dir = testenv::MakeTempDir("find");
  std::u16string deep = U(dir / "a/b/c");
  EXPECT_EQ(QelFolderCreateExt(deep.c_str()), 1);
  EXPECT_EQ(QelFolderCreateExt(deep.c_str()), 1);  // already there
  testenv::WriteFile(dir / "x", "x");
  EXPECT_EQ(QelFolderCreateExt(U(dir / "x").c_str()), 0);  // a file is in the way
  testenv::WriteFile(dir / "one.JPG", "12345");
  testenv::WriteFile(dir / ".hidden", "");

  QelFindData data;
  std::set<std::u16string> all;
  QelFindRef find = QelFindFirstFile((U(dir) + u"/*.*").c_str(), &data);
  ASSERT_NE(find, nullptr);
  do {
    all.insert(data.name);
    if (data.name == u"a") {
      EXPECT_EQ(data.attributes, QEL_FILE_ATTRIBUTE_DIRECTORY);
    }
    if (data.name == u"one.JPG") {
      EXPECT_EQ(data.size, 5);
    }
  } while (QelFindNextFile(find, &data));
  EXPECT_EQ(QelFindClose(find), 1);
  EXPECT_EQ(all, (std::set<std::u16string>{u"a", u"x", u"one.JPG", u".hidden"}));

  find = QelFindFirstFile((U(dir) + u"/*.jpg").c_str(), &data);
  ASSERT_NE(find, nullptr);
  EXPECT_EQ(data.name, u"one.JPG");
  EXPECT_EQ(QelFindNextFile(find, &data), 0);
  QelFindClose(find);
  EXPECT_EQ(QelFindFirstFile((U(dir) + u"/*.png").c_str(), &data), nullptr);
  EXPECT_EQ(QelFindFirstFile(u"/no/such/folder/*.*", &data), nullptr);
}

TEST(QelHeap, BlocksKnowTheirSizeAndStartZeroed) {
  auto* block = static_cast<unsigned char*>(qelHeapAlloc(64));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(qelHeapSize(block), 64u);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
  EXPECT_EQ(qelHeapLock(block), block);
  qelHeapUnlock(block);
  qelMemCopy(block, "abcdef", 6);
  qelMemCopy(block + 1, block, 5);  // overlapping
  EXPECT_EQ(std::memcmp(block, "aabcde", 6), 0);
  qelMemZero(block, 3);
  EXPECT_EQ(block[2], 0);
  EXPECT_EQ(block[3], 'c');
  qelHeapFree(block);
  qelHeapFree(nullptr);
  EXPECT_EQ(qelHeapAlloc(0), nullptr);
}

TEST(QelLibrary, Refusals) {
  auto dir = testenv::MakeTempDir("lib");
  EXPECT_EQ(QelLoadLibrary(nullptr), nullptr);
  EXPECT_EQ(QelLoadLibrary(u""), nullptr);
  EXPECT_EQ(QelLoadLibrary(U(dir / "missing.so").c_str()), nullptr);
  testenv::WriteFile(dir / "junk.so", "not a library");
  EXPECT_EQ(QelLoadLibrary(U(dir / "junk.so").c_str()), nullptr);
  // A bundle folder without a usable executable key.
  std::filesystem::create_directories(dir / "Bad.bundle/Contents/MacOS");
  testenv::WriteFile(dir / "Bad.bundle/Contents/Info.plist",
                     "<?xml version=\"1.0\"?><plist><dict><key>CFBundleName</key>"
                     "<string>Bad</string></dict></plist>");
  EXPECT_EQ(QelLoadLibrary(U(dir / "Bad.bundle").c_str()), nullptr);
  testenv::WriteFile(dir / "Bad.bundle/Contents/Info.plist",
                     "<plist><dict><key>CFBundleExecutable</key><string>../../x</string>"
                     "</dict></plist>");
  EXPECT_EQ(QelLoadLibrary(U(dir / "Bad.bundle").c_str()), nullptr);
  EXPECT_EQ(QelGetProcAddress(nullptr, "x"), nullptr);
  EXPECT_EQ(QelFreeLibrary(nullptr), 0);

  // A system library loads by path; a missing symbol is null.
  QelLibraryRef libm = QelLoadLibrary(u"libm.so.6");
  ASSERT_NE(libm, nullptr);
  EXPECT_NE(QelGetProcAddress(libm, "cos"), nullptr);
  EXPECT_EQ(QelGetProcAddress(libm, "no_such_symbol"), nullptr);
  EXPECT_EQ(QelFreeLibrary(libm), 1);
}
