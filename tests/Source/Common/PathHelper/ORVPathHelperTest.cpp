#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ORVPathHelper.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

std::u16string S(const CQelStringW& s) { return std::u16string(s.c_str(), size_t(s.GetLength())); }
std::u16string W(const fs::path& p) { return QelFromUTF8(p.string()); }

}  // namespace

TEST(ORVPathHelper, SeparatorRules) {
  struct Case {
    const char16_t* path;
    int native;
    const char16_t* added;
    const char16_t* removed;
  } cases[] = {
      {u"", 1, u"", u""},
      {u"", 0, u"", u""},
      {u"/a/b", 1, u"/a/b/", u"/a/b"},
      {u"/a/b/", 1, u"/a/b/", u"/a/b"},
      {u"/", 1, u"/", u"/"},
      {u"a\\b", 0, u"a\\b\\", u"a\\b"},
      {u"a\\b\\", 0, u"a\\b\\", u"a\\b"},
      {u"a/b", 0, u"a/b\\", u"a/b"},  // the backslash rules ignore "/"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QelToUTF8(c.path) + " native " + std::to_string(c.native));
    CQelStringW added(c.path);
    CORVPathHelper::AddBackslash(added, c.native);
    EXPECT_EQ(S(added), c.added);
    CQelStringW removed(c.path);
    CORVPathHelper::RemoveBacksplash(removed, c.native);
    EXPECT_EQ(S(removed), c.removed);

    WCHAR buffer[16] = {};
    qel_wcslcpy(buffer, c.path, 16);
    CORVPathHelper::AddBackslash(buffer, c.native, 16);
    EXPECT_EQ(std::u16string(buffer), c.added);
  }
  // A buffer without room for the separator is left alone.
  WCHAR tight[5] = u"/a/b";
  CORVPathHelper::AddBackslash(tight, 1, 5);
  EXPECT_EQ(std::u16string(tight), u"/a/b");
  CORVPathHelper::AddBackslash(tight, 0, 5);
  EXPECT_EQ(std::u16string(tight), u"/a/b");
}

TEST(ORVPathHelper, JoiningAndTakingApart) {
  struct Join {
    const char16_t* base;
    const char16_t* name;
    int native;
    const char16_t* full;
  } joins[] = {
      {u"/a", u"b", 1, u"/a/b"},
      {u"/a/", u"/b", 1, u"/a/b"},
      {u"", u"b", 1, u"b"},
      {u"/a", u"", 1, u"/a"},
      {u"a", u"b", 0, u"a\\b"},
      {u"a\\", u"b", 0, u"a\\b"},
      {u"", u"name", 0, u"name"},
      {nullptr, u"name", 0, u"name"},
  };
  for (const Join& j : joins) {
    EXPECT_EQ(S(CORVPathHelper::MakeFullPath(j.base, j.name, j.native)), j.full)
        << (j.base ? QelToUTF8(j.base) : "null") << " + " << QelToUTF8(j.name);
  }

  EXPECT_EQ(S(CORVPathHelper::FindFileName(u"/a/b/photo.jpg")), u"photo.jpg");
  EXPECT_EQ(S(CORVPathHelper::FindFileName(u"/a/Capture/")), u"Capture");
  EXPECT_EQ(S(CORVPathHelper::FindExtension(u"/a.b/photo.JPG")), u".JPG");
  EXPECT_EQ(S(CORVPathHelper::FindExtension(u"/a.b/photo")), u"");
  EXPECT_EQ(S(CORVPathHelper::GetPathDriver(u"/a/b")), u"");

  CQelStringW path(u"/a/b/c.mov");
  EXPECT_EQ(CORVPathHelper::RemoveFileSpec(path), 1);
  EXPECT_EQ(S(path), u"/a/b");
  CQelStringW empty;
  EXPECT_EQ(CORVPathHelper::RemoveFileSpec(empty), 0);
  WCHAR root[] = u"/";
  EXPECT_EQ(CORVPathHelper::RemoveFileSpec(root), 0);

  EXPECT_EQ(S(CORVPathHelper::GetRelativePath(u"/a/b")), u"/a/b/");
  EXPECT_EQ(S(CORVPathHelper::GetFileRelativePath(u"/a/b/c.jpg")), u"/a/b/");

  CQelStringW prefix(u"old");
  EXPECT_EQ(CORVPathHelper::CommonPrefix(u"/a/bc/d", u"/a/bc/e", prefix), 5);
  EXPECT_EQ(S(prefix), u"/a/bc");
  EXPECT_EQ(CORVPathHelper::CommonPrefix(u"/a/bc", u"/a/bd", prefix), 2);
  EXPECT_EQ(S(prefix), u"/a");

  EXPECT_EQ(lstrcmpiW(u"Capture", u"cAPTURE"), 0);
  EXPECT_NE(lstrcmpiW(u"Capture", u"Edit"), 0);
  EXPECT_TRUE(CORVEnvironmentPath(u"/something").GetPath().IsEmpty());
}

