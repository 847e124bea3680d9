#include <gtest/gtest.h>

#include <string>

#include "SqliteCli.h"
#include "TestEnvironment.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"
#include "sql/VdlSQ.h"

namespace {

class SqlComponent : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = QelLoadLibrary(QelFromUTF8(VDLSQ_BUNDLE).c_str());
    ASSERT_NE(library_, nullptr);
    entry_ = reinterpret_cast<VdlSQGetClassObjectFn>(QelGetProcAddress(library_, "MyDllGetClassObject"));
    ASSERT_NE(entry_, nullptr);
    ASSERT_EQ(entry_(CLSID_VdlSQConnection, IID_IVdlSQConnection, reinterpret_cast<void**>(&c_)), VDLSQ_OK);
    ASSERT_NE(c_, nullptr);
    db_ = testenv::MakeTempDir("sql") / "t.db";
  }
  void TearDown() override {
    if (c_) c_->Release();
    if (library_) QelFreeLibrary(library_);
  }
  std::u16string Path() { return QelFromUTF8(db_.string()); }

  QelLibraryRef library_ = nullptr;
  VdlSQGetClassObjectFn entry_ = nullptr;
  IVdlSQConnection* c_ = nullptr;
  std::filesystem::path db_;
};

}  // namespace

TEST_F(SqlComponent, ServesOnlyTheConnection) {
  void* out = reinterpret_cast<void*>(1);
  VdlSQGuid other = CLSID_VdlSQConnection;
  other.Data4[7] ^= 1;
  EXPECT_EQ(entry_(other, IID_IVdlSQConnection, &out), VDLSQ_E_NOTSERVED);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(entry_(CLSID_VdlSQConnection, other, &out), VDLSQ_E_NOTSERVED);
  EXPECT_EQ(entry_(CLSID_VdlSQConnection, IID_IVdlSQConnection, nullptr), VDLSQ_E_NOTSERVED);
}

TEST_F(SqlComponent, BoundValuesNeverChangeTheStatement) {
  ASSERT_EQ(c_->Open(Path().c_str(), u"TelvinQorb", u"KTNVault"), VDLSQ_OK);
  ASSERT_EQ(c_->Execute(u"create table T (Name, Data);"), VDLSQ_OK);
  const char16_t* names[] = {u"Anna's.jpg", u"x' OR '1'='1", u"a\"b;--", u"'); drop table T;--",
                             u"\u00dcber \u2603.jpg"};
  for (const char16_t* name : names) {
    IVdlSQCommand* cmd = nullptr;
    ASSERT_EQ(c_->CreateCommand(&cmd), VDLSQ_OK);
    ASSERT_EQ(cmd->Prepare(u"insert into T (Name, Data) values (?, ?);"), VDLSQ_OK);
    EXPECT_EQ(cmd->BindText(0, name), VDLSQ_OK);
    EXPECT_EQ(cmd->BindBlob(1, "\x01\x00\x02", 3), VDLSQ_OK);
    EXPECT_EQ(cmd->BindText(2, u"no such marker"), VDLSQ_E_ARG);
    EXPECT_EQ(cmd->Run(), VDLSQ_OK);
    cmd->Release();
  }
  // Each name finds exactly its own row.
  for (const char16_t* name : names) {
    IVdlSQCommand* cmd = nullptr;
    ASSERT_EQ(c_->CreateCommand(&cmd), VDLSQ_OK);
    ASSERT_EQ(cmd->Prepare(u"SELECT count(*) as count, Data FROM T WHERE Name = ?;"), VDLSQ_OK);
    ASSERT_EQ(cmd->BindText(0, name), VDLSQ_OK);
    ASSERT_EQ(cmd->Run(), VDLSQ_OK);
    IVdlSQRecordSet* rows = nullptr;
    ASSERT_EQ(cmd->GetRecordSet(&rows), VDLSQ_OK);
    int32_t count = -1;
    EXPECT_EQ(rows->GetIntColumn(u"COUNT", &count), VDLSQ_OK);
    EXPECT_EQ(count, 1) << QelToUTF8(name);
    uint32_t size = 0;
    EXPECT_EQ(rows->GetBlobColumn(u"Data", nullptr, &size), VDLSQ_OK);
    EXPECT_EQ(size, 3u);
    unsigned char two[2] = {};
    size = 2;  // at most the buffer's size is copied
    EXPECT_EQ(rows->GetBlobColumn(u"Data", two, &size), VDLSQ_OK);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(two[0], 1);
    EXPECT_EQ(rows->GetIntColumn(u"Missing", &count), VDLSQ_E_NOCOLUMN);
    rows->Release();
    cmd->Release();
  }
  ASSERT_EQ(c_->Close(), VDLSQ_OK);
  EXPECT_EQ(c_->Close(), VDLSQ_OK);  // closing twice is fine

  testsql::Result r = testsql::Run(db_, "SELECT count(*), count(DISTINCT Name) FROM T;");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "5|5\n");
}

TEST_F(SqlComponent, StatusesTellWhatWentWrong) {
  EXPECT_EQ(c_->Execute(u"select 1;"), VDLSQ_E_ERROR);  // nothing open
  testenv::WriteFile(db_, std::string(4096, 'x'));
  ASSERT_EQ(c_->Open(Path().c_str(), u"", u""), VDLSQ_OK);  // opening reads nothing yet
  IVdlSQRecordSet* rows = nullptr;
  EXPECT_EQ(c_->Query(u"SELECT count(*) as count FROM sqlite_master;", &rows), VDLSQ_E_NOTADB);
  EXPECT_EQ(rows, nullptr);
  EXPECT_EQ(c_->Open(u"", u"", u""), VDLSQ_E_ARG);
  EXPECT_EQ(c_->Open(u"/no/such/folder/t.db", u"", u""), VDLSQ_E_CANTOPEN);

  ASSERT_EQ(c_->Open(QelFromUTF8((db_.parent_path() / "ok.db").string()).c_str(), u"", u""), VDLSQ_OK);
  EXPECT_LT(c_->Execute(u"this is not sql"), 0);
  ASSERT_EQ(c_->Query(u"SELECT 1 as one WHERE 0;", &rows), VDLSQ_OK);
  int32_t v = 0;
  EXPECT_EQ(rows->GetIntColumn(u"one", &v), VDLSQ_E_NOROW);
  rows->Release();
}
