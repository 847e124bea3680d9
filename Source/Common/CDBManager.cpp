#include "CDBManager.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "CDIBGetThread.h"
#include "ORVPubTools.h"
#include "qel/QelFile.h"
#include "qel/QelWideText.h"
#include "sql/VdlSQ.h"

namespace {

constexpr const WCHAR* kComponentBundle = u"VdlSQbase.bundle";
constexpr const WCHAR* kDatabaseName = u"ZylORVThumb.db";
constexpr const char16_t* kVersionTable = u"Version_1";
// Marks a file whose photo thumbnails were made upright (by the photo's
// EXIF orientation). Earlier files stored them as the pixels lay; their
// photo rows are made again. A table of its own, so the file stays one of
// the current layout for any reader.
constexpr const char16_t* kUprightTable = u"UprightPhotos";
constexpr int32_t kPhotoType = 1;
constexpr size_t kDibHeaderBytes = 40;
// A thumbnail is a few tens of kilobytes; anything past this is not one.
constexpr uint64_t kMaxDibBytes = 64u << 20;

uint32_t U32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t U16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

// The name a row is keyed by: the path's last component.
const WCHAR* FileNameOf(const WCHAR* path) {
  const WCHAR* name = path;
  for (const WCHAR* p = path; *p; ++p) {
    if (*p == u'/') name = p + 1;
  }
  return name;
}

// Releases a component object when it goes out of scope.
template <typename T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
};

bool Ok(int32_t status) { return status >= 0; }

bool ShouldRebuild(int32_t status) {
  // Not a database, or a damaged one: a cache that is better made anew.
  return status == VDLSQ_E_NOTADB || status == VDLSQ_E_CORRUPT;
}

}  // namespace

CDBManager::CDBManager() { Init(); }

CDBManager::~CDBManager() { UnInit(); }

void CDBManager::StopWorker() { CDIBGetThread::StopCurrent(); }

bool CDBManager::Init() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_hLibrary) {
    WCHAR contents[QEL_MAX_PATH] = {};
    if (!DB_GetModuleContentPath(nullptr, contents)) return false;
    if (!QelPathAppend(contents, kComponentBundle)) return false;
    m_hLibrary = QelLoadLibrary(contents);
    if (!m_hLibrary) return false;
  }
  if (!m_pConnection) {
    auto entry = reinterpret_cast<VdlSQGetClassObjectFn>(QelGetProcAddress(m_hLibrary, "MyDllGetClassObject"));
    if (!entry) return false;
    void* connection = nullptr;
    if (!Ok(entry(CLSID_VdlSQConnection, IID_IVdlSQConnection, &connection))) connection = nullptr;
    m_pConnection = connection;
  }
  return m_pConnection != nullptr;
}

void CDBManager::UnInit() {
  StopWorker();
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  ReleaseSQLConnect(m_pConnection);
  m_bOpen = false;
  if (m_hLibrary) QelFreeLibrary(m_hLibrary);
  m_hLibrary = nullptr;
}

bool CDBManager::Open(const CQelStringW& path) {
  if (!Ok(GetSQLConnect(m_pConnection)->Open(path.c_str(), u"TelvinQorb", u"KTNVault"))) return false;
  m_bOpen = true;
  return true;
}

void CDBManager::CloseDatabase() {
  if (m_pConnection) GetSQLConnect(m_pConnection)->Close();
  m_bOpen = false;
}

bool CDBManager::Connect(const WCHAR* folder) {
  if (!folder || !*folder) return false;
  StopWorker();
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_pConnection) return false;
  if (!Ok(GetSQLConnect(m_pConnection)->Close())) return false;
  m_bOpen = false;
  m_strFolder = folder;

  WCHAR path[QEL_MAX_PATH] = {};
  qel_wcsncpy(path, folder, QEL_MAX_PATH - 1);
  if (qel_wcslen(folder) >= QEL_MAX_PATH || !QelPathAppend(path, kDatabaseName)) return false;
  bool existed = QelPathFileExists(path) != 0;
  if (!Open(path)) return false;

  if (existed) {
    int32_t status = VDLSQ_OK;
    Presence version = TablePresence(kVersionTable, &status);
    if (version == Presence::Failed && !ShouldRebuild(status)) {
      // Held by another program, or unreadable for a reason deleting would
      // not cure: go on without a cache and leave the file as it is.
      std::fprintf(stderr, "Thumbnail database %s not usable (status %d)\n", CQelStringW(path).ToUTF8().c_str(),
                   int(status));
      CloseDatabase();
      return false;
    }
    if (version == Presence::Present && !Intact()) {
      // Damaged pages leave the layout readable while every look-up and
      // insert fails, on every later run too: a cache is better made anew.
      std::fprintf(stderr, "Thumbnail database %s is damaged; it is made anew\n", CQelStringW(path).ToUTF8().c_str());
      version = Presence::Absent;
    }
    if (version != Presence::Present) {
      // Another layout, or no database at all: its thumbnails are lost and
      // made again. A journal left beside it belongs to the old file.
      CloseDatabase();
      DB_DeleteFile(path);
      CQelStringW journal = CQelStringW(path) + u"-journal";
      DB_DeleteFile(journal.c_str());
      if (!Open(path)) return false;
    }
  }
  if (!CheckTable()) {
    CloseDatabase();
    return false;
  }
  return true;
}

