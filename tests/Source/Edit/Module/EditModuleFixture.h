#pragma once
// The main program in this process on the headless backend, with the staged
// bundle tree and its real edit module; photos and movies are written into
// the media folder by our own encoders, the plug-in's trace lines come from
// DUNSELLOW_TRACE and preferences are read back by Python's plistlib.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MyQelApp.h"
#include "os/ProcessTable.h"
#include "qel/QelAlbum.h"
#include "qel/QelElement.h"

class EditModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The programs and bundles the album hands files to.
  enum Helper : unsigned { kViewer = 1, kPlayer = 2 };
  // Points the program at a private copy of the staged main bundle (links
  // to its parts) that holds only the helpers asked for, each a stand-in
  // program; what the album starts is recorded instead of run.
  void UseBundleTree(unsigned helpers);
  // argv of every program the album started.
  const std::vector<std::vector<std::string>>& Spawned() const { return spawned_; }

  void Start();
  void Pump();
  int32_t Command(const std::u16string& text);
  // "-Edit/Open": launches the edit module embedded.
  void LaunchEdit();

  CMyMainFrame& Frame() { return *theApp.GetMainFrame(); }
  qel::Element* Find(const char* name);
  bool Shown(const char* name);
  bool Enabled(const char* name);
  // The album the combo box shows, its file names in order, and the name of
  // its current item.
  qel::Album* Album();
  std::vector<std::string> AlbumNames();
  std::string Current();
  // Pumps until every shown item of the album has its thumbnail (or the
  // placeholder of one that cannot be made); false after a generous wait.
  bool WaitForThumbnails();
  // Pointer input at the centre of item `index` of the shown album.
  bool PressItem(int32_t index, int button = 1, qel::PointerInput::Kind kind = qel::PointerInput::kDown);

  std::filesystem::path MediaFolder() const;  // ".../Document Camera Media/Capture"
  // Files of the media folder, each dated after the one written before: a
  // JPEG of one colour (B, G, R), a two-second movie (grey frames, 10 a
  // second) with sound, any bytes.
  std::filesystem::path MakePhoto(const std::string& name, uint8_t blue, uint8_t green, uint8_t red,
                                  int width = 160, int height = 120);
  std::filesystem::path MakeMovie(const std::string& name);
  std::filesystem::path MakeFile(const std::string& name, const std::string& bytes);
  std::vector<std::string> Trace(const std::string& prefix = {}) const;
  std::string Preference(const std::string& key) const;
  // The files in the user's Trash.
  std::vector<std::string> Trashed() const;

  std::filesystem::path trace_;
  std::vector<std::vector<std::string>> spawned_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

// Runs a shell command and answers its output without the last line break.
std::string RunCommand(const std::string& command);
