#include "os/Preferences.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
using plat::Preferences;
using plat::PlistValue;

fs::path DomainFile(const std::string& domain) {
  return fs::path(std::getenv("XDG_CONFIG_HOME")) / "dunsellow" / (domain + ".plist");
}

extern "C" char** environ;

// Starts the writer program (another process using the same domain).
pid_t StartWriter(const std::string& domain, const std::string& prefix, int count, const std::string& value = "") {
  std::vector<std::string> args{PREFS_WRITER, domain, prefix, std::to_string(count)};
  if (!value.empty()) args.push_back(value);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, PREFS_WRITER, nullptr, nullptr, argv.data(), environ), 0);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> Leftovers(const std::string& domain) {
  std::vector<std::string> out;
  for (auto& e : fs::directory_iterator(DomainFile(domain).parent_path())) {
    std::string name = e.path().filename().string();
    if (name.rfind(domain + ".plist.tmp-", 0) == 0) out.push_back(name);
  }
  return out;
}

// Reads the file with Python's plistlib and prints "key=repr" lines, sorted.
std::string ReadWithPython(const fs::path& file) {
  std::string cmd = "python3 -c 'import plistlib,sys\nd=plistlib.load(open(sys.argv[1],\"rb\"))\n"
                    "print(\";\".join(k+\"=\"+repr(d[k]) for k in sorted(d)))' '" + file.string() + "'";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  return out;
}

