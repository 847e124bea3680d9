#pragma once
// The SQL component's interfaces, as a caller sees them after loading the
// component bundle and asking its entry point for a connection:
//
//   auto entry = (VdlSQGetClassObjectFn)QelGetProcAddress(lib, "MyDllGetClassObject");
//   IVdlSQConnection* c = nullptr;
//   entry(CLSID_VdlSQConnection, IID_IVdlSQConnection, (void**)&c);
//
// Every operation answers 0 for success or a negative status: minus the
// SQLite result code (VDLSQ_E_BUSY for a database another process holds, ...)
// or VDLSQ_E_ARG for a bad argument. Objects start with one reference and
// are freed by Release. Text is UTF-16 (char16_t), terminated.
#include <cstdint>

// Laid out like the suite's 16-byte class and interface identifiers.
struct VdlSQGuid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(VdlSQGuid) == 16, "identifiers are 16 bytes");

// {B12057F9-F564-452B-AFDE-28B3AE4D870C}
inline constexpr VdlSQGuid CLSID_VdlSQConnection{
    0xB12057F9u, 0xF564u, 0x452Bu, {0xAF, 0xDE, 0x28, 0xB3, 0xAE, 0x4D, 0x87, 0x0C}};
// {0AEC337B-D290-4817-8755-C5A3BCE7C85D}
inline constexpr VdlSQGuid IID_IVdlSQConnection{
    0x0AEC337Bu, 0xD290u, 0x4817u, {0x87, 0x55, 0xC5, 0xA3, 0xBC, 0xE7, 0xC8, 0x5D}};

constexpr int32_t VDLSQ_OK = 0;
constexpr int32_t VDLSQ_E_ERROR = -1;     // SQL error or missing database
constexpr int32_t VDLSQ_E_BUSY = -5;      // another connection holds a lock
constexpr int32_t VDLSQ_E_LOCKED = -6;
constexpr int32_t VDLSQ_E_READONLY = -8;
constexpr int32_t VDLSQ_E_CORRUPT = -11;
constexpr int32_t VDLSQ_E_CANTOPEN = -14;
constexpr int32_t VDLSQ_E_NOTADB = -26;
constexpr int32_t VDLSQ_E_ARG = -1000;    // null or out-of-range argument
constexpr int32_t VDLSQ_E_NOROW = -1001;  // the row set has no current row
constexpr int32_t VDLSQ_E_NOCOLUMN = -1002;
// Answered by the entry point for a class or interface it does not serve.
constexpr int32_t VDLSQ_E_NOTSERVED = static_cast<int32_t>(0x81500001u);

class IVdlSQRecordSet {
 public:
  virtual int32_t Release() = 0;
  // The current row's value of the named column (names compare ignoring
  // ASCII case).
  virtual int32_t GetIntColumn(const char16_t* column, int32_t* value) = 0;
  // buffer null: *size receives the blob's byte length. Otherwise at most
  // *size bytes are copied and *size receives the number copied.
  virtual int32_t GetBlobColumn(const char16_t* column, void* buffer, uint32_t* size) = 0;

 protected:
  virtual ~IVdlSQRecordSet() = default;
};

class IVdlSQCommand {
 public:
  virtual int32_t Release() = 0;
  // One statement with `?` markers; a prepared statement is replaced.
  virtual int32_t Prepare(const char16_t* sql) = 0;
  // Markers are numbered from 0.
  virtual int32_t BindInt(int32_t index, int32_t value) = 0;
  virtual int32_t BindText(int32_t index, const char16_t* text) = 0;
  virtual int32_t BindBlob(int32_t index, const void* data, uint32_t size) = 0;
  // Runs the statement: to its end, or up to its first row for a query.
  virtual int32_t Run() = 0;
  // The rows of the query that ran (first row current).
  virtual int32_t GetRecordSet(IVdlSQRecordSet** out) = 0;

 protected:
  virtual ~IVdlSQCommand() = default;
};

class IVdlSQConnection {
 public:
  virtual int32_t Release() = 0;
  // Opens (creating when missing) the database file; an open database is
  // closed first. The two further texts are accepted and not used.
  virtual int32_t Open(const char16_t* path, const char16_t* user, const char16_t* password) = 0;
  // Closing a closed connection succeeds.
  virtual int32_t Close() = 0;
  virtual int32_t BeginTrans() = 0;
  virtual int32_t CommitTrans() = 0;
  // Runs SQL text without values (table creation and the like).
  virtual int32_t Execute(const char16_t* sql) = 0;
  // Runs a query without values; its rows come back first row current.
  virtual int32_t Query(const char16_t* sql, IVdlSQRecordSet** out) = 0;
  virtual int32_t CreateCommand(IVdlSQCommand** out) = 0;

 protected:
  virtual ~IVdlSQConnection() = default;
};

// The bundle's entry point.
typedef int32_t (*VdlSQGetClassObjectFn)(const VdlSQGuid& classId, const VdlSQGuid& interfaceId,
                                         void** out);
