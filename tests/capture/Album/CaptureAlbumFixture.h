#pragma once
// The capture album in the main program, in this process, with the real
// capture module, fed with files the test makes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>
#include "CaptureModuleFixture.h"
#include "SqliteCli.h"
#include "TestEnvironment.h"
#include "ThumbData.h"
#include "img/ImageFile.h"
#include "os/CommandLineClient.h"
#include "os/Reveal.h"
#include "qel/QelAlbum.h"
#include "qel/QelElementLayers.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

// The capture album in the running program, fed with files made here.
class CaptureAlbum : public CaptureModuleTest {
 protected:
  void SetUp() override {
    CaptureModuleTest::SetUp();
    plat::SetSpawnFunction([this](const std::vector<std::string>& argv, const std::vector<std::string>&) {
      spawned_.push_back(argv);
      return true;
    });
  }
  void TearDown() override {
    CaptureModuleTest::TearDown();
    plat::SetSpawnFunction(nullptr);
  }

  fs::path Folder() const { return MediaFolder() / "Capture"; }
  // A photo or movie whose time lies `age` seconds in the past.
  fs::path Photo(const std::string& name, int age, uint8_t grey = 128) {
    fs::create_directories(Folder());
    fs::path f = Folder() / name;
    EXPECT_EQ(img::SaveJpeg(img::Bitmap::Filled(320, 240, grey), f.string(), {}), img::Status::kOk);
    Age(f, age);
    return f;
  }
  fs::path Movie(const std::string& name, int age) {
    fs::create_directories(Folder());
    fs::path f = Folder() / name;
    std::string make = "ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=10 -t 1 -c:v mjpeg "
                       "-pix_fmt yuvj420p '" + f.string() + "'";
    EXPECT_EQ(std::system(make.c_str()), 0);
    Age(f, age);
    return f;
  }
  // The album goes by the latest of a file's dates, which on Linux is the
  // inode's change time: each new file is made later than the one before.
  void Age(const fs::path& f, int age) {
    fs::last_write_time(f, fs::file_time_type::clock::now() - std::chrono::seconds(age));
    struct stat st {};
    for (int i = 0; i < 100000; ++i) {
      ::chmod(f.c_str(), 0644);
      if (::stat(f.c_str(), &st) != 0 || last_.tv_sec < st.st_ctim.tv_sec ||
          (last_.tv_sec == st.st_ctim.tv_sec && last_.tv_nsec < st.st_ctim.tv_nsec)) {
        break;
      }
    }
    last_ = st.st_ctim;
  }
  struct timespec last_ {};

  void Open() {
    Start();
    LaunchCapture();
  }
  // The album shown now.
  qel::Album* Shown() {
    qel::Element* left = Find("cata_Left");
    if (!left) return nullptr;
    for (qel::Element* e : left->Children()) {
      if (e->Kind() == qel::kAlbumClass && e->Visible()) return static_cast<qel::Album*>(e);
    }
    return nullptr;
  }
  std::vector<std::string> Names(qel::Album* album) {
    std::vector<std::string> out;
    for (int32_t i = 0; album && i < album->Count(); ++i) {
      auto* r = static_cast<_THUMBDATA*>(album->Data(i));
      out.push_back(r ? fs::path(QelToUTF8(r->path)).filename().string() : "?");
    }
    return out;
  }
  // Until every shown item has its thumbnail (the worker posts them).
  bool ThumbnailsShown(qel::Album* album) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      Pump();
      bool all = album != nullptr;
      for (int32_t i = 0; album && i < album->Count(); ++i) {
        qel::Element* panel = album->ItemPanel(i);
        if (!panel) continue;
        qel::Element* image = panel->FindByName("view_ThumbImage", true);
        qel::ElementLayers* layers = image ? image->Layers(false) : nullptr;
        all = all && layers && layers->Layer()->Surface();
      }
      if (all) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  void SelectOnly(qel::Album* album, int32_t index) {
    album->Select(index, true, true);
    album->SetCurrent(index);
    Pump();
  }
  std::string Sql(const std::string& sql) {
    testsql::Result r = testsql::Run(Folder() / "ZylORVThumb.db", sql);
    EXPECT_TRUE(r.ok) << r.err;
    return r.out;
  }

  // The button's click, as the panel binds it (the tools follow the selection).
  bool Press(const char* name) {
    qel::Element* e = Find(name);
    if (!e) return false;
    qel::input::FireEvent(e, QEL_EV_CLICK, 0);
    Pump();
    return true;
  }

  std::vector<std::vector<std::string>> spawned_;
};
