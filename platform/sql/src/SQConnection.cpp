#include <sys/stat.h>

#include <string>

#include "SQObjects.h"
#include "SQText.h"

namespace vdlsq {

int32_t Connection::Release() {
  int32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

int32_t Connection::Open(const char16_t* path, const char16_t*, const char16_t*) {
  std::string utf8;
  if (!ToUtf8(path, &utf8) || utf8.empty()) return VDLSQ_E_ARG;
  Close();
  // A pipe or a device in the database's place would block the first read.
  struct stat st {};
  if (::stat(utf8.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return Status(SQLITE_CANTOPEN);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(utf8.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    return Status(rc);
  }
  // Another program (a second album on the same folder) may hold the file
  // for a moment; past that the caller goes on without its cache.
  sqlite3_busy_timeout(db, 2000);
  sqlite3_extended_result_codes(db, 0);
  db_ = db;
  return VDLSQ_OK;
}

int32_t Connection::Close() {
  if (!db_) return VDLSQ_OK;
  // Row sets still held keep their statements; the handle goes once they do.
  int rc = sqlite3_close_v2(db_);
  db_ = nullptr;
  return Status(rc);
}

int32_t Connection::BeginTrans() { return Execute(u"BEGIN;"); }

int32_t Connection::CommitTrans() { return Execute(u"COMMIT;"); }

int32_t Connection::Execute(const char16_t* sql) {
  if (!db_) return VDLSQ_E_ERROR;
  std::string utf8;
  if (!ToUtf8(sql, &utf8)) return VDLSQ_E_ARG;
  return Status(sqlite3_exec(db_, utf8.c_str(), nullptr, nullptr, nullptr));
}

int32_t Connection::Query(const char16_t* sql, IVdlSQRecordSet** out) {
  if (!out) return VDLSQ_E_ARG;
  *out = nullptr;
  if (!db_) return VDLSQ_E_ERROR;
  StatementPtr s;
  int32_t status = PrepareStatement(db_, sql, &s);
  if (status != VDLSQ_OK) return status;
  status = StepFirst(*s);
  if (status != VDLSQ_OK) return status;
  *out = new RecordSet(std::move(s));
  return VDLSQ_OK;
}

int32_t Connection::CreateCommand(IVdlSQCommand** out) {
  if (!out) return VDLSQ_E_ARG;
  *out = nullptr;
  if (!db_) return VDLSQ_E_ERROR;
  *out = new Command(db_);
  return VDLSQ_OK;
}

}  // namespace vdlsq
