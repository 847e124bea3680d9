#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "App.h"
#include "CmdLineProcessor.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

std::u16string W(const fs::path& p) { return QelFromUTF8(p.string()); }

struct Outcome {
  int result = -1;
  int fromNuvo = -1;
  int index = -1;
  std::vector<std::u16string> paths;
};

class CmdLineProcessorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("cmdl");
    g_pApp->ClearFileList();
  }
  void TearDown() override { g_pApp->ClearFileList(); }

  // Processes `text` as the main window does: outputs preset to 1 and 0.
  Outcome Run(const std::u16string& text) {
    Outcome o;
    o.fromNuvo = 1;
    o.index = 0;
    CCmdLineProcessor::SetCommandLine(text.c_str());
    o.result = CCmdLineProcessor::ProcessCommandLine(o.fromNuvo, o.index, 1);
    CCmdLineProcessor::SetCommandLine(nullptr);
    for (tag_FILE_INFO* info : *g_pApp->GetFilelist()) o.paths.push_back(info->szFilePath);
    return o;
  }
  std::u16string Picture(const std::string& name) {
    testenv::WriteFile(dir_ / name, "not decoded here");
    return W(dir_ / name);
  }
  std::u16string AssetList(const std::string& body, const std::string& name = "list.xml") {
    testenv::WriteFile(dir_ / name, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
    return W(dir_ / name);
  }
  static std::u16string AssetCommand(const std::u16string& list) {
    return u"\"/apps/Dunsellow Vistrel.app\" -AssetFilePath \"" + list + u"\" -MBStatus \"\"";
  }
  // Leaves a list of one picture behind, to see whether a command keeps it.
  void SeedList() {
    g_pApp->GetFilelist()->push_back(CCmdLineProcessor::NewFileInfo(u"/seed/old.jpg"));
  }

  fs::path dir_;
};

}  // namespace

TEST_F(CmdLineProcessorTest, NothingSetProcessesNothing) {
  int fromNuvo = 7, index = 9;
  CCmdLineProcessor::SetCommandLine(nullptr);
  EXPECT_EQ(CCmdLineProcessor::ProcessCommandLine(fromNuvo, index, 1), 0);
  EXPECT_EQ(fromNuvo, 7);
  EXPECT_EQ(index, 9);
  EXPECT_EQ(CCmdLineProcessor::IsCmdlineProcessed(), 1);
  EXPECT_EQ(CCmdLineProcessor::IsInitShowFullScreen(), 0);
}

TEST_F(CmdLineProcessorTest, AssetListGivesPicturesInOrderAndTheFirstFileIndex) {
  std::u16string a = W(dir_ / "a.jpg"), b = W(dir_ / "b.txt"), c = W(dir_ / "C.PNG"), d = W(dir_ / "d.bmp"),
                 e = W(dir_ / "e.jpeg");
  std::u16string list = AssetList("<SelectedAssetList>\n  <FirstFile>" + QelToUTF8(d) +
                                  "</FirstFile>\n"
                                  "  <FilePath>" + QelToUTF8(a) + "</FilePath>\n"
                                  "  <FilePath>" + QelToUTF8(b) + "</FilePath>\n"
                                  "  <FilePath LibFileID=\"12\">" + QelToUTF8(c) + "</FilePath>\n"
                                  "  <FilePath LibFileID=\"abc\">" + QelToUTF8(d) + "</FilePath>\n"
                                  "  <FilePath/>\n"
                                  "  <!-- a comment -->\n"
                                  "  <filepath>" + QelToUTF8(e) + "</filepath>\n"
                                  "</SelectedAssetList>\n");
  SeedList();
  Outcome o = Run(AssetCommand(list));
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.fromNuvo, 1);
  // The refused text file is not counted: d is the third picture.
  EXPECT_EQ(o.index, 2);
  EXPECT_EQ(o.paths, (std::vector<std::u16string>{a, c, d, e}));  // missing files stay listed

  const FileList& files = *g_pApp->GetFilelist();
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0]->dwLibID, 0u);
  EXPECT_EQ(files[0]->bInLibrary, 0);
  EXPECT_EQ(files[1]->dwLibID, 12u);
  EXPECT_EQ(files[1]->bInLibrary, 1);
  EXPECT_EQ(files[2]->dwLibID, 0u);  // "abc" reads as 0
  EXPECT_EQ(files[2]->bInLibrary, 0);
  EXPECT_EQ(files[3]->nFileType, 1);
  EXPECT_EQ(files[3]->nImageWidth, -1);
  EXPECT_EQ(files[3]->nImageWidth_org, -1);
}

