// Menu bars of windows and the command handlers, on the headless backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"
#include "qel/QelMenuBar.h"
#include "qel/QelWindow.h"

namespace {

constexpr uint32_t kAbout = QelFourCC("abou");
constexpr uint32_t kOptions = QelFourCC("opti");
constexpr uint32_t kHelp = QelFourCC("help");

qel::MenuBarItem Item(const char16_t* text, uint32_t command, bool enabled = true, const char* key = "",
                     bool shownOnly = false) {
  qel::MenuBarItem item;
  item.text = text;
  item.command = command;
  item.enabled = enabled;
  item.key = key;
  item.keyShownOnly = shownOnly;
  return item;
}

qel::MenuBarItem Separator() {
  qel::MenuBarItem item;
  item.separator = true;
  return item;
}

qel::MenuBar SampleBar() {
  qel::MenuBar bar(2);
  bar[0].id = 1;
  bar[0].title = u"_Dunsellow";
  bar[0].items = {Item(u"About", kAbout), Separator(), Item(u"Options", kOptions, false, "<Control>comma")};
  bar[1].id = 2;
  bar[1].title = u"_Help";
  bar[1].items = {Item(u"Help", kHelp, true, "F1", true)};
  return bar;
}

struct Seen {
  std::vector<std::string> log;
  int32_t answer = 0;
};

// Records the commands run; the state questions before them pass on.
int32_t Record(const QelHICommand& c, void* data) {
  if (c.kind != QEL_CMD_PROCESS) return QEL_EVENT_NOT_HANDLED;
  auto* seen = static_cast<Seen*>(data);
  char code[5] = {char(c.commandID >> 24), char(c.commandID >> 16), char(c.commandID >> 8), char(c.commandID), 0};
  seen->log.push_back(std::string(code) + " " + std::to_string(c.menuID) + "/" + std::to_string(c.menuItem));
  return seen->answer;
}

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::Element* root = qel::LoadLayoutString(R"(<layout name="cata_root" w="200" h="100"/>)", ".");
    ASSERT_TRUE(root);
    ASSERT_EQ(window_.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
    root->Release();
    window_.SetMenuBar(SampleBar());
  }
  void TearDown() override {
    for (void* h : installed_) QelRemoveCommandHandler(h);
  }
  void Install(Seen* seen) { installed_.push_back(QelInstallCommandHandler(&Record, seen)); }

  CQelWindow window_;
  std::vector<void*> installed_;
};

TEST_F(MenuBarTest, ChosenItemsReachTheNewestHandlerThatTakesThem) {
  Seen older, newer;
  Install(&older);
  Install(&newer);
  newer.answer = QEL_EVENT_NOT_HANDLED;  // passes everything on

  EXPECT_TRUE(QelChooseMenuCommand(&window_, kAbout));
  EXPECT_TRUE(QelChooseMenuCommand(&window_, kHelp));
  std::vector<std::string> expected{"abou 1/1", "help 2/1"};
  EXPECT_EQ(newer.log, expected);
  EXPECT_EQ(older.log, expected);

  newer.answer = 0;  // now it takes them: the older one hears nothing more
  older.log.clear();
  EXPECT_TRUE(QelChooseMenuCommand(&window_, kHelp));
  EXPECT_TRUE(older.log.empty());

  QelRemoveCommandHandler(installed_.back());
  installed_.pop_back();
  EXPECT_TRUE(QelChooseMenuCommand(&window_, kHelp));
  EXPECT_EQ(older.log, std::vector<std::string>{"help 2/1"});
}

TEST_F(MenuBarTest, DisabledMissingAndUnhandledCommands) {
  Seen seen;
  seen.answer = QEL_EVENT_NOT_HANDLED;
  Install(&seen);
  EXPECT_FALSE(QelChooseMenuCommand(&window_, kOptions)) << "disabled";
  EXPECT_FALSE(QelChooseMenuCommand(&window_, QelFourCC("none")));
  EXPECT_FALSE(QelChooseMenuCommand(&window_, 0)) << "separators carry no command";
  EXPECT_TRUE(seen.log.empty());
  QelHICommand other;
  other.commandID = QelFourCC("zzzz");
  EXPECT_EQ(QelProcessCommand(other), QEL_EVENT_NOT_HANDLED);

  CQelWindow bare;  // no menu bar at all
  EXPECT_FALSE(QelChooseMenuCommand(&bare, kAbout));
}

