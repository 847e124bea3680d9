#include "EditModuleFixture.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "TestEnvironment.h"
#include "ThumbData.h"
#include "img/Bitmap.h"
#include "img/ImageFile.h"
#include "media/MovieWriter.h"
#include "os/CommandLineClient.h"
#include "qel/QelHeadless.h"
#include "qel/QelElementLayers.h"
#include "qel/QelInput.h"
#include "MediaTools.h"

namespace fs = std::filesystem;

std::string RunCommand(const std::string& command) { return mediatools::RunLine(command); }

namespace {

// The file system's clock moves in ticks of a few milliseconds: files
// written within one tick have the same dates. Waits until a new file gets a
// later date than `path`, so that files written one after the other order
// as written.
void WaitForNextTick(const fs::path& path) {
  struct stat written {};
  if (::stat(path.c_str(), &written) != 0) return;
  const fs::path probe = path.parent_path().parent_path() / ".tick";
  for (int i = 0; i < 100000; ++i) {
    testenv::WriteFile(probe, "t");
    struct stat now {};
    ::stat(probe.c_str(), &now);
    if (now.st_ctim.tv_sec != written.st_ctim.tv_sec || now.st_ctim.tv_nsec != written.st_ctim.tv_nsec) break;
  }
  fs::remove(probe);
}

}  // namespace

void EditModuleTest::SetUp() {
  qel::headless::ClearModalAnswers();
  trace_ = testenv::MakeTempDir("trace") / "trace.log";
  ::setenv("DUNSELLOW_TRACE", trace_.c_str(), 1);
  ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
  fs::create_directories(MediaFolder());
}

void EditModuleTest::TearDown() {
  // Edits a test left open are dropped when the program ends.
  qel::headless::ClearModalAnswers();
  qel::headless::AnswerNextModal("butn_No");
  if (started_) theApp.ExitInstance();
  plat::SetSpawnFunction(nullptr);
  qel::headless::ClearModalAnswers();
  ::unsetenv("DUNSELLOW_TRACE");
}

void EditModuleTest::UseBundleTree(unsigned helpers) {
  const fs::path real = testenv::StageDir() / "Dunsellow.app" / "Contents";
  const fs::path root = testenv::MakeTempDir("bundle") / "Dunsellow.app";
  const fs::path contents = root / "Contents";
  fs::create_directories(contents);
  for (const auto& entry : fs::directory_iterator(real)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0) continue;
    // The e-mail and print bundles have tests of their own; here they are missing.
    if (name == "ZylEmail.bundle" || name == "Printwell.bundle") continue;
    fs::create_directory_symlink(entry.path(), contents / name);
  }
  auto standIn = [&](const char* name, const char* identifier) {
    const fs::path app = contents / name / "Contents";
    fs::create_directories(app / "MacOS");
    testenv::WriteFile(app / "Info.plist",
                       std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                   "<key>CFBundleIdentifier</key><string>") +
                           identifier + "</string><key>CFBundleExecutable</key><string>stand-in</string>"
                                        "</dict></plist>\n");
    testenv::WriteFile(app / "MacOS" / "stand-in", "#!/bin/sh\nexit 0\n");
    fs::permissions(app / "MacOS" / "stand-in", fs::perms::owner_all);
  };
  if (helpers & kViewer) standIn("Dunsellow Vistrel.app", "com.talvexa.VistrelExe");
  if (helpers & kPlayer) standIn("Dunsellow Playvane.app", "com.Talvexa.PlayvaneEXE");
  ::setenv("DUNSELLOW_BUNDLE", root.c_str(), 1);
  plat::SetSpawnFunction([this](const std::vector<std::string>& argv, const std::vector<std::string>&) {
    spawned_.push_back(argv);
    return true;
  });
}

void EditModuleTest::Start() {
  ASSERT_EQ(theApp.InitInstance(), 1);
  started_ = true;
  Frame().SetProcessTable(&processes_);
  Pump();
}

void EditModuleTest::Pump() { qel::headless::PumpUntilIdle(); }

int32_t EditModuleTest::Command(const std::u16string& text) {
  theApp.SetMacCommandLine(text.c_str());
  int32_t result = Frame().GetCommand();
  Pump();
  return result;
}

void EditModuleTest::LaunchEdit() {
  Command(u"-Edit/Open");
  ASSERT_FALSE(Trace("edit panel ready").empty()) << "the edit module did not start";
}

qel::Element* EditModuleTest::Find(const char* name) {
  return Frame().Root() ? Frame().Root()->FindByName(name, true) : nullptr;
}

bool EditModuleTest::Shown(const char* name) {
  qel::Element* e = Find(name);
  return e && e->EffectivelyVisible();
}

bool EditModuleTest::Enabled(const char* name) {
  qel::Element* e = Find(name);
  return e && e->EffectivelyEnabled();
}

qel::Album* EditModuleTest::Album() {
  for (const char* name : {"albumtable", "albumtable1", "albumtable2"}) {
    auto* album = dynamic_cast<qel::Album*>(Find(name));
    if (album && album->Visible()) return album;
  }
  return nullptr;
}

