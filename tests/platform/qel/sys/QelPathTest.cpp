#include <gtest/gtest.h>

#include <string>

#include "TestEnvironment.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

std::u16string Edit(int32_t (*fn)(WCHAR*), const std::u16string& in, int32_t* answer) {
  WCHAR buf[QEL_MAX_PATH];
  qel_wcslcpy(buf, in.c_str(), QEL_MAX_PATH);
  *answer = fn(buf);
  return buf;
}

}  // namespace

TEST(QelPath, AppendAndSlashes) {
  struct Case {
    const WCHAR* base;
    const WCHAR* more;
    const WCHAR* joined;
  } cases[] = {
      {u"/a", u"b", u"/a/b"},   {u"/a/", u"b", u"/a/b"},   {u"/a", u"/b", u"/a/b"},
      {u"/a/", u"//b", u"/a/b"}, {u"", u"b", u"b"},        {u"/a", u"", u"/a"},
      {u"/", u"b", u"/b"},       {u"UI", u"main.aui", u"UI/main.aui"},
  };
  for (const auto& c : cases) {
    WCHAR buf[QEL_MAX_PATH];
    qel_wcslcpy(buf, c.base, QEL_MAX_PATH);
    EXPECT_EQ(QelPathAppend(buf, c.more), 1);
    EXPECT_EQ(std::u16string(buf), c.joined) << QelToUTF8(c.base) << " + " << QelToUTF8(c.more);
  }
  WCHAR small[6] = u"/abc";
  EXPECT_EQ(QelPathAppend(small, u"def", 6), 0);
  EXPECT_EQ(std::u16string(small), u"/abc");  // unchanged, not cut

  WCHAR slash[8] = u"/a";
  EXPECT_EQ(QelPathAddSlash(slash, 8), 1);
  EXPECT_EQ(QelPathAddSlash(slash, 8), 1);
  EXPECT_EQ(std::u16string(slash), u"/a/");
  WCHAR empty[4] = u"";
  QelPathAddSlash(empty, 4);
  EXPECT_EQ(std::u16string(empty), u"");
  WCHAR full[3] = u"ab";
  EXPECT_EQ(QelPathAddSlash(full, 3), 0);

  int32_t answer = 0;
  EXPECT_EQ(Edit(QelPathRemoveSlash, u"/a/", &answer), u"/a");
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(Edit(QelPathRemoveSlash, u"/", &answer), u"/");
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(Edit(QelPathRemoveSlash, u"/a", &answer), u"/a");
}

TEST(QelPath, ComponentsTable) {
  struct Case {
    const WCHAR* path;
    const WCHAR* fileName;
    const WCHAR* extension;
    const WCHAR* parent;
    int32_t parentChanged;
  } cases[] = {
      {u"/a/b/photo.jpg", u"photo.jpg", u".jpg", u"/a/b", 1},
      {u"/a/b.d/file", u"file", u"", u"/a/b.d", 1},
      {u"/a/archive.tar.gz", u"archive.tar.gz", u".gz", u"/a", 1},
      {u"/a/b/", u"b/", u"", u"/a/b", 1},
      {u"/a", u"a", u"", u"/", 1},
      {u"/", u"/", u"", u"/", 0},
      {u"name.txt", u"name.txt", u".txt", u"", 1},
      {u"/x/.hidden", u".hidden", u".hidden", u"/x", 1},
      {u"/x//y", u"y", u"", u"/x", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QelToUTF8(c.path));
    EXPECT_EQ(std::u16string(QelPathFindFileName(c.path)), c.fileName);
    EXPECT_EQ(std::u16string(QelPathFindExtension(c.path)), c.extension);
    int32_t changed = -1;
    EXPECT_EQ(Edit(QelPathRemoveFileSpec, c.path, &changed), c.parent);
    EXPECT_EQ(changed, c.parentChanged);
  }
}

