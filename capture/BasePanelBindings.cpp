// The capture page's controls and the host toolbar's buttons, bound to the
// panel's handlers.
#include <cstdio>
#include <filesystem>

#include "BasePanel.h"

#include "CaptureView.h"
#include "Capture.h"
#include "CaptureSetting.h"
#include "CaptureSettingData.h"
#include "DlgWarning.h"
#include "FullScreenWnd.h"
#include "LayoutMenuPopup.h"
#include "CaptureMessages.h"
#include "qel/QelMessage.h"
#include "ORVGF.h"
#include "ORVTrace.h"
#include "Profile.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace {

constexpr int32_t kMouseMove = 0x40000001, kMouseDown = 0x40000002, kMouseUp = 0x40000003;
constexpr const WCHAR* kSection = u"Section_Capture";

}  // namespace

void CBasePanel::Bind(QelObject container, const char* name, std::vector<int32_t> events,
                      void (CBasePanel::*handler)(qel::Element*, int32_t, QELLPARAM), int32_t album) {
  qel::Element* e = ORVGF::GetElementByName(container, name);
  if (!e) return;
  m_bindings.push_back(std::make_unique<Binding>(Binding{this, handler, std::move(events), album}));
  e->SetCallback(&CBasePanel::OnElementEvent, m_bindings.back().get());
  e->Retain();
  m_boundElements.push_back(e);
}

int32_t CBasePanel::OnElementEvent(QelObject element, int32_t event, QELLPARAM param, void* data) {
  auto* b = static_cast<Binding*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!b || !e) return 0;
  for (int32_t wanted : b->events) {
    if (wanted == event) {
      (b->panel->*(b->handler))(e, event, param);
      break;
    }
  }
  return 0;
}

int32_t CBasePanel::InitCallBack() {
  const QelObject host = QelHandle(m_pHostPanel);
  qel::Element* menuHide = ORVGF::GetElementByName(m_pPage, "Menu_Hide");
  const QelObject hidden = menuHide ? menuHide->Handle() : nullptr;
  const std::vector<int32_t> click{QEL_EV_CLICK};
  const std::vector<int32_t> command{QEL_EV_MENU_COMMAND};
  const std::vector<int32_t> clickOrCommand{QEL_EV_CLICK, QEL_EV_MENU_COMMAND};
  const std::vector<int32_t> slider{QEL_EV_SLIDER_CHANGE, QEL_EV_SLIDER_TRACK, QEL_EV_SLIDER_END};
  Bind(m_pPage, "cata_view_camera", {QEL_EV_LAYOUT_CHANGED}, &CBasePanel::OnPreviewLayout);
  Bind(m_pPage, "cata_image_camera", {QEL_EV_LAYOUT_CHANGED}, &CBasePanel::OnPreviewRect);
  Bind(m_pPage, "comb_resolution", {QEL_EV_SEL_CHANGE}, &CBasePanel::OnResolution);
  Bind(m_pPage, "splt_splt", {kMouseMove, kMouseDown, kMouseUp}, &CBasePanel::OnAlbumRequest, 6);
  Bind(m_pPage, "chck_ShowHideLeftPanel", click, &CBasePanel::OnShowHideLeftPanel);
  Bind(m_pPage, "butn_image", click, &CBasePanel::OnPhotoButton);
  Bind(m_pPage, "chck_video", click, &CBasePanel::OnVideoCheck);
  Bind(m_pPage, "chck_burst", click, &CBasePanel::OnBurstCheck);
  Bind(m_pPage, "comb_default11", {QEL_EV_SEL_CHANGE}, &CBasePanel::OnAlbumRequest, 16);
  Bind(m_pPage, "butn_Delete", click, &CBasePanel::OnAlbumRequest, 1);
  Bind(hidden, "mece_Backspace", clickOrCommand, &CBasePanel::OnAlbumRequest, 1);
  Bind(m_pPage, "butn_Media", click, &CBasePanel::OnAlbumRequest, 2);
  Bind(m_pPage, "butn_print", click, &CBasePanel::OnAlbumRequest, 7);
  Bind(m_pPage, "butn_Email", click, &CBasePanel::OnAlbumRequest, 8);
  Bind(m_pPage, "butn_FindTarget", click, &CBasePanel::OnAlbumRequest, 9);
  Bind(m_pAlbumMenu, "mece_FindTarget", clickOrCommand, &CBasePanel::OnAlbumRequest, 9);
  Bind(hidden, "mece_SelectAll", command, &CBasePanel::OnAlbumRequest, 4);
  Bind(m_pAlbumMenu, "mece_Preview", command, &CBasePanel::OnAlbumRequest, 2);
  Bind(m_pAlbumMenu, "mece_property", command, &CBasePanel::OnAlbumRequest, 3);
  Bind(m_pAlbumMenu, "mece_Refresh", command, &CBasePanel::OnAlbumRequest, 5);
  Bind(m_pPage, "chck_SupperQuality", click, &CBasePanel::OnSupperQuality);
  Bind(m_pPage, "scrl_denoise", slider, &CBasePanel::OnLevelSlider);
  Bind(m_pPage, "scrl_delighting", slider, &CBasePanel::OnLevelSlider);
  Bind(host, "butn_fullScreen", click, &CBasePanel::OnFullScreen);
  Bind(host, "butn_camsetting", click, &CBasePanel::OnCameraSettings);
  Bind(host, "butn_CaptureSettings", click, &CBasePanel::OnCaptureSettings);
  Bind(host, "chck_SoftEject", click, &CBasePanel::OnSoftEject);
  if (!m_pMenuStateHandler) m_pMenuStateHandler = QelInstallCommandHandler(&CBasePanel::MenuStateProc, this);
  return 1;
}

