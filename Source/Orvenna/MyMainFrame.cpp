#include "MyMainFrame.h"

#include <cstring>

#include "AppHelper.h"
#include "HelpFunc.h"
#include "MacMSG.h"
#include "ModuleButton.h"
#include "MyQelApp.h"
#include "WindowOnScreen.h"
#include "os/AppleEvents.h"
#include "qel/QelBackend.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelLayout.h"
#include "qel/QelMessage.h"

namespace {

constexpr ORVRESULT kFailed = static_cast<ORVRESULT>(0x80000008);

qel::Element* ElementOf(QelObject handle) { return handle ? qel::Element::From(handle) : nullptr; }

void ReleaseHandle(QelObject& handle) {
  if (handle) Qel0Release(handle);
  handle = nullptr;
}

}  // namespace

CMyMainFrame::CMyMainFrame() = default;

CMyMainFrame::~CMyMainFrame() {
  RemoveCommandEvent();
  if (IsCreated()) DetachCornerPaths();
  RemoveAll();
  if (m_pModuleMgr) m_pModuleMgr->UnloadAll();
  m_pModuleMgr.reset();
  ReleaseAnimations();
  if (m_hResAui && g_AppHelper.GetResAui() == reinterpret_cast<PubQelmar::QelAUI*>(m_hResAui))
    g_AppHelper.SetResAui(nullptr);
  ReleaseHandle(m_hResAui);
  ReleaseHandle(m_hHomePage);
}

int32_t CMyMainFrame::CreateMainWnd(const WCHAR* layout, SRect32* rect, WindowRef parent) {
  return Create(layout, rect, parent);
}

void CMyMainFrame::RegisterCallBacks() {
  CQelMainWind::RegisterCallBacks();
  RegisterCallBack("butn_home", QEL_EV_CLICK, &CMyMainFrame::OnHomeButtonProc, this);
}

intptr_t CMyMainFrame::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  // None of these is marked handled: the framework sees every message too.
  switch (msg) {
    case QEL_WM_SIZE:
      KeepWindowReachable();
      UpdateShape();
      LayoutButtonRow();
      break;
    case QEL_WM_ACTIVATE:
      if ((wp & 0xffff) != 0 && m_pModuleMgr) {
        IORVAction* active = nullptr;
        m_pModuleMgr->GetActiveEmbeddedAction(&active);
        if (active) {
          active->Release();
          StartBtnProcessAnimation(0);
        }
      }
      break;
    case QEL_WM_KEYUP:
      // The key also goes on to its normal handling.
      if (wp == QEL_KEY_HELP) ShowHelp(GetWindowRef());
      break;
    case ORV_MSG_MEDIA_FOLDER_CHANGED:
    case ORV_MSG_MODULE_SHOWN:
      ForwardToModule(msg, wp, lp, nullptr);
      break;
    case ORV_MSG_COMMAND_ARGUMENT:
      OnCommandLine(wp, lp);
      break;
    default:
      break;
  }
  return CQelMainWind::ProcessMessage(msg, wp, lp, handled);
}

void CMyMainFrame::KeepWindowReachable() { KeepWindowOnScreen(this); }

int32_t CMyMainFrame::DidCreate() {
  CQelMainWind::DidCreate();
  InstallCommandEvent();
  HideMenuItems();
  AttachCornerPaths();
  m_hWindow = GetWindowRef();
  SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  SetDefaultCallBackName("butn_minimize_mac", QEL_FRAME_MINIMIZE);
  SetDefaultCallBackName("butn_maximize_mac", QEL_FRAME_MAXIMIZE);
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("butn_stretch", QEL_FRAME_RESIZE);
  if (Initialize() == 0) {
    SetBackGround(1);
    CheckMediaFolder();
    // The extras plug-in is not shipped: its menu commands stay without effect.
  }
  // A command line that started the program is dispatched whatever
  // Initialize answered.
  return GetCommand();
}

ORVRESULT CMyMainFrame::Initialize() {
  if (!m_hResAui) {
    m_hResAui = QelCreateAUIW(u"$app\\UI\\VEVIVirodiVur.aui");
    g_AppHelper.SetResAui(reinterpret_cast<PubQelmar::QelAUI*>(m_hResAui));
  }
  m_hCatalog = GetRootPanel();
  qel::Element* catalog = ElementOf(m_hCatalog);
  if (!catalog) {
    UnInitialize();
    return kFailed;
  }
  qel::Element* main = catalog->FindByName("main", true);
  m_hMain = main ? main->Handle() : nullptr;
  if (!m_hHomePage) m_hHomePage = QelCreateLayoutW(u"$app\\UI\\Homepage.aui");
  if (qel::Element* home = ElementOf(m_hHomePage)) {
    home->SetName("cata_homepage");
    if (main) {
      home->PutInside(main, nullptr);
      main->Show(true);
    }
  }
  qel::Element* title = catalog->FindByName("cata_title", true);
  m_hTitle = title ? title->Handle() : nullptr;
  m_pModuleMgr = std::make_unique<CModuleMgr>(static_cast<IORVMainModule*>(&theApp), m_hCatalog,
                                              m_hHomePage, m_hTitle);
  m_pModuleMgr->LoadAll();
  if (!ShowHomePage()) {
    UnInitialize();
    return kFailed;
  }
  if (qel::Element* buttons = catalog->FindByName("cata_Butn", true))
    buttons->SetCallback(&CMyMainFrame::ParentPanel4BtnLayout, this);
  LayoutButtonRow();
  CreateAnimations();
  HideProcessStrip();
  return 0;
}