CDBManager::Presence CDBManager::TablePresence(const char16_t* table, int32_t* status) {
  *status = VDLSQ_E_ERROR;
  if (!m_pConnection || !m_bOpen) return Presence::Failed;
  // The table names are the system's own constants, never outside text.
  std::u16string sql = u"SELECT count(*) as count FROM sqlite_master WHERE type='table' AND name = '";
  sql += table;
  sql += u"';";
  Held<IVdlSQRecordSet> rows;
  *status = GetSQLConnect(m_pConnection)->Query(sql.c_str(), &rows.p);
  if (!Ok(*status) || !rows.p) return Presence::Failed;
  int32_t count = -1;
  *status = rows.p->GetIntColumn(u"count", &count);
  if (!Ok(*status)) return Presence::Failed;
  if (count == 1) return Presence::Present;
  if (count == 0) return Presence::Absent;
  return Presence::Failed;
}

bool CDBManager::Intact() {
  Held<IVdlSQRecordSet> rows;
  int32_t status = GetSQLConnect(m_pConnection)->Query(
      u"SELECT count(*) as count FROM pragma_quick_check WHERE quick_check <> 'ok';", &rows.p);
  // A file held by another program is not known to be damaged.
  if (!Ok(status) || !rows.p) return !ShouldRebuild(status);
  int32_t problems = 0;
  status = rows.p->GetIntColumn(u"count", &problems);
  if (!Ok(status)) return !ShouldRebuild(status);
  return problems == 0;
}

bool CDBManager::CheckVersion() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  int32_t status;
  return TablePresence(kVersionTable, &status) == Presence::Present;
}

bool CDBManager::CheckTable() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_pConnection || !m_bOpen) return false;
  IVdlSQConnection* c = GetSQLConnect(m_pConnection);
  int32_t status;
  Presence media = TablePresence(u"MediaRecord", &status);
  if (media == Presence::Failed) return false;
  if (media == Presence::Absent && !Ok(c->Execute(u"create table MediaRecord (Type, FileName, FileTime, DIB);"))) {
    return false;
  }
  // Look-ups go by file name. The layout check counts tables only, so the
  // index leaves the file readable by any earlier reader; a read-only file
  // without it still works, only slower.
  c->Execute(u"CREATE INDEX IF NOT EXISTS MediaRecord_FileName ON MediaRecord(FileName);");
  switch (TablePresence(kVersionTable, &status)) {
    case Presence::Present:
      break;
    case Presence::Absent:
      if (!Ok(c->Execute(u"create table Version_1 (Num);"))) return false;
      break;
    default:
      return false;
  }
  m_bPhotosUpright = TablePresence(kUprightTable, &status) == Presence::Present ||
                     (Ok(c->Execute(u"delete from MediaRecord where Type = 1;")) &&
                      Ok(c->Execute(u"create table UprightPhotos (Num);")));
  return true;
}

size_t CDBManager::DibStoredLength(const unsigned char* dib) {
  if (!dib) return 0;
  uint32_t headerSize = U32(dib);
  int32_t width = int32_t(U32(dib + 4));
  int32_t height = int32_t(U32(dib + 8));
  uint16_t bits = U16(dib + 14);
  uint32_t compression = U32(dib + 16);
  uint32_t imageSize = U32(dib + 20);
  if (headerSize != kDibHeaderBytes || width <= 0 || height == 0 || height == INT32_MIN || bits != 24 ||
      compression != 0) {
    return 0;
  }
  uint64_t stride = (uint64_t(width) * 24 + 31) / 32 * 4;
  uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : int64_t(height));
  uint64_t pixels = stride * rows;
  if (pixels != imageSize || kDibHeaderBytes + pixels > kMaxDibBytes) return 0;
  return size_t(kDibHeaderBytes + pixels);
}

bool CDBManager::IsValidDibBlob(const unsigned char* blob, size_t length) {
  if (!blob || length < kDibHeaderBytes) return false;
  return DibStoredLength(blob) == length;
}

