// Command lines and asset lists that reach the player.
#include <gtest/gtest.h>

#include "PlayerFixture.h"
#include "TestEnvironment.h"
#include "VdlCommandLineText.h"
#include "qel/QelWideText.h"

using namespace playertest;

namespace {

std::u16string U(const fs::path& p) { return QelFromUTF8(p.string()); }

}  // namespace

TEST_F(PlayerFixture, WithoutACommandLineTheWindowIsEmptyAndItsControlsDisabled) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Main().IsWindowVisible());
  EXPECT_EQ(std::u16string(Main().Title()), u"Dunsellow Playvane");
  EXPECT_EQ(Main().GetCurrentIndex(), -1);
  for (const char* name : {"chck_Play", "butn_Next", "butn_Previous", "butn_BackToBegin", "hscrl_PlayProgress",
                           "butn_fullscreen1", "butn_Stop"})
    EXPECT_FALSE(E(name)->Enabled()) << name;
  EXPECT_TRUE(E("hscrl_Volume")->Enabled());
  EXPECT_EQ(E("hscrl_Volume")->Scroll().pos, 50);
}

// Which entries an asset list gives and which one plays first.
TEST_F(PlayerFixture, AnAssetListFillsThePlaylistInOrderAndStartsAtItsFirstFile) {
  const std::string a = Clip("a.mov").string(), b = Clip("b.mov").string(), c = Clip("c.mov").string();
  const std::string picture = (folder_ / "photo.jpg").string();
  testenv::WriteFile(picture, "not a movie");
  struct Case {
    const char* what;
    std::vector<std::string> files;
    std::string first;
    bool firstAfter;  // FirstFile written after the entries
    std::vector<std::string> playlist;
    int index;
  };
  const Case cases[] = {
      {"first file named", {a, b, c}, b, false, {a, b, c}, 1},
      {"first file after the entries selects nothing", {a, b, c}, c, true, {a, b, c}, 0},
      {"the later of two equal entries", {a, b, a}, a, false, {a, b, a}, 2},
      {"an unsupported entry takes no index", {picture, a, b}, b, false, {a, b}, 1},
      {"only full local paths are entries",
       {"concat:" + a + "|" + b, "http://example.invalid/a.mov", "relative/a.mov", "file:" + a, c},
       c, false, {c}, 0},
      {"without a first file the first entry", {b, c}, "", false, {b, c}, 0},
  };
  ASSERT_TRUE(Start());
  int n = 0;
  for (const Case& k : cases) {
    std::string xml = "<?xml version=\"1.0\"?>\n<SelectedAssetList>\n";
    if (!k.firstAfter && !k.first.empty()) xml += "<FirstFile>" + k.first + "</FirstFile>\n";
    for (const std::string& f : k.files) xml += "<FilePath>" + f + "</FilePath>\n";
    if (k.firstAfter) xml += "<FirstFile>" + k.first + "</FirstFile>\n";
    xml += "</SelectedAssetList>\n";
    const fs::path list = folder_ / ("list" + std::to_string(n++) + ".xml");
    testenv::WriteFile(list, xml);
    Send(Command(list));
    std::vector<std::u16string> want;
    for (const std::string& f : k.playlist) want.push_back(QelFromUTF8(f));
    EXPECT_EQ(Playlist(), want) << k.what;
    EXPECT_EQ(Main().GetCurrentIndex(), k.index) << k.what;
    if (!want.empty()) {
      EXPECT_EQ(Main().GetCurrentFilePath(), want[size_t(k.index)]) << k.what;
    }
  }
}

// A command line that reads no list keeps the playlist and the entry played.
TEST_F(PlayerFixture, ACommandLineThatReadsNoListKeepsTheCurrentEntry) {
  const std::string a = Clip("a.mov").string(), b = Clip("b.mov").string();
  ASSERT_TRUE(Start());
  Send(Command(AssetList({a, b}, b)));
  ASSERT_EQ(Main().GetCurrentIndex(), 1);
  const std::u16string missing = U(folder_ / "missing.xml");
  for (const std::u16string& text : {u"-AssetFilePath \"" + missing + u"\"", u"-assetfilepath \"" + U(AssetList({a}, a, "x.xml")) + u"\"",
                                     std::u16string(u"-AssetFilePath no quote"), std::u16string(u"something else")}) {
    Send(text);
    EXPECT_EQ(Playlist().size(), 2u) << QelToUTF8(text);
    EXPECT_EQ(Main().GetCurrentIndex(), 1) << QelToUTF8(text);
    EXPECT_EQ(Main().GetCurrentFilePath(), QelFromUTF8(b)) << QelToUTF8(text);
  }
  // A list whose root is another element empties the playlist and stops.
  testenv::WriteFile(folder_ / "other.xml", "<?xml version=\"1.0\"?><Other><FilePath>" + a + "</FilePath></Other>");
  Send(Command(folder_ / "other.xml"));
  EXPECT_TRUE(Playlist().empty());
  EXPECT_FALSE(Main().PlayWnd().IsFileOpened());
  EXPECT_FALSE(E("chck_Play")->Enabled());
}

