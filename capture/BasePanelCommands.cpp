// Host messages, camera-button commands, listener reports and the private
// messages that switch the camera on and off.
#include <glib.h>

#include <cstdio>

#include "BasePanel.h"
#include "Capture.h"
#include "CaptureManage.h"
#include "CaptureMessages.h"
#include "CaptureSetting.h"
#include "CaptureSettingData.h"
#include "DlgDeviceLost.h"
#include "FullScreenWnd.h"
#include "DlgWarning.h"
#include "ORVGF.h"
#include "ORVTrace.h"
#include "Profile.h"
#include "qel/QelCore.h"
#include "qel/QelMessage.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Section_Capture";
constexpr uint32_t kDoubleClickTicks = 20;

// The 1/60 s ticks of the clock that never jumps.
uint32_t TickCount() { return QelTickCount(); }

int32_t PackSize(const SIZE& s) { return int32_t(uint32_t(s.cy & 0xFFFF) << 16 | uint32_t(s.cx & 0xFFFF)); }

SIZE UnpackSize(int32_t packed) {
  return SIZE{int32_t(uint32_t(packed) & 0xFFFF), int32_t(uint32_t(packed) >> 16 & 0xFFFF)};
}

}  // namespace

void CBasePanel::Show(intptr_t wParam) {
  if (wParam != 0) {
    m_bShowArmed = 0;
  } else if (!m_bShowArmed) {
    m_bShowArmed = 1;
    return;
  }
  PostMessage(m_hWindow, kMsgCaptureDevice, kCameraOn, 0);
  PostMessage(m_hWindow, kMsgCaptureCheck, 0, 0);
}

void CBasePanel::PendingCommandTimer(void*, uint32_t, void* data) {
  auto* self = static_cast<CBasePanel*>(data);
  if (self != ORVGF::vGetPanelHandle()) return;
  CCaptureManage* engine = CCaptureManage::GetInstance();
  // Given up after 30 s without a picture, or when the camera did not start.
  const bool shown = self->m_bCameraValid && engine && engine->FrameSeen();
  const bool failed = self->m_bCameraTried && !self->m_bCameraValid;
  if (++self->m_nPendingTicks <= 300 && !shown && !failed) return;
  QelRemoveTimer(self, kPendingCommandTimer);
  const std::u16string command = std::move(self->m_strPendingCommand);
  self->m_strPendingCommand.clear();
  if (shown) self->DoMainCommand(0, command.c_str(), 0);
}

int32_t CBasePanel::DoMainCommand(uint32_t message, const WCHAR* text, intptr_t) {
  int32_t result = 0;
  CCaptureManage* engine = CCaptureManage::GetInstance();
  // The camera is starting (or about to, on a page just opened).
  const bool starting = m_bCameraValid ? !(engine && engine->FrameSeen()) : !m_bCameraTried;
  const bool waitsForPicture = text && message != 786 && !m_bRecording && starting &&
                               (qel_wcscmpi(text, u"Capture") == 0 || qel_wcscmpi(text, u"Record") == 0);
  if (waitsForPicture) {
    m_strPendingCommand = text;
    m_nPendingTicks = 0;
    QelInstallTimer(this, kPendingCommandTimer, 100, 100, &CBasePanel::PendingCommandTimer, this);
    OrvTrace("capture command " + QelToUTF8(text) + " waits for the picture");
    return 1;
  }
  if (text && message != 786 && m_bCameraValid) {
    if (qel_wcscmpi(text, u"Burst") == 0 && m_bBurstAllowed && !m_bRecording) {
      ToggleAndClick("chck_burst");
      result = 1;
    } else if (qel_wcscmpi(text, u"Capture") == 0 && !m_bBursting && !m_bRecording) {
      ClickElement("butn_image");
      result = 1;
    } else if (qel_wcscmpi(text, u"Record") == 0 && m_bVideoAllowed && !m_bBursting) {
      ToggleAndClick("chck_video");
      result = 1;
    } else if (qel_wcscmpi(text, u"ZoomIn") == 0) {
      ZoomPreviewSize(+1);
      result = 1;
    } else if (qel_wcscmpi(text, u"ZoomOut") == 0) {
      ZoomPreviewSize(-1);
      result = 1;
    }
  }
  OrvTrace("capture command " + (text ? QelToUTF8(text) : std::string()) + " " + std::to_string(result));
  return result;
}

