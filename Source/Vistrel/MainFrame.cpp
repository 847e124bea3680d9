// The main window: creation, initialisation, placement, shape, title-bar
// buttons and closing.
#include "MainFrame.h"

#include <glib.h>

#include <algorithm>

#include "App.h"
#include "CmdLineProcessor.h"
#include "GlobalFun.h"
#include "ThumbPool.h"
#include "VistrelProfile.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

int CMainFrame::m_bInitCompleted = 0;

namespace {

// Smallest window that keeps every control usable.
constexpr int32_t kMinWidth = 560;
constexpr int32_t kMinHeight = 420;
// The picture area of a window opened without a saved place.
constexpr int32_t kDefaultPictureWidth = 640;
constexpr int32_t kDefaultPictureHeight = 480;
// How much of a moved window must stay on the screen.
constexpr int32_t kKeepVisible = 30;

// The user's settings folder: where the desktop keeps per-user settings.
std::u16string UserSettingsFile() {
  std::string folder = std::string(g_get_user_config_dir()) + "/dunsellow";
  g_mkdir_with_parents(folder.c_str(), 0700);
  if (folder.empty() || folder.back() != '/') folder += '/';
  return QelFromUTF8(folder + "Nuvo_Vistrel.xml");
}

}  // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() { CGlobalFun::FreeResource(); }

PubQelmar::QelElement* CMainFrame::Find(const char* name) {
  return static_cast<PubQelmar::QelElement*>(GetElementByName(name, 1));
}

int CMainFrame::Create(WindowRef parent) {
  m_strBundleContents = g_pApp->GetBundleContents();
  std::string layout = m_strBundleContents + "/UI/Vistrel.aui";
  int result = CQelWindow::Create(layout.c_str(), nullptr, parent);
  // Init has placed the window (saved place or centred); it is shown now.
  if (result) ShowWindow(IsMaximized() ? 3 : 5);
  return result;
}

int32_t CMainFrame::PreCreateWind(QelCreateStruct* cs) {
  CQelMainWind::PreCreateWind(cs);
  GetWindowCornerMask(m_szMask);
  return QEL_S_OK;
}

void CMainFrame::GetWindowCornerMask(CornerMaskTable& masks) {
  for (auto& p : masks.path) p.clear();
  std::string resources = g_pApp->GetBundleContents() + "/Resources/";
  masks.path[0] = QelFromUTF8(resources + "MainWndLT.bmp");
  masks.path[1] = QelFromUTF8(resources + "MainWndRT.bmp");
}

void CMainFrame::UpdateShape() {
  SRect32 b = Bounds();
  m_shape = IsMaximized() ? std::vector<SRect32>() : CornerWindowShape(m_szMask, b.right - b.left, b.bottom - b.top);
  Invalidate();  // the backend takes the new shape with the repaint
}

int32_t CMainFrame::DidCreate() {
  CQelMainWind::DidCreate();
  if (!Init()) m_bInitState = 0;
  SetProperty(kCornerPropCreator, kCornerPropTag, &m_szMask);
  SetProperty(kCornerPropCreator, kShapePropTag, &m_shape);
  UpdateShape();
  if (!Find("cata_drag_mac")) return QEL_S_OK;
  ShowElement(Find("cata_drag_mac"), true);
  ShowElement(Find("cata_drag"), false);
  static constexpr const char* kPairs[3][2] = {{"butn_close_mac", "butn_close"},
                                               {"butn_minimize_mac", "butn_minwindows"},
                                               {"butn_maximize_mac", "chck_maxwindows"}};
  for (const auto& pair : kPairs) {
    if (PubQelmar::QelElement* mac = Find(pair[0])) mac->Enable(Find(pair[1]) ? 1 : 0);
  }
  // One action per button: close and maximise have their own handlers.
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("butn_minimize_mac", QEL_FRAME_MINIMIZE);
  return QEL_S_OK;
}

