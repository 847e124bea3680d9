#include <gtest/gtest.h>

#include "BaseWnd.h"
#include "GlobalFun.h"
#include "TestEnvironment.h"
#include "TestView.h"
#include "ViewerFixture.h"
#include "os/AppleEvents.h"
#include "qel/QelElement.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"

using namespace vistreltest;

namespace {

constexpr const char* kCommandButtons[] = {"butn_Previous", "butn_Next", "butn_FullScreen_mac", "butn_ZoomIn",
                                           "butn_ZoomOut", "butn_ActualSize", "butn_fit", "butn_rotate_left",
                                           "butn_rotate_right"};

std::u16string AssetCommand(const std::u16string& list) {
  return u"\"/apps/Dunsellow Vistrel.app\" -AssetFilePath \"" + list + u"\" -MBStatus \"\"";
}

class ViewerWindowTest : public ViewerFixture {
 protected:
  // An asset list of the pictures, the first shown being `first`.
  std::u16string AssetList(const std::vector<std::u16string>& pictures, int first) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SelectedAssetList>\n  <FirstFile>" +
                      QelToUTF8(pictures[size_t(first)]) + "</FirstFile>\n";
    for (const std::u16string& p : pictures) xml += "  <FilePath>" + QelToUTF8(p) + "</FilePath>\n";
    xml += "</SelectedAssetList>\n";
    std::string path = folder_ + "/assets.xml";
    testenv::WriteFile(path, xml);
    return QelFromUTF8(path);
  }
  void Key(uint32_t code) {
    qel::input::Key(&Main(), code, true);
    qel::input::Key(&Main(), code, false);
  }
};

}  // namespace

TEST_F(ViewerWindowTest, WithoutPicturesTheWindowIsEmptyAndItsCommandsDisabled) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Main().IsWindowVisible());
  EXPECT_EQ(Title(), u"Dunsellow Vistrel");
  for (const char* name : kCommandButtons) EXPECT_FALSE(Enabled(name)) << name;
  int beeps = CGlobalFun::BeepCount();
  Key(u'f');
  EXPECT_FALSE(Main().IsInFullScreenMode());
  EXPECT_EQ(CGlobalFun::BeepCount(), beeps + 1);
  Key(29);  // browsing an empty list does nothing
  EXPECT_EQ(Main().GetCurIndex(), 0);
}

TEST_F(ViewerWindowTest, AnAssetListShowsItsFirstFileAndTheTitleNamesIt) {
  std::vector<std::u16string> pictures = MakePictures(5);
  ASSERT_TRUE(Start());
  SendCommandLine(AssetCommand(AssetList(pictures, 2)));
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Main().GetCurIndex(), 2);
  EXPECT_EQ(Title(), u"photo_102.jpg - Dunsellow Vistrel");
  auto* resolution = qel::Element::From(Main().GetElementByName("view_Resolution", 1));
  ASSERT_NE(resolution, nullptr);
  EXPECT_EQ(resolution->Text(), u"4000 \u00d7 3000");
  for (const char* name : {"butn_Previous", "butn_Next", "butn_FullScreen_mac", "butn_rotate_left"})
    EXPECT_TRUE(Enabled(name)) << name;
  EXPECT_TRUE(Visible("hcata_Image"));
  EXPECT_FALSE(Visible("view_NoPre"));

  // A list that cannot be read leaves the shown picture as it was.
  SendCommandLine(AssetCommand(QelFromUTF8(folder_ + "/missing.xml")));
  EXPECT_EQ(Main().GetCurIndex(), 2);
  EXPECT_EQ(Title(), u"photo_102.jpg - Dunsellow Vistrel");
}

TEST_F(ViewerWindowTest, KeysAndTheWheelBrowseAroundTheList) {
  std::vector<std::u16string> pictures = MakePictures(4);
  ASSERT_TRUE(Start());
  SendCommandLine(AssetCommand(AssetList(pictures, 0)));
  ASSERT_TRUE(Settle());
  struct Case {
    uint32_t key;
    int index;  // after the key, from the index before
  } cases[] = {{29, 1}, {31, 2}, {32, 3}, {12, 0}, {28, 3}, {30, 2}, {11, 1}, {u'0', 1}, {u'x', 1}};
  for (const Case& c : cases) {
    Key(c.key);
    EXPECT_EQ(Main().GetCurIndex(), c.index) << c.key;
  }
  bool handled = false;
  Main().ProcessMessage(522, QELWPARAM(uint32_t(120) << 16), 0, handled);  // up: previous
  EXPECT_EQ(Main().GetCurIndex(), 0);
  Main().ProcessMessage(522, QELWPARAM(uint32_t(uint16_t(-120)) << 16), 0, handled);  // down: next
  EXPECT_EQ(Main().GetCurIndex(), 1);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Title(), u"photo_101.jpg - Dunsellow Vistrel");
}

