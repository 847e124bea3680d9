#pragma once
// UTF-16 <-> UTF-8 for SQL text, paths and column names.
#include <string>

namespace vdlsq {

// false for a null text or an unpaired surrogate.
bool ToUtf8(const char16_t* text, std::string* out);
// ASCII case ignored; `b` is UTF-8 as SQLite names columns.
bool ColumnNameEquals(const char16_t* a, const char* b);

}  // namespace vdlsq
