#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CDBManager.h"
#include "DibBytes.h"
#include "MediaBundle.h"
#include "SqliteCli.h"
#include "TestEnvironment.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"
#include "sql/VdlSQ.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<_THUMBDATA> Item(const fs::path& folder, const std::u16string& name, uint8_t time,
                                 int32_t type = 1) {
  auto item = std::make_unique<_THUMBDATA>(type, (QelFromUTF8(folder.string()) + u"/" + name).c_str());
  for (int i = 0; i < 8; ++i) item->fileTime.bytes[i] = uint8_t(time + i);
  return item;
}

std::vector<uint8_t> DibOf(const _THUMBDATA& item) {
  if (!item.dib) return {};
  size_t n = CDBManager::DibStoredLength(item.dib);
  return std::vector<uint8_t>(item.dib, item.dib + n);
}

class ThumbDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    testbundle::MakeMainBundle(true);
    folder_ = testenv::MakeTempDir("media");
    db_ = folder_ / "ZylORVThumb.db";
  }
  std::u16string Folder() const { return QelFromUTF8(folder_.string()); }
  std::string Sql(const std::string& sql) {
    testsql::Result r = testsql::Run(db_, sql);
    EXPECT_TRUE(r.ok) << sql << ": " << r.err;
    return r.out;
  }
  // Stores a thumbnail of `fill` for the item; the record keeps its own copy.
  bool Store(CDBManager& m, _THUMBDATA& item, uint8_t fill, int32_t w = 3, int32_t h = 2) {
    item.SetDib(testdib::NewArray(testdib::Make(w, h, fill)));
    return m.InsertOneRecord(&item);
  }

  fs::path folder_;
  fs::path db_;
};

}  // namespace

TEST_F(ThumbDatabase, RowsAreWhatAnIndependentReaderSees) {
  CDBManager m;
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  EXPECT_EQ(Sql("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;"), "MediaRecord\nUprightPhotos\nVersion_1\n");
  EXPECT_EQ(Sql("SELECT group_concat(name, ',') FROM pragma_table_info('MediaRecord');"),
            "Type,FileName,FileTime,DIB\n");
  EXPECT_EQ(Sql("SELECT group_concat(name, ',') FROM pragma_table_info('Version_1');"), "Num\n");

  auto clip = Item(folder_, u"clip.mov", 1, 2);
  ASSERT_TRUE(Store(m, *clip, 0x5a));
  EXPECT_EQ(Sql("SELECT Type, FileName, hex(FileTime), length(DIB), count(*) FROM MediaRecord;"),
            "2|clip.mov|0102030405060708|64|1\n");
  EXPECT_EQ(Sql("SELECT count(*) FROM Version_1;"), "0\n");
  std::vector<uint8_t> stored = DibOf(*clip);

  auto again = Item(folder_, u"clip.mov", 1, 2);
  int mustMake = -1;
  EXPECT_TRUE(m.FindOneRecord(again.get(), &mustMake));
  EXPECT_EQ(mustMake, 0);
  EXPECT_EQ(DibOf(*again), stored);
  EXPECT_TRUE(m.DisConnect());
  EXPECT_TRUE(m.DisConnect());
}

TEST_F(ThumbDatabase, FileNamesWithSqlCharactersStayValues) {
  CDBManager m;
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  const std::u16string names[] = {u"Anna's.jpg", u"x' OR '1'='1.jpg", u"a\"b;--.jpg", u"'); drop table MediaRecord;--.jpg",
                                  u"\u00dcberraschung \u2603.jpg", u"100%_x.jpg"};
  // The crafted name must not match the rows of other files.
  auto first = Item(folder_, u"plain.jpg", 9);
  ASSERT_TRUE(Store(m, *first, 1));
  auto crafted = Item(folder_, u"x' OR '1'='1.jpg", 9);
  int mustMake = -1;
  EXPECT_FALSE(m.FindOneRecord(crafted.get(), &mustMake));
  EXPECT_EQ(mustMake, 1);

  uint8_t fill = 10;
  for (int pass = 0; pass < 2; ++pass) {  // a second album pass stores them again
    for (const std::u16string& name : names) {
      auto item = Item(folder_, name, 3);
      ASSERT_TRUE(Store(m, *item, uint8_t(fill + pass))) << QelToUTF8(name);
      ++fill;
    }
    fill = 10;
  }
  fill = 11;
  for (const std::u16string& name : names) {
    auto item = Item(folder_, name, 3);
    mustMake = -1;
    ASSERT_TRUE(m.FindOneRecord(item.get(), &mustMake)) << QelToUTF8(name);
    EXPECT_EQ(mustMake, 0);
    EXPECT_EQ(DibOf(*item), testdib::Make(3, 2, fill)) << QelToUTF8(name);
    ++fill;
  }
  EXPECT_EQ(Sql("SELECT count(*) FROM (SELECT FileName FROM MediaRecord GROUP BY 1 HAVING count(*) > 1);"), "0\n");
  EXPECT_EQ(Sql("SELECT count(*) FROM MediaRecord;"), "7\n");
  EXPECT_EQ(Sql("SELECT count(*) FROM MediaRecord WHERE FileName = 'Anna''s.jpg';"), "1\n");
}

