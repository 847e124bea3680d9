#include "PlayerFixture.h"

#include <cstdlib>
#include <memory>

#include "LoopWait.h"
#include "MediaTools.h"
#include "TestEnvironment.h"
#include "os/AppleEvents.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"

namespace playertest {

void PlayerFixture::SetUp() {
  theApp.SetBundleContents((testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Playvane.app/Contents").string());
  folder_ = testenv::MakeTempDir("movies");
  qel::headless::UseManualClock(true);
  auto power = std::make_unique<plat::FakePowerSource>();
  power_ = power.get();
  plat::UsePowerSource(std::move(power));
}

void PlayerFixture::TearDown() {
  qel::headless::ClearModalAnswers();
  if (started_) theApp.ExitInstance();
  qel::headless::UseManualClock(false);
}

bool PlayerFixture::Start() {
  started_ = theApp.InitInstance() != 0;
  return started_;
}

fs::path PlayerFixture::Clip(const std::string& name, const ClipSpec& spec) {
  fs::path out = folder_ / name;
  if (fs::exists(out)) return out;
  char size[32];
  std::snprintf(size, sizeof size, "%dx%d", spec.width, spec.height);
  const std::string seconds = std::to_string(spec.seconds);
  std::string command = "ffmpeg -v error -y";
  if (spec.picture)
    command += " -f lavfi -i testsrc2=size=" + std::string(size) + ":rate=" + std::to_string(spec.rate) +
               ":duration=" + seconds;
  if (spec.sound) command += " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + seconds;
  if (spec.picture) command += " -c:v mjpeg -q:v 5 -pix_fmt yuvj420p";
  if (spec.sound) command += " -c:a pcm_s16le";
  command += " " + mediatools::Quote(out) + " 2>&1";
  int status = 0;
  std::string log = mediatools::Run(command, &status);
  EXPECT_EQ(status, 0) << log;
  return out;
}

fs::path PlayerFixture::AssetList(const std::vector<std::string>& files, const std::string& first,
                                  const std::string& name) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SelectedAssetList>\n";
  if (!first.empty()) xml += "  <FirstFile>" + first + "</FirstFile>\n";
  for (const std::string& f : files) xml += "  <FilePath>" + f + "</FilePath>\n";
  xml += "</SelectedAssetList>\n";
  testenv::WriteFile(folder_ / name, xml);
  return folder_ / name;
}

std::u16string PlayerFixture::Command(const fs::path& list) {
  return u"-AssetFilePath \"" + QelFromUTF8(list.string()) + u"\" -MBStatus \"\"";
}

void PlayerFixture::Send(const std::u16string& text) { plat::AEDispatch(plat::MakeCommandLineEvent(text)); }

void PlayerFixture::Tick() { qel::headless::Advance(200); }

bool PlayerFixture::Until(const std::function<bool()>& done, unsigned seconds) {
  return testloop::PumpUntil(done, seconds);
}

qel::Element* PlayerFixture::E(const char* name) { return qel::Element::From(Main().GetElementByName(name, 1)); }

std::u16string PlayerFixture::Text(const char* name) {
  qel::Element* e = E(name);
  return e ? e->Text() : u"";
}

std::vector<std::u16string> PlayerFixture::Playlist() {
  std::vector<std::u16string> out;
  for (const tag_FILE_INFO* info : Main().GetPlayList()) out.push_back(info->szFilePath);
  return out;
}

}  // namespace playertest