int CMainFrame::Init() {
  m_hInstance = nullptr;
  m_hWnd = m_hMsgBoxParent = GetWindowRef();
  m_pPanel = static_cast<PubQelmar::QelPanel*>(GetRootPanel());
  m_bInitCompleted = 0;

  int fromNuvo = 1, index = 0;
  CCmdLineProcessor::ProcessCommandLine(fromNuvo, index, 1);
  if (!g_pApp->GetFilelist()->empty()) m_bCommandLine_needUpdate_thumbList = true;
  SetCurIndex(index);

  SetDefaultCallBackName("cata_drag", QEL_FRAME_DRAG);
  SetDefaultCallBackName("resize", QEL_FRAME_RESIZE);
  CGlobalFun::LoadResourceObject(m_strBundleContents);
  g_VdlSetProfile.SetProfilePathFile(UserSettingsFile().c_str());

  m_objImgcFix = static_cast<PubImage::QelImgControl*>(Find("ImgCtrl1"));
  m_pImagePreviewArea = static_cast<PubQelmar::QelPanel*>(Find("hcata_Image"));
  m_pShadowCata = static_cast<PubQelmar::QelPanel*>(Find("vcata_shadow"));
  m_pNoPreviewCata = static_cast<PubQelmar::QelPanel*>(Find("hcata_NoPreview"));
  m_pNoPreviewView = static_cast<PubQelmar::QelPanel*>(Find("view_NoPre"));
  m_pLoadingCata = static_cast<PubQelmar::QelPanel*>(Find("view_Loading"));
  m_ZoomInBtn = Find("butn_ZoomIn");
  m_ZoomOutBtn = Find("butn_ZoomOut");
  m_ActualBtn = Find("butn_ActualSize");
  m_BestFitBtn = Find("butn_fit");
  m_PreviousBtn = Find("butn_Previous");
  m_NextBtn = Find("butn_Next");
  m_RotateLBtn = Find("butn_rotate_left");
  m_RotateRBtn = Find("butn_rotate_right");
  m_MaximizeBtn = Find("butn_maximize_mac");
  m_FullScreenBtn = Find("butn_FullScreen_mac");
  m_TitleTextView = Find("view_title_mac");
  m_ResolutionView = Find("view_Resolution");
  m_ResizeBtn = Find("resize");
  m_TitleBarView = Find("cata_drag");
  m_CloseBtn = Find("butn_close_mac");
  m_MinBtn = Find("butn_minwindows");
  m_ExifBtn = Find("butn_Delete1");
  PubQelmar::QelElement* returnButton = Find("butn_ReturnNUVO");
  ShowElement(m_pImagePreviewArea, false);

  const int maximized = g_VdlSetProfile.GetValue(u"Screen", u"IsMaximized", 0);
  SRect32 saved{g_VdlSetProfile.GetValue(u"Screen", u"ScreenLeft", 0), g_VdlSetProfile.GetValue(u"Screen", u"ScreenTop", 0),
                g_VdlSetProfile.GetValue(u"Screen", u"ScreenRight", 0),
                g_VdlSetProfile.GetValue(u"Screen", u"ScreenBottom", 0)};

  m_MinWidth = kMinWidth;
  m_MinHeight = kMinHeight;
  SetMinSize(m_MinWidth, m_MinHeight);

  SRect32 rect = saved;
  if (saved.right - saved.left <= 0 || saved.bottom - saved.top <= 0) {
    SRect32 area;
    CGlobalFun::GetScreenWorkArea(area);
    const int32_t areaW = area.right - area.left, areaH = area.bottom - area.top;
    // The layout's size with a 640 x 480 picture area.
    SIZE root{0, 0}, picture{0, 0};
    if (m_pPanel) m_pPanel->GetSFSSize(&root);
    if (m_pNoPreviewCata) m_pNoPreviewCata->_QelSize()->GetSize(&picture);
    int32_t width = root.cx - picture.cx + kDefaultPictureWidth;
    int32_t height = root.cy - picture.cy + kDefaultPictureHeight;
    if (!(width < areaW && height < areaH)) {
      width = m_MinWidth;
      height = m_MinHeight;
    }
    width = std::min(width, areaW);
    height = std::min(height, areaH);
    // Centred in the work area, wherever it lies on the screen.
    rect.left = area.left + (areaW - width) / 2;
    rect.top = area.top + (areaH - height) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
  }
  MoveWindow(&rect);

  Qel0SetGValue(2, reinterpret_cast<intptr_t>(m_pPanel));
  m_FullScreenWnd.Create(GetWindowRef(), m_strBundleContents, &m_FullScreenToolbar);
  m_FullScreenWnd.ShowWindow(0);
  m_FullScreenToolbar.Create(&m_FullScreenWnd, m_strBundleContents);
  m_FullScreenToolbar.ShowWindow(0);

  if (m_objImgcFix) {
    m_objImgcFix->SetTrans(1);
    m_objImgcFix->SetNotify(&CMainFrame::ImgView_Change, 0);
    PrepareTools();
    m_objImgcFix->SetCurTool(513);
    CGlobalFun::SetImageCtrlBackground(m_objImgcFix);
  }
  ShowElement(returnButton, fromNuvo == 0);
  if (maximized) ShowWindow(3);

  DisplayCurImage(m_bInitCompleted);
  m_bInitCompleted = 1;
  UpdateBtnState();
  return 1;
}

