#pragma once
// The capture album: every photo and movie of the capture folder, newest
// first, in three albums (all, photos, movies) chosen by "comb_default11",
// with thumbnails from the folder's thumbnail database or made on the
// thumbnail thread, and the album actions the panel asks for through
// DoAlbumCall. Files go to the viewer and the player (asset list and
// command line), the e-mail and print bundles, the Trash and the file
// manager. Everything but the thumbnail worker runs on the main thread.
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "CDBManager.h"
#include "ICaptureListener.h"
#include "PubQelmar.h"
#include "ThumbData.h"
#include "qel/QelAlbum.h"
#include "qel/QelTypes.h"

// Album notification (listener code 1526): 18 focus and selection reset,
// 19 selection changed, 20 current item changed.
struct _AlbumOptMsg {
  int32_t code;
  int32_t index;
  PubQelmar::QelAlbum* album;
};

// The view's private message: wParam 0 clean broken items, 1 a thumbnail is
// ready (lParam its index), 2 the album takes the keyboard.
constexpr uint32_t kAlbumMessage = 3027;

class CCaptureView {
 public:
  CCaptureView(PubQelmar::QelPanel* panel, ICaptureListener* listener, WindowRef window);
  ~CCaptureView();
  CCaptureView(const CCaptureView&) = delete;
  CCaptureView& operator=(const CCaptureView&) = delete;

  // Loads the folder; 0 without a panel and a listener or when the folder
  // does not exist.
  int32_t Init(const WCHAR* folder);
  // Stops the thumbnail thread, empties the albums and frees the records.
  void UnInit();

  // code 0 add (value: type, data: path), 1 delete, 2 play or view,
  // 3 properties, 4 select all, 5 refresh, 6 show the current item, 7 print,
  // 8 e-mail, 9 reveal, 10-15 can delete / play / show properties / print /
  // e-mail / reveal, 16 album switch, 17 folder change (data: path).
  int32_t DoAlbumCall(int32_t code, int32_t value, const void* data);
  // Mouse messages 512..525 for the panel: 0x1000000 other messages,
  // 0xFF000000 album hidden or disabled, 1 outside, 2 inside, 258 after the
  // right button went up inside (the panel shows the album menu).
  uint32_t DoMouseMsg(uint32_t message, intptr_t wParam, intptr_t lParam);

  // Tests and the panel read these.
  PubQelmar::QelAlbum* ShownAlbum() const { return m_pAlbums[m_nShown]; }
  PubQelmar::QelAlbum* Album(int32_t which) const { return which >= 0 && which < 3 ? m_pAlbums[which] : nullptr; }
  int32_t ShownIndex() const { return m_nShown; }
  const std::u16string& Folder() const { return m_strFolder; }
  SIZE ThumbSize() const { return m_thumb; }

 private:
  // A finished thumbnail, handed from the worker to the main thread.
  struct Ready {
    _THUMBDATA* record;
    unsigned char* dib;  // null: none could be made
  };

  void BuildUI();
  int32_t LoadFolder();
  void HookAlbums(bool on);
  void ResetFocus(PubQelmar::QelAlbum* album, int32_t index, bool notify);
  void Notify(int32_t code, int32_t index, PubQelmar::QelAlbum* album);
  void FreeRecords();
  bool IsSupported(const std::u16string& path, int32_t* type) const;
  int32_t TypeAlbum(int32_t type) const { return type == 1 ? 1 : 2; }

  // Thumbnails (CaptureViewThumbs.cpp).
  static int32_t OnAlbumEvent(QelObject element, int32_t event, QELLPARAM param, void* data);
  void OnItemShown(PubQelmar::QelAlbum* album, int32_t index);
  void RefreshMarks(PubQelmar::QelAlbum* album, int32_t index);
  void PutThumbnail(PubQelmar::QelElement* item, _THUMBDATA* record);
  void StartThumbThread(int32_t index);
  void StopThumbThread();
  static int ThumbCallback(int32_t index, const void* view, const void* unused);
  int MakeOne(int32_t index);
  void MakeFor(int32_t index, _THUMBDATA* record);
  unsigned char* MakeThumbnail(int32_t type, const WCHAR* path) const;
  intptr_t OnMessage(intptr_t wParam, intptr_t lParam);
  void TakeReady();
  void CleanBroken();
  bool HasDib(_THUMBDATA* record);
  bool IsBroken(_THUMBDATA* record) const { return m_broken.count(record) != 0; }
  void Forget(_THUMBDATA* record);

  // Actions (CaptureViewActions.cpp).
  int32_t AddFile(int32_t type, const WCHAR* path);
  int32_t DeleteSelection();
  int32_t PlaySelection();
  int32_t ShowProperties();
  int32_t SelectAll();
  int32_t Refresh();
  int32_t Navigate();
  int32_t HandOver(bool print);
  int32_t Reveal();
  int32_t SwitchAlbum();
  int32_t ChangeFolder(const WCHAR* folder);
  std::vector<_THUMBDATA*> SelectedRecords(std::vector<int32_t>* indexes = nullptr) const;
  bool ConfirmExists(_THUMBDATA* record, int32_t index);
  int32_t RunApplication(const std::u16string& program, const std::u16string& assetList,
                         const std::u16string& extra);
  void Message(uint32_t id, const std::u16string& detail = {}, uint32_t flags = 0);
  void RemoveBroken();

  PubQelmar::QelPanel* m_pPanel;
  ICaptureListener* m_pListener;
  WindowRef m_hWindow;
  CDBManager* m_pDB = nullptr;
  PubQelmar::QelComboBox* m_pSelector = nullptr;
  PubQelmar::QelAlbum* m_pAlbums[3] = {nullptr, nullptr, nullptr};
  int32_t m_nShown = 0;
  std::u16string m_strFolder;
  bool m_bInserting = false;
  bool m_bDeleting = false;
  bool m_bHooked = false;
  bool m_bMessageHooked = false;

  SIZE m_thumb{80, 60};           // thumbnails are made at this size
  SIZE m_area{0, 0};              // "view_ThumbImage" of the template
  SRect32 m_areaMargin{0, 0, 0, 0};
  std::vector<_THUMBDATA*> m_records;  // owned; each is in "all" and its type album
  std::unordered_set<_THUMBDATA*> m_broken;  // no thumbnail could be made (main thread)

  // Shared with the thumbnail worker.
  std::mutex m_lock;                   // the records' type and bitmap, m_ready
  std::vector<_THUMBDATA*> m_walk;     // the shown album when the worker started
  std::vector<char> m_walkDone;        // items of m_walk the worker has taken
  size_t m_batch = 1;                  // thumbnails made at once (the cores)
  std::vector<Ready> m_ready;
};
