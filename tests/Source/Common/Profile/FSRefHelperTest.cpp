#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "FSRefHelper.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

FSRef Ref(const fs::path& p) {
  FSRef ref;
  EXPECT_EQ(FSPathMakeRef(p.c_str(), &ref, nullptr), noErr) << p;
  return ref;
}

}  // namespace

TEST(FSRefHelper, ReferencesAndTheirFacts) {
  fs::path dir = fs::canonical(testenv::MakeTempDir("fsref"));
  testenv::WriteFile(dir / "photo.jpg", "12345");
  testenv::WriteFile(dir / ".hidden", "");

  FSRef ref;
  bool isDir = true;
  EXPECT_EQ(FSPathMakeRef((dir / "missing").c_str(), &ref, &isDir), fnfErr);
  EXPECT_EQ(FSPathMakeRef(nullptr, &ref, &isDir), paramErr);
  ASSERT_EQ(FSPathMakeRef((dir / "photo.jpg/").c_str(), &ref, &isDir), noErr);
  EXPECT_EQ(ref.path, (dir / "photo.jpg").string());
  EXPECT_FALSE(isDir);

  FSRef folder = Ref(dir);
  FSRef root = Ref("/");
  FSRef hidden = Ref(dir / ".hidden");
  EXPECT_TRUE(FSRefIsValid(&ref));
  EXPECT_FALSE(FSRefIsVolume(&ref));
  EXPECT_TRUE(FSRefIsVolume(&root));
  bool flag = false;
  EXPECT_EQ(FSRefIsDirectory(&folder, &flag), noErr);
  EXPECT_TRUE(flag);

  FSRef parent;
  ASSERT_EQ(FSRefGetParentRef(&ref, &parent), noErr);
  EXPECT_EQ(parent, folder);
  ASSERT_EQ(FSRefGetParentRef(&root, &parent), noErr);
  EXPECT_TRUE(parent.path.empty());

  uint64_t data = 0, resource = 9;
  EXPECT_EQ(FSGetForkSizes(&ref, &data, &resource), noErr);
  EXPECT_EQ(data, 5u);
  EXPECT_EQ(resource, 0u);

  int16_t a = 0, b = 0;
  ASSERT_EQ(FSGetVRefNum(&ref, &a), noErr);
  ASSERT_EQ(FSGetVRefNum(&folder, &b), noErr);
  EXPECT_EQ(a, b);
  EXPECT_LT(a, 0);
  EXPECT_EQ(FSGetVRefNum(nullptr, &a), paramErr);

  UTCDateTime created, modified, changed, backup;
  backup.bytes[0] = 1;
  ASSERT_EQ(FSRefGetDate(&ref, &created, &modified, &changed, &backup), noErr);
  EXPECT_FALSE(modified.isZero());
  EXPECT_FALSE(changed < modified);
  EXPECT_TRUE(backup.isZero());

  HFSUniStr255 name;
  uint32_t encoding = 0;
  ASSERT_EQ(FSRefGetName(&ref, &name, &encoding), noErr);
  EXPECT_EQ(std::u16string(name.unicode, name.length), u"photo.jpg");
  EXPECT_EQ(encoding, kTextEncodingUTF8);

  bool visible = false;
  EXPECT_EQ(FSRefIsVisiable(&ref, &visible), noErr);
  EXPECT_TRUE(visible);
  EXPECT_EQ(FSRefIsVisiable(&hidden, &visible), noErr);
  EXPECT_FALSE(visible);
}

TEST(FSRefHelper, LockingIsTheWritePermission) {
  fs::path file = testenv::MakeTempDir("fsref") / "doc.txt";
  testenv::WriteFile(file, "x");
  ::chmod(file.c_str(), 0644);
  FSRef ref = Ref(file);

  bool writable = false;
  EXPECT_EQ(FSRefIsWritable(&ref, &writable), noErr);
  EXPECT_TRUE(writable);
  EXPECT_EQ(FSRefCheckLock(&ref), noErr);

  EXPECT_EQ(FSRefLock(&ref, true), noErr);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0444));
  EXPECT_EQ(FSRefCheckLock(&ref), fLckdErr);
  writable = false;
  EXPECT_EQ(FSRefIsWritable(&ref, &writable), noErr);
  EXPECT_FALSE(writable);  // untouched
  EXPECT_EQ(FSRefLock(&ref, true), noErr);  // nothing to change

  EXPECT_EQ(FSRefLock(&ref, false), noErr);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0644));
  EXPECT_EQ(FSRefCheckLock(&ref), noErr);
}

TEST(FSRefHelper, DirectoryWalkInBatchesOfTen) {
  fs::path dir = fs::canonical(testenv::MakeTempDir("walk"));
  for (int i = 0; i < 23; ++i) testenv::WriteFile(dir / ("f" + std::to_string(100 + i)), std::string(size_t(i), 'x'));
  fs::create_directory(dir / "sub");
  FSRef folder = Ref(dir);

  struct Seen {
    std::set<std::string> names;
    std::vector<size_t> batches;
    bool subIsDir = false;
    uint64_t size105 = 0;
    size_t stopAfter = 100;
  } seen;
  auto collect = [](size_t count, const FSRef* refs, const FSCatalogInfo* infos, void* user) {
    auto* s = static_cast<Seen*>(user);
    s->batches.push_back(count);
    for (size_t i = 0; i < count; ++i) {
      std::string name = fs::path(refs[i].path).filename();
      s->names.insert(name);
      if (name == "sub") s->subIsDir = infos[i].nodeFlags & kFSNodeIsDirectoryMask;
      if (name == "f105") s->size105 = infos[i].dataLogicalSize;
    }
    return s->batches.size() < s->stopAfter;
  };

  EXPECT_EQ(FSEnumDirectoryFile(&folder, kFSCatInfoGettableInfo, collect, &seen), errFSNoMoreItems);
  EXPECT_EQ(seen.names.size(), 24u);
  EXPECT_EQ(seen.batches, (std::vector<size_t>{10, 10, 4}));
  EXPECT_TRUE(seen.subIsDir);
  EXPECT_EQ(seen.size105, 5u);

  Seen once;
  once.stopAfter = 1;
  EXPECT_EQ(FSEnumDirectoryFile(&folder, kFSCatInfoNone, collect, &once), noErr);
  EXPECT_EQ(once.batches, (std::vector<size_t>{10}));

  FSRef missing{(dir / "nope").string()};
  EXPECT_EQ(FSEnumDirectoryFile(&missing, kFSCatInfoNone, collect, &once), fnfErr);
}
