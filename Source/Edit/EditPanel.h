#pragma once
// The edit page: loads "Edit.aui" into the host's module area, keeps the
// edit album on the left and the photo or the movie editor on the right,
// shows the album's current file in the editor of its kind, routes the
// shared sliders and buttons to that editor, asks before anything replaces
// unsaved edits and follows changes of the media folder. One per process;
// main thread only (the album's thumbnail thread reaches it by posting).
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "CQelStringW.h"
#include "ICaptureListener.h"
#include "IORVMainModule.h"
#include "PubQelmar.h"
#include "qel/QelWindow.h"

class CCaptureView;
class CPhotoEdit;
class CVideoEdit;

// The panel's own messages, posted to the module window.
enum : uint32_t {
  kMsgAlbumCall = 4541,      // wParam album code (17 or 18), lParam item index
  kMsgFileGone = 4543,
  kMsgUpdatePreview = 4545,
  kMsgRefreshVideo = 24,     // wParam 1, lParam 1: the movie editor redraws
};

class CEditPanel : public CQelCallbackMap, public ICaptureListener {
 public:
  // Editing modes: which editor shows the current file.
  enum Mode : int32_t { kModeNone = 0, kModePhoto = 1, kModeMovie = 2 };

  CEditPanel(IORVMainModule* host, PubQelmar::QelPanel* hostPanel, WindowRef window);
  ~CEditPanel() override;

  // Builds the page once (layout, editors, album), then the menus and the
  // callbacks on every launch; 1 on success.
  int32_t InitPanel();
  // Shows the page in the host's module area; always 1.
  int32_t ShowTabView();
  // Takes the page out of the host again and deletes album and editors;
  // answers whether the page was released.
  int32_t ReleasePanel();
  // Message 2027: 1 arms the preview and shows it; 0 shows it only once
  // armed (the first 0 arms). Always 1.
  int32_t Show(uint32_t wParam);
  // Message 2026: follows the media folder (asking first when edits would
  // be lost); 0 when the user cancelled, else the album's answer.
  int32_t UpdateMeidaFolder();

  // Unsaved edits: 0 the user cancelled, 1 saved, 2 nothing to save or
  // dropped. WarningSaveNew is the same question, asked by the album.
  int32_t WarningSave();
  int32_t WarningSaveNew() { return WarningSave(); }
  // 1 while the active editor has unsaved edits.
  int32_t GetReset();
  // The active editor drops its edits.
  void SetReset();
  // After an editor wrote a file: reloads the album and shows the file.
  void RefreshforSave();
  // The next free "Snapshot_Image<n>.jpg" of the media folder; the answer
  // is the counter after it.
  int32_t GetSnapshotImageFileName(CQelStringW& path);
  // The album's current index (-1 without an album) and its path.
  int32_t GetCurrentThumbIndex(std::u16string* path);
  const std::u16string& GetCurFileName() const { return m_strCurFile; }
  const std::u16string& GetMediaFolder() const { return m_strMediaFolder; }
  CVideoEdit* GetVideoEdit() const { return m_pVideoEdit; }
  CPhotoEdit* GetPhotoEdit() const { return m_pPhotoEdit; }
  CCaptureView* GetAlbum() const { return m_pCaptureView; }
  int32_t GetMode() const { return m_nMode; }
  int32_t IsSaving();
  int32_t IsSnapshot();
  int32_t IsAlbumShow() const { return m_bLeftPanelShow; }
  // Set while a movie is being opened (the album's thumbnail thread and the
  // movie editor take turns): setting it waits until nobody else holds it.
  // Any thread.
  int32_t IsOpenningVideo() const;
  void SetOpenningVideo(int32_t on);
  void MySetCursor(int16_t id);
  // Shows the album's current file in its editor.
  void DoUpdatePreview();

  // The album's notifications (source 1526).
  int32_t Receive(int32_t source, const void* data, const void* sender) override;
  // Messages of the module window, before the window's own handling; sets
  // `handled` when the album took a key or mouse message.
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled);

  QelObject Page() const { return m_pEditPanel ? m_pEditPanel->Handle() : nullptr; }

 private:
  int32_t InitDisplayPanel();
  int32_t Init();
  int32_t InitCallback();
  void ReleaseCallBack();
  void ReleaseDisplayPanel();
  int32_t InitMessageMap();
  void ReleaseMessageMap();
  // The media folder of the preferences with "Capture" appended, both
  // created; empty when none can be made.
  std::u16string ReadMediaFolder();

  void UpdateAlbumUITools();
  void PopupAlbumMenu(POINT windowPoint);
  int32_t DoAlbumCall(int32_t code, intptr_t index, const void* data = nullptr);
  void HideEditors();
  void ShowElement(PubQelmar::QelPanel* panel, const char* name, bool show);
  void SetLeftPanelTip(bool shown);
  std::u16string ResString(uint32_t id) const;

  // Element handlers.
  void OnLayoutChange(QelObject element, int32_t event, QELLPARAM param);
  void OnBrightness(int32_t event, QELLPARAM param);
  void OnContrast(int32_t event, QELLPARAM param);
  void OnReset();
  void OnSaveAs();
  void OnSave();
  void OnShowHideLeftPanel(QelObject element);
  void OnSplitter();
  void OnDelete();
  void OnAlbumSwitched();
  void OnRefresh();
  void OnFileGone();
  static int32_t Element_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static void LayoutTimer_Proc(void* owner, uint32_t id, void* data);

  IORVMainModule* m_pHost;
  PubQelmar::QelPanel* m_pHostPanel;
  PubQelmar::QelPanel* m_pEditPanel = nullptr;  // "Edit.aui", owned
  CPhotoEdit* m_pPhotoEdit = nullptr;
  PubQelmar::QelPanel* m_pMovieArea = nullptr;  // "vcata1"
  PubQelmar::QelPanel* m_pPhotoView = nullptr;  // "cata_view"
  PubQelmar::QelPanel* m_pToolBar = nullptr;    // "hcata_tools"
  PubQelmar::QelPanel* m_pButtonBar = nullptr;  // "cata_butn"
  int32_t m_bInit = 0;
  std::u16string m_strMediaFolder;  // the user's media folder + "Capture"
  WindowRef m_hMainWnd;
  std::u16string m_strCurFile;
  CVideoEdit* m_pVideoEdit = nullptr;
  int32_t m_nMode = kModeNone;
  int32_t m_bDisplayReleased = 0;
  CCaptureView* m_pCaptureView = nullptr;
  PubQelmar::QelPanel* m_pAlbumMenu = nullptr;  // "Menu_album_rclick"
  int32_t m_bRefreshing = 0;
  int32_t m_bShowDeleteWarning = 1;
  int32_t m_bShown = 0;
  int32_t m_bSaveRefresh = 0;
  int32_t m_bLeftPanelShow = 1;
  // The movie-opening flag, shared with the album's thumbnail thread.
  mutable std::mutex m_videoLock;
  std::condition_variable m_videoFree;
  int32_t m_bOpenningVideo = 0;
  bool m_bLayoutTimer = false;
  int32_t m_bAlbumSwitched = 0;
  bool m_bMessagesHooked = false;
  bool m_bCallbacks = false;
};
