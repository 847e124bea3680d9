#include <gtest/gtest.h>

#include <glib.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "AssetListFile.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

// Python's own XML parser reads the files (one interpreter for all): per
// file, the root's tag, then one line per child with its tag and text
// (UTF-8) and "+attributes" when it has any.
std::vector<std::vector<std::string>> ReadWithPython(const std::vector<std::string>& paths) {
  const char* script =
      "import sys, xml.etree.ElementTree as ET\n"
      "for path in sys.argv[1:]:\n"
      "    root = ET.parse(path).getroot()\n"
      "    out = [root.tag]\n"
      "    for c in root:\n"
      "        out.append(c.tag + '=' + (c.text or '') + ('+attributes' if c.attrib else ''))\n"
      "    sys.stdout.buffer.write(('\\n'.join(out) + '\\n\\n').encode('utf-8'))\n";
  std::vector<const char*> argv = {"python3", "-c", script};
  for (const auto& p : paths) argv.push_back(p.c_str());
  argv.push_back(nullptr);
  gchar* out = nullptr;
  gint status = 0;
  bool ran = g_spawn_sync(nullptr, const_cast<char**>(argv.data()), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                          nullptr, &out, nullptr, &status, nullptr);
  std::vector<std::vector<std::string>> files;
  if (ran && g_spawn_check_wait_status(status, nullptr) && out) {
    std::vector<std::string> lines;
    std::string all(out), line;
    for (char ch : all) {
      if (ch != '\n') {
        line += ch;
      } else if (!line.empty()) {
        lines.push_back(line);
        line.clear();
      } else {
        files.push_back(lines);
        lines.clear();
      }
    }
  }
  g_free(out);
  return files;
}

std::string U8(const CQelStringW& s) { return s.ToUTF8(); }

}  // namespace

TEST(AssetListFile, AnIndependentParserReadsTheListBack) {
  struct Case {
    const char* what;
    std::vector<std::u16string> files;
    std::u16string first;
  } cases[] = {
      {"empty list", {}, u"/m/a.jpg"},
      {"order and duplicates kept", {u"/m/b.jpg", u"/m/a.jpg", u"/m/b.jpg"}, u"/m/a.jpg"},
      {"XML characters", {u"/m/R&D <draft> \"q\" 'a'.jpg"}, u"/m/R&D <draft> \"q\" 'a'.jpg"},
      {"entity-like text", {u"/m/&amp;&lt;.jpg"}, u"/m/&amp;&lt;.jpg"},
      {"non-ASCII", {u"/m/\u00dcberraschung \u2603 \U0001F4F7.jpg"}, u"/m/x.mov"},
  };
  std::vector<std::string> paths;
  std::vector<std::vector<std::string>> expected;
  for (const Case& c : cases) {
    std::vector<CQelStringW> files;
    for (const auto& f : c.files) files.emplace_back(f.c_str());
    CQelStringW path = ORVGF::CreateXMLFile(files, CQelStringW(c.first.c_str()));
    ASSERT_FALSE(path.IsEmpty()) << c.what;
    paths.push_back(U8(path));
    expected.push_back({"SelectedAssetList", "FirstFile=" + QelToUTF8(c.first)});
    for (const auto& f : c.files) expected.back().push_back("FilePath=" + QelToUTF8(f));
    std::string text = testenv::ReadFile(U8(path));
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u) << c.what;
  }
  EXPECT_EQ(ReadWithPython(paths), expected);
}

TEST(AssetListFile, ListsArePrivateUniqueAndOutliveADayAtMost) {
  std::vector<CQelStringW> files{CQelStringW(u"/m/a.jpg")};
  CQelStringW a = ORVGF::CreateXMLFile(files, CQelStringW(u"/m/a.jpg"));
  CQelStringW b = ORVGF::CreateXMLFile(files, CQelStringW(u"/m/a.jpg"));
  ASSERT_FALSE(a.IsEmpty());
  ASSERT_FALSE(b.IsEmpty());
  EXPECT_FALSE(a == b);  // two hand-offs in one second never share a file
  fs::path folder = fs::path(U8(a)).parent_path();
  EXPECT_EQ(folder, fs::path(std::getenv("XDG_RUNTIME_DIR")) / "dunsellow" / "assets");
  std::regex name(R"(\d+l_\d+l(_\d+)?\.xml)");
  EXPECT_TRUE(std::regex_match(fs::path(U8(a)).filename().string(), name)) << U8(a);
  EXPECT_TRUE(std::regex_match(fs::path(U8(b)).filename().string(), name)) << U8(b);
  struct stat st;
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(U8(a).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);

  // A list from two days ago goes with the next hand-off; a fresh one stays.
  struct utimbuf old{std::time(nullptr) - 2 * 24 * 3600, std::time(nullptr) - 2 * 24 * 3600};
  ASSERT_EQ(::utime(U8(a).c_str(), &old), 0);
  CQelStringW c = ORVGF::CreateXMLFile(files, CQelStringW(u"/m/a.jpg"));
  EXPECT_FALSE(fs::exists(U8(a)));
  EXPECT_TRUE(fs::exists(U8(b)));
  EXPECT_TRUE(fs::exists(U8(c)));
}

TEST(AssetListFile, NoPathWhenTheListCannotBeWritten) {
  // The runtime folder is not ours to use: the list is refused, not put elsewhere.
  fs::path foreign = testenv::MakeTempDir("rt");
  fs::create_directory_symlink("/", foreign / "dunsellow");
  setenv("XDG_RUNTIME_DIR", foreign.c_str(), 1);
  std::vector<CQelStringW> files{CQelStringW(u"/m/a.jpg")};
  EXPECT_TRUE(ORVGF::CreateXMLFile(files, CQelStringW(u"/m/a.jpg")).IsEmpty());
}
