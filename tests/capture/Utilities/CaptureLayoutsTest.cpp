// The capture module's layouts and string table, and the common dialogs'
// layouts: valid against the toolkit's schema, no two element names that
// differ only in case, and every element the program looks up present.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestEnvironment.h"
#include "qel/QelLayout.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const fs::path& file) {
  std::set<std::string> names;
  qel::Element* root = qel::LoadLayoutFile(file.string());
  EXPECT_NE(root, nullptr) << file;
  if (!root) return names;
  std::map<std::string, int> seen;
  std::vector<qel::Element*> todo{root};
  while (!todo.empty()) {
    qel::Element* e = todo.back();
    todo.pop_back();
    std::string lower = e->Name();
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (!lower.empty()) {
      EXPECT_EQ(++seen[lower], 1) << file.filename() << ": " << e->Name();
      names.insert(e->Name());
    }
    for (qel::Element* c : e->Children()) todo.push_back(c);
  }
  root->Release();
  return names;
}

TEST(CaptureLayouts, ValidAndHoldingWhatTheProgramLooksUp) {
  const fs::path src = testenv::SourceDir();
  const fs::path schema = src / "platform/qel/schema/qel-layout.rng";
  const std::map<std::string, std::vector<std::string>> wanted = {
      {"capture/UI/capture.aui",
       {"cata_view_camera", "cata_image_camera", "cata_PreviewCamera", "comb_resolution", "splt_splt",
        "chck_ShowHideLeftPanel", "cata_Left", "cata_right", "butn_image", "chck_video", "chck_burst", "comb_default11",
        "butn_Delete", "Menu_Hide", "mece_Backspace", "mece_SelectAll", "butn_Media", "butn_print", "butn_Email",
        "butn_FindTarget", "Menu_album_rclick", "meba_rclick", "mece_Preview", "mece_property", "mece_Refresh",
        "mece_FindTarget", "chck_SupperQuality", "scrl_denoise", "scrl_delighting", "cata_denoise",
        "cata_delighting", "view_sensitivity_num", "view_sensitivity_num1", "cata_capture", "Panel_Disconnect"}},
      {"capture/UI/Capture_Setting.aui",
       {"comb_VideoDevice", "comb_AudioDevice", "chck_WithAudio", "cata_Audio", "butn_refresh", "comb_ImageFmt",
        "cata_Image", "scrl_Image", "view_Image1", "comb_VideoFmt", "cata_Video", "scrl_Video", "view_Video1",
        "chck_Add", "cata_name", "cedt_name", "chck_showdate", "butn_close_mac", "cata_drag_mac", "butn_OK",
        "butn_Cancel"}},
      {"capture/UI/ImageProperty.aui",
       {"edit_filename", "edit_filepath", "edit_filesize", "edit_filetime", "edit_fileformat"}},
      {"capture/UI/VideoProperty.aui",
       {"edit_filename", "edit_filepath", "edit_filesize", "edit_filetime", "edit_mediaduration", "edit_audioformat",
        "edit_videoformat"}},
      {"capture/UI/AnimationCapture.aui", {"cata_Active"}},
      {"capture/Module/Icon.aui", {"butn_active"}},
      {"capture/Module/Tab.aui", {"butn_Capture", "butn_CaptureP"}},
      {"Source/Orvenna/UI/WaringMsg.aui",
       {"text_Msg", "butn_Yes", "butn_No", "butn_OK", "butn_Cancel", "TextBox", "TextInfo", "cata_112",
        "cata_drag_mac", "view_title_mac", "butn_close_mac"}},
      {"Source/Orvenna/UI/WarningMsgWithCheckBox.aui",
       {"chck_NotShowAgain", "view", "cata_111", "butn_Continue", "butn_Ok", "butn_Cancel"}},
      {"Source/Orvenna/UI/WarningLowQuality.aui", {"chck_NotShowAgain", "view", "butn_Continue", "butn_Cancel"}},
      {"Source/Orvenna/UI/main.aui",
       {"Capture", "EditVideo", "butn_camsetting", "butn_CaptureSettings", "butn_fullScreen", "chck_SoftEject",
        "cata_module"}},
  };
  for (const auto& [file, names] : wanted) {
    SCOPED_TRACE(file);
    const std::string cmd =
        "xmllint --noout --relaxng '" + schema.string() + "' '" + (src / file).string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    const std::set<std::string> have = Names(src / file);
    for (const std::string& name : names) EXPECT_TRUE(have.count(name)) << name;
  }
  const std::string table = "xmllint --noout --relaxng '" + schema.string() + "' '" +
                            (src / "capture/Module/CaptureRes.aui").string() + "' 2>/dev/null";
  EXPECT_EQ(std::system(table.c_str()), 0);
}

}  // namespace