int32_t CBasePanel::UnInitCallBack() {
  if (m_pMenuStateHandler) QelRemoveCommandHandler(m_pMenuStateHandler);
  m_pMenuStateHandler = nullptr;
  if (CQelWindow* window = CQelWindow::FetchQelWindow(m_hWindow)) QelEnableMenuCommand(window, 0, true);
  for (qel::Element* e : m_boundElements) {
    if (e->Callback() == &CBasePanel::OnElementEvent) e->SetCallback(nullptr, nullptr);
    e->Release();
  }
  m_boundElements.clear();
  m_bindings.clear();
  return 1;
}

int32_t CBasePanel::DoAlbumCall(int32_t request, int32_t type, const std::u16string& path) {
  // Requests go to the capture album; without one there is nothing to do.
  if (!m_pAlbum) return request == 17 ? 1 : 0;
  if (request == 17) return m_pAlbum->DoAlbumCall(request, 0, m_strCaptureFolder.c_str());
  return m_pAlbum->DoAlbumCall(request, type, path.empty() ? nullptr : path.c_str());
}

void CBasePanel::UpdateAlbumTools() {
  const int32_t any = DoAlbumCall(10), one = DoAlbumCall(12);
  for (const char* name : {"butn_Media", "butn_Delete", "butn_print", "butn_Email"}) {
    ORVGF::EnableElement(m_pPage, name, any);
  }
  ORVGF::EnableElement(m_pPage, "butn_FindTarget", one);
}

void CBasePanel::OnMouseMessage(uint32_t message, QELWPARAM wParam, QELLPARAM lParam) {
  if (!m_pAlbum) return;
  const uint32_t answer = m_pAlbum->DoMouseMsg(message, intptr_t(wParam), intptr_t(lParam));
  // 1 in bits 8 to 15 and nothing above bit 23: the album asks for its menu.
  if ((answer & 0xFF000000u) != 0 || ((answer >> 8) & 0xFF) != 1) return;
  qel::Element* menu = qel::Element::From(m_pAlbumMenu);
  qel::Element* bar = menu ? menu->FindByName("meba_rclick", true) : nullptr;
  if (!bar) return;
  const std::pair<const char*, int32_t> enabling[] = {
      {"mece_Preview", 11}, {"mece_property", 12}, {"mece_FindTarget", 15}};
  for (const auto& [name, request] : enabling) {
    if (qel::Element* item = bar->FindByName(name, true)) item->Enable(DoAlbumCall(request) != 0);
  }
  const POINT at{int16_t(lParam & 0xFFFF), int16_t((lParam >> 16) & 0xFFFF)};
  ORVGF::PopupLayoutMenu(m_hWindow, bar, at);
}

void CBasePanel::OnAlbumRequest(qel::Element* e, int32_t, QELLPARAM) {
  for (const auto& b : m_bindings) {
    if (e && e->CallbackData() == b.get() && b->album != 0) {
      DoAlbumCall(b->album);
      return;
    }
  }
}

void CBasePanel::OnShowHideLeftPanel(qel::Element* e, int32_t, QELLPARAM) {
  if (!e) return;
  const bool hidden = e->Check() != 0;
  ORVGF::ShowElement(m_pPage, "cata_Left", hidden ? 0 : 1);
  ORVGF::ShowElement(m_pPage, "splt_splt", hidden ? 0 : 1);
  e->SetTips(ORVGF::vLoadResString(hidden ? 22 : 23));
}

