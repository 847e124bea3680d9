#pragma once
// Stages test modules for host tests and reads what they were told.
//
//   auto app = orvtest::MakeTestApp(dir);            // <dir>/Test.app, sets nothing
//   orvtest::StageModule(app / "Contents/Modules", {.folder = "Alpha", .index = "1"});
//   setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
//   setenv(orvtest::kCallLogEnv, log.c_str(), 1);
//   ... drive the host ...
//   orvtest::ReadCallLog(log)  ->  {"Alpha: Create", "Alpha: SetLibID 1", ...}
#include <filesystem>
#include <string>
#include <vector>

namespace orvtest {

// The file every recording module appends its call lines to.
inline constexpr char kCallLogEnv[] = "DUNSELLOW_TEST_MODULE_LOG";

struct ModuleSetup {
  std::string folder{};        // the module folder's name
  std::string name{};          // Module Name; the folder's name when empty
  std::string index{};         // Module Index; no attribute when empty
  std::string iconName{};      // ModuleTab IconName; "butn_<name>" when empty
  bool failInit = false;     // Init answers 0x80000008 (after the base Init)
  bool failLaunch = false;   // Launch answers 0x80000008
  bool refuseClose = false;  // AskForClose answers 0
  // The module file: "RecordingModule.bundle" (copied in) unless set.
  std::string moduleFile{};
  bool copyBundle = true;
  // A whole Module.xml in place of the generated one.
  std::string moduleXml{};
};

// The built bundles.
std::filesystem::path RecordingModuleBundle();
std::filesystem::path NoEntryModuleBundle();
// The ready module folders "Alpha" and "Beta" (build/testmodules/Modules).
std::filesystem::path StagedModulesFolder();

// <dir>/Test.app/Contents/{Info.plist, Modules/}; answers the .app folder.
std::filesystem::path MakeTestApp(const std::filesystem::path& dir);
// <modules>/<folder>/{Module.xml, Icon.aui, Tab.aui, Res.aui,
// UI/Animation<name>.aui, RecordingModule.bundle}; answers the folder.
std::filesystem::path StageModule(const std::filesystem::path& modules, const ModuleSetup& setup);
// The log's lines, empty when there is no log.
std::vector<std::string> ReadCallLog(const std::filesystem::path& log);

}  // namespace orvtest
