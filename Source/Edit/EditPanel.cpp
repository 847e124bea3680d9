// The edit page: building it into the host, the media folder, showing it
// and taking it down again.
#include "EditPanel.h"

#include <cstdio>

#include "CaptureView.h"
#include "CPath.h"
#include "EditGlobals.h"
#include "EditSettingData.h"
#include "MediaFolder.h"
#include "ORVTrace.h"
#include "PhotoEdit.h"
#include "Profile.h"
#include "QelFreeFunctions.h"
#include "VideoEdit.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelMessage.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kShowDeleteWarningKey = u"ShowMsgWhenDeleteEdit";
// Messages of the module window the panel looks at first.
constexpr uint32_t kFirstMouseMessage = 512, kLastMouseMessage = 525;

qel::Element* ElementOf(PubQelmar::QelElement* e) { return e ? qel::Element::From(e->Handle()) : nullptr; }

PubQelmar::QelPanel* PanelOf(qel::Element* e) {
  return e ? reinterpret_cast<PubQelmar::QelPanel*>(e->Handle()) : nullptr;
}

qel::Element* Find(PubQelmar::QelPanel* panel, const char* name) {
  qel::Element* e = ElementOf(panel);
  return e ? e->FindByName(name, true) : nullptr;
}

}  // namespace

CEditPanel::CEditPanel(IORVMainModule* host, PubQelmar::QelPanel* hostPanel, WindowRef window)
    : m_pHost(host), m_pHostPanel(hostPanel), m_hMainWnd(window) {
  vStorePanelHandle(this);
}

CEditPanel::~CEditPanel() {
  ReleasePanel();
  SaveProfileInt(u"Edit", kShowDeleteWarningKey, m_bShowDeleteWarning == 1 ? 1 : 0);
  if (vGetPanelHandle() == this) vStorePanelHandle(nullptr);
}

int32_t CEditPanel::InitPanel() {
  if (!m_bInit) m_bInit = InitMessageMap() && InitDisplayPanel() && Init();
  if (!m_bInit) return 0;
  // The album's context menu offers what the page acts on.
  if (qel::Element* menu = Find(m_pEditPanel, "Menu_album_rclick")) {
    m_pAlbumMenu = PanelOf(menu);
    if (qel::Element* bar = menu->FindByName("meba_rclick", true)) {
      for (qel::Element* item : bar->Children()) item->Show(false);
    }
    for (const char* name : {"mece_Preview", "mece_property", "mece_Refresh", "mece_FindTarget"}) {
      if (qel::Element* item = menu->FindByName(name, true)) item->Show(true);
    }
  }
  m_bInit = InitCallback();
  if (m_bInit) OrvTrace("edit panel ready");
  return m_bInit;
}

int32_t CEditPanel::InitMessageMap() {
  CQelWindow* window = CQelWindow::FetchQelWindow(m_hMainWnd);
  if (!window) return 0;
  auto route = [this](uint32_t msg) {
    // Only what the page itself takes is marked handled; the window's own
    // handling and its elements see everything else.
    return [this, msg](QELWPARAM wp, QELLPARAM lp, bool& handled) -> intptr_t {
      bool taken = false;
      intptr_t answer = ProcessMessage(msg, wp, lp, taken);
      handled = taken;
      return answer;
    };
  };
  for (uint32_t msg : {uint32_t(kMsgAlbumCall), uint32_t(kMsgFileGone), uint32_t(kMsgUpdatePreview),
                       uint32_t(kMsgRefreshVideo), uint32_t(QEL_WM_KEYDOWN)}) {
    window->RegisterMessage(msg, route(msg));
  }
  for (uint32_t msg = kFirstMouseMessage; msg <= kLastMouseMessage; ++msg) window->RegisterMessage(msg, route(msg));
  m_bMessagesHooked = true;
  return 1;
}

void CEditPanel::ReleaseMessageMap() {
  if (!m_bMessagesHooked) return;
  m_bMessagesHooked = false;
  CQelWindow* window = CQelWindow::FetchQelWindow(m_hMainWnd);
  if (!window) return;
  for (uint32_t msg : {uint32_t(kMsgAlbumCall), uint32_t(kMsgFileGone), uint32_t(kMsgUpdatePreview),
                       uint32_t(kMsgRefreshVideo), uint32_t(QEL_WM_KEYDOWN)}) {
    window->UnregisterMessage(msg);
  }
  for (uint32_t msg = kFirstMouseMessage; msg <= kLastMouseMessage; ++msg) window->UnregisterMessage(msg);
}

