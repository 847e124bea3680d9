#include "TestModules.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace orvtest {

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The CMake templates with their @NAME@ fields filled in.
std::string FillTemplate(const char* file, const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string text = ReadText(fs::path(ORV_TEST_MODULE_TEMPLATES) / file);
  for (const auto& [key, value] : fields) {
    std::string token = "@" + key + "@";
    for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size())) {
      text.replace(at, token.size(), value);
    }
  }
  return text;
}

fs::path BundleOf(const char* executable) {
  return fs::path(executable).parent_path().parent_path().parent_path();
}

}  // namespace

fs::path RecordingModuleBundle() { return BundleOf(ORV_RECORDING_MODULE_FILE); }
fs::path NoEntryModuleBundle() { return BundleOf(ORV_NOENTRY_MODULE_FILE); }
fs::path StagedModulesFolder() { return ORV_TEST_MODULES_STAGE; }

fs::path MakeTestApp(const fs::path& dir) {
  fs::path app = dir / "Test.app";
  fs::create_directories(app / "Contents/Modules");
  WriteText(app / "Contents/Info.plist",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<plist version=\"1.0\"><dict>\n"
            "<key>CFBundleName</key><string>Test</string>\n"
            "<key>CFBundleIdentifier</key><string>com.talvexa.test.host</string>\n"
            "<key>CFBundleExecutable</key><string>Test</string>\n"
            "</dict></plist>\n");
  return app;
}

fs::path StageModule(const fs::path& modules, const ModuleSetup& setup) {
  fs::path folder = modules / setup.folder;
  fs::create_directories(folder);
  std::string name = setup.name.empty() ? setup.folder : setup.name;
  std::string iconName = setup.iconName.empty() ? "butn_" + name : setup.iconName;
  std::string moduleFile = setup.moduleFile.empty() ? "RecordingModule.bundle" : setup.moduleFile;
  std::string behaviour;
  if (setup.failInit) behaviour += "FailInit=\"1\" ";
  if (setup.failLaunch) behaviour += "FailLaunch=\"1\" ";
  if (setup.refuseClose) behaviour += "RefuseClose=\"1\" ";
  std::vector<std::pair<std::string, std::string>> fields = {
      {"MODULE_FILE", moduleFile}, {"MODULE_NAME", name}, {"MODULE_INDEX", setup.index},
      {"ICON_NAME", iconName},     {"BEHAVIOUR", behaviour}};

  std::string xml = setup.moduleXml.empty() ? FillTemplate("Module.xml.in", fields) : setup.moduleXml;
  if (setup.moduleXml.empty() && setup.index.empty()) {
    // No Index attribute at all rather than an empty one.
    size_t at = xml.find(" Index=\"\"");
    if (at != std::string::npos) xml.erase(at, 9);
  }
  WriteText(folder / "Module.xml", xml);
  WriteText(folder / "Icon.aui", FillTemplate("Icon.aui.in", fields));
  WriteText(folder / "Tab.aui", FillTemplate("Tab.aui.in", fields));
  WriteText(folder / "Res.aui", FillTemplate("Res.aui.in", fields));
  std::string slideName;
  for (char c : name) {
    if (c != ' ') slideName.push_back(c);
  }
  WriteText(folder / "UI" / ("Animation" + slideName + ".aui"), FillTemplate("Animation.aui.in", fields));
  if (setup.copyBundle) {
    fs::copy(RecordingModuleBundle(), folder / "RecordingModule.bundle",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  return folder;
}

std::vector<std::string> ReadCallLog(const fs::path& log) {
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace orvtest
