#pragma once
// Finds the plug-in modules in the main bundle's "Contents/Modules" folder,
// loads their libraries, keeps one record per module in display order, and
// launches, exits and asks them to close through the component contract.
// Main thread only.
#include <cstdint>
#include <deque>
#include <string>

#include "CQelStringW.h"
#include "DllEntry.h"
#include "IORVAction.h"
#include "IORVMainModule.h"
#include "ORVAutoPtr.h"
#include "ToolkitTypes.h"
#include "qel/QelLibrary.h"

// One module. The manager owns the record and its library.
struct tagMODULEDLL_INFO {
  tagMODULEDLL_INFO() { init(); }
  void init();

  CQelStringW strRelatiFolder;  // "$app\Modules\<folder>\/"
  CQelStringW strModuleFile;    // Module FileName
  CQelStringW strIconFile;      // "$app\Modules\<folder>\" + ModuleIcon FileName
  CQelStringW strStringFile;    // ... + ModuleRes FileName
  CQelStringW strRadoFile;      // ... + ModuleTab IconFile
  std::string strRadoName;      // ModuleTab IconName, at most 31 bytes
  CQelStringW strModuleName;    // Module Name
  int32_t nDescStringID;
  int32_t nNameStringID;
  QelLibraryRef hLibrary;
  uint32_t nLibID;
  uint32_t nIndex;  // display order, ascending
  PFN_MyDllGetClassObject pfnGetClassObject;
  CORVAutoPtr<IORVAction> pAction;  // held only while launched
  int32_t bActive;
};

class CModuleMgr {
 public:
  // The host is not counted. The panels (wrapper pointers or handles) are
  // the window's root catalog, the home page ("cata_homepage") and the
  // title panel ("cata_title"); the manager keeps a reference to each while
  // it lives.
  CModuleMgr(IORVMainModule* host, QelObject catalog, QelObject homePage, QelObject title);
  CModuleMgr(const CModuleMgr&) = delete;
  CModuleMgr& operator=(const CModuleMgr&) = delete;
  virtual ~CModuleMgr();

  // Loads every module of the main bundle's "Contents/Modules" folder
  // (folder names taken in byte order, so the order found is the same on
  // every run); answers 0.
  int32_t LoadAll();
  // Frees every record and library; answers 0.
  int32_t UnloadAll();

  size_t GetModuleCount() const { return m_modules.size(); }

  // By display position (0-based).
  int32_t GetModuleLibID(size_t index) const;                    // -1 past the end
  int32_t GetModuleDescStringIndexByIndex(size_t index) const;   // -1 past the end
  CQelStringW GetModuleNameByIndex(size_t index) const;
  CQelStringW GetModuleRadoFileByIndex(size_t index) const;
  CQelStringW GetModuleStringFileByIndex(size_t index) const;
  CQelStringW GetModuleIconFileByIndex(size_t index) const;
  const char* GetModuleRadoNameByIndex(size_t index) const;      // null past the end

  // By LibID; empty / -1 when the LibID is unknown.
  CQelStringW GetModuleNameByLibID(uint32_t libID) const;
  CQelStringW GetModuleRelatiFolderByLibID(uint32_t libID) const;
  CQelStringW GetModuleStringFileByLibID(uint32_t libID) const;
  int32_t GetModuleNameIDByLibID(uint32_t libID) const;

  // Creates, initialises and launches the module. Answers 0x80000008 for an
  // unknown LibID, a module already launched or an object that cannot be
  // made; the module's own negative Init or Launch answer otherwise. After
  // any failure nothing is launched and the home page is as it was.
  ORVRESULT LaunchModule(uint32_t libID, WindowRef window, int32_t embedded);
  // Exits the launched module and drops both references; with restoreHome
  // the home page goes back into the catalog's "main". 0x80000008 when the
  // module is unknown or not launched, else the module's ExitLaunch answer.
  ORVRESULT ExitLaunch(uint32_t libID, int32_t restoreHome);
  // 0 when every launched module may close, -1 at the first that refuses.
  int32_t AskForClose();
  // The launched module with a reference for the caller, or null.
  void GetActiveEmbeddedAction(IORVAction** out);

 protected:
  // 1 when the folder held a module, which is then appended to `list`.
  int32_t IsORVModule(const std::string& fullFolder, const CQelStringW& relativeFolder,
                      std::deque<tagMODULEDLL_INFO*>* list);

 private:
  void LoadFrom(const std::string& modulesFolder);
  tagMODULEDLL_INFO* FindByLibID(uint32_t libID) const;
  tagMODULEDLL_INFO* AtIndex(size_t index) const;
  void InsertInDisplayOrder(tagMODULEDLL_INFO* info);
  void RestoreHomePage();
  void RestoreHomePageIfIdle();
  static void DestroyRecord(tagMODULEDLL_INFO* info);

  std::deque<tagMODULEDLL_INFO*> m_modules;
  uint32_t m_nNextLibID = 1;
  IORVMainModule* m_pHost;
  QelObject m_hCatalog;
  QelObject m_hHomePage;
  QelObject m_hTitle;
  QelObject m_hModuleCata = nullptr;  // "cata_module" inside the catalog
};
