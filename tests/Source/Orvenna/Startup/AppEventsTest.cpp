// The process's events: 'oapp', 'odoc' (the command-line receiver) and the
// quit rule that SIGTERM and the main window's close box both follow.
#include <filesystem>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "TestEnvironment.h"
#include "os/AppleEvents.h"
#include "os/Reveal.h"
#include "qel/QelCore.h"
#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"
#include "qel/QelMessage.h"

namespace {

plat::AppleEvent OdocWithBytes(std::vector<uint8_t> bytes) {
  plat::AppleEvent event(plat::kCoreEventClass, plat::kAEOpenDocuments);
  plat::AEDesc desc;
  desc.type = plat::kCommandLineType;
  desc.data = std::move(bytes);
  event.PutParam(plat::kCommandLineParam, std::move(desc));
  return event;
}

std::vector<uint8_t> Bytes(const std::u16string& text) {
  std::vector<uint8_t> out;
  for (char16_t c : text) {
    out.push_back(uint8_t(c & 0xff));
    out.push_back(uint8_t(c >> 8));
  }
  return out;
}

}  // namespace

TEST_F(AppTest, OpenApplicationDeclinesOnlyWhenItCarriesACommandLine) {
  Start();
  plat::AppleEvent plain(plat::kCoreEventClass, plat::kAEOpenApplication);
  EXPECT_EQ(plat::AEDispatch(plain), 0);
  plat::AppleEvent withText(plat::kCoreEventClass, plat::kAEOpenApplication);
  withText.PutParam(plat::kCommandLineParam, plat::AEDesc::FromText(plat::kCommandLineType, u"-Capture"));
  EXPECT_EQ(plat::AEDispatch(withText), CMyQelApp::kEventNotHandled);
}

TEST_F(AppTest, OpenDocumentsStoresTheCommandLine) {
  Start();
  EXPECT_EQ(plat::AEDispatch(plat::MakeCommandLineEvent(u"-Capture/Record")), 0);
  EXPECT_EQ(std::u16string(theApp.MacCommandLine()), u"-Capture/Record");

  // Without the parameter: the lookup's error, nothing changes.
  plat::AppleEvent bare(plat::kCoreEventClass, plat::kAEOpenDocuments);
  EXPECT_EQ(plat::AEDispatch(bare), plat::kAEDescNotFound);
  // Empty data changes nothing either.
  EXPECT_EQ(plat::AEDispatch(OdocWithBytes({})), 0);
  EXPECT_EQ(std::u16string(theApp.MacCommandLine()), u"-Capture/Record");
}

TEST_F(AppTest, OpenDocumentsBoundsAndTerminatesTheText) {
  Start();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::u16string stored;
  };
  std::u16string longText(3000, u'x');
  longText[0] = u'-';
  std::vector<uint8_t> odd = Bytes(u"-Capture/Zoomin");
  odd.push_back('Q');
  const Case cases[] = {
      {"no terminator: ends at the data's end", Bytes(u"-Capture/Zoomout"), u"-Capture/Zoomout"},
      {"terminated early: ends at the 0 unit", Bytes(std::u16string(u"-Capture/Record\0junk", 20)), u"-Capture/Record"},
      {"odd byte count: the last byte is no unit", odd, u"-Capture/Zoomin"},
      {"longer than the buffer: cut at 1023 units", Bytes(longText), longText.substr(0, 1023)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(plat::AEDispatch(OdocWithBytes(c.bytes)), 0);
    std::u16string stored(theApp.MacCommandLine());
    EXPECT_EQ(stored, c.stored);
    WCHAR copy[CMyQelApp::kCommandLineUnits];
    theApp.GetMacCommandLine(copy);
    EXPECT_EQ(std::u16string(copy), c.stored);
  }
  theApp.SetMacCommandLine(nullptr);  // leaves it unchanged
  EXPECT_EQ(std::u16string(theApp.MacCommandLine()).size(), 1023u);
  theApp.GetMacCommandLine(nullptr);  // does nothing
}

