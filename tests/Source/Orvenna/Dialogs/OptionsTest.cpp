// The Options dialog opened from the menu: what it shows from the
// preferences, what OK stores and Cancel does not, the picture and media
// folder choosers, and the checks that refuse a folder with a message.
#include <filesystem>

#include "DialogFixture.h"
#include "MacMSG.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;
namespace hl = qel::headless;

int32_t ProfileInt(const char16_t* key, int32_t fallback = -99) { return LoadProfileInt(u"Option", key, fallback); }

std::u16string ProfileText(const char16_t* key) {
  WCHAR buffer[2048] = {};
  LoadProfileString(u"Option", key, u"", buffer, 2048);
  return buffer;
}

std::u16string Wide(const fs::path& p) { return QelFromUTF8(p.string()); }

TEST_F(DialogTest, OptionsShowWhatIsStoredAndOkStoresWhatIsShown) {
  struct Case {
    int32_t mode;
    const char* checked;
    bool pictureRow;
    int32_t storedMode;
  } cases[] = {{1, "rado_nobg", false, 1},
               {2, "rado_defaultbg", false, 2},
               {3, "rado_custombg", true, 3},
               {7, "rado_nobg", false, 1}};
  // Mode 3 keeps its picture only while the picture is there.
  fs::path me = testenv::MakeTempDir("me") / "me.jpg";
  fs::copy_file(testenv::SourceDir() / "Source/Orvenna/Resources/Skin/background.jpg", me);
  Start();
  for (const Case& c : cases) {
    SaveProfileInt(u"Option", u"Background Mode", c.mode);
    SaveProfileString(u"Option", u"Personal Photo", Wide(me).c_str());
    SaveProfileInt(u"Option", u"SelTab", 2);
    bool seen = false;
    Inside([&] {
      seen = true;
      for (const char* radio : {"rado_nobg", "rado_defaultbg", "rado_custombg"})
        EXPECT_EQ(Read(radio).check, std::string(radio) == c.checked ? 1 : 0) << c.mode << " " << radio;
      EXPECT_EQ(Read("vcata_folder").enabled, c.pictureRow) << c.mode;
      EXPECT_EQ(Read("cedt_path").text, Wide(me));
      EXPECT_EQ(Read("tabi_Advanced").check, 1);
      EXPECT_EQ(Read("tabi_Skins").check, 0);
      EXPECT_TRUE(Read("cata_Advanced").visible);
      EXPECT_FALSE(Read("cata_Skins").visible);
      EXPECT_TRUE(hl::Click(nullptr, "butn_OK"));
    });
    EXPECT_TRUE(Menu("opti"));
    EXPECT_TRUE(seen);
    EXPECT_EQ(ProfileInt(u"Background Mode"), c.storedMode) << c.mode;
    EXPECT_EQ(ProfileInt(u"SelTab"), 2);
  }
}

TEST_F(DialogTest, ChoicesAreStoredOnlyByOk) {
  SaveProfileInt(u"Option", u"Background Mode", 1);
  Start();
  ClearCalls();
  // Escape: nothing stored even after changes.
  Inside([&] {
    EXPECT_TRUE(hl::Click(nullptr, "rado_custombg"));
    EXPECT_TRUE(Read("vcata_folder").enabled) << "the picture row follows the radio";
    EXPECT_TRUE(hl::TypeText(nullptr, "cedt_path", u"/somewhere/else.jpg"));
    EXPECT_TRUE(hl::Click(nullptr, "tabi_Advanced"));
    EXPECT_TRUE(hl::PressKey(nullptr, QEL_KEY_ESCAPE));
  });
  Menu("opti");
  EXPECT_EQ(ProfileInt(u"Background Mode"), 1);
  EXPECT_EQ(ProfileText(u"Personal Photo"), u"");
  EXPECT_TRUE(Calls("PreTranslateMessage").empty()) << "no 2026 after Cancel";

  // Return: stored, and both tabs' state kept.
  Inside([&] {
    EXPECT_TRUE(hl::Click(nullptr, "rado_defaultbg"));
    EXPECT_FALSE(Read("vcata_folder").enabled);
    EXPECT_TRUE(hl::Click(nullptr, "tabi_Advanced"));
    EXPECT_TRUE(hl::PressKey(nullptr, QEL_KEY_RETURN));
  });
  Menu("opti");
  EXPECT_EQ(ProfileInt(u"Background Mode"), 2);
  EXPECT_EQ(ProfileInt(u"SelTab"), 2);
  EXPECT_TRUE(Shown("cata_mask")) << "the background is applied again after OK";
}

