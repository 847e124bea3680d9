#include "ModuleMgr.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "VdlXmlWrapper.h"
#include "MainFuncs.h"
#include "ORVPubTools.h"
#include "qel/QelElement.h"
#include "qel/QelFile.h"
#include "qel/QelWideText.h"

namespace {

// The longest tab element name; module buttons build further names from it
// in fixed buffers of 32 bytes.
constexpr size_t kMaxRadoNameBytes = 31;

qel::Element* ElementOf(QelObject handle) { return qel::Element::From(handle); }

void Retain(QelObject handle) {
  if (handle) Qel0Retain(handle);
}

void ReleaseHandle(QelObject handle) {
  if (handle) Qel0Release(handle);
}

// The attributes a Module.xml gives the host.
struct ModuleDescriptor {
  CQelStringW fileName, name, iconFile, radoFile, radoName, resFile;
  uint32_t index = 0;
  int32_t descStringID = 0, nameStringID = 0;
};

bool ReadSignedAttribute(const CVdlXmlNode& node, const WCHAR* name, int32_t& value) {
  CQelStringW text;
  if (!node.GetPropValue(name, text)) return false;
  value = qel_wtoi(text);
  return true;
}

// Reads the elements in the order the host needs them; false at the first
// required element or attribute that is missing.
bool ReadDescriptor(const CVdlXmlNode& root, ModuleDescriptor& d) {
  CVdlXmlNode module, icon, tab, res;
  if (!root.GetFirstChildByName(u"Module", module)) return false;
  if (!module.GetPropValue(u"FileName", d.fileName)) return false;
  module.GetPropValue(u"Name", d.name);
  module.GetPropValue(u"Index", d.index);
  if (!root.GetFirstChildByName(u"ModuleIcon", icon)) return false;
  if (!icon.GetPropValue(u"FileName", d.iconFile)) return false;
  if (!root.GetFirstChildByName(u"ModuleTab", tab)) return false;
  if (!tab.GetPropValue(u"IconFile", d.radoFile)) return false;
  if (!tab.GetPropValue(u"IconName", d.radoName)) return false;
  if (!root.GetFirstChildByName(u"ModuleRes", res)) return false;
  if (!res.GetPropValue(u"FileName", d.resFile)) return false;
  if (!ReadSignedAttribute(res, u"DescStringID", d.descStringID)) return false;
  if (!ReadSignedAttribute(res, u"ModuleNameID", d.nameStringID)) return false;
  return true;
}

// The visible sub-folders of the modules folder, in byte order of their
// names: directory listings come in no fixed order, and the display order
// of modules with equal indexes follows the order found.
std::vector<std::u16string> ModuleFolders(const std::string& modulesFolder) {
  std::vector<std::u16string> names;
  std::u16string pattern = QelFromUTF8(modulesFolder + "/*");
  QelFindData data;
  QelFindRef find = QelFindFirstFile(pattern.c_str(), &data);
  if (!find) return names;
  do {
    if (!(data.attributes & QEL_FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (data.name.empty() || data.name[0] == u'.') continue;  // hidden
    names.push_back(data.name);
  } while (QelFindNextFile(find, &data));
  QelFindClose(find);
  std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
    return QelToUTF8(a) < QelToUTF8(b);
  });
  return names;
}

}  // namespace

void tagMODULEDLL_INFO::init() {
  strRelatiFolder = u"";
  strModuleFile = u"";
  strIconFile = u"";
  strStringFile = u"";
  strRadoFile = u"";
  strRadoName.clear();
  strModuleName = u"";
  nDescStringID = -1;
  nNameStringID = -1;
  hLibrary = nullptr;
  nLibID = 0;
  nIndex = 0;
  pfnGetClassObject = nullptr;
  pAction.release();
  bActive = 0;
}

CModuleMgr::CModuleMgr(IORVMainModule* host, QelObject catalog, QelObject homePage,
                       QelObject title)
    : m_pHost(host), m_hCatalog(catalog), m_hHomePage(homePage), m_hTitle(title) {
  // The home page is taken out of every panel during an embedded launch;
  // our own reference keeps it alive until it is put back.
  Retain(m_hCatalog);
  Retain(m_hHomePage);
  Retain(m_hTitle);
  if (qel::Element* cata = ElementOf(m_hCatalog)) {
    if (qel::Element* module = cata->FindByName("cata_module", true)) {
      m_hModuleCata = module->Handle();
      Retain(m_hModuleCata);
    }
  }
}

CModuleMgr::~CModuleMgr() {
  UnloadAll();
  ReleaseHandle(m_hModuleCata);
  ReleaseHandle(m_hTitle);
  ReleaseHandle(m_hHomePage);
  ReleaseHandle(m_hCatalog);
}

int32_t CModuleMgr::LoadAll() {
  UnloadAll();
  CQelStringW modules = CORVPubTools::GetBundleModulesPath();
  if (!modules.IsEmpty()) LoadFrom(modules.ToUTF8());
  return 0;
}