TEST_F(CmdLineProcessorTest, AssetListFormsAndTheirOutcomes) {
  std::u16string p1 = Picture("one.jpg"), p2 = Picture("two.jpg");
  std::string s1 = QelToUTF8(p1), s2 = QelToUTF8(p2);
  std::u16string good = AssetList("<SelectedAssetList><FilePath>" + s1 + "</FilePath><FilePath>" + s2 +
                                      "</FilePath><FirstFile>" + s2 + "</FirstFile></SelectedAssetList>",
                                  "late-first.xml");
  std::u16string wrongRoot = AssetList("<AssetList><FilePath>" + s1 + "</FilePath></AssetList>", "root.xml");
  std::u16string refused = AssetList("<SelectedAssetList><FilePath>/x/a.mov</FilePath></SelectedAssetList>",
                                     "refused.xml");
  std::u16string broken = AssetList("<SelectedAssetList><FilePath>" + s1 + "</SelectedAssetList>", "broken.xml");
  std::u16string seed = u"/seed/old.jpg";

  struct Case {
    const char* what;
    std::u16string text;
    int result;
    int fromNuvo;  // -: untouched (1)
    int index;
    std::vector<std::u16string> paths;
  } cases[] = {
      // "FirstFile" counts only for the entries that follow it.
      {"first file after the paths", AssetCommand(good), 1, 1, 0, {p1, p2}},
      {"option without the program or -MBStatus", u"-AssetFilePath \"" + good + u"\"", 1, 1, 0, {p1, p2}},
      {"wrong root: an empty list", AssetCommand(wrongRoot), 1, 1, 0, {}},
      {"every picture refused: an empty list", AssetCommand(refused), 1, 1, 0, {}},
      // Nothing could be read: the shown list stays as it was.
      {"malformed XML", AssetCommand(broken), 0, 1, 0, {seed}},
      {"missing asset list", AssetCommand(W(dir_ / "none.xml")), 0, 1, 0, {seed}},
      {"option without quotes", u"-AssetFilePath " + good, 0, 1, 0, {seed}},
      // The option is a switch: inside a quoted path, or glued to other
      // letters, it is part of a name and the plain list is read.
      {"option inside a quoted path", u"\"/x/a -AssetFilePath.jpg\" \"/x/b.jpg\"", 1, 0, 0,
       {u"/x/a -AssetFilePath.jpg", u"/x/b.jpg"}},
      {"option glued to a word", u"x-AssetFilePath \"/x/c.jpg\"", 1, 0, 0, {u"/x/c.jpg"}},
      {"option after a quoted picture", u"\"/x/-AssetFilePath \" -AssetFilePath \"" + good + u"\"", 1, 1, 0, {p1, p2}},
  };
  for (const Case& c : cases) {
    g_pApp->ClearFileList();
    SeedList();
    Outcome o = Run(c.text);
    EXPECT_EQ(o.result, c.result) << c.what;
    EXPECT_EQ(o.fromNuvo, c.fromNuvo) << c.what;
    EXPECT_EQ(o.index, c.index) << c.what;
    EXPECT_EQ(o.paths, c.paths) << c.what;
  }
}

