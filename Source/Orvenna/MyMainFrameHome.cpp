// The home page of the main window: one button per module, the row they
// sit in, the background picture and the media folder check.
#include <vector>

#include "ButtonRowLayout.h"
#include "MainFuncs.h"
#include "MediaFolder.h"
#include "ModuleButton.h"
#include "MyMainFrame.h"
#include "MyQelApp.h"
#include "ORVPubTools.h"
#include "Profile.h"
#include "qel/QelCore.h"

namespace {

constexpr int32_t kPathUnits = 2048;

qel::Element* ElementOf(QelObject handle) { return handle ? qel::Element::From(handle) : nullptr; }

QelObject HandleOf(qel::Element* e) { return e ? e->Handle() : nullptr; }

std::u16string LoadText(const WCHAR* key) {
  std::vector<WCHAR> buffer(kPathUnits, 0);
  LoadProfileString(u"Option", key, u"", buffer.data(), kPathUnits);
  return std::u16string(buffer.data());
}

// The picture of background mode 2, also what a missing personal picture
// falls back to.
CQelStringW DefaultBackgroundPath() {
  CQelStringW resources = CORVPubTools::GetBundleResourcePath();
  if (resources.IsEmpty()) return CQelStringW();
  return resources + u"/Skin/background.jpg";
}

}  // namespace

int32_t CMyMainFrame::ShowHomePage() {
  if (!m_pModuleMgr) return 0;
  qel::Element* catalog = ElementOf(m_hCatalog);
  if (!catalog) return 0;
  QelObject buttons = HandleOf(catalog->FindByName("cata_Butn", true));
  QelObject welcome = HandleOf(catalog->FindByName("view_Wel1", true));
  QelObject tabs = HandleOf(catalog->FindByName("cata_Btn", true));
  QelObject process = HandleOf(catalog->FindByName("cata_process", true));
  for (size_t i = 0; i < m_pModuleMgr->GetModuleCount(); ++i) {
    auto libID = static_cast<uint32_t>(m_pModuleMgr->GetModuleLibID(i));
    auto* button = new CModuleButton(this, buttons, welcome, m_hTitle, libID);
    button->SetModuleBtnPanel(tabs, process);
    if (button->Init(m_pModuleMgr->GetModuleIconFileByIndex(i), m_pModuleMgr->GetModuleStringFileByIndex(i),
                     m_pModuleMgr->GetModuleDescStringIndexByIndex(i), m_pModuleMgr->GetModuleRadoFileByIndex(i),
                     m_pModuleMgr->GetModuleRadoNameByIndex(i))) {
      m_buttons.push_back(button);
    } else {
      // The module stays loaded and reachable by command line.
      delete button;
    }
  }
  if (qel::Element* row = ElementOf(buttons)) m_nButtonRowBaseLeft = row->Margin().left;
  return 1;
}

void CMyMainFrame::RemoveAll() {
  for (CModuleButton* button : m_buttons) delete button;
  m_buttons.clear();
}

int32_t CMyMainFrame::ParentPanel4BtnLayout(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CMyMainFrame*>(data);
  qel::Element* row = ElementOf(element);
  if (!self || !row) return -1;
  if (event != QEL_EV_LAYOUT_CHANGED) return 0;
  qel::Element* parent = row->Parent();
  if (!parent || self->m_buttons.empty()) return 0;
  SIZE parentSize = parent->LaidOutSize();
  if (parentSize.cx == self->m_lastButtonPanelSize.cx && parentSize.cy == self->m_lastButtonPanelSize.cy) return 0;
  self->m_lastButtonPanelSize = parentSize;

  // The panel's width with its own margins: the margin set here must not
  // feed back into the next pass.
  SRect32 margin = row->Margin();
  int32_t width = parentSize.cx - self->m_nButtonRowBaseLeft - margin.right;
  SIZE icon{0, 0};
  self->m_buttons.front()->GetModuleIconSize(icon);
  auto gap = static_cast<int32_t>(15 * g_dRatio);
  for (qel::Element* child : row->Children()) {
    SRect32 m = child->Margin();
    m.right = gap;
    child->SetMargin(m);
  }
  margin.left = self->m_nButtonRowBaseLeft + ButtonRowLeftMargin(width, icon.cx, self->m_buttons.size(), g_dRatio);
  row->SetMargin(margin);
  row->LayoutNow();
  return 0;
}

void CMyMainFrame::LayoutButtonRow() {
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* row = catalog ? catalog->FindByName("cata_Butn", true) : nullptr;
  if (row && row->Callback() == &CMyMainFrame::ParentPanel4BtnLayout) row->Fire(QEL_EV_LAYOUT_CHANGED);
}

void CMyMainFrame::SetBackGround(int32_t force) {
  int32_t mode = LoadProfileInt(u"Option", u"Background Mode", 1);
  if (!force && mode != 3 && mode == m_nBackgroundMode) return;
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* mask = catalog ? catalog->FindByName("cata_mask", true) : nullptr;
  QelObject maskHandle = HandleOf(mask);

  std::u16string shownPersonal;
  if (mode == 1) {
    if (mask) mask->Show(false);
  } else if (mode == 2) {
    CQelStringW picture = DefaultBackgroundPath();
    if (MyTLIsFileExist(picture.c_str())) SetBkImage(picture, maskHandle, nullptr, 1);
  } else {
    std::u16string personal = LoadText(u"Personal Photo");
    if (!personal.empty() && MyTLIsFileExist(personal.c_str())) {
      if (personal != m_strPersonalPhoto || mode != m_nBackgroundMode)
        SetBkImage(CQelStringW(personal.c_str()), maskHandle, nullptr, 1);
      shownPersonal = personal;
    } else {
      // The picture is gone: back to no picture, and show the bundle's own.
      SaveProfileString(u"Option", u"Personal Photo", u"");
      SaveProfileInt(u"Option", u"Background Mode", 1);
      SetBkImage(DefaultBackgroundPath(), maskHandle, nullptr, 0);
    }
  }
  if (!shownPersonal.empty()) m_strPersonalPhoto = shownPersonal;
  m_nBackgroundMode = mode;
}

void CMyMainFrame::CheckMediaFolder() {
  WCHAR folder[kPathUnits] = {};
  if (vGetCurrentMediaFolder(folder, kPathUnits)) {
    m_strMediaFolder = folder;
    return;
  }
  m_bMediaFolderDefaulted = true;
  if (vGetDefaultMediaFolder(folder, kPathUnits)) {
    vSetCurrentMediaFolder(folder);
    m_strMediaFolder = folder;
  }
}