void CModuleMgr::LoadFrom(const std::string& modulesFolder) {
  std::deque<tagMODULEDLL_INFO*> found;
  for (const std::u16string& name : ModuleFolders(modulesFolder)) {
    std::string fullFolder = modulesFolder + "/" + QelToUTF8(name);
    CQelStringW relative(u"$app\\Modules\\");
    relative += name.c_str();
    relative += u"\\";
    IsORVModule(fullFolder, relative, &found);
  }
  for (tagMODULEDLL_INFO* info : found) InsertInDisplayOrder(info);
  found.clear();
}

void CModuleMgr::InsertInDisplayOrder(tagMODULEDLL_INFO* info) {
  // Before the first module whose index is not smaller: among equal
  // indexes, a module found later stands first.
  auto at = std::find_if(m_modules.begin(), m_modules.end(),
                         [info](const tagMODULEDLL_INFO* m) { return m->nIndex >= info->nIndex; });
  m_modules.insert(at, info);
}

int32_t CModuleMgr::IsORVModule(const std::string& fullFolder, const CQelStringW& relativeFolder,
                                std::deque<tagMODULEDLL_INFO*>* list) {
  if (!list) return 0;
  ModuleDescriptor d;
  {
    CVdlXmlParser xml;
    std::u16string xmlPath = QelFromUTF8(fullFolder + "/Module.xml");
    if (!xml.Open(xmlPath.c_str())) return 0;
    CVdlXmlNode root = xml.GetRootNode();
    if (!root.IsValid() || !ReadDescriptor(root, d)) return 0;
  }

  std::string radoName = QelToUTF8(d.radoName.c_str());
  if (radoName.size() > kMaxRadoNameBytes) {
    std::fprintf(stderr, "Module %s skipped: ModuleTab IconName longer than %zu bytes\n",
                 fullFolder.c_str(), kMaxRadoNameBytes);
    return 0;
  }

  std::u16string libraryPath = QelFromUTF8(fullFolder + "/") + d.fileName.c_str();
  QelLibraryRef library = QelLoadLibrary(libraryPath.c_str());
  if (!library) return 0;
  auto entry = reinterpret_cast<PFN_MyDllGetClassObject>(
      QelGetProcAddress(library, "MyDllGetClassObject"));
  if (!entry) {
    std::fprintf(stderr, "Module %s skipped: no MyDllGetClassObject\n", fullFolder.c_str());
    QelFreeLibrary(library);
    return 0;
  }

  auto* info = new tagMODULEDLL_INFO;
  info->strRelatiFolder = relativeFolder;
  CheckStringEndCharIsBackslash(info->strRelatiFolder, 1);
  info->strModuleFile = d.fileName;
  info->strIconFile = relativeFolder + d.iconFile;
  info->strStringFile = relativeFolder + d.resFile;
  info->strRadoFile = relativeFolder + d.radoFile;
  info->strRadoName = radoName;
  info->strModuleName = d.name;
  info->nDescStringID = d.descStringID;
  info->nNameStringID = d.nameStringID;
  info->hLibrary = library;
  info->nLibID = m_nNextLibID++;
  info->nIndex = d.index;
  info->pfnGetClassObject = entry;
  list->push_back(info);
  return 1;
}

void CModuleMgr::DestroyRecord(tagMODULEDLL_INFO* info) {
  // The object's code lives in the library: drop it before unloading.
  QelLibraryRef library = info->hLibrary;
  delete info;
  if (library) QelFreeLibrary(library);
}

int32_t CModuleMgr::UnloadAll() {
  // A module still launched is exited first: its code goes with the library.
  for (tagMODULEDLL_INFO* info : m_modules) {
    if (info->pAction != nullptr) ExitLaunch(info->nLibID, 0);
  }
  for (tagMODULEDLL_INFO* info : m_modules) DestroyRecord(info);
  m_modules.clear();
  return 0;
}

tagMODULEDLL_INFO* CModuleMgr::FindByLibID(uint32_t libID) const {
  for (tagMODULEDLL_INFO* info : m_modules) {
    if (info->nLibID == libID) return info;
  }
  return nullptr;
}

tagMODULEDLL_INFO* CModuleMgr::AtIndex(size_t index) const {
  return index < m_modules.size() ? m_modules[index] : nullptr;
}

int32_t CModuleMgr::GetModuleLibID(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? int32_t(info->nLibID) : -1;
}

int32_t CModuleMgr::GetModuleDescStringIndexByIndex(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? info->nDescStringID : -1;
}

CQelStringW CModuleMgr::GetModuleNameByIndex(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? info->strModuleName : CQelStringW();
}

CQelStringW CModuleMgr::GetModuleRadoFileByIndex(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? info->strRadoFile : CQelStringW();
}

CQelStringW CModuleMgr::GetModuleStringFileByIndex(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? info->strStringFile : CQelStringW();
}

CQelStringW CModuleMgr::GetModuleIconFileByIndex(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? info->strIconFile : CQelStringW();
}

const char* CModuleMgr::GetModuleRadoNameByIndex(size_t index) const {
  const tagMODULEDLL_INFO* info = AtIndex(index);
  return info ? info->strRadoName.c_str() : nullptr;
}