// Files handed over as the desktop passes them: quoted paths, no asset list.
TEST_F(PlayerFixture, QuotedPathsWithoutAnAssetListBecomeThePlaylist) {
  const std::string a = Clip("a.mov").string(), b = Clip("b.mov").string();
  // A file whose name holds the switch's letters is a file, not the switch.
  const std::string odd = Clip("x -AssetFilePath y.mov").string();
  const std::string picture = (folder_ / "photo.jpg").string();
  testenv::WriteFile(picture, "not a movie");
  ASSERT_TRUE(Start());
  testing::internal::CaptureStderr();
  Send(u"\"" + QelFromUTF8(picture) + u"\" \"" + QelFromUTF8(b) + u"\" \"" + QelFromUTF8(odd) + u"\" \"" +
       QelFromUTF8(a) + u"\"");
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Playlist(), (std::vector<std::u16string>{QelFromUTF8(b), QelFromUTF8(odd), QelFromUTF8(a)}));
  EXPECT_EQ(Main().GetCurrentIndex(), 0);
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(std::u16string(Main().Title()), u"b.mov - Dunsellow Playvane");
  EXPECT_NE(said.find("photo.jpg"), std::string::npos) << said;

  // Named files of which none plays, or no quoted path at all, leave the
  // entry being played alone.
  for (const std::u16string& text : {u"\"" + QelFromUTF8(picture) + u"\"", std::u16string(u"\"relative.mov\""),
                                     std::u16string(u"\"\""), std::u16string(u"\"/unclosed.mov")}) {
    Send(text);
    EXPECT_EQ(Playlist().size(), 3u) << QelToUTF8(text);
    EXPECT_EQ(Main().GetCurrentFilePath(), QelFromUTF8(b)) << QelToUTF8(text);
  }
  // The album's asset list still works beside them.
  Send(Command(AssetList({a, b}, b)));
  EXPECT_EQ(Playlist(), (std::vector<std::u16string>{QelFromUTF8(a), QelFromUTF8(b)}));
  EXPECT_EQ(Main().GetCurrentIndex(), 1);
}

// The arguments the desktop starts the player with ("%F") become that text.
TEST(PlayerArguments, EachArgumentTravelsAsAQuotedAbsolutePath) {
  std::string a = "/m/a b.mov", rel = "c.mov", quoted = "/m/say \"hi\".mov";
  char* argv[] = {const_cast<char*>("player"), a.data(), rel.data(), quoted.data()};
  testing::internal::CaptureStderr();
  std::optional<std::u16string> text = Vardel::CommandLineFromArguments(4, argv, "Dunsellow Playvane");
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, u"\"/m/a b.mov\" \"" + QelFromUTF8((fs::current_path() / "c.mov").string()) + u"\"");
  EXPECT_NE(said.find("Dunsellow Playvane"), std::string::npos) << said;
  // The album's form still arrives as it was sent.
  std::string album = "--cmdl=-AssetFilePath \"/tmp/list.xml\"";
  char* albumArgv[] = {const_cast<char*>("player"), album.data()};
  EXPECT_EQ(Vardel::CommandLineFromArguments(2, albumArgv, "Dunsellow Playvane"),
            std::optional<std::u16string>(u"-AssetFilePath \"/tmp/list.xml\""));
  char* none[] = {const_cast<char*>("player")};
  EXPECT_EQ(Vardel::CommandLineFromArguments(1, none, "Dunsellow Playvane"), std::nullopt);
}

TEST_F(PlayerFixture, ASecondCommandLineReplacesThePlaylistAndPlaysItsFirstFileAtOnce) {
  const std::string a = Clip("a.mov").string(), b = Clip("b.mov").string(), c = Clip("c.mov").string();
  ASSERT_TRUE(Start());
  Send(Command(AssetList({a, b}, a, "one.xml")));
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(std::u16string(Main().Title()), u"a.mov - Dunsellow Playvane");
  Main().ShowWindow(6);
  Send(Command(AssetList({b, c}, c, "two.xml")));
  EXPECT_EQ(Playlist().size(), 2u);
  EXPECT_EQ(Main().GetCurrentIndex(), 1);
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(std::u16string(Main().Title()), u"c.mov - Dunsellow Playvane");
  EXPECT_EQ(Text("view_title_mac"), u"c.mov - Dunsellow Playvane");
  EXPECT_FALSE(Main().IsMinimized());
  EXPECT_TRUE(Main().IsWindowVisible());
}