// Asked for an item's state, it is disabled while `busy`.
struct Guard {
  CQelWindow* window;
  bool busy = false;
  std::vector<std::string> asked;
};

int32_t Guarding(const QelHICommand& c, void* data) {
  auto* g = static_cast<Guard*>(data);
  if (c.kind != QEL_CMD_UPDATE_STATUS) return QEL_EVENT_NOT_HANDLED;
  g->asked.push_back(std::to_string(c.menuID) + "/" + std::to_string(c.menuItem));
  QelEnableMenuCommand(g->window, c.commandID, !g->busy);
  return 0;
}

TEST_F(MenuBarTest, AHandlerAskedForTheStateCanDisableTheItem) {
  Seen seen;
  Install(&seen);
  Guard guard{&window_};
  installed_.push_back(QelInstallCommandHandler(&Guarding, &guard));

  guard.busy = true;
  EXPECT_FALSE(QelChooseMenuCommand(&window_, kHelp));
  EXPECT_TRUE(seen.log.empty());
  EXPECT_FALSE((*window_.GetMenuBar())[1].items[0].enabled);
  guard.busy = false;
  EXPECT_TRUE(QelChooseMenuCommand(&window_, kHelp));
  EXPECT_EQ(seen.log, std::vector<std::string>{"help 2/1"});
  EXPECT_EQ(guard.asked, (std::vector<std::string>{"2/1", "2/1"}));

  // Every item at once, and only a change counts.
  EXPECT_TRUE(QelEnableMenuCommand(&window_, 0, false));
  EXPECT_FALSE(QelEnableMenuCommand(&window_, 0, false));
  for (const qel::MenuBarMenu& menu : *window_.GetMenuBar())
    for (const qel::MenuBarItem& item : menu.items) EXPECT_TRUE(item.separator || !item.enabled);
}

TEST_F(MenuBarTest, DeletingItemsOfOneMenu) {
  EXPECT_TRUE(window_.DeleteMenuItems(1, 2, 1));
  const qel::MenuBar& bar = *window_.GetMenuBar();
  ASSERT_EQ(bar[0].items.size(), 2u);
  EXPECT_EQ(bar[0].items[1].command, kOptions);
  EXPECT_FALSE(window_.DeleteMenuItems(7, 1, 1)) << "no such menu";
  EXPECT_FALSE(window_.DeleteMenuItems(2, 5, 1)) << "no such item";
  EXPECT_TRUE(window_.DeleteMenuItems(2, 1, 10)) << "a count past the end stops at the end";
  EXPECT_TRUE(window_.GetMenuBar()->at(1).items.empty());
}

class PopUp : public CQelDialog {
 public:
  int32_t PreCreateWind(QelCreateStruct* cs) override {
    CQelDialog::PreCreateWind(cs);
    cs->windowClass = 3;
    return 0;
  }
};

TEST_F(MenuBarTest, PopUpSurfaceWhileAPopUpRuns) {
  EXPECT_EQ(QelGetPopupSurface(), nullptr);
  EXPECT_FALSE(QelIsPopupOpen());
  PopUp popup;
  qel::Element* root = qel::LoadLayoutString(R"(<layout name="cata_root" w="80" h="40"/>)", ".");
  ASSERT_EQ(popup.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
  root->Release();
  CQelWindow* seen = nullptr;
  qel::RunOnMain([&] {
    seen = QelGetPopupSurface();
    popup.EndModal(1);
  });
  popup.DoModal();
  EXPECT_EQ(seen, &popup);
  EXPECT_EQ(QelGetPopupSurface(), nullptr);

  qel::PopupOpened();  // a backend's own pop-up
  EXPECT_TRUE(QelIsPopupOpen());
  qel::PopupClosed();
  qel::PopupClosed();  // one close too many changes nothing
  EXPECT_FALSE(QelIsPopupOpen());
}

}  // namespace