int32_t CEditPanel::InitDisplayPanel() {
  if (!m_pEditPanel) m_pEditPanel = vLoadPanel(u"Edit.aui");
  qel::Element* page = ElementOf(m_pEditPanel);
  qel::Element* area = Find(m_pHostPanel, "cata_module");
  if (!page || !area) {
    std::fprintf(stderr, "edit: %s\n", page ? "the host has no module area" : "Edit.aui cannot be loaded");
    return 0;
  }
  if (qel::Element* capture = Find(m_pHostPanel, "Capture")) capture->Show(false);
  if (qel::Element* toolbar = Find(m_pHostPanel, "EditVideo")) {
    toolbar->Show(false);
    toolbar->Enable(false);
  }
  page->PutInside(area, nullptr);
  area->Show(true);
  page->Show(true);
  m_bDisplayReleased = 0;

  qel::Element* movie = page->FindByName("vcata1", true);
  qel::Element* photo = page->FindByName("cata_view", true);
  qel::Element* tools = page->FindByName("hcata_tools", true);
  qel::Element* buttons = page->FindByName("cata_butn", true);
  if (!movie || !photo || !tools || !buttons) {
    std::fprintf(stderr, "edit: Edit.aui lacks the editor areas\n");
    return 0;
  }
  m_pMovieArea = PanelOf(movie);
  m_pPhotoView = PanelOf(photo);
  m_pToolBar = PanelOf(tools);
  m_pButtonBar = PanelOf(buttons);
  movie->Show(false);
  photo->Show(false);
  tools->Show(false);
  buttons->Show(false);
  if (qel::Element* check = page->FindByName("chck_ShowHideLeftPanel", true)) SetLeftPanelTip(check->Check() == 0);
  if (qel::Element* splitter = page->FindByName("splt_splt", true)) {
    splitter->associate_first = "cata_Left";
    splitter->associate_second = "cata_Right";
  }
  return 1;
}

int32_t CEditPanel::Init() {
  ORVGF::GetSetData(&g_ESData);
  m_strMediaFolder = ReadMediaFolder();
  if (m_strMediaFolder.empty()) std::fprintf(stderr, "edit: no media folder can be made\n");

  if (!m_pPhotoEdit) m_pPhotoEdit = new CPhotoEdit();
  m_pPhotoEdit->Init(m_pPhotoView, m_pToolBar, m_pButtonBar, m_hMainWnd);
  if (!m_pVideoEdit) m_pVideoEdit = new CVideoEdit();
  m_pVideoEdit->Init(m_pMovieArea, m_pToolBar, m_pButtonBar, m_hMainWnd);

  qel::Element* left = Find(m_pEditPanel, "cata_Left");
  if (!left) return 0;
  if (!m_pCaptureView) m_pCaptureView = new CCaptureView(PanelOf(left), this);
  if (!m_pCaptureView->Init(m_strMediaFolder.c_str())) {
    std::fprintf(stderr, "edit: the album cannot show %s\n", QelToUTF8(m_strMediaFolder).c_str());
  }
  m_pVideoEdit->SetView(m_pCaptureView);
  m_bShowDeleteWarning = LoadProfileInt(u"Edit", kShowDeleteWarningKey, 1) == 1 ? 1 : 0;
  return 1;
}

std::u16string CEditPanel::ReadMediaFolder() {
  WCHAR buffer[QEL_MAX_PATH] = {};
  if (!vGetCurrentMediaFolder(buffer, QEL_MAX_PATH)) {
    if (!vGetDefaultMediaFolder(buffer, QEL_MAX_PATH)) return {};
    vSetCurrentMediaFolder(buffer);
  }
  std::u16string media(buffer);
  CPath::CreatePath(media.c_str());
  std::u16string capture = PathJoin(media, u"Capture");
  CPath::CreatePath(capture.c_str());
  return CPath::IsFileExist(capture.c_str()) ? capture : std::u16string();
}

int32_t CEditPanel::ShowTabView() {
  if (qel::Element* page = ElementOf(m_pEditPanel)) page->Show(true);
  return 1;
}

