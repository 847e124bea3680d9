// The capture panel's life: the page in the host, its data and the module
// window's message map.
#include "BasePanel.h"

#include "CaptureView.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Capture.h"
#include "CaptureMessages.h"
#include "CaptureSettingData.h"
#include "DlgWarning.h"
#include "ORVGF.h"
#include "ORVTrace.h"
#include "qel/QelCore.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

constexpr const char* kToolbarButtons[] = {"butn_camsetting", "butn_CaptureSettings", "butn_fullScreen",
                                           "chck_SoftEject"};
constexpr const char* kAlbumMenuItems[] = {"mece_Preview", "mece_property", "mece_Refresh", "mece_FindTarget"};

uint32_t FourCC(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
         uint32_t(uint8_t(s[3]));
}

// MHz of the processor: the highest speed it can run at, else what it runs at.
int32_t ProcessorSpeed(const char* file) {
  std::ifstream in(file);
  long khz = 0;
  if (in >> khz && khz > 0) return int32_t(khz / 1000);
  return 0;
}

}  // namespace

CBasePanel::CBasePanel(IORVMainModule* host, PubQelmar::QelPanel* hostPanel)
    : m_pHost(host), m_pHostPanel(hostPanel),
      m_pPower(std::make_unique<plat::PowerClient>([this](plat::PowerMessage m) { return OnPowerMessage(m); })) {
  ORVGF::vStorePanelHandle(this);
}

CBasePanel::~CBasePanel() {
  QelRemoveTimer(this, kPendingCommandTimer);
  UnInitialize();
  if (ORVGF::vGetPanelHandle() == this) ORVGF::vStorePanelHandle(nullptr);
}

int32_t CBasePanel::Initialize() {
  m_hWindow = ORVGF::vGetModuleQelWin();
  CQelWindow* window = CQelWindow::FetchQelWindow(m_hWindow);
  if (!window) return 0;
  m_bActive = true;
  // The plug-in's private messages reach the panel through the module
  // window's message map; the window goes on handling them after us.
  auto hook = [this](uint32_t msg) {
    return [this, msg](QELWPARAM wp, QELLPARAM, bool& handled) -> intptr_t {
      handled = false;
      if (msg == kMsgCaptureCheck) OnCheckMessage(intptr_t(wp));
      else if (msg == kMsgCaptureDevice) OnDeviceMessage(intptr_t(wp));
      return 0;
    };
  };
  window->RegisterMessage(kMsgCaptureCheck, hook(kMsgCaptureCheck));
  window->RegisterMessage(kMsgCaptureDevice, hook(kMsgCaptureDevice));
  // The mouse messages reach the album (its context menu); the window and
  // its elements still see them.
  for (uint32_t msg = kMsgMouseFirst; msg <= kMsgMouseLast; ++msg) {
    window->RegisterMessage(msg, [this, msg](QELWPARAM wp, QELLPARAM lp, bool& handled) -> intptr_t {
      handled = false;
      OnMouseMessage(msg, wp, lp);
      return 0;
    });
  }
  m_bMessagesHooked = true;
  if (!InitPanel() || !InitData() || !InitCallBack()) return 0;
  OrvTrace("capture panel ready");
  return 1;
}

int32_t CBasePanel::UnInitialize() {
  if (!m_bActive) return 1;
  m_bActive = false;
  int32_t ok = UnInitCallBack() && UnInitData() && UnInitPanel();
  if (m_bMessagesHooked) {
    if (CQelWindow* window = CQelWindow::FetchQelWindow(m_hWindow)) {
      window->UnregisterMessage(kMsgCaptureCheck);
      window->UnregisterMessage(kMsgCaptureDevice);
      for (uint32_t msg = kMsgMouseFirst; msg <= kMsgMouseLast; ++msg) window->UnregisterMessage(msg);
    }
    m_bMessagesHooked = false;
  }
  return ok;
}

qel::Element* CBasePanel::PageElement(const char* name) const { return ORVGF::GetElementByName(m_pPage, name); }

qel::Element* CBasePanel::HostElement(const char* name) const {
  return ORVGF::GetElementByName(QelHandle(m_pHostPanel), name);
}