TEST_F(ThumbDatabase, AChangedFileTimeAsksForANewThumbnail) {
  CDBManager m;
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  auto photo = Item(folder_, u"p1.jpg", 1);
  int mustMake = -1;
  EXPECT_FALSE(m.FindOneRecord(photo.get(), &mustMake));
  EXPECT_EQ(mustMake, 1);
  ASSERT_TRUE(Store(m, *photo, 7));

  // The caller's protocol: found but stale -> delete, make, insert.
  auto changed = Item(folder_, u"p1.jpg", 2);
  mustMake = -1;
  EXPECT_TRUE(m.FindOneRecord(changed.get(), &mustMake));
  EXPECT_EQ(mustMake, 1);
  EXPECT_EQ(changed->dib, nullptr);
  EXPECT_TRUE(m.DeleteOneRecord(changed.get()));
  ASSERT_TRUE(Store(m, *changed, 8));
  EXPECT_EQ(Sql("SELECT hex(FileTime), count(*) FROM MediaRecord WHERE FileName = 'p1.jpg';"),
            "0203040506070809|1\n");
}

TEST_F(ThumbDatabase, RecordsThatCannotBeStoredRunNoStatement) {
  CDBManager m;
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  auto empty = std::make_unique<_THUMBDATA>(1, u"");
  empty->SetDib(testdib::NewArray(testdib::Make(3, 2, 1)));
  auto noDib = Item(folder_, u"a.jpg", 1);
  auto badDib = Item(folder_, u"b.jpg", 1);
  badDib->SetDib(testdib::NewArray(testdib::Make(3, 2, 1, 32)));
  EXPECT_FALSE(m.InsertOneRecord(empty.get()));
  EXPECT_FALSE(m.InsertOneRecord(noDib.get()));
  EXPECT_FALSE(m.InsertOneRecord(badDib.get()));
  EXPECT_FALSE(m.InsertOneRecord(nullptr));
  EXPECT_FALSE(m.FindOneRecord(nullptr, nullptr));
  EXPECT_EQ(Sql("SELECT count(*) FROM MediaRecord;"), "0\n");
}

TEST_F(ThumbDatabase, RowsThatHoldNoThumbnailAreMadeAgain) {
  CDBManager m;
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  std::string time = "X'0102030405060708'";
  auto hex = [](const std::vector<uint8_t>& v) {
    static const char* d = "0123456789ABCDEF";
    std::string s = "X'";
    for (uint8_t b : v) s += {d[b >> 4], d[b & 15]};
    return s + "'";
  };
  std::vector<uint8_t> good = testdib::Make(3, 2, 9);
  std::vector<uint8_t> truncated(good.begin(), good.end() - 5);
  struct Case {
    const char* name;
    std::string fileTime, dib;
    int rows;
  } cases[] = {
      {"short-time.jpg", "X'01020304050607'", hex(good), 1},
      {"truncated.jpg", time, hex(truncated), 1},
      {"header-only.jpg", time, hex(std::vector<uint8_t>(good.begin(), good.begin() + 40)), 1},
      {"thirty-two-bit.jpg", time, hex(testdib::Make(3, 2, 9, 32)), 1},
      {"text-not-blob.jpg", time, "'not a bitmap'", 1},
      {"twice.jpg", time, hex(good), 2},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < c.rows; ++i) {
      testsql::Result r = testsql::Run(db_,
                                       "INSERT INTO MediaRecord VALUES (1, '" + std::string(c.name) + "', " +
                                           c.fileTime + ", " + c.dib + ");",
                                       false);
      ASSERT_TRUE(r.ok) << r.err;
    }
  }
  for (const Case& c : cases) {
    auto item = Item(folder_, QelFromUTF8(c.name), 1);
    int mustMake = -1;
    EXPECT_TRUE(m.FindOneRecord(item.get(), &mustMake)) << c.name;
    EXPECT_EQ(mustMake, 1) << c.name;
    EXPECT_EQ(item->dib, nullptr) << c.name;
  }
}