int32_t CBasePanel::Receive(int32_t code, const void* data, const void*) {
  if (!data) return 0;
  const int32_t value = *static_cast<const int32_t*>(data);
  switch (code) {
    case kCaptureDeviceEvent:
      if (value == 1) {
        SendMessage(m_hWindow, kMsgCaptureDevice, kStopAll, 0);
        SendMessage(m_hWindow, kMsgCaptureDevice, kDeviceChanged, 0);
      } else if (value == 4) {
        SendMessage(m_hWindow, kMsgCaptureDevice, kStopAll, 0);
      } else if (value == 0) {
        SendMessage(m_hWindow, kMsgCaptureDevice, kStopAll, 0);
        if (m_bCameraValid) {
          if (!m_bFullScreenOpen) PostMessage(m_hWindow, kMsgCaptureDevice, kDeviceLost, 0);
          else m_bDeviceLostPending = 1;
        }
      }
      break;
    case kCaptureToolbarEvent:
      if (value == 0) ForceCloseFullScreen();
      else if (value == 1) ClickElement("butn_image");
      else if (value == 2) ToggleAndClick("chck_burst");
      else if (value == 3) ToggleAndClick("chck_video");
      break;
    case kCaptureAlbumEvent:
      if (value == 18 || value == 19 || value == 20) UpdateAlbumTools();
      break;
    case kCaptureViewEvent:
      if (value == 2) {
        CCapture* capture = CCapture::GetInstance();
        if (!ORVGF::vIsEnoughSpace(m_strCaptureFolder, ORVGF::CaptureSettings().FreeSpaceBytes())) {
          ForceStopRecord();
          ShowMessage(7);
        } else if (capture && capture->RecordWriteFailed()) {
          ForceStopRecord();  // says why itself
        }
      } else if (value == 0) {
        const uint32_t now = TickCount();
        if (now - m_nLastClickTick > kDoubleClickTicks) {
          m_nLastClickTick = now;
        } else {
          // A double click switches the full screen's picture between
          // fitting and filling; the next click starts a new pair.
          m_nLastClickTick = 0;
          if (CFullScreenWnd* window = CFullScreenWnd::GetWndPtr()) {
            PostMessage(window->GetWindowRef(), CFullScreenWnd::kMsgNextMode, 0, 0);
          }
        }
      }
      break;
    default:
      break;
  }
  return 0;
}

int32_t CBasePanel::CameraValid(int32_t on) {
  int32_t result = 1;
  if (on) {
    if (!m_bCameraValid) {
      m_bCameraValid = StartCameraPreview();
      m_bCameraTried = true;
      OrvTrace("capture camera " + std::to_string(m_bCameraValid));
    }
    result = m_bCameraValid;
  } else if (m_bCameraValid) {
    StopCameraPreview();
    m_bCameraValid = 0;
    OrvTrace("capture stopped");
  }
  UpdateUIForCameraValid(m_bCameraValid);
  UpdateCombResolution(m_bCameraValid);
  if (m_bCameraValid) PostMessage(m_hWindow, kMsgCaptureCheck, 1, 0);
  return result;
}

int32_t CBasePanel::StartCameraPreview() {
  const ORVGF::CaptureSettingData& record = ORVGF::CaptureSettings();
  WCHAR name[1025] = {};
  LoadProfileString(kSection, u"VideoDevice", u"", name, 1025);
  m_strVideoInput = name;
  LoadProfileString(kSection, u"AudioDevice", u"", name, 1025);
  m_strSoundInput = name;
  const int32_t packed = LoadProfileInt(kSection, u"VideoResolution", 0);
  if (packed != 0) m_videoResolution = UnpackSize(packed);
  m_bWithAudio = LoadProfileInt(kSection, u"bWithAudio", record.audioEnabledByDefault);
  const int32_t quality = LoadProfileInt(kSection, u"VideoFileQuality", 50);

  CCapture* capture = CCapture::GetInstance();
  if (!capture) capture = new CCapture(m_hWindow, this);
  capture->SetActiveDevice(m_strVideoInput, m_strSoundInput);
  capture->SetVideoSize(m_videoResolution);
  capture->SetWithAudio(m_bWithAudio);
  capture->SetOEMSupport(record.oemEnabled, record.oemVendorId, record.oemProductId);
  capture->SetVideoQuality(quality);
  capture->SetVideoCodecType(m_nVideoCodec);
  const int32_t started = capture->StartPreview();
  if (started) {
    m_dZoom = 1.0;
    capture->EnableFrameJudge(record.frameJudgeEnabled);
    capture->GetActiveDevice(m_strVideoInput, m_strSoundInput);
    m_videoResolution = capture->GetVideoSize();
    SaveProfileString(kSection, u"VideoDevice", m_strVideoInput.c_str());
    SaveProfileString(kSection, u"AudioDevice", m_strSoundInput.c_str());
    SaveProfileInt(kSection, u"VideoResolution", PackSize(m_videoResolution));
  } else {
    capture->StopPreview();
  }
  m_bVideoAllowed = m_videoResolution.cx <= record.maxVideoWidth && m_videoResolution.cy <= record.maxVideoHeight;
  m_bBurstAllowed = 0;
  return started;
}