int32_t CBasePanel::InitPanel() {
  if (!m_pHostPanel) return 0;
  if (!m_pPage) m_pPage = QelHandle(ORVGF::vLoadPanel(u"capture.aui"));
  qel::Element* page = qel::Element::From(m_pPage);
  if (!page) return 0;
  if (qel::Element* area = HostElement("cata_module")) page->PutInside(area, nullptr);
  page->Show(true);
  ORVGF::ShowElement(QelHandle(m_pHostPanel), "EditVideo", 0);
  ORVGF::EnableElement(m_pPage, "cata_capture", 0);

  if (qel::Element* group = HostElement("Capture")) {
    for (qel::Element* c : group->Children()) c->Show(false);
    for (const char* name : kToolbarButtons) ORVGF::ShowElement(group->Handle(), name, 1);
    for (const char* name : kToolbarButtons) ORVGF::EnableElement(group->Handle(), name, 0);
    ORVGF::EnableElement(group->Handle(), "butn_CaptureSettings", 1);
    group->Show(true);
  }
  if (qel::Element* menu = PageElement("Menu_album_rclick")) {
    m_pAlbumMenu = menu->Handle();
    if (qel::Element* bar = menu->FindByName("meba_rclick", true)) {
      for (qel::Element* item : bar->Children()) item->Show(false);
    }
    for (const char* name : kAlbumMenuItems) ORVGF::ShowElement(m_pAlbumMenu, name, 1);
  }
  if (qel::Element* splitter = PageElement("splt_splt")) {
    splitter->associate_first = "cata_Left";
    splitter->associate_second = "cata_right";
  }
  OnShowHideLeftPanel(PageElement("chck_ShowHideLeftPanel"), QEL_EV_CLICK, 0);
  UpdateCombResolution(0);
  EnableSupperQuality(0);
  ORVGF::ShowElement(m_pPage, "chck_SupperQuality", 1);
  LayoutPreviewArea();
  return 1;
}

int32_t CBasePanel::InitData() {
  if (!ORVGF::GetSetData(ORVGF::CaptureSettings())) {
    std::fprintf(stderr, "capture: the module's Module.xml cannot be read\n");
    return 0;
  }
  LoadProfile();
  qel::Element* left = PageElement("cata_Left");
  if (!left) return 0;
  m_pAlbum = new CCaptureView(reinterpret_cast<PubQelmar::QelPanel*>(left->Handle()), this, m_hWindow);
  m_pAlbum->Init(m_strCaptureFolder.c_str());
  ChooseVideoCodec();
  return 1;
}

void CBasePanel::ChooseVideoCodec() {
  const int32_t speed = ProcessorSpeed("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
  const int32_t current = ProcessorSpeed("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq");
  const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
  OrvTrace("capture processor " + std::to_string(speed) + " MHz (now " + std::to_string(current & 0xFFFF) +
           "), " + std::to_string(count) + " cores");
  m_nVideoCodec = FourCC("mp4v");
  // Slow machines record motion JPEG; a speed the system does not report
  // (0) counts as fast.
  const bool slow1 = speed > 0 && speed <= 1600 && current <= 1600;
  const bool slow2 = speed > 0 && speed <= 1200 && current <= 1200;
  if ((count == 1 && slow1) || (count >= 2 && slow2)) m_nVideoCodec = FourCC("mjpa");
}

int32_t CBasePanel::UnInitData() {
  ForceCloseFullScreen();
  CameraValid(0);
  SaveProfile();
  delete CCapture::GetInstance();
  delete m_pAlbum;
  m_pAlbum = nullptr;
  // Refused movies whose deletion failed are tried once more.
  for (const std::u16string& movie : m_undeletableMovies) ORVGF::DeleteFile(movie);
  m_undeletableMovies.clear();
  return 1;
}

int32_t CBasePanel::UnInitPanel() {
  if (qel::Element* group = HostElement("Capture")) {
    // The toolbar belongs to the page: it goes with it.
    for (const char* name : kToolbarButtons) ORVGF::ShowElement(group->Handle(), name, 0);
  }
  if (qel::Element* page = qel::Element::From(m_pPage)) {
    page->PutInside(nullptr, nullptr);
    page->Release();
  }
  m_pPage = nullptr;
  m_pAlbumMenu = nullptr;
  return 1;
}

void CBasePanel::ShowMessage(uint32_t stringId, uint32_t flags) {
  std::u16string text = ORVGF::vLoadResString(stringId);
  vMessageBox(ORVGF::vGetLastPopupWindow(), text.c_str(), u"", flags);
}

void CBasePanel::ClickElement(const char* name) {
  if (qel::Element* e = PageElement(name)) e->Fire(QEL_EV_CLICK, 0);
}

void CBasePanel::ToggleAndClick(const char* name) {
  qel::Element* e = PageElement(name);
  if (!e) return;
  e->SetCheck(e->Check() ? 0 : 1);
  e->Fire(QEL_EV_CLICK, 0);
}