TEST_F(AppTest, QuitIsSwallowedWhileGlobalValueOneIsSet) {
  Start();
  Qel0SetGValue(1, 1);
  EXPECT_EQ(plat::RequestQuit(), 0);
  EXPECT_FALSE(theApp.QuitRequested());
  EXPECT_TRUE(theApp.GetMainFrame()->IsCreated());
  Qel0SetGValue(1, 0);
  EXPECT_EQ(plat::RequestQuit(), CMyQelApp::kQuitNotHandled);
  EXPECT_TRUE(theApp.QuitRequested());
}

TEST_F(AppTest, QuitIsSwallowedWhileAModalWindowIsInFront) {
  Start();
  const char layout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<layout name="cata_root" w="200" h="100"><element type="butn" name="butn_OK" x="10" y="10" w="60" h="24"/></layout>)";
  auto dir = testenv::MakeTempDir("alert");
  testenv::WriteFile(dir / "alert.aui", layout);
  CQelDialog alert;
  ASSERT_EQ(alert.Create((dir / "alert.aui").c_str(), nullptr, theApp.GetMainFrame()->GetWindowRef()), 1);
  alert.ShowWindow(5);
  ASSERT_TRUE(QelIsModalInFront());
  EXPECT_EQ(plat::RequestQuit(), 0);
  EXPECT_FALSE(theApp.QuitRequested());
  alert.ShowWindow(0);
  EXPECT_EQ(plat::RequestQuit(), CMyQelApp::kQuitNotHandled);
  EXPECT_TRUE(theApp.QuitRequested());
}

TEST_F(AppTest, CloseBoxTakesTheQuitRoad) {
  Start();
  CMyMainFrame* frame = theApp.GetMainFrame();
  Qel0SetGValue(1, 1);
  EXPECT_TRUE(qel::headless::Click(frame, "butn_close_mac"));
  qel::headless::PumpUntilIdle();
  EXPECT_FALSE(theApp.QuitRequested());
  EXPECT_TRUE(frame->IsCreated());

  Qel0SetGValue(1, 0);
  EXPECT_TRUE(qel::headless::Click(frame, "butn_close_mac"));
  qel::headless::PumpUntilIdle();
  EXPECT_TRUE(theApp.QuitRequested());
  // The window goes last, in ExitInstance.
  EXPECT_EQ(theApp.ExitInstance(), 0);
  started_ = false;
  EXPECT_FALSE(frame->IsCreated());
}

TEST_F(AppTest, HelpKeyOpensTheUsersPageOrTheEnglishOne) {
  auto dir = testenv::MakeTempDir("help");
  auto app = dir / "Help.app";
  std::filesystem::copy(StagedBundle(), app, std::filesystem::copy_options::recursive);
  auto english = app / "Contents/Resources/Help/en/Introduction.html";
  auto french = app / "Contents/Resources/Help/fr/Introduction.html";
  testenv::WriteFile(english, "<html></html>");
  testenv::WriteFile(french, "<html></html>");
  UseBundle(app);
  Start();
  plat::ClearHeadlessDesktopCalls();
  ::setenv("LANGUAGE", "fr_FR", 1);
  EXPECT_TRUE(qel::headless::PressKey(theApp.GetMainFrame(), QEL_KEY_HELP));
  ::setenv("LANGUAGE", "de_DE", 1);
  EXPECT_TRUE(qel::headless::PressKey(theApp.GetMainFrame(), QEL_KEY_HELP));
  std::filesystem::remove_all(app / "Contents/Resources/Help");
  EXPECT_EQ(CMyQelApp::OpenHelpIndex(), -1);  // nothing shipped: nothing opens
  EXPECT_EQ(plat::HeadlessDesktopCalls(),
            (std::vector<std::string>{"open " + french.string(), "open " + english.string()}));
}