void CMyMainFrame::UnInitialize() {
  // The animations hold the module's slide layout and run on the toolkit's
  // timers: both go before the modules do.
  ReleaseAnimations();
  RemoveAll();
  if (m_pModuleMgr) m_pModuleMgr->UnloadAll();
  m_pModuleMgr.reset();
  m_pendingArguments.clear();
  if (m_hResAui && g_AppHelper.GetResAui() == reinterpret_cast<PubQelmar::QelAUI*>(m_hResAui))
    g_AppHelper.SetResAui(nullptr);
  ReleaseHandle(m_hResAui);
}

int32_t CMyMainFrame::AskForClose() {
  // Closing the main window ends the program, so it takes the quit road
  // (which may swallow the request) unless that road is already taken.
  if (!theApp.IsQuitting()) {
    plat::RequestQuit();
    return 0;
  }
  return AskModulesForClose();
}

void CMyMainFrame::WillClose() {
  UnInitialize();
  DetachCornerPaths();
  CQelMainWind::WillClose();
}

void CMyMainFrame::DidClose() {
  ReleaseAnimations();
  CQelMainWind::DidClose();
}

ORVRESULT CMyMainFrame::ExitLaunch(uint32_t libID) {
  if (!m_pModuleMgr) return kFailed;
  ORVRESULT result = m_pModuleMgr->ExitLaunch(libID, 1);
  // The module went home on its own: command lines may launch again.
  EndCommandLaunch();
  return result;
}

ORVRESULT CMyMainFrame::CreateAui(uint32_t libID, PubQelmar::QelAUI** out) {
  if (!m_pModuleMgr || !out) return kFailed;
  *out = nullptr;
  CQelStringW file = m_pModuleMgr->GetModuleStringFileByLibID(libID);
  if (file.IsEmpty()) return kFailed;
  QelObject aui = QelCreateAUIW(file.c_str());
  // A module without its string table must not start with empty texts.
  if (!aui) return kFailed;
  *out = reinterpret_cast<PubQelmar::QelAUI*>(aui);
  return 0;
}

ORVRESULT CMyMainFrame::CreateLayout(uint32_t libID, const WCHAR* relativePath, PubQelmar::QelPanel** out) {
  if (!m_pModuleMgr || !relativePath || !out) return kFailed;
  *out = nullptr;
  CQelStringW folder = m_pModuleMgr->GetModuleRelatiFolderByLibID(libID);
  // An unknown module has no folder; its path would resolve elsewhere.
  if (folder.IsEmpty()) return kFailed;
  CQelStringW path = folder + relativePath;
  *out = reinterpret_cast<PubQelmar::QelPanel*>(QelCreateLayoutW(path.c_str()));
  return 0;
}

int32_t CMyMainFrame::GetCurrentModulesNameList(std::deque<WCHAR*>* list) {
  if (!m_pModuleMgr || !list) return 0;
  size_t count = m_pModuleMgr->GetModuleCount();
  for (size_t i = 0; i < count; ++i) {
    CQelStringW name = m_pModuleMgr->GetModuleNameByIndex(i);
    size_t n = size_t(name.GetLength());
    auto* copy = new WCHAR[n + 1];
    std::memcpy(copy, name.c_str(), n * sizeof(WCHAR));
    copy[n] = 0;
    list->push_back(copy);
  }
  return static_cast<int32_t>(count);
}

void CMyMainFrame::ForwardToModule(uint32_t msg, QELWPARAM wp, QELLPARAM lp, const std::u16string* text) {
  if (!m_pModuleMgr) return;
  IORVAction* active = nullptr;
  m_pModuleMgr->GetActiveEmbeddedAction(&active);
  if (!active) return;
  tagMacMSG record;
  record.window = m_hWindow;
  record.message = msg;
  record.lParam = lp;
  if (text) {
    record.text = *text;
    record.wParam = reinterpret_cast<intptr_t>(record.text.c_str());
  } else {
    record.wParam = wp;
  }
  active->PreTranslateMessage(&record);
  active->Release();
}