TEST(QelPath, TestsAndCommonPrefix) {
  EXPECT_EQ(QelPathIsRoot(u"/"), 1);
  EXPECT_EQ(QelPathIsRoot(u"/a"), 0);
  EXPECT_EQ(QelPathIsRoot(u""), 0);
  EXPECT_EQ(QelPathIsUNC(u"//server/share"), 0);
  EXPECT_EQ(QelPathIsSameRoot(u"/a", u"/b/c"), 1);
  EXPECT_EQ(QelPathIsSameRoot(u"a", u"/b"), 0);

  auto dir = testenv::MakeTempDir("path");
  testenv::WriteFile(dir / "f\xC3\xA9.txt", "x");
  std::u16string d = QelFromUTF8(dir.string());
  std::u16string f = d + u"/f\u00E9.txt";
  EXPECT_EQ(QelPathIsDirectory(d.c_str()), 1);
  EXPECT_EQ(QelPathIsDirectory(f.c_str()), 0);
  EXPECT_EQ(QelPathFileExists(f.c_str()), 1);
  EXPECT_EQ(QelPathFileExists((d + u"/none").c_str()), 0);
  EXPECT_EQ(QelPathFileExists(u""), 0);

  struct Case {
    const WCHAR* a;
    const WCHAR* b;
    const WCHAR* prefix;
  } cases[] = {
      {u"/a/b/c", u"/a/b/d", u"/a/b"}, {u"/a/bc", u"/a/b", u"/a"}, {u"/abc", u"/abd", u"/"},
      {u"/a/b", u"/a/b", u"/a/b"},     {u"/a/", u"/a", u"/a"},     {u"x", u"y", u""},
  };
  for (const auto& c : cases) {
    WCHAR out[QEL_MAX_PATH];
    int32_t n = QelPathCommonPrefix(c.a, c.b, out);
    EXPECT_EQ(std::u16string(out), c.prefix) << QelToUTF8(c.a) << " ~ " << QelToUTF8(c.b);
    EXPECT_EQ(n, int32_t(qel_wcslen(c.prefix)));
  }
  WCHAR drive[8] = u"zz";
  EXPECT_EQ(QelGetPathDriver(u"/a/b", drive, 8), 0);
  EXPECT_EQ(drive[0], 0);
}

TEST(QelPath, FileReferencesAndDriveType) {
  auto dir = testenv::MakeTempDir("fsr");
  std::u16string d = QelFromUTF8(dir.string());
  Qel0FSRef ref = Qel0FSRCreateWithPath((d + u"/sub/../new.txt").c_str());
  ASSERT_NE(ref, nullptr);
  WCHAR out[QEL_MAX_PATH];
  EXPECT_EQ(Qel0FSRToAbs(ref, out), 1);
  EXPECT_EQ(std::u16string(out), d + u"/new.txt");
  EXPECT_EQ(Qel0FSRIsExist(ref), 0);
  EXPECT_EQ(Qel0FSRRemoveLastPathComponent(ref), 1);
  EXPECT_EQ(Qel0FSRIsExist(ref), 1);
  Qel0FSRToAbs(ref, out);
  EXPECT_EQ(std::u16string(out), d);
  WCHAR tiny[4];
  EXPECT_EQ(Qel0FSRToAbs(ref, tiny, 4), 0);
  Qel0FSRRelease(ref);

  Qel0FSRef root = Qel0FSRCreateWithPath(u"/");
  EXPECT_EQ(Qel0FSRRemoveLastPathComponent(root), 0);
  Qel0FSRRelease(root);
  EXPECT_EQ(Qel0FSRCreateWithPath(u""), nullptr);

  EXPECT_EQ(QelGetDriveType((d + u"/missing").c_str()), QEL_DRIVE_NO_ROOT_DIR);
  int32_t kind = QelGetDriveType(d.c_str());
  EXPECT_GE(kind, QEL_DRIVE_REMOVABLE);
  EXPECT_LE(kind, QEL_DRIVE_RAMDISK);
}
