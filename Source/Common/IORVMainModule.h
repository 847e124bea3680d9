#pragma once
// The interface the main program offers its modules (handed to Init). Called
// on the main thread only.
#include <cstdint>
#include <deque>

#include "IORVUnknown.h"
#include "ToolkitTypes.h"

class IORVMainModule : public IORVUnknown {
 public:
  virtual ORVRESULT GotoHome() = 0;
  virtual ORVRESULT UpdateModulesIconState(uint32_t libID, int32_t a, int32_t b) = 0;
  virtual ORVRESULT StartModuleLaunchAnimation(uint32_t libID) = 0;
  virtual ORVRESULT Close() = 0;
  virtual ORVRESULT GetMainWndMinSize(int32_t* width, int32_t* height) = 0;
  virtual ORVRESULT GetHelpPath(WCHAR* buffer, uint32_t* size) = 0;
  // Appends a new copy (new[]) of each module's name; answers their number.
  virtual int32_t GetCurrentModulesNameList(std::deque<WCHAR*>* list) = 0;
  // Deletes the names of such a list and clears it.
  virtual ORVRESULT ReleaseModulesNameList(std::deque<WCHAR*>* list) = 0;
  virtual ORVRESULT ExitLaunch(uint32_t libID) = 0;
  // The module's string table, count 1 for the caller.
  virtual ORVRESULT CreateAui(uint32_t libID, PubQelmar::QelAUI** out) = 0;
  // A layout from the module's folder, count 1 for the caller.
  virtual ORVRESULT CreateLayout(uint32_t libID, const WCHAR* relativePath,
                                 PubQelmar::QelPanel** out) = 0;

 protected:
  ~IORVMainModule() = default;
};