TEST_F(ThumbDatabase, ConnectKeepsTheCurrentLayoutAndRebuildsAnyOther) {
  fs::path second = testenv::MakeTempDir("media2");
  {
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    auto kept = Item(folder_, u"kept.jpg", 1);
    ASSERT_TRUE(Store(m, *kept, 1));
    // Another folder has a file of its own; rows never meet.
    ASSERT_TRUE(m.Connect(QelFromUTF8(second.string()).c_str()));
    auto other = Item(second, u"kept.jpg", 1);
    int mustMake = -1;
    EXPECT_FALSE(m.FindOneRecord(other.get(), &mustMake));
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    EXPECT_TRUE(m.FindOneRecord(other.get(), &mustMake));
    EXPECT_EQ(mustMake, 0);
  }
  EXPECT_EQ(Sql("SELECT FileName FROM MediaRecord;"), "kept.jpg\n");

  // An older layout (no marker table) and a file that is no database at all.
  struct Case {
    const char* what;
    std::string make;
  } cases[] = {{"older layout", "DROP TABLE Version_1;"}, {"not a database", ""}};
  for (const Case& c : cases) {
    if (c.make.empty()) {
      testenv::WriteFile(db_, std::string(8192, '\x7f'));
    } else {
      ASSERT_TRUE(testsql::Run(db_, c.make, false).ok);
    }
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str())) << c.what;
    EXPECT_EQ(Sql("SELECT count(*) FROM MediaRecord;"), "0\n") << c.what;
    EXPECT_EQ(Sql("SELECT count(*) FROM sqlite_master WHERE name = 'Version_1';"), "1\n") << c.what;
    auto fresh = Item(folder_, u"new.jpg", 1);
    EXPECT_TRUE(Store(m, *fresh, 2)) << c.what;
  }
}

TEST_F(ThumbDatabase, ADatabaseWithDamagedTablePagesIsMadeAnew) {
  {
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    for (int i = 0; i < 200; ++i) {
      auto item = Item(folder_, u"photo_" + QelFromUTF8(std::to_string(i)) + u".jpg", 1);
      ASSERT_TRUE(Store(m, *item, uint8_t(i), 8, 6));
    }
  }
  // The table's root page (an interior page over many rows) is overwritten;
  // the first page, with the layout, stays whole.
  const int root = std::stoi(Sql("SELECT rootpage FROM sqlite_master WHERE name = 'MediaRecord';"));
  const int page = std::stoi(Sql("PRAGMA page_size;"));
  ASSERT_GT(root, 1);
  {
    std::string bytes = testenv::ReadFile(db_);
    ASSERT_GE(bytes.size(), size_t(root) * size_t(page));
    std::fill_n(bytes.begin() + (root - 1) * page, page, '\x5a');
    testenv::WriteFile(db_, bytes);
  }
  ASSERT_NE(testsql::Run(db_, "PRAGMA quick_check;").out, "ok\n");

  CDBManager m;
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  EXPECT_EQ(Sql("PRAGMA quick_check;"), "ok\n");
  EXPECT_EQ(Sql("SELECT count(*) FROM MediaRecord;"), "0\n");
  // Look-ups and inserts work again, and the thumbnails are made again.
  auto item = Item(folder_, u"photo_7.jpg", 1);
  int mustMake = -1;
  EXPECT_FALSE(m.FindOneRecord(item.get(), &mustMake));
  EXPECT_EQ(mustMake, 1);
  ASSERT_TRUE(Store(m, *item, 9));
  EXPECT_TRUE(m.FindOneRecord(item.get(), &mustMake));
  EXPECT_EQ(mustMake, 0);
}

TEST_F(ThumbDatabase, APipeInTheDatabasesPlaceIsNotOpened) {
  // Nobody writes to the pipe: the first read of a database would wait for ever.
  ASSERT_EQ(::mkfifo(db_.c_str(), 0600), 0);
  CDBManager m;
  EXPECT_FALSE(m.Connect(Folder().c_str()));
  auto item = Item(folder_, u"p.jpg", 1);
  int mustMake = -1;
  EXPECT_FALSE(m.FindOneRecord(item.get(), &mustMake));
  EXPECT_TRUE(fs::is_fifo(db_));
}

// Photo thumbnails stored before they were made upright show turned photos
// unturned: a file from then keeps its movie rows and makes its photos again.
TEST_F(ThumbDatabase, PhotoRowsFromBeforeUprightThumbnailsAreMadeAgain) {
  {
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    auto photo = Item(folder_, u"turned.jpg", 1);
    auto movie = Item(folder_, u"clip.mov", 1, 2);
    ASSERT_TRUE(Store(m, *photo, 3));
    ASSERT_TRUE(Store(m, *movie, 4));
  }
  ASSERT_TRUE(testsql::Run(db_, "DROP TABLE UprightPhotos;", false).ok);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "file from before" : "brought up to date");
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    auto photo = Item(folder_, u"turned.jpg", 1);
    auto movie = Item(folder_, u"clip.mov", 1, 2);
    int mustMake = -1;
    EXPECT_EQ(m.FindOneRecord(photo.get(), &mustMake), pass == 1);
    EXPECT_EQ(mustMake, pass == 0 ? 1 : 0);
    mustMake = -1;
    EXPECT_TRUE(m.FindOneRecord(movie.get(), &mustMake));
    EXPECT_EQ(mustMake, 0);
    if (pass == 0) {
      ASSERT_TRUE(Store(m, *photo, 5));
    }
  }
  EXPECT_EQ(Sql("SELECT count(*) FROM sqlite_master WHERE name IN ('Version_1', 'UprightPhotos');"), "2\n");
}