TEST_F(ViewerWindowTest, ThePlaceComesFromTheUserSettingsOrIsCentred) {
  struct Case {
    const char* settings;  // the "Screen" items
    SRect32 expected;
    bool maximized;
  } cases[] = {
      {"", {400, 174, 1040, 748}, false},  // 640 x 480 for the picture, centred in the work area
      {"<Item Name=\"ScreenLeft\" Value=\"100\"/><Item Name=\"ScreenTop\" Value=\"100\"/>"
       "<Item Name=\"ScreenRight\" Value=\"900\"/><Item Name=\"ScreenBottom\" Value=\"700\"/>",
       {100, 100, 900, 700}, false},
      {"<Item Name=\"ScreenLeft\" Value=\"300\"/><Item Name=\"ScreenTop\" Value=\"200\"/>"
       "<Item Name=\"ScreenRight\" Value=\"100\"/><Item Name=\"ScreenBottom\" Value=\"700\"/>",
       {400, 174, 1040, 748}, false},  // an inverted rectangle is ignored
      {"<Item Name=\"IsMaximized\" Value=\"1\"/>", {0, 22, 1440, 900}, true},
  };
  for (const Case& c : cases) {
    SaveUserSettings(std::string("<Profile><Section Name=\"Screen\">") + c.settings + "</Section></Profile>");
    ASSERT_TRUE(Start()) << c.settings;
    SRect32 b = Main().Bounds();
    EXPECT_EQ(b.left, c.expected.left) << c.settings;
    EXPECT_EQ(b.top, c.expected.top) << c.settings;
    EXPECT_EQ(b.right, c.expected.right) << c.settings;
    EXPECT_EQ(b.bottom, c.expected.bottom) << c.settings;
    EXPECT_EQ(Main().IsMaximized(), c.maximized) << c.settings;
    theApp.ExitInstance();
    started_ = false;
  }
}

TEST_F(ViewerWindowTest, AMovedWindowKeepsThirtyPixelsOnTheScreen) {
  ASSERT_TRUE(Start());
  struct Case {
    SRect32 to;
    int32_t left, top;
  } cases[] = {
      {{200, 890, 840, 1464}, 200, 870},    // top below the work area's bottom - 30
      {{200, -50, 840, 524}, 200, 22},      // above the top of the work area
      {{1430, 100, 2070, 674}, 1410, 100},  // off the right edge
      {{-700, 100, -60, 674}, -610, 100},   // off the left edge
  };
  for (const Case& c : cases) {
    Main().MoveWindow(&c.to);
    SRect32 b = Main().Bounds();
    EXPECT_EQ(b.left, c.left) << c.to.left << "," << c.to.top;
    EXPECT_EQ(b.top, c.top) << c.to.left << "," << c.to.top;
    EXPECT_EQ(b.right - b.left, 640);
  }
}

TEST_F(ViewerWindowTest, CommandLinesAreIgnoredWhileTheSwitchIsSetAndBadOnesAreRefused) {
  std::vector<std::u16string> pictures = MakePictures(3);
  ASSERT_TRUE(Start());
  g_bMacProcessEvent = 1;
  EXPECT_EQ(plat::AEDispatch(plat::MakeCommandLineEvent(u"\"" + pictures[0] + u"\"")), plat::kAENoErr);
  EXPECT_TRUE(g_pApp->GetFilelist()->empty());
  g_bMacProcessEvent = 0;

  plat::AppleEvent wrongType(plat::kCoreEventClass, plat::kAEOpenDocuments);
  wrongType.PutParam(plat::kCommandLineParam, plat::AEDesc::FromText(plat::FourCC("TEXT"), u"\"/x/a.jpg\""));
  EXPECT_EQ(plat::AEDispatch(wrongType), plat::kAECoercionFail);
  plat::AppleEvent none(plat::kCoreEventClass, plat::kAEOpenDocuments);
  EXPECT_EQ(plat::AEDispatch(none), plat::kAEDescNotFound);
  EXPECT_EQ(plat::AEDispatch(plat::MakeCommandLineEvent(u"")), plat::kAENoErr);
  EXPECT_TRUE(g_pApp->GetFilelist()->empty());

  // One plain picture: its folder is listed and it is shown first.
  EXPECT_EQ(plat::AEDispatch(plat::MakeCommandLineEvent(u"\"" + pictures[1] + u"\"")), plat::kAENoErr);
  EXPECT_EQ(g_pApp->GetFilelist()->size(), 3u);
  EXPECT_EQ(Main().GetCurIndex(), 1);
}

TEST_F(ViewerWindowTest, CommandLettersNeedControlAndATurnBelongsToItsPicture) {
  std::vector<std::u16string> pictures = MakePictures(3);
  ASSERT_TRUE(Start());
  SendCommandLine(AssetCommand(AssetList(pictures, 0)));
  ASSERT_TRUE(Settle());
  Key(u'l');  // without Control: nothing
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 0);
  qel::input::SetModifiers(qel::PointerInput::kControl);
  Key(u'l');
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 90);
  Key(u'r');
  Key(u'r');
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 270);  // a turn right is 270 degrees counter-clockwise
  Key(u'L');  // letters count in lower case only
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 270);
  qel::input::SetModifiers(0);

  // A held browsing key pauses the readers until it is released.
  qel::input::Key(&Main(), 29, true);
  qel::input::Key(&Main(), 29, true, qel::input::kKeyRepeat);
  qel::input::Key(&Main(), 29, false);
  EXPECT_EQ(Main().GetCurIndex(), 2);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 0);  // the next picture is shown upright
}