TEST(Preferences, WritesThroughReadableByPlistlib) {
  auto& prefs = Preferences::ForDomain(plat::kMainPreferencesDomain);
  EXPECT_EQ(prefs.GetInt("SelTab", 7), 7);
  ASSERT_TRUE(prefs.SetInt("SelTab", -5));
  ASSERT_TRUE(prefs.SetText("Media Folder", u"/home/u/Document Camera Media/\u00e9 & <x>"));
  ASSERT_TRUE(prefs.SetBool("TimeStapEnable", true));
  ASSERT_TRUE(prefs.Set("Blob", PlistValue::Data({1, 2, 3})));
  ASSERT_TRUE(prefs.Set("Scale", PlistValue::Real(1.5)));

  EXPECT_EQ(ReadWithPython(DomainFile(plat::kMainPreferencesDomain)),
            "Blob=b'\\x01\\x02\\x03';Media Folder='/home/u/Document Camera Media/\xC3\xA9 & <x>';"
            "Scale=1.5;SelTab=-5;TimeStapEnable=True\n");
  // No temporary file is left beside it.
  for (auto& e : fs::directory_iterator(DomainFile("x").parent_path()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();

  // Read back from the file, not the cache.
  prefs.Reload();
  EXPECT_EQ(prefs.GetInt("SelTab", 0), -5);
  EXPECT_EQ(prefs.GetText("Media Folder"), u"/home/u/Document Camera Media/\u00e9 & <x>");
  EXPECT_TRUE(prefs.GetBool("TimeStapEnable", false));
  EXPECT_TRUE(prefs.Remove("SelTab"));
  prefs.Reload();
  EXPECT_EQ(prefs.GetInt("SelTab", 3), 3);
}

TEST(Preferences, WrongTypesAndLongTextsFallBackWithoutLosingOtherKeys) {
  testenv::WriteFile(DomainFile("com.example.Typed"),
                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                     "<key>Int</key><string>12</string>"
                     "<key>Huge</key><integer>4294967296</integer>"
                     "<key>Text</key><integer>1</integer>"
                     "<key>Long</key><string>abcdef</string>"
                     "<key>Kept</key><string>yes</string>"
                     "<key>List</key><array><integer>1</integer><dict><key>a</key><true/></dict></array>"
                     "</dict></plist>");
  auto& prefs = Preferences::ForDomain("com.example.Typed");
  EXPECT_EQ(prefs.GetInt("Int", 9), 9);
  EXPECT_EQ(prefs.GetInt("Huge", 9), 9);
  EXPECT_EQ(prefs.GetText("Text"), std::nullopt);
  EXPECT_EQ(prefs.GetText("Long", 5), std::nullopt);  // too long for the caller: absent, not cut
  EXPECT_EQ(prefs.GetText("Long", 6), u"abcdef");
  ASSERT_TRUE(prefs.Get("List"));
  EXPECT_EQ(prefs.Get("List")->AsArray()->size(), 2u);
  ASSERT_TRUE(prefs.SetInt("Int", 12));
  prefs.Reload();
  EXPECT_EQ(prefs.GetText("Kept"), u"yes");
  EXPECT_EQ(prefs.GetInt("Int", 0), 12);
}

TEST(Preferences, CorruptFileIsKeptAsideBeforeFirstWrite) {
  const std::string junk = "<plist><dict><key>Half";
  testenv::WriteFile(DomainFile("com.example.Broken"), junk);
  auto& prefs = Preferences::ForDomain("com.example.Broken");
  EXPECT_EQ(prefs.GetInt("Any", 4), 4);
  // Reading alone leaves the file as it was.
  EXPECT_EQ(testenv::ReadFile(DomainFile("com.example.Broken")), junk);
  ASSERT_TRUE(prefs.SetInt("Any", 5));
  EXPECT_EQ(testenv::ReadFile(fs::path(DomainFile("com.example.Broken").string() + ".corrupt-1")), junk);
  prefs.Reload();
  EXPECT_EQ(prefs.GetInt("Any", 0), 5);
}

TEST(Preferences, MissingFileAndUnstorableValues) {
  auto& prefs = Preferences::ForDomain("com.example.Fresh");
  EXPECT_FALSE(fs::exists(prefs.path()));
  EXPECT_FALSE(prefs.GetText("Absent"));
  EXPECT_FALSE(prefs.SetText("Ctl", u"a\u0001b"));  // XML cannot carry it
  EXPECT_FALSE(prefs.SetText("Half", std::u16string(1, char16_t(0xD800))));
  EXPECT_FALSE(fs::exists(prefs.path()));
  EXPECT_TRUE(prefs.SetText("Ok", u""));
  EXPECT_EQ(prefs.GetText("Ok"), u"");
  EXPECT_FALSE(prefs.Get("Ctl"));
  // A domain that cannot name a file never writes outside the folder.
  EXPECT_FALSE(Preferences::ForDomain("../evil").SetInt("x", 1));
  EXPECT_EQ(&Preferences::ForDomain("com.example.Fresh"), &prefs);
}

TEST(Preferences, ProgramsWritingOneDomainKeepEachOthersKeys) {
  const std::string domain = "com.example.Shared";
  constexpr int kEach = 150;
  pid_t a = StartWriter(domain, "A", kEach);
  pid_t b = StartWriter(domain, "B", kEach);
  auto& prefs = Preferences::ForDomain(domain);
  for (int i = 0; i < kEach; ++i) ASSERT_TRUE(prefs.SetInt("C" + std::to_string(i), i));
  EXPECT_EQ(Wait(a), 0);
  EXPECT_EQ(Wait(b), 0);
  prefs.Reload();
  for (const char* p : {"A", "B", "C"}) {
    for (int i = 0; i < kEach; ++i) ASSERT_EQ(prefs.GetInt(p + std::to_string(i), -1), i) << p << i;
  }
  EXPECT_TRUE(Leftovers(domain).empty());
}

TEST(Preferences, ReadsSeeWhatAnotherProgramWrote) {
  const std::string domain = "com.example.Watched";
  auto& prefs = Preferences::ForDomain(domain);
  ASSERT_TRUE(prefs.SetInt("Seen0", 1));
  EXPECT_EQ(prefs.GetInt("Seen0", 0), 1);
  ASSERT_EQ(Wait(StartWriter(domain, "Seen", 1, "2")), 0);
  EXPECT_EQ(prefs.GetInt("Seen0", 0), 2);  // no Reload: the file changed
  ASSERT_EQ(Wait(StartWriter(domain, "Other", 1, "3")), 0);
  EXPECT_EQ(prefs.GetInt("Other0", 0), 3);
  // Our own next write keeps what the other program wrote.
  ASSERT_TRUE(prefs.SetInt("Mine", 4));
  EXPECT_EQ(ReadWithPython(DomainFile(domain)), "Mine=4;Other0=3;Seen0=2\n");
}

TEST(Preferences, TemporaryFilesOfADeadWriterAreSwept) {
  // What a writer killed between creating and renaming its file leaves.
  struct Case {
    const char* domain;
    bool write;  // swept by the next write; otherwise by the first read
  } cases[] = {{"com.example.Crashed", true}, {"com.example.CrashedRead", false}};
  for (const Case& c : cases) {
    fs::create_directories(DomainFile(c.domain).parent_path());
    testenv::WriteFile(DomainFile(c.domain), "<plist version=\"1.0\"><dict><key>Kept</key><integer>7</integer>"
                                             "</dict></plist>");
    for (const char* pid : {"1", "4194304", "99999"})
      testenv::WriteFile(DomainFile(c.domain).string() + ".tmp-" + pid, std::string(100000, 'x'));
    testenv::WriteFile(DomainFile("com.example.Other").string() + ".tmp-1", "not ours");
    auto& prefs = Preferences::ForDomain(c.domain);
    if (c.write) {
      ASSERT_TRUE(prefs.SetInt("New", 1));
    }
    EXPECT_EQ(prefs.GetInt("Kept", 0), 7) << c.domain;
    EXPECT_TRUE(Leftovers(c.domain).empty()) << c.domain;
    EXPECT_TRUE(fs::exists(DomainFile("com.example.Other").string() + ".tmp-1"));
  }
}

}  // namespace
