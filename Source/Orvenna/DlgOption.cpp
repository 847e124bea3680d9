#include "DlgOption.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "MediaFolder.h"
#include "MyQelApp.h"
#include "NavFunctions.h"
#include "ORVPubTools.h"
#include "ORVWaitCursor.h"
#include "Profile.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"
#include "os/UserFolders.h"

namespace {

constexpr const WCHAR* kSection = u"Option";
constexpr const char* kRadios[] = {"rado_nobg", "rado_defaultbg", "rado_custombg"};
constexpr uint32_t kMessageRightDown = 516;
constexpr uint32_t kMessageRightUp = 517;
constexpr uint32_t kWarningIcon = 0x30;
// Strings that say why a folder was refused, after string 27.
constexpr uint32_t kReasonNoDrive = 28, kReasonNotFixed = 29, kReasonSpace = 30, kReasonWrite = 31;

std::u16string LoadText(const WCHAR* key) {
  std::vector<WCHAR> buffer(CDlgOption::kPathUnits, 0);
  LoadProfileString(kSection, key, u"", buffer.data(), CDlgOption::kPathUnits);
  return std::u16string(buffer.data());
}

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

}  // namespace

CDlgOption::CDlgOption() : Orvenna::CDlgBase(1) {}

CDlgOption::~CDlgOption() = default;

qel::Element* CDlgOption::Find(const char* name) { return Root() ? Root()->FindByName(name, true) : nullptr; }

void CDlgOption::RegisterCallBacks() {
  Orvenna::CDlgBase::RegisterCallBacks();
  RegisterCallBack("butn_browse", QEL_EV_CLICK, &CDlgOption::OnBrowse, this);
  RegisterCallBack("butn_browse1", QEL_EV_CLICK, &CDlgOption::OnBrowseFolder, this);
  RegisterCallBack("radg", kAllEvents, &CDlgOption::OnRadioGroup, this);
  RegisterCallBack("tabi_Skins", QEL_EV_CLICK, &CDlgOption::OnTab, this);
  RegisterCallBack("tabi_Advanced", QEL_EV_CLICK, &CDlgOption::OnTab, this);
  RegisterCallBack("butn_OK", QEL_EV_CLICK, &CDlgOption::OnOKButton, this);
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CDlgOption::OnCancelButton, this);
}

int32_t CDlgOption::DidCreate() {
  Orvenna::CDlgBase::DidCreate();
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  Init();
  return QEL_S_OK;
}

void CDlgOption::WillClose() { Orvenna::CDlgBase::WillClose(); }

void CDlgOption::DidClose() { Orvenna::CDlgBase::DidClose(); }

void CDlgOption::Init() {
  InitBKTab();
  InitMFTab();
  int32_t tab = LoadProfileInt(kSection, u"SelTab", 1);
  if (qel::Element* skins = Find("tabi_Skins")) skins->SetCheck(tab == 1);
  if (qel::Element* advanced = Find("tabi_Advanced")) advanced->SetCheck(tab == 2);
  ShowTabPage(tab == 2 ? "tabi_Advanced" : "tabi_Skins");
}

void CDlgOption::InitBKTab() {
  int32_t mode = LoadProfileInt(kSection, u"Background Mode", 1);
  const char* on = (mode >= 1 && mode <= 3) ? kRadios[mode - 1] : kRadios[0];
  for (const char* name : kRadios) {
    if (qel::Element* radio = Find(name)) radio->SetCheck(qel::NamesEqual(name, on) ? 1 : 0);
  }
  m_strPicture = CQelStringW(LoadText(u"Personal Photo").c_str());
  if (qel::Element* field = Find("cedt_path")) field->SetText(m_strPicture.c_str());
  EnablePictureRow(qel::NamesEqual(on, "rado_custombg"));
}

void CDlgOption::InitMFTab() {
  WCHAR folder[kPathUnits] = {};
  vGetCurrentMediaFolder(folder, kPathUnits);
  m_strMediaFolder = CQelStringW(folder);
  if (qel::Element* field = Find("cedt_path1")) field->SetText(m_strMediaFolder.c_str());
}

void CDlgOption::EnablePictureRow(bool on) {
  if (qel::Element* row = Find("vcata_folder")) row->Enable(on);
}

void CDlgOption::ShowTabPage(const char* tab) {
  bool advanced = qel::NamesEqual(tab, "tabi_Advanced");
  if (qel::Element* page = Find("cata_Skins")) page->Show(!advanced);
  if (qel::Element* page = Find("cata_Advanced")) page->Show(advanced);
}

int32_t CDlgOption::OnTab(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgOption*>(data);
  qel::Element* tab = qel::Element::From(element);
  if (!self || !tab) return -1;
  if (event != QEL_EV_CLICK) return 0;
  for (const char* name : {"tabi_Skins", "tabi_Advanced"}) {
    if (qel::Element* t = self->Find(name)) t->SetCheck(t == tab ? 1 : 0);
  }
  self->ShowTabPage(tab->Name().c_str());
  return 0;
}

int32_t CDlgOption::OnRadioGroup(QelObject element, int32_t event, QELLPARAM param, void* data) {
  auto* self = static_cast<CDlgOption*>(data);
  if (!self || !qel::Element::From(element)) return -1;
  if (event != QEL_EV_RADIO_ON) return 0;
  qel::Element* radio = qel::Element::From(reinterpret_cast<QelObject>(param));
  self->EnablePictureRow(radio && qel::NamesEqual(radio->Name(), "rado_custombg"));
  return 0;
}