TEST(ORVPathHelper, ReplaceUpLevelPathMatchesThePrefixExactly) {
  EXPECT_EQ(S(CORVPathHelper::ReplaceUpLevelPath(u"/a/b/c", u"/a", u"/x")), u"/x/b/c");
  EXPECT_EQ(S(CORVPathHelper::ReplaceUpLevelPath(u"/a/b/c", u"/a/b/c", u"/y")), u"/y");
  // Another spelling of the prefix names another folder here.
  EXPECT_EQ(S(CORVPathHelper::ReplaceUpLevelPath(u"/A/b/c", u"/a", u"/x")), u"");
  EXPECT_EQ(S(CORVPathHelper::ReplaceUpLevelPath(u"/a", u"/a/b/c", u"/x")), u"");
  EXPECT_EQ(S(CORVPathHelper::ReplaceUpLevelPath(nullptr, u"/a", u"/x")), u"");
  EXPECT_EQ(S(CORVPathHelper::ReplaceUpLevelPath(u"/a", nullptr, u"/x")), u"");
}

TEST(ORVPathHelper, ContainmentOnTheRealFileSystem) {
  fs::path top = fs::canonical(testenv::MakeTempDir("paths"));
  fs::create_directories(top / "Pictures" / "Capture");
  fs::create_directories(top / "Pic");
  fs::create_directory_symlink(top / "Pictures", top / "Link");

  struct Case {
    fs::path a;
    fs::path b;
    int expected;
  } cases[] = {
      {top / "Pictures", top / "Pictures" / "Capture", 1},
      {top / "Pictures" / "Capture", top / "Pictures", -1},
      {top / "Pic", top / "Pictures", 0},  // a name's prefix is not a folder
      {top / "Pictures", top / "Pictures/", -2},
      {top / "Link", top / "Pictures" / "Capture", 1},
      {top / "Pictures" / "Capture" / "..", top / "Pictures", -2},
      {top / "Pictures" / "Capture" / "New", top / "Link", -1},  // need not exist yet
      {top / "pictures", top / "Pictures", 0},  // case matters on this file system
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CORVPathHelper::PathInPath(W(c.a).c_str(), W(c.b).c_str()), c.expected)
        << c.a << " vs " << c.b;
  }
  EXPECT_EQ(CORVPathHelper::PathInPath(u"", W(top).c_str()), 0);
  EXPECT_EQ(CORVPathHelper::PathInPath(nullptr, W(top).c_str()), 0);

  EXPECT_EQ(S(ExpandTildePath(CQelStringW(W(top / "Link" / "Capture").c_str()))), W(top / "Pictures" / "Capture"));
  EXPECT_EQ(S(ExpandTildePath(CQelStringW(W(top / "Link/").c_str()))), W(top / "Pictures/"));
  EXPECT_EQ(S(ExpandTildePath(CQelStringW(u"/Volumes/Data/x"))), u"/Volumes/Data/x");
  EXPECT_EQ(S(ExpandTildePath(CQelStringW(u"relative/x"))), u"relative/x");
  EXPECT_EQ(S(ExpandTildePath(CQelStringW())), u"");

  EXPECT_EQ(CORVPathHelper::FileInSameFolder(W(top / "Link" / "a.jpg").c_str(), W(top / "Pictures" / "b.jpg").c_str()), 1);
  EXPECT_EQ(CORVPathHelper::FileInSameFolder(W(top / "Pictures" / "Capture/").c_str(), W(top / "Pictures" / "x").c_str()), 1);
  EXPECT_EQ(CORVPathHelper::FileInSameFolder(W(top / "Pic" / "a.jpg").c_str(), W(top / "Pictures" / "a.jpg").c_str()), 0);

  EXPECT_EQ(CORVPathHelper::IsDirectory(W(top / "Pictures").c_str()), 1);
  EXPECT_EQ(CORVPathHelper::IsFileExists(W(top / "Nope").c_str()), 0);
  EXPECT_EQ(CORVPathHelper::IsRoot(u"/"), 1);
  EXPECT_EQ(CORVPathHelper::IsUNC(u"//server/share"), 0);
  EXPECT_EQ(CORVPathHelper::IsSameRoot(u"/a", u"/b"), 1);
}