void CMainFrame::OnSize() {
  SRect32 rect = Bounds();
  if (!IsMaximized()) {
    SRect32 area;
    CGlobalFun::GetScreenWorkArea(area);
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (rect.top < area.top) rect.top = area.top;
    if (rect.top > area.bottom - kKeepVisible) rect.top = area.bottom - kKeepVisible;
    if (rect.left + w < area.left + kKeepVisible) rect.left = area.left + kKeepVisible - w;
    if (rect.left > area.right - kKeepVisible) rect.left = area.right - kKeepVisible;
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
    MoveWindow(&rect);
  }
  SRect32 now = Bounds();
  if (now.left == m_windowRect.left && now.top == m_windowRect.top && now.right == m_windowRect.right &&
      now.bottom == m_windowRect.bottom)
    return;
  const bool resized = now.right - now.left != m_windowRect.right - m_windowRect.left ||
                       now.bottom - now.top != m_windowRect.bottom - m_windowRect.top;
  m_windowRect = now;
  if (resized) {
    PlaceBottomControls();
    UpdateShape();
    PublishPreviewAreaSize();
    AdjustImageView(m_pImagePreviewArea, m_pShadowCata, m_objImgcFix);
  }
  UpdateBtnState();
}

void CMainFrame::PlaceBottomControls() {
  // The layout places by the top-left corner: the tool bar and the resize
  // grip follow the bottom edge here.
  SRect32 b = Bounds();
  const int32_t w = b.right - b.left, h = b.bottom - b.top;
  if (qel::Element* bar = qel::Element::From(Find("cata_toolbar"))) {
    SRect32 m = bar->Margin();
    m.top = h - bar->FrameSize().cy;
    bar->SetMargin(m);
  }
  if (qel::Element* grip = qel::Element::From(m_ResizeBtn)) {
    SIZE size = grip->FrameSize();
    grip->SetMargin(SRect32{w - size.cx - 2, h - size.cy - 2, 0, 0});
  }
}

int CMainFrame::MinimizeProc() {
  ShowWindow(2);
  return 0;
}

int CMainFrame::MaxmizeProc() {
  if (IsReadingCurThumb()) {
    CGlobalFun::MessageBeep();
    if (m_MaximizeBtn) {
      auto* e = qel::Element::From(m_MaximizeBtn);
      e->SetCheck(e->Check() ? 0 : 1);
    }
    return 0;
  }
  if (IsMaximized()) {
    SRect32 zoomed = Bounds();
    ShowWindow(9);
    SRect32 restored = Bounds();
    if (restored.right - restored.left > zoomed.right - zoomed.left ||
        restored.bottom - restored.top > zoomed.bottom - zoomed.top) {
      SRect32 area;
      CGlobalFun::GetScreenWorkArea(area);
      SRect32 r{area.left, area.top, area.left + zoomed.right - zoomed.left, area.top + zoomed.bottom - zoomed.top};
      MoveWindow(&r);
    }
  } else {
    ShowWindow(3);
  }
  UpdateShape();
  UpdateBtnState();
  return 0;
}

int CMainFrame::CloseProc() {
  CThumbPool::m_bAbortReadThumb = true;
  Close();
  return 0;
}

int32_t CMainFrame::AskForClose() {
  MemorizeWindowPosition();
  StopAllReadThread();
  m_FullScreenWnd.SetCanClose();
  m_FullScreenToolbar.SetCanClose();
  return 1;
}

void CMainFrame::DidClose() {
  delete m_pThumbPool;
  m_pThumbPool = nullptr;
  if (m_FullScreenWnd.IsCreated()) m_FullScreenWnd.Close();
  CQelMainWind::DidClose();
}

void CMainFrame::GetFitInSize(const long& fw, const long& fh, const long& w, const long& h, long& ow, long& oh) {
  geom::GetFitInSize(fw, fh, w, h, ow, oh);
}
