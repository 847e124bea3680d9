#pragma once
// The capture panel: builds the capture page inside the host's module area,
// binds its controls, and turns host messages, camera-button commands and
// device events into starting and stopping the live picture, photos and
// recordings, keeping the page's controls consistent with what runs. It
// takes the plug-in's private messages (3025, 3026) through the module
// window's message map. Main thread only.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "os/Power.h"
#include "qel/QelMenuBar.h"
#include "ICaptureListener.h"
#include "IORVMainModule.h"
#include "PubQelmar.h"
#include "qel/QelElement.h"
#include "qel/QelWindow.h"

class CCapture;
class CCaptureView;

class CBasePanel : public ICaptureListener {
 public:
  CBasePanel(IORVMainModule* host, PubQelmar::QelPanel* hostPanel);
  virtual ~CBasePanel();

  // InitPanel, InitData, InitCallBack on the module window; 1 when all did.
  int32_t Initialize();
  // UnInitCallBack, UnInitData, UnInitPanel; 1 when all did.
  int32_t UnInitialize();

  // Message 2027: wParam 1 (embedded launch) starts the camera at once;
  // wParam 0 arms the page the first time and starts it the second.
  void Show(intptr_t wParam);
  // Message 2029: the verbs "Burst", "Capture", "Record", "ZoomIn" and
  // "ZoomOut" (any case), each only while the camera runs and its condition
  // holds; 1 when one acted. Message 786 never acts.
  int32_t DoMainCommand(uint32_t message, const WCHAR* text, intptr_t lParam);
  int32_t Receive(int32_t code, const void* data, const void* sender) override;
  // Switches the live picture on or off; asked on: the new state, off: 1.
  int32_t CameraValid(int32_t on);
  void ForceStopRecord();
  void ForceCloseFullScreen();
  // Message 2026: the media folder and its "Capture" subfolder, created
  // when missing; the album's answer (1 without an album).
  int32_t UpdateMeidaFolder();
  // +1 / -1 steps of 0.125 between 1.0 and 4.0; 0 back to 1.0.
  void ZoomPreviewSize(int32_t step);

  // Page controls.
  void UpdateUIForCameraValid(int32_t valid);
  void UpdateUIForBurstOrRecord(int32_t burst, int32_t record);
  // Asked for a menu command's state: items from a menu are off while a
  // burst or a recording runs.
  static int32_t MenuStateProc(const QelHICommand& command, void* data);
  void UpdateCombResolution(int32_t shown);
  int32_t EnableSupperQuality(int32_t want);
  void LayoutPreviewArea();

  // State, for the page controls and the module object.
  bool IsCameraValid() const { return m_bCameraValid != 0; }
  bool IsRecording() const { return m_bRecording != 0; }
  double Zoom() const { return m_dZoom; }
  const std::u16string& CaptureFolder() const { return m_strCaptureFolder; }
  QelObject Page() const { return m_pPage; }

 private:
  struct Binding {
    CBasePanel* panel;
    void (CBasePanel::*handler)(qel::Element* element, int32_t event, QELLPARAM param);
    std::vector<int32_t> events;
    int32_t album;  // album request of the binding, 0 for none
  };

  int32_t InitPanel();
  int32_t InitData();
  int32_t InitCallBack();
  int32_t UnInitCallBack();
  int32_t UnInitData();
  int32_t UnInitPanel();

  void Bind(QelObject container, const char* name, std::vector<int32_t> events,
            void (CBasePanel::*handler)(qel::Element*, int32_t, QELLPARAM), int32_t album = 0);
  static int32_t OnElementEvent(QelObject element, int32_t event, QELLPARAM param, void* data);

  // Profile (preferences of the plug-in).
  void LoadProfile();
  void SaveProfile();
  bool UpdateCaptureFolder();

  // Camera.
  int32_t StartCameraPreview();
  void StopCameraPreview();
  void ChooseVideoCodec();

  // Private messages.
  void OnCheckMessage(intptr_t wParam);
  void OnDeviceMessage(intptr_t wParam);
  // Mouse messages: the album's context menu.
  void OnMouseMessage(uint32_t message, QELWPARAM wParam, QELLPARAM lParam);