TEST_F(DialogTest, OkWithNeitherTabCheckedLeavesTheTabAsItWas) {
  SaveProfileInt(u"Option", u"SelTab", 9);
  Start();
  Inside([&] {
    EXPECT_EQ(Read("tabi_Skins").check, 0);
    EXPECT_EQ(Read("tabi_Advanced").check, 0);
    EXPECT_TRUE(Read("cata_Skins").visible);
    hl::Click(nullptr, "butn_OK");
  });
  Menu("opti");
  EXPECT_EQ(ProfileInt(u"SelTab"), 9);
}

TEST_F(DialogTest, PictureChooserStartsAtThePictureAndTakesTheFirstChoice) {
  fs::path pictures = testenv::MakeTempDir("pictures");
  testenv::WriteFile(pictures / "old.jpg", "x");
  testenv::WriteFile(pictures / "new.JPEG", "x");
  SaveProfileInt(u"Option", u"Background Mode", 3);
  SaveProfileString(u"Option", u"Personal Photo", Wide(pictures / "old.jpg").c_str());
  Start();
  Inside([&] {
    hl::CancelNextFileChooser();
    EXPECT_TRUE(hl::Click(nullptr, "butn_browse"));
    EXPECT_EQ(Read("cedt_path").text, Wide(pictures / "old.jpg")) << "cancelled: unchanged";
    hl::AnswerNextFileChooser({(pictures / "new.JPEG").string()});
    EXPECT_TRUE(hl::Click(nullptr, "butn_browse"));
    EXPECT_EQ(fs::path(QelToUTF8(Read("cedt_path").text)), fs::canonical(pictures / "new.JPEG"));
    hl::Click(nullptr, "butn_OK");
  });
  Menu("opti");
  std::vector<qel::FileChooserRequest> asked = hl::FileChooserRequests();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].action, qel::FileChooserRequest::kOpen);
  EXPECT_EQ(asked[0].folder, pictures.string());
  ASSERT_EQ(asked[0].filters.size(), 1u);
  EXPECT_EQ(asked[0].filters[0].extensions, (std::vector<std::string>{".JPG", ".JPEG"}));
  EXPECT_EQ(fs::path(QelToUTF8(ProfileText(u"Personal Photo"))), fs::canonical(pictures / "new.JPEG"));
}

TEST_F(DialogTest, MediaFolderChooserChecksTheFolderAndTellsWhyItRefuses) {
  struct Case {
    const char* what;
    int32_t drive;
    int64_t free;
    bool writable;
    const char16_t* reason;  // empty: accepted
  } cases[] = {
      {"a good folder", QEL_DRIVE_FIXED, int64_t(1) << 30, true, u""},
      {"a USB stick", QEL_DRIVE_REMOVABLE, int64_t(1) << 30, true, u"removable"},
      {"a network share", QEL_DRIVE_REMOTE, int64_t(1) << 30, true, u"network"},
      {"an unknown drive", QEL_DRIVE_NO_ROOT_DIR, int64_t(1) << 30, true, u"cannot be found"},
      {"5 MB free", QEL_DRIVE_FIXED, 5 * 1000 * 1000, true, u"less than 10 MB"},
      {"exactly 9,999,999 bytes free", QEL_DRIVE_FIXED, 9999999, true, u"less than 10 MB"},
      {"a read-only folder", QEL_DRIVE_FIXED, int64_t(1) << 30, false, u"cannot save files"},
  };
  fs::path chosen = testenv::MakeTempDir("media");
  fs::path current = testenv::MakeTempDir("current");
  SaveProfileString(u"Option", u"Media Folder", Wide(current).c_str());
  Start();
  for (const Case& c : cases) {
    MediaFolderProbes& p = MediaFolderCheckProbes();
    p.driveType = [&](const std::string&) { return c.drive; };
    p.freeBytes = [&](const std::string&) { return c.free; };
    p.canCreateFolder = [&](const std::string&) { return c.writable; };
    std::u16string message;
    Inside([&] {
      hl::AnswerNextFileChooser({chosen.string()});
      EXPECT_TRUE(hl::Click(nullptr, "tabi_Advanced"));
      if (*c.reason) {
        // The message box comes up over the dialog: read it, then close it.
        Inside([&] {
          message = Read("view_text").text;
          hl::Click(nullptr, "butn_Ok");
        });
      }
      EXPECT_TRUE(hl::Click(nullptr, "butn_browse1"));
      std::u16string field = Read("cedt_path1").text;
      if (*c.reason) {
        EXPECT_EQ(field, Wide(current)) << c.what << ": the field keeps the old folder";
      } else {
        EXPECT_EQ(fs::path(QelToUTF8(field)), fs::path(fs::canonical(chosen).string() + "/")) << c.what;
      }
      hl::Click(nullptr, "butn_OK");
    });
    Menu("opti");
    std::u16string stored = ProfileText(u"Media Folder");
    if (*c.reason) {
      EXPECT_NE(message.find(u"cannot be used as the media folder"), std::u16string::npos) << c.what;
      EXPECT_NE(message.find(c.reason), std::u16string::npos) << c.what << ": " << QelToUTF8(message);
      EXPECT_EQ(stored, Wide(current)) << c.what << ": nothing moved";
    } else {
      EXPECT_TRUE(message.empty());
      EXPECT_EQ(QelToUTF8(stored), fs::canonical(chosen).string() + "/");
      SaveProfileString(u"Option", u"Media Folder", Wide(current).c_str());
    }
  }
  // The chooser started at the current media folder every time.
  for (const qel::FileChooserRequest& r : hl::FileChooserRequests()) EXPECT_EQ(r.folder, current.string());
}