bool CDBManager::FindOneRecord(_THUMBDATA* item, int* mustMake) {
  if (!item || !item->path || !item->path[0]) return false;
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_pConnection || !m_bOpen) return false;
  Held<IVdlSQCommand> command;
  if (!Ok(GetSQLConnect(m_pConnection)->CreateCommand(&command.p)) || !command.p) return false;
  Held<IVdlSQRecordSet> rows;
  if (!Ok(command.p->Prepare(u"SELECT count(*) as count, FileTime, DIB FROM MediaRecord WHERE FileName = ?;")) ||
      !Ok(command.p->BindText(0, FileNameOf(item->path))) || !Ok(command.p->Run()) ||
      !Ok(command.p->GetRecordSet(&rows.p)) || !rows.p) {
    return false;
  }

  bool found = false;
  bool stale = true;
  // Photo rows of a file that could not be brought up to date (read-only)
  // show the photo unturned: made again, not stored.
  const bool trusted = item->type != kPhotoType || m_bPhotosUpright;
  int32_t count = 0;
  if (Ok(rows.p->GetIntColumn(u"count", &count)) && count != 0) {
    found = true;
    uint8_t time[8] = {};
    uint32_t timeSize = 0;
    // One row, an 8-byte time equal to the file's, and a whole thumbnail:
    // anything else is made again (the caller deletes the rows first).
    if (trusted && count == 1 && Ok(rows.p->GetBlobColumn(u"FileTime", nullptr, &timeSize)) && timeSize == 8 &&
        Ok(rows.p->GetBlobColumn(u"FileTime", time, &timeSize)) && timeSize == 8 &&
        std::memcmp(time, item->fileTime.bytes, 8) == 0) {
      uint32_t dibSize = 0;
      if (Ok(rows.p->GetBlobColumn(u"DIB", nullptr, &dibSize)) && dibSize >= kDibHeaderBytes &&
          dibSize <= kMaxDibBytes) {
        std::unique_ptr<unsigned char[]> dib(new (std::nothrow) unsigned char[dibSize]);
        uint32_t got = dibSize;
        if (dib && Ok(rows.p->GetBlobColumn(u"DIB", dib.get(), &got)) && got == dibSize &&
            IsValidDibBlob(dib.get(), dibSize)) {
          item->SetDib(dib.release());
          stale = false;
        }
      }
    }
  }
  if (mustMake) *mustMake = (!found || stale) ? 1 : 0;
  return found;
}

bool CDBManager::InsertOneRecord(_THUMBDATA* item) {
  if (!IsThumbDataValid(item)) return false;
  size_t length = DibStoredLength(item->dib);
  if (length == 0) return false;
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_pConnection || !m_bOpen) return false;
  // One row per name: whatever an earlier pass left goes first.
  if (!DeleteOneRecord(item)) return false;
  Held<IVdlSQCommand> command;
  if (!Ok(GetSQLConnect(m_pConnection)->CreateCommand(&command.p)) || !command.p) return false;
  return Ok(command.p->Prepare(u"insert into MediaRecord (Type, FileName, FileTime, DIB) values(?,?,?,?);")) &&
         Ok(command.p->BindInt(0, item->type)) && Ok(command.p->BindText(1, FileNameOf(item->path))) &&
         Ok(command.p->BindBlob(2, item->fileTime.bytes, 8)) &&
         Ok(command.p->BindBlob(3, item->dib, uint32_t(length))) && Ok(command.p->Run());
}

bool CDBManager::DeleteOneRecord(_THUMBDATA* item) {
  if (!item || !item->path) return false;
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_pConnection || !m_bOpen) return false;
  Held<IVdlSQCommand> command;
  if (!Ok(GetSQLConnect(m_pConnection)->CreateCommand(&command.p)) || !command.p) return false;
  return Ok(command.p->Prepare(u"delete from MediaRecord where FileName = ? ;")) &&
         Ok(command.p->BindText(0, FileNameOf(item->path))) && Ok(command.p->Run());
}

bool CDBManager::BeginTrans() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return m_pConnection && m_bOpen && Ok(GetSQLConnect(m_pConnection)->BeginTrans());
}

bool CDBManager::CommitTrans() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return m_pConnection && m_bOpen && Ok(GetSQLConnect(m_pConnection)->CommitTrans());
}

bool CDBManager::DisConnect() {
  StopWorker();
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_pConnection) return true;
  m_bOpen = false;
  return Ok(GetSQLConnect(m_pConnection)->Close());
}

WCHAR* DB_GetModuleContentPath(const plat::Bundle* bundle, WCHAR* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return nullptr;
  CQelStringW contents = CORVPubTools::GetBundleContentsPath(bundle);
  size_t n = size_t(contents.GetLength());
  if (n == 0 || n >= capacity) return nullptr;
  std::memcpy(buffer, contents.c_str(), n * sizeof(WCHAR));
  buffer[n] = 0;
  return buffer;
}

int32_t DB_DeleteFile(const WCHAR* path) {
  if (!path || !QelPathFileExists(path)) return 0;
  return QelFileDeleteExt(path);
}

void ReleaseSQLConnect(void*& connection) {
  if (!connection) return;
  IVdlSQConnection* c = GetSQLConnect(connection);
  c->Close();
  c->Release();
  connection = nullptr;
}

IVdlSQConnection* GetSQLConnect(void* connection) { return static_cast<IVdlSQConnection*>(connection); }