void CBasePanel::StopCameraPreview() {
  ForceCloseFullScreen();
  ForceStopRecord();
  ZoomPreviewSize(0);
  if (CCapture* capture = CCapture::GetInstance()) capture->StopPreview();
}

plat::PowerAnswer CBasePanel::OnPowerMessage(plat::PowerMessage message) {
  std::fputs(plat::PowerMessageLine(message), stdout);
  std::fflush(stdout);
  switch (message) {
    case plat::PowerMessage::kCanSystemSleep:
      return m_bRecording ? plat::PowerAnswer::kCancel : plat::PowerAnswer::kAllow;
    case plat::PowerMessage::kSystemWillSleep:
      ForceStopRecord();  // the movie is finished and kept whole
      return plat::PowerAnswer::kAllow;
    default:
      return plat::PowerAnswer::kAllow;
  }
}

void CBasePanel::ForceStopRecord() {
  if (!m_bRecording) return;
  CCapture* capture = CCapture::GetInstance();
  FinishRecording(capture ? capture->StopRecord() : 0);
  if (qel::Element* box = PageElement("chck_video")) box->SetCheck(0);
  UpdateUIForBurstOrRecord(m_bBursting, m_bRecording);
}

void CBasePanel::ForceCloseFullScreen() {
  if (CFullScreenWnd* window = CFullScreenWnd::GetWndPtr()) {
    if (window->InModal()) window->EndModal(CQelDialog::kResultCancel);
  }
}

void CBasePanel::OnCheckMessage(intptr_t wParam) {
  if (wParam == 0) {
    const ORVGF::CaptureSettingData& record = ORVGF::CaptureSettings();
    if (!ORVGF::vCheckQuickTimeVersion()) {
      std::u16string format = ORVGF::vLoadResFormat(72, "s", u"This program needs media support %s or later.");
      std::u16string text = qel_format(format.c_str(), record.minMediaVersion.c_str());
      vMessageBox(ORVGF::vGetLastPopupWindow(), text.c_str(), u"", kWarnOK);
    }
  } else if (wParam == 1 && m_bCameraValid) {
    EnableSupperQuality(m_bSupperQuality);
  }
}

void CBasePanel::OnDeviceMessage(intptr_t wParam) {
  switch (wParam) {
    case kDeviceLost: {
      if (!m_bCameraValid) break;
      CameraValid(0);
      if (CCaptureSetting* dialog = CCaptureSetting::GetInstance()) {
        PostMessage(dialog->GetWindowRef(), kMsgCaptureDevice, kDeviceLost, 0);
        break;
      }
      CCapture* capture = CCapture::GetInstance();
      if (!capture) break;
      std::vector<std::u16string> inputs;
      if (!capture->GetVideoDevice(inputs) || inputs.empty()) {
        ShowMessage(13);
        m_strVideoInput.clear();
        break;
      }
      int32_t answer = CQelDialog::kResultCancel;
      {
        CDlgDeviceLost dialog;
        if (dialog.Create(u"DeviceLost.aui", nullptr, m_hWindow)) {
          OrvTrace("capture asks about the lost camera");
          answer = dialog.DoModal();
        }
      }
      OrvTrace("capture device lost " + std::to_string(answer));
      if (answer == CQelDialog::kResultOK) CameraValid(1);
      break;
    }
    case kDeviceChanged:
      CameraValid(0);
      if (CCaptureSetting* dialog = CCaptureSetting::GetInstance()) {
        PostMessage(dialog->GetWindowRef(), kMsgCaptureDevice, kDeviceChanged, 0);
      } else {
        CameraValid(1);
      }
      break;
    case kCameraOn:
      CameraValid(1);
      break;
    case kCameraOff:
      CameraValid(0);
      break;
    case kStopAll:
      ForceCloseFullScreen();
      ForceStopRecord();
      break;
    default:
      break;
  }
}

int32_t CBasePanel::UpdateMeidaFolder() {
  if (!UpdateCaptureFolder()) return 0;
  OrvTrace("capture folder " + QelToUTF8(m_strCaptureFolder));
  return DoAlbumCall(17);
}