std::vector<std::string> EditModuleTest::AlbumNames() {
  std::vector<std::string> names;
  qel::Album* album = Album();
  if (!album) return names;
  for (int32_t i = 0; i < album->Count(); ++i) {
    const auto* record = static_cast<const _THUMBDATA*>(album->Data(i));
    names.push_back(record ? fs::path(qel::ToU8(record->path)).filename().string() : "?");
  }
  return names;
}

std::string EditModuleTest::Current() {
  qel::Album* album = Album();
  if (!album || album->Current() < 0) return {};
  std::vector<std::string> names = AlbumNames();
  return names[size_t(album->Current())];
}

bool EditModuleTest::WaitForThumbnails() {
  for (int round = 0; round < 3000; ++round) {
    Pump();
    qel::Album* album = Album();
    if (!album) return false;
    bool done = true;
    for (int32_t i = 0; i < album->Count() && done; ++i) {
      qel::Element* item = album->ItemPanel(i);
      if (!item) continue;
      qel::Element* view = item->FindByName("view_ThumbImage", true);
      qel::ElementLayers* layers = view ? view->Layers(false) : nullptr;
      qel::Element* missing = item->FindByName("view_ThumbMissing", true);
      done = view && ((layers && layers->Layer()->Surface()) || (missing && missing->Visible()));
    }
    if (done) return true;
    ::usleep(10000);  // the thumbnail thread works meanwhile
  }
  return false;
}

bool EditModuleTest::PressItem(int32_t index, int button, qel::PointerInput::Kind kind) {
  qel::Album* album = Album();
  if (!album) return false;
  album->ScrollToItem(index);
  album->SyncNow();
  qel::Element* item = album->ItemPanel(index);
  if (!item) return false;
  SRect32 r = item->Bounds();
  qel::PointerInput in;
  in.kind = kind;
  in.button = button;
  in.at = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};

  qel::input::Pointer(&Frame(), in);
  if (kind == qel::PointerInput::kDown) {
    in.kind = qel::PointerInput::kUp;
    qel::input::Pointer(&Frame(), in);
  }
  Pump();
  return true;
}

fs::path EditModuleTest::MediaFolder() const {
  return fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";
}

fs::path EditModuleTest::MakePhoto(const std::string& name, uint8_t blue, uint8_t green, uint8_t red, int width,
                                   int height) {
  img::Bitmap bitmap = img::Bitmap::Create(width, height);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap.mutable_row(y);
    for (int32_t x = 0; x < width; ++x) {
      row[3 * x] = blue;
      row[3 * x + 1] = green;
      row[3 * x + 2] = red;
    }
  }
  fs::path path = MediaFolder() / name;
  EXPECT_TRUE(img::SaveJpeg(bitmap, path.string(), img::JpegOptions{}) == img::Status::kOk) << path;
  WaitForNextTick(path);
  return path;
}

fs::path EditModuleTest::MakeMovie(const std::string& name) {
  fs::path path = MediaFolder() / name;
  media::MovieWriterSettings s;
  s.path = path.string();
  s.size = {64, 48};
  s.fps = 10;
  s.videoType = media::FourCC('p', 'n', 'g', ' ');
  s.sound = true;
  s.soundInput = {44100, 2, 16};
  media::MovieWriter writer;
  EXPECT_EQ(writer.Open(s), 0);
  std::vector<uint8_t> argb(64 * 48 * 4, 128);
  for (int n = 0; n < 20; ++n) EXPECT_EQ(writer.WriteVideo(argb.data(), 64, 48, 64 * 4), 0);
  std::vector<uint8_t> silence(176400 * 2);
  EXPECT_EQ(writer.WriteSound(silence.data(), silence.size()), 0);
  EXPECT_EQ(writer.Finish(), 0);
  WaitForNextTick(path);
  return path;
}

std::vector<std::string> EditModuleTest::Trace(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::ifstream in(trace_);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

std::string EditModuleTest::Preference(const std::string& key) const {
  fs::path plist = fs::path(std::getenv("XDG_CONFIG_HOME")) / "dunsellow" / "com.Talvexa.Orvenna.plist";
  if (!fs::exists(plist)) return "null";
  return RunCommand("/usr/bin/python3 -I -c 'import json,plistlib,sys; d=plistlib.load(open(sys.argv[1],\"rb\")); "
                    "print(json.dumps(d.get(sys.argv[2])))' '" + plist.string() + "' '" + key + "'");
}

std::vector<std::string> EditModuleTest::Trashed() const {
  std::vector<std::string> names;
  fs::path files = fs::path(std::getenv("XDG_DATA_HOME")) / "Trash" / "files";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(files, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

fs::path EditModuleTest::MakeFile(const std::string& name, const std::string& bytes) {
  fs::path path = MediaFolder() / name;
  testenv::WriteFile(path, bytes);
  WaitForNextTick(path);
  return path;
}