void CBasePanel::OnVideoCheck(qel::Element* e, int32_t, QELLPARAM) {
  OrvTrace(std::string("capture record requested ") + (e && e->Check() ? "on" : "off"));
  CCapture* capture = CCapture::GetInstance();
  if (e && e->Check() && !m_bRecording) {
    m_strCurrentMovie = GetVideoFileName();
    if (capture && !m_strCurrentMovie.empty()) {
      capture->SetVideoQuality(LoadProfileInt(kSection, u"VideoFileQuality", 50));
      m_bRecording = capture->StartRecord(m_strCurrentMovie);
      if (!m_bRecording) capture->StopRecord();
    }
    if (m_bRecording) OrvTrace("capture recording " + QelToUTF8(m_strCurrentMovie));
    else m_strCurrentMovie.clear();
  } else if (e && !e->Check() && m_bRecording) {
    FinishRecording(capture ? capture->StopRecord() : 0);
  }
  if (e) e->SetCheck(m_bRecording);
  m_pPower->HoldAwake(m_bRecording != 0, "Recording a movie");
  UpdateUIForBurstOrRecord(m_bBursting, m_bRecording);
}

void CBasePanel::FinishRecording(int32_t stopped) {
  const std::u16string path = m_strCurrentMovie;
  m_strCurrentMovie.clear();
  m_bRecording = 0;
  m_pPower->HoldAwake(false, {});
  if (path.empty()) return;
  CCapture* capture = CCapture::GetInstance();
  const bool writeFailed = capture && capture->RecordWriteFailed();
  std::error_code ec;
  const auto size = std::filesystem::file_size(QelToUTF8(path), ec);
  if (stopped && !ec && size >= 11) {
    // A movie with frames stays, whatever the album says of it.
    OrvTrace("capture movie " + QelToUTF8(path));
    DoAlbumCall(0, 2, path);
    if (writeFailed) ShowMessage(44);
    return;
  }
  OrvTrace("capture discarded movie " + QelToUTF8(path));
  if (!ORVGF::DeleteFile(path) && std::filesystem::exists(QelToUTF8(path), ec)) {
    m_undeletableMovies.push_back(path);
  }
  if (writeFailed) ShowMessage(45);
}

void CBasePanel::OnBurstCheck(qel::Element*, int32_t, QELLPARAM) { UpdateUIForBurstOrRecord(m_bBursting, m_bRecording); }

void CBasePanel::OnFullScreen(qel::Element*, int32_t, QELLPARAM) {
  SIZE screen{0, 0};
  ORVGF::vGetScreenSize(screen);
  SRect32 whole{0, 0, screen.cx, screen.cy};
  {
    CFullScreenWnd window(this, m_hWindow);
    if (!window.Create(u"fullscreen.aui", &whole, m_hWindow)) {
      std::fprintf(stderr, "capture: the full-screen window cannot be created\n");
      return;
    }
    m_bFullScreenOpen = 1;
    window.UpdateUI(m_bBursting, m_bRecording, m_bBurstAllowed, m_bVideoAllowed);
    OrvTrace("capture full screen");
    window.DoModal();
    m_bFullScreenOpen = 0;
  }
  OrvTrace("capture full screen closed");
  if (m_bDeviceLostPending && m_bCameraValid) {
    m_bDeviceLostPending = 0;
    PostMessage(m_hWindow, kMsgCaptureDevice, kDeviceLost, 0);
  }
}

void CBasePanel::OnCameraSettings(qel::Element*, int32_t, QELLPARAM) {
  if (CCapture* capture = CCapture::GetInstance()) capture->DoCamSetting();
}

void CBasePanel::OnCaptureSettings(qel::Element*, int32_t, QELLPARAM) {
  SaveProfile();
  int32_t result = CQelDialog::kResultCancel;
  {
    CCaptureSetting dialog;
    if (dialog.Create(u"Capture_Setting.aui", nullptr, m_hWindow)) result = dialog.DoModal();
    else std::fprintf(stderr, "capture: the settings dialog cannot be created\n");
  }
  OrvTrace("capture settings " + std::to_string(result));
  if (result != CQelDialog::kResultOK) return;

  WCHAR stored[1025] = {};
  bool restart = false;
  LoadProfileString(kSection, u"VideoDevice", u"", stored, 1025);
  restart |= qel_wcscmpi(stored, m_strVideoInput.c_str()) != 0;
  const int32_t withAudio = LoadProfileInt(kSection, u"bWithAudio", ORVGF::CaptureSettings().audioEnabledByDefault);
  restart |= (withAudio != 0) != (m_bWithAudio != 0);
  LoadProfileString(kSection, u"AudioDevice", u"", stored, 1025);
  restart |= qel_wcscmpi(stored, m_strSoundInput.c_str()) != 0;
  LoadProfile();
  if (restart) CameraValid(0);
  if (!m_bCameraValid) CameraValid(1);
}

void CBasePanel::OnSoftEject(qel::Element* e, int32_t, QELLPARAM) {
  if (!e) return;
  if (e->Check()) {
    if (!CameraValid(1)) ShowMessage(15);
    return;
  }
  // Switching the camera off is asked first.
  e->SetCheck(1);
  std::u16string question = ORVGF::vLoadResString(14);
  if (vMessageBox(ORVGF::vGetLastPopupWindow(), question.c_str(), u"", kWarnYesNo) == 0) {
    CameraValid(0);
    e->SetCheck(0);
  }
}
