#include <cstring>

#include "SQObjects.h"
#include "SQText.h"

namespace vdlsq {

int32_t RecordSet::Release() {
  int32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

int RecordSet::Column(const char16_t* name) const {
  int n = sqlite3_column_count(stmt_->stmt);
  for (int i = 0; i < n; ++i) {
    if (ColumnNameEquals(name, sqlite3_column_name(stmt_->stmt, i))) return i;
  }
  return -1;
}

int32_t RecordSet::GetIntColumn(const char16_t* column, int32_t* value) {
  if (!column || !value) return VDLSQ_E_ARG;
  if (!stmt_->has_row) return VDLSQ_E_NOROW;
  int i = Column(column);
  if (i < 0) return VDLSQ_E_NOCOLUMN;
  *value = sqlite3_column_int(stmt_->stmt, i);
  return VDLSQ_OK;
}

int32_t RecordSet::GetBlobColumn(const char16_t* column, void* buffer, uint32_t* size) {
  if (!column || !size) return VDLSQ_E_ARG;
  if (!stmt_->has_row) return VDLSQ_E_NOROW;
  int i = Column(column);
  if (i < 0) return VDLSQ_E_NOCOLUMN;
  const void* data = sqlite3_column_blob(stmt_->stmt, i);
  uint32_t length = uint32_t(sqlite3_column_bytes(stmt_->stmt, i));
  if (!buffer) {
    *size = length;
    return VDLSQ_OK;
  }
  uint32_t n = length < *size ? length : *size;
  if (n) std::memcpy(buffer, data, n);
  *size = n;
  return VDLSQ_OK;
}

}  // namespace vdlsq
