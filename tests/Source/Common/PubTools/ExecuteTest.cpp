#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ORVPubTools.h"
#include "TestEnvironment.h"
#include "os/CommandLineClient.h"
#include "os/UserFolders.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeBundle(const std::string& name, const std::string& id) {
  fs::path bundle = testenv::MakeTempDir("apps") / (name + ".app");
  testenv::WriteFile(bundle / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>" + id + "</string>\n"
                     "<key>CFBundleExecutable</key><string>" + name + "</string>\n</dict></plist>\n");
  testenv::WriteFile(bundle / "Contents" / "MacOS" / name, "#!/bin/sh\n");
  return bundle;
}

class ExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetSpawnFunction([this](const std::vector<std::string>& argv, const std::vector<std::string>&) {
      spawned_.push_back(argv);
      return true;
    });
    bundle_ = MakeBundle("Dunsellow Vistrel", "com.example.vistrel");
  }
  void TearDown() override { plat::SetSpawnFunction(nullptr); }

  std::u16string Line(const std::u16string& argumentPart) {
    return u"\"" + QelFromUTF8(bundle_.string()) + u"\"" + argumentPart;
  }

  fs::path bundle_;
  std::vector<std::vector<std::string>> spawned_;
};

}  // namespace

TEST_F(ExecuteTest, StartsTheProgramWithTheArgumentText) {
  ASSERT_EQ(CORVPubTools::Execute(nullptr, Line(u" -AssetFilePath \"/t/a b.xml\" -MBStatus \"\"").c_str()), 1);
  ASSERT_EQ(spawned_.size(), 1u);
  EXPECT_EQ(spawned_[0][0], (bundle_ / "Contents/MacOS/Dunsellow Vistrel").string());
  EXPECT_EQ(spawned_[0][1], "--cmdl=-AssetFilePath \"/t/a b.xml\" -MBStatus \"\"");

  // Only the quoted program: an empty argument text.
  ASSERT_EQ(CORVPubTools::Execute(nullptr, Line(u"").c_str()), 1);
  ASSERT_EQ(spawned_.size(), 2u);
  EXPECT_EQ(spawned_[1][1], "--cmdl=");

  // The longest argument the receivers keep.
  ASSERT_EQ(CORVPubTools::Execute(nullptr, Line(u" " + std::u16string(1023, u'x')).c_str()), 1);
  EXPECT_EQ(spawned_.size(), 3u);
}

TEST_F(ExecuteTest, RefusesMalformedAndOverlongCommandLines) {
  const std::u16string refused[] = {
      u"",
      u"no quote",
      QelFromUTF8(bundle_.string()),
      u"\"" + QelFromUTF8(bundle_.string()) + u" -x",  // never closed
      u"\"\" -x",
      Line(u" " + std::u16string(1024, u'x')),  // would be cut by the receiver
      u"\"/no/such/Program.app\" -x",
      u"\"" + std::u16string(1024, u'p') + u"\" -x",
  };
  for (const auto& line : refused) EXPECT_EQ(CORVPubTools::Execute(nullptr, line.c_str()), 0) << QelToUTF8(line).substr(0, 60);
  EXPECT_EQ(CORVPubTools::Execute(nullptr, static_cast<const WCHAR*>(nullptr)), 0);
  EXPECT_TRUE(spawned_.empty());
}

TEST_F(ExecuteTest, DocumentsBecomeQuotedPaths) {
  fs::path dir = testenv::MakeTempDir("docs");
  testenv::WriteFile(dir / "a.jpg", "");
  testenv::WriteFile(dir / "b c.jpg", "");
  std::list<CQelStringW> docs{CQelStringW(QelFromUTF8((dir / "a.jpg").string()).c_str()),
                              CQelStringW(QelFromUTF8((dir / "missing.jpg").string()).c_str()),
                              CQelStringW(QelFromUTF8((dir / "b c.jpg").string()).c_str())};
  ASSERT_EQ(CORVPubTools::Execute(QelFromUTF8(bundle_.string()).c_str(), docs), 1);
  ASSERT_EQ(spawned_.size(), 1u);
  EXPECT_EQ(spawned_[0][1], "--cmdl=\"" + (dir / "a.jpg").string() + "\" \"" + (dir / "b c.jpg").string() + "\"");
  EXPECT_EQ(CORVPubTools::Execute(u"/no/such.app", docs), 0);
}

// A running instance gets the frame with the text's own length, not a
// fixed block.
TEST_F(ExecuteTest, RunningInstanceReceivesTheExactText) {
  std::string folder = plat::RuntimeFolder();
  ASSERT_FALSE(folder.empty());
  fs::path socket = fs::path(folder) / "com.example.vistrel.cmdl";
  fs::path out = testenv::MakeTempDir("frame") / "frame.txt";
  fs::path script = out.parent_path() / "listen.py";
  testenv::WriteFile(script, R"(
import os, socket, struct, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
# Listening before the socket appears under its name, so a sender never
# finds it bound but refusing.
s.bind(sys.argv[1] + '.tmp'); s.listen(1); s.settimeout(20)
os.rename(sys.argv[1] + '.tmp', sys.argv[1])
c, _ = s.accept()
def take(n):
    b = b''
    while len(b) < n: b += c.recv(n - len(b))
    return b
magic, n = struct.unpack('<4sI', take(8))
text = take(n).decode('utf-16-le')
c.sendall(struct.pack('<i', 0)); c.close()
open(sys.argv[2] + '.tmp', 'w', encoding='utf-8').write('%s %d %s' % (magic.decode(), n, text))
os.rename(sys.argv[2] + '.tmp', sys.argv[2])
)");
  std::string cmd = "/usr/bin/python3 -I '" + script.string() + "' '" + socket.string() + "' '" + out.string() + "' &";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  for (int i = 0; i < 200 && !fs::exists(socket); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ASSERT_TRUE(fs::exists(socket));

  ASSERT_EQ(CORVPubTools::Execute(nullptr, Line(u" -Capture/Zoomin \u00e9").c_str()), 1);
  for (int i = 0; i < 200 && !fs::exists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  // 17 units and the terminator, two bytes each.
  EXPECT_EQ(testenv::ReadFile(out), std::string("CMDL 36 -Capture/Zoomin \xc3\xa9") + '\0');
  EXPECT_TRUE(spawned_.empty());
}
