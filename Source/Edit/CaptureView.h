#pragma once
// The edit album: three toolkit albums (all media, photos, movies) over the
// photos and movies of one folder, chosen with "comb_capture". It keeps one
// record per file, fills thumbnails from the thumbnail database or makes
// them on the thumbnail thread, performs the album's actions and reports to
// its listener (the edit panel). Main thread, except the thumbnail walk,
// which touches only its own copy of the records' list, the database and
// the hand-over list below.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "CQelStringW.h"
#include "ICaptureListener.h"
#include "PubQelmar.h"
#include "ThumbData.h"
#include "qel/QelAlbum.h"

class CDBManager;

class CCaptureView {
 public:
  // Album codes of DoAlbumCall.
  enum Code : int32_t {
    kAdd = 0, kDelete = 1, kPlay = 2, kProperty = 3, kSelectAll = 4, kRefresh = 5, kPrint = 6, kEmail = 7,
    kFindTarget = 8, kCanDelete = 9, kCanPlay = 10, kCanProperty = 11, kCanPrint = 12, kCanEmail = 13,
    kCanFindTarget = 14, kAlbumSelect = 15, kUpdatePath = 16, kDeleteDirty = 17, kShowThumb = 18,
  };

  // Builds the three albums in `albumPanel` ("cata_Left") at once.
  CCaptureView(PubQelmar::QelPanel* albumPanel, ICaptureListener* listener);
  ~CCaptureView();
  CCaptureView(const CCaptureView&) = delete;
  CCaptureView& operator=(const CCaptureView&) = delete;

  // Lists the folder's photos and movies, newest first; 0 without an album
  // panel or listener, or when the folder does not exist.
  int32_t Init(const WCHAR* folder);
  // The panel's one entry: see Code. `data` is the path of codes 0 and 16.
  intptr_t DoAlbumCall(int32_t code, intptr_t index, const void* data, const void* unused);

  // Mouse messages 512..525 (point in lParam: x low, y high 16 bits):
  // 0x1000000 for another message, 0xFF000000 while the album is hidden or
  // disabled, 1 outside the current album, 2 inside, 258 for a right-button
  // release inside. `handled` is set when the album took the message.
  uint32_t DoMouseMsg(uint32_t msg, QELWPARAM wParam, QELLPARAM lParam, int& handled);
  // Arrow keys (28..31); asks before a move would replace unsaved edits.
  int32_t DoKeyMsg(uint32_t msg, uint32_t key, QELLPARAM lParam, int& handled);

  int32_t GetCurrentThumbnail();
  // 0 when copied (or nothing found: `out` emptied), else the length needed
  // with the terminator.
  int32_t GetThumbnailPath(int32_t index, WCHAR* out, size_t capacity);
  std::u16string GetThumbnailPath(int32_t index);
  // The last index of the current album whose path is `path`, or -1.
  int32_t GetThumbnailIndexByName(const WCHAR* path);
  int32_t GetThumbCount();
  // Makes the item current, the only selected one and scrolls to it; 0 when
  // out of range.
  int32_t SetCurSelThumb(int32_t index);
  void NavigateToSelectedItems();
  qel::Album* GetCurrentAlbum() { return m_albums[m_nCurAlbum]; }
  int32_t GetCurrentAlbumIndex() const { return m_nCurAlbum; }
  void CancelDrag();
  const std::u16string& Folder() const { return m_strFolder; }

  // The thumbnail size the album makes (80 x 60 times the display ratio).
  static SIZE ThumbSize();

 private:
  struct Pending {
    _THUMBDATA* record;
    unsigned char* dib;  // null: no thumbnail could be made
  };
  // One item of the walk, with what the walk may read of it.
  struct WalkItem {
    _THUMBDATA* record;
    int32_t type;
  };

  void BuildUI();
  void SetupAlbum(qel::Album* album, QelObject itemTemplate);
  void Notify(int32_t code, int32_t index);
  _THUMBDATA* Record(qel::Album* album, int32_t index);
  void FreeAllRecords();
  void SetCallbacks(bool on);
  static int32_t Album_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  void OnAlbumEvent(qel::Album* album, int32_t event, QELLPARAM param);
  void UpdateMarks(qel::Album* album, int32_t index);
  void SelectOnly(int32_t index);
  int32_t AlbumIndexOf(qel::Album* album) const;

  // Thumbnails.
  void StartThumbThread(int32_t index);
  static void CloseThumbThread();
  static int ThumbThread_Proc(int32_t index, const void* album, const void* view);
  int MakeThumb(int32_t index);
  void TakePending();
  int32_t DoShowThumbDIB(int32_t index);
  void PlaceThumb(qel::Album* album, int32_t index);
  bool IsBroken(_THUMBDATA* record) const { return m_broken.count(record) != 0; }

  // Actions.
  int32_t DoAddFile(const WCHAR* path, int32_t type);
  int32_t DoDelete();
  int32_t DoPlay();
  int32_t DoProperty();
  int32_t DoSelectAll();
  int32_t DoRefresh();
  int32_t DoPrint();
  int32_t DoEmail();
  int32_t DoFindTarget();
  int32_t DoAlbumSelect();
  // Shows album `wanted` (0 all, 1 photos, 2 movies) with its first item current.
  void SwitchAlbum(int32_t wanted);
  int32_t DoUpdatePath(const WCHAR* path);
  int32_t DoDeleteDirtyThumb();
  int32_t SelectByAsk(int32_t target);
  std::vector<_THUMBDATA*> SelectedRecords();
  // Removes the record from the three albums (and frees it when `free`).
  void RemoveEverywhere(_THUMBDATA* record);
  int32_t AskWrongFile(_THUMBDATA* record, const std::u16string& text);
  void Warn(const std::u16string& text, WindowRef parent);

  std::unique_ptr<CDBManager> m_pDB;
  ICaptureListener* m_pListener;
  PubQelmar::QelPanel* m_pAlbumPanel;
  qel::Element* m_pCombo = nullptr;
  qel::Album* m_albums[3] = {nullptr, nullptr, nullptr};  // 0 is the layout's, 1 and 2 copies
  int32_t m_nCurAlbum = 0;
  std::u16string m_strFolder;
  int32_t m_nCurItem = -1;
  int32_t m_bBusy = 0;
  bool m_bCallbacks = false;
  // Frame of "view_ThumbImage" in the item template.
  SRect32 m_thumbMargin{0, 0, 0, 0};
  SIZE m_thumbSize{80, 60};

  // The thumbnail walk's list, made when the thread starts (the records
  // stay alive until the thread is closed), and its results.
  std::vector<WalkItem> m_walk;
  int32_t m_nWalkStart = 0;
  std::mutex m_lock;  // guards m_pending and the records' thumbnails against the walk
  std::vector<Pending> m_pending;
  std::unordered_set<_THUMBDATA*> m_broken;  // no thumbnail could be made (main thread)
};