  // Element handlers.
  void OnPreviewLayout(qel::Element*, int32_t, QELLPARAM);
  void OnPreviewRect(qel::Element*, int32_t, QELLPARAM);
  void OnResolution(qel::Element*, int32_t, QELLPARAM);
  void OnAlbumRequest(qel::Element*, int32_t, QELLPARAM);
  void OnShowHideLeftPanel(qel::Element*, int32_t, QELLPARAM);
  void OnPhotoButton(qel::Element*, int32_t, QELLPARAM);
  void OnVideoCheck(qel::Element*, int32_t, QELLPARAM);
  void OnBurstCheck(qel::Element*, int32_t, QELLPARAM);
  void OnSupperQuality(qel::Element*, int32_t, QELLPARAM);
  void OnLevelSlider(qel::Element*, int32_t, QELLPARAM);
  void OnFullScreen(qel::Element*, int32_t, QELLPARAM);
  void OnCameraSettings(qel::Element*, int32_t, QELLPARAM);
  void OnCaptureSettings(qel::Element*, int32_t, QELLPARAM);
  void OnSoftEject(qel::Element*, int32_t, QELLPARAM);

  int32_t DoAlbumCall(int32_t request, int32_t type = 0, const std::u16string& path = {});
  // The album's buttons follow its selection.
  void UpdateAlbumTools();
  // Photos.
  void TakePhoto();
  std::u16string GetImageFileName();
  // Movies.
  std::u16string GetVideoFileName();
  // After a recording stopped (`stopped`: the engine kept frames): the movie
  // goes to the album, or an empty one is deleted.
  void FinishRecording(int32_t stopped);
  // The first free "[prefix_]<base><n>.<type>" of the capture folder; the
  // counter, one past the number used, is stored under `key`.
  std::u16string UniqueCaptureName(std::u16string& base, uint32_t stringId, const char16_t* fallback,
                                   uint32_t& counter, const std::u16string& type, const char16_t* key);
  // Ticks the check box and clicks it, as the user would.
  void ToggleAndClick(const char* name);
  void ClickElement(const char* name);
  qel::Element* PageElement(const char* name) const;
  qel::Element* HostElement(const char* name) const;
  void ShowMessage(uint32_t stringId, uint32_t flags = 0);

  IORVMainModule* m_pHost;
  PubQelmar::QelPanel* m_pHostPanel;
  QelObject m_pPage = nullptr;
  QelObject m_pAlbumMenu = nullptr;
  void* m_pMenuStateHandler = nullptr;
  WindowRef m_hWindow = nullptr;
  CCaptureView* m_pAlbum = nullptr;
  int32_t m_bCameraValid = 0;
  // A photo or record command that came before the camera's first picture
  // (the one that started the program, say): carried out when it shows.
  std::u16string m_strPendingCommand;
  bool m_bCameraTried = false;
  int32_t m_nPendingTicks = 0;
  static constexpr uint32_t kPendingCommandTimer = 3110;
  static void PendingCommandTimer(void* owner, uint32_t id, void* data);
  int32_t m_bBursting = 0;  // bursts are not offered: never set
  int32_t m_bRecording = 0;
  int32_t m_bFullScreenOpen = 0;
  int32_t m_bDeviceLostPending = 0;
  int32_t m_bBurstAllowed = 0;
  int32_t m_bVideoAllowed = 0;
  int32_t m_bShowArmed = 0;
  int32_t m_bSupperQuality = 0;
  SIZE m_videoResolution{640, 480};
  SIZE m_imageResolution{640, 480};
  SIZE m_largestNativeResolution{1600, 1200};
  double m_dZoom = 1.0;
  std::u16string m_strVideoInput, m_strSoundInput;
  std::u16string m_strMovieBase, m_strPhotoBase;
  std::u16string m_strCurrentMovie;
  std::u16string m_strImageType = u"jpg";
  std::u16string m_strVideoType = u"mov";
  uint32_t m_nPhotoCounter = 0, m_nMovieCounter = 0;
  int32_t m_bTimeStamp = 1;
  int32_t m_nPhotoQuality = 50;
  int32_t m_bWithAudio = 0;
  int32_t m_bPrefix = 0;
  std::u16string m_strPrefix;
  std::u16string m_strCaptureFolder;
  std::deque<std::u16string> m_undeletableMovies;
  uint32_t m_nVideoCodec = 0x6D703476;  // 'mp4v'
  uint32_t m_nLastClickTick = 0;
  SRect32 m_previewMargin{0, 0, 0, 0};  // of "cata_image_camera" as the layout has it
  bool m_bPreviewMarginKnown = false;

  std::vector<std::unique_ptr<Binding>> m_bindings;
  std::vector<qel::Element*> m_boundElements;
  bool m_bMessagesHooked = false;
  bool m_bActive = false;  // between Initialize and UnInitialize
  // The system's sleep: refused while recording; a recording is finished
  // and kept before the machine sleeps.
  plat::PowerAnswer OnPowerMessage(plat::PowerMessage message);
  std::unique_ptr<plat::PowerClient> m_pPower;
};