CQelStringW CModuleMgr::GetModuleNameByLibID(uint32_t libID) const {
  const tagMODULEDLL_INFO* info = FindByLibID(libID);
  return info ? info->strModuleName : CQelStringW();
}

CQelStringW CModuleMgr::GetModuleRelatiFolderByLibID(uint32_t libID) const {
  const tagMODULEDLL_INFO* info = FindByLibID(libID);
  return info ? info->strRelatiFolder : CQelStringW();
}

CQelStringW CModuleMgr::GetModuleStringFileByLibID(uint32_t libID) const {
  const tagMODULEDLL_INFO* info = FindByLibID(libID);
  return info ? info->strStringFile : CQelStringW();
}

int32_t CModuleMgr::GetModuleNameIDByLibID(uint32_t libID) const {
  const tagMODULEDLL_INFO* info = FindByLibID(libID);
  return info ? info->nNameStringID : -1;
}

ORVRESULT CModuleMgr::LaunchModule(uint32_t libID, WindowRef window, int32_t embedded) {
  tagMODULEDLL_INFO* info = FindByLibID(libID);
  if (!info || !info->pfnGetClassObject) return ORV_E_FAIL;
  if (info->pAction != nullptr) return ORV_E_FAIL;  // launched already: exit it first

  CORVAutoPtr<IORVAction> action;
  ORVRESULT made = info->pfnGetClassObject(CLSID_ORVAction, IID_IORVAction,
                                           reinterpret_cast<void**>(&action));
  if (made != ORV_S_OK || action == nullptr) {
    RestoreHomePageIfIdle();
    return ORV_E_FAIL;
  }

  // The library id first: Init asks the host for the module's string table by it.
  action->SetLibID(libID);
  ORVRESULT result = action->Init(m_pHost, static_cast<PubQelmar::QelPanel*>(m_hCatalog));
  if (ORV_FAILED(result)) {
    action->UnInit();  // gives back what a half-done Init kept
    RestoreHomePageIfIdle();
    return result;
  }

  result = action->Launch(window);
  if (ORV_FAILED(result)) {
    // A module without its UI must not be shown: undo the launch and bring
    // the home page back.
    std::fprintf(stderr, "Module %u failed to launch (0x%08x)\n", unsigned(libID),
                 unsigned(result));
    action->ExitLaunch();
    action->UnInit();
    RestoreHomePageIfIdle();
    return result;
  }

  if (qel::Element* module = ElementOf(m_hModuleCata)) module->Show(true);
  if (m_pHost) m_pHost->UpdateModulesIconState(libID, embedded, 0);
  if (qel::Element* home = ElementOf(m_hHomePage)) {
    if (embedded) {
      home->PutInside(nullptr, nullptr);
    } else {
      home->Show(false);
      if (m_pHost) m_pHost->StartModuleLaunchAnimation(libID);
    }
  } else if (!embedded && m_pHost) {
    m_pHost->StartModuleLaunchAnimation(libID);
  }

  // Two references while launched: the holder's and one more, both given
  // back by ExitLaunch.
  info->pAction = action.get();
  info->pAction->AddRef();
  info->bActive = 1;
  return result;
}

ORVRESULT CModuleMgr::ExitLaunch(uint32_t libID, int32_t restoreHome) {
  tagMODULEDLL_INFO* info = FindByLibID(libID);
  if (!info || info->pAction == nullptr) return ORV_E_FAIL;
  IORVAction* action = info->pAction;
  ORVRESULT result = action->ExitLaunch();
  action->UnInit();
  action->Release();
  info->bActive = 0;
  info->pAction.release();
  if (restoreHome) RestoreHomePage();
  return result;
}

void CModuleMgr::RestoreHomePage() {
  qel::Element* home = ElementOf(m_hHomePage);
  qel::Element* cata = ElementOf(m_hCatalog);
  if (!home || !cata) return;
  if (qel::Element* main = cata->FindByName("main", true)) {
    if (home->Parent() != main) home->PutInside(main, nullptr);
  }
  home->Show(true);
  if (qel::Element* module = ElementOf(m_hModuleCata)) module->Show(false);
  if (qel::Element* view = cata->FindByName("view_module", true)) view->Show(false);
}

void CModuleMgr::RestoreHomePageIfIdle() {
  // A switch exits the old module without going home before it launches the
  // new one; when that launch fails the window would show neither.
  for (const tagMODULEDLL_INFO* info : m_modules) {
    if (info->pAction != nullptr) return;
  }
  RestoreHomePage();
}

int32_t CModuleMgr::AskForClose() {
  for (tagMODULEDLL_INFO* info : m_modules) {
    if (info->pAction != nullptr && info->pAction->AskForClose() == 0) return -1;
  }
  return 0;
}

void CModuleMgr::GetActiveEmbeddedAction(IORVAction** out) {
  if (!out) return;
  *out = nullptr;
  for (tagMODULEDLL_INFO* info : m_modules) {
    if (info->pAction != nullptr && info->bActive) {
      *out = info->pAction;
      (*out)->AddRef();
      return;
    }
  }
}