TEST_F(DialogTest, MediaFolderChooserCancelledOrStartingInPictures) {
  SaveProfileString(u"Option", u"Media Folder", u"/no/such/folder");
  Start();
  Inside([&] {
    hl::CancelNextFileChooser();
    EXPECT_TRUE(hl::Click(nullptr, "tabi_Advanced"));
    EXPECT_TRUE(hl::Click(nullptr, "butn_browse1"));
    EXPECT_EQ(Read("cedt_path1").text, u"/no/such/folder") << "cancelled: the field stays";
    hl::Click(nullptr, "butn_Cancel");
  });
  Menu("opti");
  ASSERT_EQ(hl::FileChooserRequests().size(), 1u);
  fs::path pictures = hl::FileChooserRequests()[0].folder;
  EXPECT_EQ(pictures.filename(), "Pictures") << "a missing media folder starts the chooser in Pictures";
  EXPECT_TRUE(fs::is_directory(pictures));
}

TEST_F(DialogTest, ATypedMediaFolderIsCheckedToo) {
  fs::path current = testenv::MakeTempDir("current");
  SaveProfileString(u"Option", u"Media Folder", Wide(current).c_str());
  Start();
  MediaFolderCheckProbes().freeBytes = [](const std::string&) { return int64_t(1000); };
  fs::path typed = testenv::MakeTempDir("typed");
  bool stillOpen = false;
  Inside([&] {
    EXPECT_TRUE(hl::Click(nullptr, "tabi_Advanced"));
    EXPECT_TRUE(hl::TypeText(nullptr, "cedt_path1", Wide(typed)));
    Inside([&] { hl::Click(nullptr, "butn_Ok"); });  // the refusal
    hl::Click(nullptr, "butn_OK");
    stillOpen = Read("cedt_path1").found;
    hl::Click(nullptr, "butn_Cancel");
  });
  Menu("opti");
  EXPECT_TRUE(stillOpen) << "a refused folder keeps the dialog open";
  EXPECT_EQ(ProfileText(u"Media Folder"), Wide(current));
}

TEST_F(DialogTest, AFolderNobodyCanWriteToIsRefusedByTheRealCheck) {
  // Only the writability test is real here: nobody, not even root, can make
  // a folder inside a process's /proc entry.
  ResetMediaFolderCheckProbes();
  auto realWriteTest = MediaFolderCheckProbes().canCreateFolder;
  AcceptEveryFolder();
  MediaFolderCheckProbes().canCreateFolder = realWriteTest;
  EXPECT_EQ(CheckMediaFolder("/proc/self"), MediaFolderVerdict::kNotWritable);
  fs::path good = testenv::MakeTempDir("good");
  EXPECT_EQ(CheckMediaFolder(good.string()), MediaFolderVerdict::kAccepted);
  EXPECT_TRUE(fs::is_empty(good)) << "the test folder goes again";
  ResetMediaFolderCheckProbes();
  EXPECT_EQ(CheckMediaFolder("/no/such/folder"), MediaFolderVerdict::kNoDrive);
}

}  // namespace
