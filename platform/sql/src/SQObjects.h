#pragma once
// The component's objects over the SQLite C API.
#include <sqlite3.h>

#include <atomic>
#include <memory>

#include "sql/VdlSQ.h"

namespace vdlsq {

// Minus the SQLite result code (primary code only), 0 for success.
inline int32_t Status(int rc) {
  return rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW ? VDLSQ_OK : -(rc & 0xFF);
}

// A prepared statement shared by a command and the row sets it handed out.
struct Statement {
  explicit Statement(sqlite3_stmt* s) : stmt(s) {}
  ~Statement() { sqlite3_finalize(stmt); }
  sqlite3_stmt* stmt;
  bool has_row = false;  // the last step gave a row
};
using StatementPtr = std::shared_ptr<Statement>;

// Prepares one statement of UTF-16 text.
int32_t PrepareStatement(sqlite3* db, const char16_t* sql, StatementPtr* out);
// Steps to the first row (queries) or to the end; sets has_row.
int32_t StepFirst(Statement& s);

class RecordSet final : public IVdlSQRecordSet {
 public:
  explicit RecordSet(StatementPtr s) : stmt_(std::move(s)) {}
  int32_t Release() override;
  int32_t GetIntColumn(const char16_t* column, int32_t* value) override;
  int32_t GetBlobColumn(const char16_t* column, void* buffer, uint32_t* size) override;

 private:
  int Column(const char16_t* name) const;
  std::atomic<int32_t> refs_{1};
  StatementPtr stmt_;
};

class Command final : public IVdlSQCommand {
 public:
  explicit Command(sqlite3* db) : db_(db) {}
  int32_t Release() override;
  int32_t Prepare(const char16_t* sql) override;
  int32_t BindInt(int32_t index, int32_t value) override;
  int32_t BindText(int32_t index, const char16_t* text) override;
  int32_t BindBlob(int32_t index, const void* data, uint32_t size) override;
  int32_t Run() override;
  int32_t GetRecordSet(IVdlSQRecordSet** out) override;

 private:
  bool Marker(int32_t index) const;
  std::atomic<int32_t> refs_{1};
  sqlite3* db_;
  StatementPtr stmt_;
};

class Connection final : public IVdlSQConnection {
 public:
  Connection() = default;
  int32_t Release() override;
  int32_t Open(const char16_t* path, const char16_t* user, const char16_t* password) override;
  int32_t Close() override;
  int32_t BeginTrans() override;
  int32_t CommitTrans() override;
  int32_t Execute(const char16_t* sql) override;
  int32_t Query(const char16_t* sql, IVdlSQRecordSet** out) override;
  int32_t CreateCommand(IVdlSQCommand** out) override;

 private:
  ~Connection() override { Close(); }
  std::atomic<int32_t> refs_{1};
  sqlite3* db_ = nullptr;
};

}  // namespace vdlsq
