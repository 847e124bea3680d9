// The main window's menu bar and its commands: About, help, quit, the
// commands left to others, and commands chosen while a pop-up is open.
#include <cstdlib>
#include <filesystem>

#include "DialogFixture.h"
#include "MacQelMenu.h"
#include "TestEnvironment.h"
#include "os/Reveal.h"
#include "qel/QelMenuBar.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;
namespace hl = qel::headless;

std::vector<uint32_t> Commands(const qel::MenuBarMenu& menu) {
  std::vector<uint32_t> out;
  for (const qel::MenuBarItem& item : menu.items) out.push_back(item.separator ? 0 : item.command);
  return out;
}

TEST_F(DialogTest, MenuBarHasTheCommandsWithTheirKeysAndLosesItsSecondItem) {
  Start();
  const qel::MenuBar* bar = Frame().GetMenuBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->size(), 2u);
  EXPECT_EQ((*bar)[0].id, 1);
  // About, (the separator after it went), Options, separator, Quit.
  EXPECT_EQ(Commands((*bar)[0]), (std::vector<uint32_t>{QelFourCC("abou"), QelFourCC("opti"), 0, QelFourCC("quit")}));
  EXPECT_EQ((*bar)[0].items[1].key, "<Control>comma");
  EXPECT_EQ((*bar)[0].items[3].key, "<Control>q");
  EXPECT_EQ(Commands((*bar)[1]), std::vector<uint32_t>{QelFourCC("help")});
  EXPECT_EQ((*bar)[1].items[0].key, "F1");
  EXPECT_EQ((*bar)[0].items[1].text, u"_Options…") << "texts from the string table";
  for (const char* extra : {"visi", "more", "avai", "feba"}) EXPECT_FALSE(Menu(extra)) << "no extras plug-in";
}

TEST_F(DialogTest, AboutShowsTheVersionWhenTheBundleHasOne) {
  // The test bundle has no CFBundleVersion: no version line.
  Start();
  bool seen = false;
  Inside([&] {
    seen = true;
    EXPECT_TRUE(Read("view_name").found);
    EXPECT_FALSE(Read("view_Version").visible);
    EXPECT_FALSE(Read("view_VersionCap").visible);
    EXPECT_TRUE(QelIsModalInFront());
    hl::PressKey(nullptr, QEL_KEY_ESCAPE);
  });
  EXPECT_TRUE(Menu("abou"));
  EXPECT_TRUE(seen);
  EXPECT_FALSE(QelIsModalInFront()) << "Escape closed it";
}

TEST_F(DialogTest, AboutVersionLineAndTheWaysToCloseIt) {
  std::string plist = testenv::ReadFile(app_ / "Contents/Info.plist");
  plist.replace(plist.find("</dict>"), 7, "<key>CFBundleVersion</key><string>2.4.1</string></dict>");
  testenv::WriteFile(app_ / "Contents/Info.plist", plist);
  Start();
  int opened = 0;
  for (auto close : std::vector<std::function<void()>>{[] { hl::PressKey(nullptr, QEL_KEY_RETURN); },
                                                        [] { hl::PressKey(nullptr, QEL_KEY_ENTER); },
                                                        [] { hl::Click(nullptr, "cata_MouseDown"); }}) {
    Inside([&, close] {
      ++opened;
      EXPECT_TRUE(Read("view_Version").visible);
      EXPECT_TRUE(Read("view_VersionCap").visible);
      EXPECT_EQ(Read("view_Version").text, u"2.4.1");
      close();
    });
    EXPECT_TRUE(Menu("abou"));
    EXPECT_FALSE(QelIsModalInFront());
  }
  EXPECT_EQ(opened, 3);
}

TEST_F(DialogTest, HelpOpensTheIntroductionOfTheLanguageOrTheEnglishOne) {
  Start();
  fs::path help = app_ / "Contents/Resources/Help";
  plat::ClearHeadlessDesktopCalls();
  setenv("LANGUAGE", "de_DE", 1);
  EXPECT_TRUE(Menu("help"));
  fs::create_directories(help / "de");
  testenv::WriteFile(help / "de/Introduction.html", "<html></html>");
  EXPECT_TRUE(Menu("help"));
  setenv("LANGUAGE", "C", 1);
  EXPECT_TRUE(hl::PressKey(&Frame(), QEL_KEY_HELP)) << "the Help key opens the same page";
  unsetenv("LANGUAGE");
  std::vector<std::string> opened = plat::HeadlessDesktopCalls();
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], "open " + (help / "en/Introduction.html").string());
  EXPECT_EQ(opened[1], "open " + (help / "de/Introduction.html").string());
  EXPECT_EQ(opened[2], "open " + (help / "en/Introduction.html").string());

  // Every page the help links to is shipped.
  fs::path shipped = testenv::SourceDir() / "Source/Orvenna/Resources/Help/en";
  for (const fs::directory_entry& page : fs::directory_iterator(shipped)) {
    if (page.path().extension() != ".html") continue;
    std::string text = testenv::ReadFile(page.path());
    for (size_t at = text.find("href=\""); at != std::string::npos; at = text.find("href=\"", at + 1)) {
      std::string target = text.substr(at + 6, text.find('"', at + 6) - at - 6);
      EXPECT_TRUE(fs::exists(shipped / target)) << page.path().filename() << " links " << target;
    }
  }
}

TEST_F(DialogTest, CommandsWaitWhileAPopUpIsOpen) {
  Start();
  MacQelMenu popup;
  popup.CreateMenu(5);
  popup.CreateNewMenuItem(0, u"One", 0, 1);
  size_t unused = 0;
  Inside([&] {
    EXPECT_NE(QelGetPopupSurface(), nullptr);
    // An About dialog opened now would take this answer.
    hl::AnswerNextModalKey(QEL_KEY_ESCAPE);
    EXPECT_TRUE(QelChooseMenuCommand(&Frame(), QelFourCC("abou")));
    unused = hl::PendingModalAnswers();
    hl::ClearModalAnswers();
    hl::PressKey(nullptr, QEL_KEY_ESCAPE);  // the pop-up goes
  });
  int16_t menu = 0;
  uint16_t item = 0;
  popup.PopupMenu(POINT{10, 10}, menu, item);
  EXPECT_EQ(unused, 1u) << "the command was swallowed: no About dialog";
  EXPECT_EQ(QelGetPopupSurface(), nullptr);
}

TEST_F(DialogTest, QuitFromTheMenuTakesTheQuitRoad) {
  Start();
  EXPECT_TRUE(Menu("quit"));
  EXPECT_TRUE(theApp.QuitRequested());
}

TEST_F(DialogTest, CommandsFromOtherSourcesDoNothing) {
  Start();
  bool handled = true;
  EXPECT_EQ(Frame().DoCommand(QelFourCC("abou"), 0, 0, handled), 0);
  EXPECT_FALSE(QelIsModalInFront());
  handled = false;
  QelHICommand unknown;
  unknown.commandID = QelFourCC("xxxx");
  EXPECT_EQ(CMyMainFrame::sMeunEventProc(unknown, &Frame()), QEL_EVENT_NOT_HANDLED);
}

}  // namespace