int32_t CEditPanel::Show(uint32_t wParam) {
  // The page comes up with the album holding the keys.
  if (m_pCaptureView && m_pCaptureView->GetCurrentAlbum()) {
    Qel0SetGValue(2, reinterpret_cast<intptr_t>(m_pCaptureView->GetCurrentAlbum()->Handle()));
  }
  if (wParam == 1) {
    m_bShown = 1;
    PostMessage(m_hMainWnd, kMsgUpdatePreview, 0, 0);
  } else if (wParam == 0) {
    if (m_bShown) PostMessage(m_hMainWnd, kMsgUpdatePreview, 0, 0);
    m_bShown = 1;
  } else {
    PostMessage(m_hMainWnd, kMsgUpdatePreview, 0, 0);
  }
  return 1;
}

int32_t CEditPanel::UpdateMeidaFolder() {
  WCHAR buffer[QEL_MAX_PATH] = {};
  vGetCurrentMediaFolder(buffer, QEL_MAX_PATH);
  std::u16string stored = buffer[0] ? PathJoin(buffer, u"Capture") : std::u16string();
  // Paths compare exactly: on this file system case makes another folder.
  if (stored != m_strMediaFolder && GetReset() && WarningSave() == 0) return 0;
  m_strMediaFolder = ReadMediaFolder();
  if (!m_pCaptureView) return 1;
  return DoAlbumCall(16, 0, m_strMediaFolder.c_str());
}

int32_t CEditPanel::GetSnapshotImageFileName(CQelStringW& path) {
  CPath::CreatePath(m_strMediaFolder.c_str());
  for (int32_t n = 1;; ++n) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%d.jpg", "Snapshot_Image", n);
    std::u16string candidate = PathJoin(m_strMediaFolder, QelFromUTF8(name));
    if (!CPath::IsFileExist(candidate.c_str())) {
      path = candidate.c_str();
      return n + 1;
    }
  }
}

int32_t CEditPanel::GetCurrentThumbIndex(std::u16string* path) {
  if (path) path->clear();
  if (!m_pCaptureView) return -1;
  int32_t index = m_pCaptureView->GetCurrentThumbnail();
  if (path && index >= 0) *path = m_pCaptureView->GetThumbnailPath(index);
  return index;
}

int32_t CEditPanel::IsOpenningVideo() const {
  std::lock_guard<std::mutex> hold(m_videoLock);
  return m_bOpenningVideo;
}

void CEditPanel::SetOpenningVideo(int32_t on) {
  std::unique_lock<std::mutex> hold(m_videoLock);
  if (on) {
    m_videoFree.wait(hold, [this] { return m_bOpenningVideo == 0; });
    m_bOpenningVideo = 1;
  } else {
    m_bOpenningVideo = 0;
    m_videoFree.notify_all();
  }
}

void CEditPanel::MySetCursor(int16_t id) {
  if (id == -1) return;
  if (qel::Element* page = ElementOf(m_pEditPanel)) page->SetCursorId(id);
}

int32_t CEditPanel::ReleasePanel() {
  if (m_bLayoutTimer) {
    QelRemoveTimer(this, 1400);
    m_bLayoutTimer = false;
  }
  if (m_pVideoEdit) m_pVideoEdit->UninitPreview();
  delete m_pCaptureView;
  m_pCaptureView = nullptr;
  delete m_pPhotoEdit;
  m_pPhotoEdit = nullptr;
  delete m_pVideoEdit;
  m_pVideoEdit = nullptr;
  if (!m_bDisplayReleased) {
    ReleaseCallBack();
    ReleaseDisplayPanel();
  }
  ReleaseMessageMap();
  return m_bDisplayReleased;
}

void CEditPanel::ReleaseDisplayPanel() {
  if (qel::Element* main = Find(m_pHostPanel, "main")) main->Show(true);
  if (qel::Element* page = ElementOf(m_pEditPanel)) {
    page->PutInside(nullptr, nullptr);
    page->Release();
  }
  m_pEditPanel = nullptr;
  m_pAlbumMenu = nullptr;
  m_pMovieArea = m_pPhotoView = m_pToolBar = m_pButtonBar = nullptr;
  m_bDisplayReleased = 1;
  m_bInit = 0;
}
