#pragma once
// The thumbnail store of one media folder: "ZylORVThumb.db" in that folder,
// held by the SQL component bundle "VdlSQbase.bundle" of the main bundle's
// Contents folder. Rows are keyed by file name (each folder has its own
// file), every value travels as a bound parameter, and rows read back are
// checked before their bitmap is handed out.
//
// Without the component, or with a database that is locked by another
// program, unreadable or read-only, the calls answer false and the album
// makes its thumbnails without a cache; it never loses a file for that.
// The manager may be used from the album's thumbnail thread while the
// owner's thread waits; Connect and DisConnect stop that thread first.
#include <cstddef>
#include <mutex>

#include "CQelStringW.h"
#include "ThumbData.h"
#include "os/Bundle.h"
#include "qel/QelLibrary.h"
#include "qel/QelPath.h"

class IVdlSQConnection;

class CDBManager {
 public:
  CDBManager();  // and Init() at once
  virtual ~CDBManager();
  CDBManager(const CDBManager&) = delete;
  CDBManager& operator=(const CDBManager&) = delete;

  // Loads the component when needed and makes the connection; true when a
  // connection exists.
  bool Init();
  // Closes and releases the connection, then unloads the component.
  void UnInit();

  // Opens (creating when needed) the folder's database; true when it is
  // open with both tables. A database of another layout or one that is not
  // a database at all is deleted and made anew; one that another program
  // holds is left alone (false).
  bool Connect(const WCHAR* folder);
  // true when the table that marks the current layout exists.
  bool CheckVersion();
  // Creates the missing tables; true when both exist afterwards. Photo
  // rows of a file from before thumbnails were made upright are removed.
  bool CheckTable();

  // Looks the item's file name up. found: a row exists. *mustMake: 1 when
  // nothing usable was found (no row, another file time, or a row whose
  // blobs are not a thumbnail), else 0 and the item holds the stored bitmap.
  bool FindOneRecord(_THUMBDATA* item, int* mustMake);
  // Stores the item's thumbnail as the one row of its file name.
  bool InsertOneRecord(_THUMBDATA* item);
  // Removes every row of the item's file name.
  bool DeleteOneRecord(_THUMBDATA* item);
  bool BeginTrans();
  bool CommitTrans();
  // true also when nothing was open.
  bool DisConnect();

  // A stored thumbnail: a 40-byte header (size 40, width > 0, height not 0,
  // 24 bits, no compression) followed by exactly stride x |height| bytes.
  static bool IsValidDibBlob(const unsigned char* blob, size_t length);
  // The stored length of a thumbnail as its header states it (header size +
  // image size); 0 when that is not a valid thumbnail.
  static size_t DibStoredLength(const unsigned char* dib);

 private:
  enum class Presence { Present, Absent, Failed };
  Presence TablePresence(const char16_t* table, int32_t* status);
  // SQLite's quick check: false when the open file is known to be damaged.
  bool Intact();
  bool Open(const CQelStringW& path);
  void CloseDatabase();
  static void StopWorker();

  QelLibraryRef m_hLibrary = nullptr;
  void* m_pConnection = nullptr;
  CQelStringW m_strFolder;
  bool m_bOpen = false;
  bool m_bPhotosUpright = false;  // the open file's photo rows are upright
  std::recursive_mutex m_lock;
};

// The UTF-16 path of the bundle's Contents folder (the main bundle when
// null) in `buffer` of `capacity` units, terminated; null on failure or
// when it does not fit.
WCHAR* DB_GetModuleContentPath(const plat::Bundle* bundle, WCHAR* buffer, size_t capacity = QEL_MAX_PATH);
// Deletes an existing file: the toolkit's answer, 0 when there is none.
int32_t DB_DeleteFile(const WCHAR* path);
// Closes and releases a connection and nulls the pointer.
void ReleaseSQLConnect(void*& connection);
IVdlSQConnection* GetSQLConnect(void* connection);
