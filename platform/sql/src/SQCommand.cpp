#include <string>

#include "SQObjects.h"
#include "SQText.h"

namespace vdlsq {

int32_t PrepareStatement(sqlite3* db, const char16_t* sql, StatementPtr* out) {
  if (!sql) return VDLSQ_E_ARG;
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare16_v2(db, sql, -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return Status(rc);
  if (!stmt) return VDLSQ_E_ARG;  // only blanks or a comment
  *out = std::make_shared<Statement>(stmt);
  return VDLSQ_OK;
}

int32_t StepFirst(Statement& s) {
  int rc = sqlite3_step(s.stmt);
  s.has_row = rc == SQLITE_ROW;
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return VDLSQ_OK;
  sqlite3_reset(s.stmt);
  return Status(rc);
}

int32_t Command::Release() {
  int32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

int32_t Command::Prepare(const char16_t* sql) {
  stmt_.reset();
  return PrepareStatement(db_, sql, &stmt_);
}

bool Command::Marker(int32_t index) const {
  return stmt_ && index >= 0 && index < sqlite3_bind_parameter_count(stmt_->stmt);
}

int32_t Command::BindInt(int32_t index, int32_t value) {
  if (!Marker(index)) return VDLSQ_E_ARG;
  return Status(sqlite3_bind_int(stmt_->stmt, index + 1, value));
}

int32_t Command::BindText(int32_t index, const char16_t* text) {
  if (!Marker(index) || !text) return VDLSQ_E_ARG;
  std::string utf8;
  if (!ToUtf8(text, &utf8)) return VDLSQ_E_ARG;
  return Status(sqlite3_bind_text(stmt_->stmt, index + 1, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT));
}

int32_t Command::BindBlob(int32_t index, const void* data, uint32_t size) {
  if (!Marker(index) || (!data && size)) return VDLSQ_E_ARG;
  if (size > uint32_t(INT32_MAX)) return VDLSQ_E_ARG;
  return Status(sqlite3_bind_blob(stmt_->stmt, index + 1, data ? data : "", int(size), SQLITE_TRANSIENT));
}

int32_t Command::Run() {
  if (!stmt_) return VDLSQ_E_ARG;
  // Running again starts from the first row; row sets handed out earlier
  // read the new rows.
  sqlite3_reset(stmt_->stmt);
  return StepFirst(*stmt_);
}

int32_t Command::GetRecordSet(IVdlSQRecordSet** out) {
  if (!out) return VDLSQ_E_ARG;
  *out = nullptr;
  if (!stmt_ || sqlite3_column_count(stmt_->stmt) == 0) return VDLSQ_E_ARG;
  *out = new RecordSet(stmt_);
  return VDLSQ_OK;
}

}  // namespace vdlsq