TEST_F(ThumbDatabase, ADatabaseHeldByAnotherProgramIsLeftAlone) {
  {
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    auto item = Item(folder_, u"p.jpg", 1);
    ASSERT_TRUE(Store(m, *item, 3));
  }
  std::string before = testenv::ReadFile(db_);

  // Another connection holds the file exclusively.
  QelLibraryRef lib = QelLoadLibrary(QelFromUTF8(VDLSQ_BUNDLE).c_str());
  ASSERT_NE(lib, nullptr);
  auto entry = reinterpret_cast<VdlSQGetClassObjectFn>(QelGetProcAddress(lib, "MyDllGetClassObject"));
  IVdlSQConnection* holder = nullptr;
  ASSERT_EQ(entry(CLSID_VdlSQConnection, IID_IVdlSQConnection, reinterpret_cast<void**>(&holder)), VDLSQ_OK);
  ASSERT_EQ(holder->Open(QelFromUTF8(db_.string()).c_str(), u"", u""), VDLSQ_OK);
  ASSERT_EQ(holder->Execute(u"BEGIN EXCLUSIVE;"), VDLSQ_OK);

  CDBManager m;
  EXPECT_FALSE(m.Connect(Folder().c_str()));
  auto item = Item(folder_, u"p.jpg", 1);
  int mustMake = -1;
  EXPECT_FALSE(m.FindOneRecord(item.get(), &mustMake));
  item->SetDib(testdib::NewArray(testdib::Make(3, 2, 4)));
  EXPECT_FALSE(m.InsertOneRecord(item.get()));
  EXPECT_EQ(testenv::ReadFile(db_), before);

  ASSERT_EQ(holder->CommitTrans(), VDLSQ_OK);
  holder->Release();
  QelFreeLibrary(lib);
  ASSERT_TRUE(m.Connect(Folder().c_str()));
  auto again = Item(folder_, u"p.jpg", 1);
  EXPECT_TRUE(m.FindOneRecord(again.get(), &mustMake));
  EXPECT_EQ(mustMake, 0);
}

TEST_F(ThumbDatabase, AReadOnlyDatabaseStillServesItsRows) {
  {
    CDBManager m;
    ASSERT_TRUE(m.Connect(Folder().c_str()));
    auto item = Item(folder_, u"p.jpg", 1);
    ASSERT_TRUE(Store(m, *item, 3));
  }
  // Root ignores permission bits: make the file immutable instead.
  std::string on = "chattr +i '" + db_.string() + "' 2>/dev/null";
  if (std::system(on.c_str()) != 0) GTEST_SKIP() << "the file system cannot make a file immutable";
  CDBManager m;
  bool connected = m.Connect(Folder().c_str());
  auto item = Item(folder_, u"p.jpg", 1);
  int mustMake = -1;
  bool found = m.FindOneRecord(item.get(), &mustMake);
  auto other = Item(folder_, u"q.jpg", 1);
  other->SetDib(testdib::NewArray(testdib::Make(3, 2, 4)));
  bool inserted = m.InsertOneRecord(other.get());
  std::system(("chattr -i '" + db_.string() + "'").c_str());
  EXPECT_TRUE(connected);
  EXPECT_TRUE(found);
  EXPECT_EQ(mustMake, 0);
  EXPECT_FALSE(inserted);
}

TEST_F(ThumbDatabase, WithoutTheComponentEveryCallAnswersNo) {
  testbundle::MakeMainBundle(false);
  CDBManager m;
  EXPECT_FALSE(m.Init());
  EXPECT_FALSE(m.Connect(Folder().c_str()));
  auto item = Item(folder_, u"p.jpg", 1);
  item->SetDib(testdib::NewArray(testdib::Make(3, 2, 4)));
  int mustMake = -1;
  EXPECT_FALSE(m.FindOneRecord(item.get(), &mustMake));
  EXPECT_EQ(mustMake, -1);
  EXPECT_FALSE(m.InsertOneRecord(item.get()));
  EXPECT_FALSE(m.DeleteOneRecord(item.get()));
  EXPECT_FALSE(m.BeginTrans());
  EXPECT_TRUE(m.DisConnect());
  EXPECT_FALSE(fs::exists(db_));
}