TEST_F(CmdLineProcessorTest, AssetListPathsKeepMarkupCharactersAndNonAsciiText) {
  fs::path odd = dir_ / "Caf\xc3\xa9 & <Tom's> \xe5\x86\x99.jpg";
  testenv::WriteFile(odd, "x");
  std::string escaped = QelToUTF8(W(odd));
  for (auto [from, to] : {std::pair<std::string, std::string>{"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}}) {
    for (size_t at = escaped.find(from); at != std::string::npos; at = escaped.find(from, at + to.size()))
      escaped.replace(at, from.size(), to);
  }
  std::u16string list = AssetList("<SelectedAssetList><FirstFile>" + escaped + "</FirstFile><FilePath>/x/a.jpg</FilePath>"
                                  "<FilePath>" + escaped + "</FilePath></SelectedAssetList>");
  Outcome o = Run(AssetCommand(list));
  ASSERT_EQ(o.result, 1);
  EXPECT_EQ(o.index, 1);
  EXPECT_EQ(o.paths, (std::vector<std::u16string>{u"/x/a.jpg", W(odd)}));
}

TEST_F(CmdLineProcessorTest, PlainListKeepsTheAcceptedPicturesInOrder) {
  SeedList();
  Outcome o = Run(u"\"/p/a.jpg\" \"/p/readme.txt\" junk \"/p/c.BMP\" \"/p/unclosed.jpg");
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.fromNuvo, 0);
  EXPECT_EQ(o.index, 0);
  EXPECT_EQ(o.paths, (std::vector<std::u16string>{u"/p/a.jpg", u"/p/c.BMP"}));

  // The same word in other letter case is no option: a plain list.
  o = Run(u"-assetfilepath \"/p/a.png\" \"/p/b.png\"");
  EXPECT_EQ(o.fromNuvo, 0);
  EXPECT_EQ(o.paths, (std::vector<std::u16string>{u"/p/a.png", u"/p/b.png"}));

  // Nothing accepted: the list and the outputs stay.
  for (std::u16string text : {u"", u"no quotes at all.jpg", u"\"/p/a.mov\" \"\"", u"\"/p/unclosed.jpg"}) {
    g_pApp->ClearFileList();
    SeedList();
    o = Run(text);
    EXPECT_EQ(o.result, 0) << QelToUTF8(text);
    EXPECT_EQ(o.fromNuvo, 1) << QelToUTF8(text);
    EXPECT_EQ(o.paths, std::vector<std::u16string>{u"/seed/old.jpg"}) << QelToUTF8(text);
  }
}

TEST_F(CmdLineProcessorTest, OnePlainPictureListsItsFolderSortedByName) {
  for (const char* name : {"b.jpg", "A.png", "a.jpg", "c.BMP", ".hidden.jpg", "notes.txt", "movie.mov", "Z.jpeg"})
    testenv::WriteFile(dir_ / name, "x");
  fs::create_directory(dir_ / "folder.jpg");
  std::u16string named = W(dir_ / "b.jpg");
  Outcome o = Run(u"\"" + named + u"\"");
  ASSERT_EQ(o.result, 1);
  EXPECT_EQ(o.fromNuvo, 0);
  std::vector<std::u16string> expected;
  for (const char* name : {"A.png", "Z.jpeg", "a.jpg", "b.jpg", "c.BMP"}) expected.push_back(W(dir_ / name));
  EXPECT_EQ(o.paths, expected);  // code-unit order: upper case first
  EXPECT_EQ(o.index, 3);

  // A hidden picture named on its own is shown among the others.
  o = Run(u"\"" + W(dir_ / ".hidden.jpg") + u"\"");
  ASSERT_EQ(o.paths.size(), 6u);
  EXPECT_EQ(o.paths[size_t(o.index)], W(dir_ / ".hidden.jpg"));

  // A picture that is not there is listed alone.
  std::u16string missing = W(dir_ / "gone.jpg");
  o = Run(u"\"" + missing + u"\"");
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.index, 0);
  EXPECT_EQ(o.paths, std::vector<std::u16string>{missing});
}

TEST_F(CmdLineProcessorTest, OverlongPathsAreSkippedNeverCut) {
  std::u16string longName(5000, u'x');
  SeedList();
  Outcome o = Run(u"\"/p/" + longName + u".jpg\" \"/p/ok.jpg\"");
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.paths, std::vector<std::u16string>{u"/p/ok.jpg"});
}

TEST_F(CmdLineProcessorTest, ArgumentsBecomeQuotedPathsAndOneHoldingAQuoteIsLeftOutWithAWord) {
  std::string a = "/p/a b.jpg", quoted = "/p/say \"cheese\".jpg", c = "/p/x-AssetFilePath.jpg";
  char* argv[] = {const_cast<char*>("viewer"), a.data(), quoted.data(), c.data()};
  testing::internal::CaptureStderr();
  std::optional<std::u16string> text = CCmdLineProcessor::FromArguments(4, argv);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, u"\"/p/a b.jpg\" \"/p/x-AssetFilePath.jpg\"");
  EXPECT_NE(said.find("say \"cheese\".jpg"), std::string::npos) << said;
  // Read back, both paths stay whole, and no asset list is looked for.
  Outcome o = Run(*text);
  EXPECT_EQ(o.fromNuvo, 0);
  EXPECT_EQ(o.paths, (std::vector<std::u16string>{u"/p/a b.jpg", u"/p/x-AssetFilePath.jpg"}));
}

TEST_F(CmdLineProcessorTest, AnAssetListThatIsAPipeIsRefusedWithoutWaiting) {
  // Nobody writes to the pipe: a reader that waited for a writer would hang.
  const fs::path fifo = dir_ / "list.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  SeedList();
  Outcome o = Run(AssetCommand(W(fifo)));
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.paths, std::vector<std::u16string>{u"/seed/old.jpg"});
}