int32_t CDlgOption::OnBrowse(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgOption*>(data);
  if (!self || !qel::Element::From(element)) return -1;
  if (event != QEL_EV_CLICK) return 0;
  qel::Element* field = self->Find("cedt_path");
  // A path typed into the field is where the chooser starts.
  if (field) self->m_strPicture = CQelStringW(field->Text().c_str());
  NavGetPicturePath(self, self->m_strPicture);
  if (field) field->SetText(self->m_strPicture.c_str());
  return 0;
}

int32_t CDlgOption::OnBrowseFolder(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgOption*>(data);
  if (!self || !qel::Element::From(element)) return -1;
  if (event != QEL_EV_CLICK) return 0;
  CQelStringW folder;
  if (self->SelectMediaFolder(folder) == 1) {
    self->m_strMediaFolder = folder;
    if (qel::Element* field = self->Find("cedt_path1")) field->SetText(folder.c_str());
  }
  return 0;
}

int32_t CDlgOption::OnOKButton(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgOption*>(data);
  if (!self) return -1;
  if (event == QEL_EV_CLICK) self->OnQelOK();
  return 0;
}

int32_t CDlgOption::OnCancelButton(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgOption*>(data);
  if (!self) return -1;
  if (event == QEL_EV_CLICK) self->OnQelCancel();
  return 0;
}

int32_t CDlgOption::SelectMediaFolder(CQelStringW& folder) {
  std::string start = m_strMediaFolder.ToUTF8();
  if (!IsDirectory(start)) start = plat::PicturesFolder();
  FSRef startRef;
  startRef.path = start;
  FSRef chosen;
  // Nothing chosen: the field keeps what it had.
  if (!Mac_GetCacheFolderPath(start.empty() ? nullptr : &startRef, &chosen)) return 0;
  MediaFolderVerdict verdict = CheckMediaFolder(chosen.path);
  if (verdict != MediaFolderVerdict::kAccepted) {
    TellFolderRefused(verdict);
    return 0;
  }
  std::u16string path = QelFromUTF8(chosen.path);
  if (path.empty() || path.back() != u'/') path += u'/';
  folder = CQelStringW(path.c_str());
  return 1;
}

void CDlgOption::TellFolderRefused(MediaFolderVerdict why) {
  uint32_t reason = kReasonWrite;
  switch (why) {
    case MediaFolderVerdict::kNoDrive:
      reason = kReasonNoDrive;
      break;
    case MediaFolderVerdict::kNotFixedDisk:
      reason = kReasonNotFixed;
      break;
    case MediaFolderVerdict::kNotEnoughSpace:
      reason = kReasonSpace;
      break;
    default:
      break;
  }
  std::u16string text = CMyQelApp::vLoadResString(kRefusedFolderString).c_str();
  std::u16string detail = CMyQelApp::vLoadResString(reason).c_str();
  if (!detail.empty()) text += (text.empty() ? u"" : u"\n\n") + detail;
  CORVPubTools::MessageBox(GetWindowRef(), text.c_str(), u"", kWarningIcon);
}

void CDlgOption::OnOK() {
  // A media folder typed into the field passes the chooser's checks too;
  // a refused one keeps the dialog open and nothing is stored.
  if (qel::Element* field = Find("cedt_path1")) {
    std::u16string typed = field->Text();
    if (typed != m_strMediaFolder.c_str()) {
      std::string folder = QelToUTF8(typed);
      MediaFolderVerdict verdict =
          IsDirectory(folder) ? CheckMediaFolder(folder) : MediaFolderVerdict::kNoDrive;
      if (verdict != MediaFolderVerdict::kAccepted) {
        TellFolderRefused(verdict);
        return;
      }
    }
  }
  SaveOptionSettings();
  Orvenna::CDlgBase::OnQelOK();
}

void CDlgOption::SaveOptionSettings() {
  int32_t mode = 1;
  if (qel::Element* group = Find("radg")) {
    for (int32_t i = 0; i < 3; ++i) {
      qel::Element* radio = group->FindByName(kRadios[i], true);
      if (radio && radio->Check()) mode = i + 1;
    }
  }
  SaveProfileInt(kSection, u"Background Mode", mode);

  for (const auto& [element, key] : {std::pair{"cedt_path", u"Personal Photo"}, {"cedt_path1", u"Media Folder"}}) {
    qel::Element* field = Find(element);
    if (!field) continue;
    // A path is never cut short: one too long is not stored at all.
    if (field->Text().size() >= size_t(kPathUnits)) {
      std::fprintf(stderr, "Options: the text of %s is longer than %d characters; not stored\n", element,
                   kPathUnits - 1);
      continue;
    }
    SaveProfileString(kSection, key, field->Text().c_str());
  }

  qel::Element* skins = Find("tabi_Skins");
  qel::Element* advanced = Find("tabi_Advanced");
  if (skins && skins->Check()) {
    SaveProfileInt(kSection, u"SelTab", 1);
  } else if (advanced && advanced->Check()) {
    SaveProfileInt(kSection, u"SelTab", 2);
  }
}

intptr_t CDlgOption::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == QEL_WM_KEYDOWN && (wp == QEL_KEY_RETURN || wp == QEL_KEY_ENTER || wp == QEL_KEY_ESCAPE)) {
    handled = true;
    if (wp == QEL_KEY_ESCAPE) {
      OnQelCancel();
    } else {
      OnOK();
    }
    return 0;
  }
  if (msg == kMessageRightDown || msg == kMessageRightUp) {
    handled = true;
    return 0;
  }
  return Orvenna::CDlgBase::ProcessMessage(msg, wp, lp, handled);
}
