// Start-up of the main program: window, minimum size, title, string table
// and the layouts it loads.
#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "AppModule.h"
#include "TestEnvironment.h"
#include "qel/QelCore.h"
#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"

TEST_F(AppTest, StartsWithTheMainWindowShownAndTitledByTheBundleName) {
  Start();
  CMyMainFrame* frame = theApp.GetMainFrame();
  EXPECT_TRUE(frame->IsCreated());
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_EQ(theApp.GetQelMainWnd(), frame);
  EXPECT_EQ(vGetAppModule().GetMainFrame(), frame);
  EXPECT_EQ(frame->Title(), u"Dunsellow");
  EXPECT_EQ(frame->GetMinSize().cx, 720);
  EXPECT_EQ(frame->GetMinSize().cy, 540);
  EXPECT_NE(CMyQelApp::GetResObj(), nullptr);
  // The home page sits inside "main" and the module manager exists.
  EXPECT_NE(frame->GetModuleMgr(), nullptr);
  qel::Element* home = qel::Element::From(frame->GetHomePage());
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->Name(), "cata_homepage");
  ASSERT_NE(home->Parent(), nullptr);
  EXPECT_EQ(home->Parent()->Name(), "main");
}

TEST_F(AppTest, DisplayRatioScalesTheMinimumSize) {
  double ratio = 1.5;
  Qel0ConfigEngine(QEL_ENGINE_DISPLAY_RATIO, &ratio);
  Start();
  EXPECT_DOUBLE_EQ(g_dRatio, 1.5);
  EXPECT_EQ(theApp.GetMainFrame()->GetMinSize().cx, 1080);
  EXPECT_EQ(theApp.GetMainFrame()->GetMinSize().cy, 810);
}

TEST_F(AppTest, OddRatioIsTruncatedTowardZero) {
  double ratio = 1.33;  // 957.6 x 718.2
  Qel0ConfigEngine(QEL_ENGINE_DISPLAY_RATIO, &ratio);
  Start();
  EXPECT_EQ(theApp.GetMainFrame()->GetMinSize().cx, 957);
  EXPECT_EQ(theApp.GetMainFrame()->GetMinSize().cy, 718);
}

TEST_F(AppTest, StringTextsAreReturnedByValue) {
  Start();
  // Two texts in one expression stay two texts.
  CQelStringW first = CMyQelApp::vLoadResString(1);
  CQelStringW second = CMyQelApp::vLoadResString(27);
  EXPECT_EQ(first, u"Dunsellow");
  EXPECT_FALSE(second.IsEmpty());
  EXPECT_FALSE(first == second);
  EXPECT_TRUE(CMyQelApp::vLoadResString(999999).IsEmpty());
}

TEST_F(AppTest, MissingLayoutsAndStringTableStillStart) {
  // A bundle without its UI folder: no string table, no window layout, but
  // start-up goes on and texts read empty.
  auto dir = testenv::MakeTempDir("bare");
  auto app = dir / "Bare.app";
  std::filesystem::create_directories(app / "Contents/MacOS");
  testenv::WriteFile(app / "Contents/Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                     "<key>CFBundleName</key><string>Bare</string></dict></plist>\n");
  UseBundle(app);
  Start();
  EXPECT_EQ(CMyQelApp::GetResObj(), nullptr);
  EXPECT_TRUE(CMyQelApp::vLoadResString(1).IsEmpty());
  EXPECT_FALSE(theApp.GetMainFrame()->IsCreated());
}

// Every element name the program and its modules look up exists in the
// shipped layouts, once, and no two names differ only in case.
TEST(ShippedLayouts, HoldTheNamedElementsAndValidateAgainstTheSchema) {
  auto ui = testenv::StageDir() / "Dunsellow.app/Contents/UI";
  struct Layout {
    const char* file;
    std::vector<std::string> names;
  };
  const Layout layouts[] = {
      {"main.aui",
       {"main", "cata_module", "view_module", "butn_home", "cata_title", "cata_show", "cata_main",
        "cata_animation", "cata_mask", "butn_close_mac", "butn_minimize_mac", "butn_maximize_mac",
        "cata_drag_mac", "butn_stretch", "cata_Btn", "cata_process"}},
      {"Homepage.aui", {"cata_Butn", "view_Wel1"}},
      {"options.aui",
       {"radg", "rado_nobg", "rado_defaultbg", "rado_custombg", "cedt_path", "cedt_path1", "butn_browse",
        "butn_browse1", "vcata_folder", "tabi_Skins", "tabi_Advanced", "cata_drag_mac", "view_title_mac",
        "butn_close_mac", "butn_OK", "butn_Cancel", "cata_Skins", "cata_Advanced"}},
      {"splash.aui", {"cata_MouseDown", "view_VersionCap", "view_Version"}},
  };
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.file);
    qel::Element* root = qel::LoadLayoutFile((ui / l.file).string());
    ASSERT_NE(root, nullptr);
    for (const std::string& name : l.names) EXPECT_NE(root->FindByName(name, true), nullptr) << name;
    std::map<std::string, int> seen;
    std::vector<qel::Element*> todo{root};
    while (!todo.empty()) {
      qel::Element* e = todo.back();
      todo.pop_back();
      std::string lower = e->Name();
      for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
      if (!lower.empty()) {
        EXPECT_EQ(++seen[lower], 1) << e->Name();
      }
      for (qel::Element* c : e->Children()) todo.push_back(c);
    }
    root->Release();
  }
  auto schema = testenv::SourceDir() / "platform/qel/schema/qel-layout.rng";
  for (const char* file : {"main.aui", "Homepage.aui", "VEVIVirodiVur.aui"}) {
    std::string cmd = "xmllint --noout --relaxng '" + schema.string() + "' '" + (ui / file).string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << file;
  }
}
