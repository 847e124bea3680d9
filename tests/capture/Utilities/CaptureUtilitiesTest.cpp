// The capture plug-in's utility functions: number and time texts, frame
// arithmetic, free space, size texts and parsing, the file-name prefix rule,
// file types and the quality snapping of the settings dialog.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "AppHelper.h"
#include "CaptureSetting.h"
#include "CaptureSettingData.h"
#include "MediaTools.h"
#include "ORVGF.h"
#include "TestEnvironment.h"
#include "qel/QelLayout.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
using namespace ORVGF;

namespace {

TEST(CaptureTexts, DigitsAndKilobytes) {
  struct Case {
    uint64_t number;
    const char16_t* text;
  };
  for (const Case& c : {Case{1002003, u"1,002,003"}, Case{999, u"999"}, Case{1000, u"1,000"}, Case{0, u"0"},
                        Case{18446744073709551615ull, u"18,446,744,073,709,551,615"}}) {
    EXPECT_EQ(vFormatDigits(c.number), c.text) << c.number;
  }
  // The unit comes from the module's string table.
  QelObject table = QelCreateAUI((testenv::SourceDir() / "capture/Module/CaptureRes.aui").c_str());
  ASSERT_NE(table, nullptr);
  g_AppHelper.SetResAui(reinterpret_cast<PubQelmar::QelAUI*>(table));
  struct KB {
    int64_t bytes;
    const char16_t* text;
  };
  for (const KB& c : {KB{1025, u"2 KB"}, KB{2048, u"2 KB"}, KB{1, u"1 KB"}, KB{0, u"0"}, KB{-5, u"0"},
                      KB{1024 * 1000 + 1, u"1,001 KB"}}) {
    EXPECT_EQ(vFormatNumKB(c.bytes), c.text) << c.bytes;
  }
  g_AppHelper.SetResAui(nullptr);
  Qel0Release(table);
  EXPECT_EQ(vTimeToString(3725), u"01:02:05");
  EXPECT_EQ(vTimeToString(0), u"00:00:00");
}

TEST(CaptureTexts, FrameTimes) {
  struct Case {
    bool pal;
    int64_t ms, frameTime, frameIndex;
  };
  const Case cases[] = {
      {false, 1999, 1990, 59}, {true, 1999, 1960, 49}, {false, 999, 990, 29},  // 30 is capped to 29
      {false, 1000, 1000, 30}, {false, -999, 0, -29}, {true, 40, 40, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ms) + (c.pal ? " PAL" : " NTSC"));
    vSetPAL(c.pal);
    if (c.ms >= 0) EXPECT_EQ(vTimeToFrameTime(c.ms), c.frameTime);
    EXPECT_EQ(vFrameTimeToFrameIndex(c.ms), c.frameIndex);
  }
  vSetPAL(false);
}

TEST(CaptureFreeSpace, FiftyMegabytesAreKeptSpareInSixtyFourBits) {
  struct Case {
    uint64_t free, asked;
    int enough;
  };
  const uint64_t mb = 1 << 20;
  const Case cases[] = {
      {300 * mb + kSpareBytes, 300 * mb, 0},       // exactly the asked bytes and the spare: not enough
      {300 * mb + kSpareBytes + 1, 300 * mb, 1},
      {5000 * mb, 4096 * mb, 1},                    // beyond 32 bits
      {4000 * mb, 4096 * mb, 0},
      {UINT64_MAX, UINT64_MAX - 10, 0},             // no wrap-around
  };
  for (const Case& c : cases) EXPECT_EQ(vIsEnoughSpaceFor(c.free, c.asked), c.enough) << c.free << " " << c.asked;
  EXPECT_EQ(vIsEnoughSpace(u"/no/such/volume/here", 0), 0);
  EXPECT_EQ(vIsEnoughSpace(QelFromUTF8(testenv::MakeTempDir("space").string()), 0), 1);
}

TEST(CaptureSizes, ParsingAndTexts) {
  struct Parse {
    const char16_t* text;
    int ok;
    SIZE size;
  };
  for (const Parse& c : {Parse{u"640*480", 1, {640, 480}}, Parse{u"*480", 0, {1, 1}}, Parse{u"640", 0, {1, 1}},
                         Parse{u"", 0, {1, 1}}, Parse{u"1280*", 1, {1280, 0}}}) {
    SIZE size{1, 1};
    EXPECT_EQ(String2Size(c.text, size), c.ok) << QelToUTF8(c.text);
    EXPECT_EQ(size.cx, c.size.cx);
    EXPECT_EQ(size.cy, c.size.cy);
  }
  struct Text {
    SIZE size;
    const char16_t* text;
  };
  for (const Text& c : {Text{{640, 480}, u"640 x 480 (VGA)"}, Text{{1280, 720}, u"1280 x 720 (HD 720P)"},
                        Text{{1280, 960}, u"1280 x 960 (1.3MP)"}, Text{{2560, 1440}, u"2560 x 1440 (4MP)"},
                        Text{{2560, 1920}, u"2560 x 1920 (5MP)"}, Text{{4096, 3072}, u"4096 x 3072 (12MP)"},
                        Text{{500, 400}, u"500 x 400"}}) {
    EXPECT_EQ(vSizeToString(c.size), c.text);
  }
  EXPECT_EQ(VersionValue(u"7.2.1"), 0x07210000u);
  EXPECT_EQ(vCheckQuickTimeVersion(), 1);
}

TEST(CapturePrefix, OnlyNamesThatStayInTheCaptureFolder) {
  struct Case {
    std::u16string prefix;
    bool safe;
  };
  const Case cases[] = {
      {u"Talvexa", true},   {u"", true},          {u"Scan 2024: A\\B", true}, {u"../up", false},
      {u"a/b", false},      {u".hidden", false},  {u"/etc", false},          {std::u16string(u"a\0b", 3), false},
      {std::u16string(16, u'x'), true},           {std::u16string(17, u'x'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafePrefix(c.prefix, 16), c.safe) << QelToUTF8(c.prefix);
  CaptureSettingData record;
  for (auto [length, limit] : {std::pair{16, 16}, {200, 31}, {-3, 0}, {31, 31}}) {
    record.prefixMaxLength = length;
    EXPECT_EQ(PrefixLimit(record), limit) << length;
  }
}

TEST(CaptureSettingsDialog, QualitySnapsToThreeSteps) {
  struct Case {
    int32_t previous, current, snapped;
  };
  for (const Case& c : {Case{100, 70, 50}, Case{100, 40, 0}, Case{0, 30, 50}, Case{0, 50, 100}, Case{50, 51, 100},
                        Case{50, 50, 0}, Case{50, 20, 0}, Case{70, 90, 70}}) {
    EXPECT_EQ(CCaptureSetting::SnapQuality(c.previous, c.current), c.snapped) << c.previous << " -> " << c.current;
  }
}

class ModuleXmlTest : public ::testing::Test {
 protected:
  std::u16string Write(const std::string& body) {
    fs::path file = testenv::MakeTempDir("modulexml") / "Module.xml";
    testenv::WriteFile(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
    return QelFromUTF8(file.string());
  }
};

TEST_F(ModuleXmlTest, TheShippedDescriptorHoldsTheFactoryDefaults) {
  CaptureSettingData shipped, defaults;
  ASSERT_EQ(GetSetDataFromFile(QelFromUTF8((testenv::SourceDir() / "capture/Module/Module.xml").string()), shipped), 1);
  EXPECT_EQ(shipped.maxVideoWidth, defaults.maxVideoWidth);
  EXPECT_EQ(shipped.prefixName, defaults.prefixName);
  EXPECT_EQ(shipped.imageFormatCount, defaults.imageFormatCount);
  EXPECT_EQ(shipped.videoResolutionCount, defaults.videoResolutionCount);
  EXPECT_EQ(shipped.videoResolutions[2].cx, 640);
  EXPECT_EQ(shipped.defaultVideoResolution.cy, 480);
  EXPECT_EQ(shipped.oemVendorId, 0x04B8u);
  EXPECT_EQ(shipped.oemProductId, 0x0F01u);
  EXPECT_EQ(shipped.FreeSpaceBytes(), uint64_t(300) << 20);
}

TEST_F(ModuleXmlTest, ElementsOverrideDefaultsAndMissingOnesKeepThem) {
  CaptureSettingData record;
  ASSERT_EQ(GetSetDataFromFile(Write(R"(<ModuleConfig>
      <MaxVideoSize X="1920"/>
      <PrefixName Enable="0" Length="200" Name="Scan"/>
      <ImageFormat Num="3" Num1="JPG" Num2="BMP" Num3="JPG" Default="BMP"/>
      <VideoResolution Num="40" Num1="1280*720" Num2="bad" Default="1280*720" Multiple="3" Divide="2"/>
      <NeedFreeDiskSpace Space="4096"/>
    </ModuleConfig>)"), record), 1);
  EXPECT_EQ(record.maxVideoWidth, 1920);
  EXPECT_EQ(record.maxVideoHeight, 480);  // Y missing: the factory value
  EXPECT_EQ(record.prefixEnabled, 0);
  EXPECT_EQ(PrefixLimit(record), kMaxPrefixLength);
  EXPECT_EQ(record.imageFormatCount, 3);
  EXPECT_EQ(record.imageFormats[2], u"JPG");
  EXPECT_EQ(record.defaultImageFormat, u"BMP");
  EXPECT_EQ(record.videoResolutionCount, kMaxListItems);  // at most 32 kept
  EXPECT_EQ(record.videoResolutions[0].cx, 1280);
  EXPECT_EQ(record.videoResolutions[1].cx, 320);  // "bad" leaves the slot as it was
  EXPECT_EQ(record.resolutionMultiple, 3u);
  EXPECT_EQ(record.FreeSpaceBytes(), uint64_t(4096) << 20);  // 4 GiB: no 32-bit overflow
  EXPECT_EQ(record.timeStampEnabled, 1);                      // no TimeStamp element
}

TEST_F(ModuleXmlTest, AnUnreadableDescriptorLeavesTheRecordUntouched) {
  for (const std::string& body : {std::string("<ModuleConfig"), std::string("")}) {
    CaptureSettingData record;
    record.maxVideoWidth = 77;
    EXPECT_EQ(GetSetDataFromFile(Write(body), record), 0);
    EXPECT_EQ(record.maxVideoWidth, 77);
  }
  CaptureSettingData record;
  EXPECT_EQ(GetSetDataFromFile(u"/no/such/Module.xml", record), 0);
}

TEST(CaptureFiles, TypesFromTheRecordsFormats) {
  fs::path dir = testenv::MakeTempDir("types");
  testenv::WriteFile(dir / "a.JPG", "x");
  testenv::WriteFile(dir / "b.mov", "x");
  testenv::WriteFile(dir / "c.png", "x");
  struct Case {
    const char* name;
    int type;
  };
  for (const Case& c : {Case{"a.JPG", 1}, Case{"b.mov", 2}, Case{"c.png", 0}, Case{"missing.jpg", 0}}) {
    int type = -1;
    const std::u16string path = QelFromUTF8((dir / c.name).string());
    EXPECT_EQ(vIsSupportFile(path, &type), c.type != 0 ? 1 : 0) << c.name;
    if (c.type) EXPECT_EQ(type, c.type);
  }
  EXPECT_EQ(vGetFileType(u"/x.d/photo.bmp"), 1);
  EXPECT_EQ(vGetFileType(u"/x.jpg/noextension"), 0);
  // Folders: made with their parents; names holding ':' or '\' are names.
  const std::u16string nested = QelFromUTF8((dir / "Scans: 2024\\a/b").string());
  EXPECT_TRUE(CreatePathChecked(nested));
  EXPECT_TRUE(fs::is_directory(dir / "Scans: 2024\\a" / "b"));
  EXPECT_EQ(CreatePath(nested), 0);  // it exists
}

}  // namespace

namespace {

// The property texts of a movie and a photo say what ffprobe reads.
TEST(CaptureProperties, MovieAndPhotoTextsMatchTheFiles) {
  const fs::path dir = testenv::MakeTempDir("properties");
  const fs::path movie = dir / "Clip 1.mov";
  ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i testsrc=size=320x240:rate=15 -f lavfi -i "
                         "sine=frequency=440:sample_rate=48000 -t 2.5 -c:v mpeg4 -c:a pcm_s16le -ac 1 -y " +
                         mediatools::Quote(movie)).c_str()),
            0);
  std::u16string duration, sound, picture;
  ASSERT_EQ(vGetVideoFileProperty(QelFromUTF8(movie.string()), duration, sound, picture), 1);
  const auto probe = mediatools::Probe(movie, "v:0", "stream=width,height,r_frame_rate,nb_frames");
  EXPECT_EQ(probe.at("r_frame_rate"), "15/1");
  const std::string p = QelToUTF8(picture), s = QelToUTF8(sound);
  EXPECT_NE(p.find(probe.at("width") + " x " + probe.at("height")), std::string::npos) << p;
  EXPECT_NE(p.find("15.0"), std::string::npos) << p;
  EXPECT_NE(p.find("\n " + probe.at("nb_frames") + ".0 "), std::string::npos) << p;  // frames
  const auto sprobe = mediatools::Probe(movie, "a:0", "stream=channels,sample_rate,bits_per_sample");
  EXPECT_EQ(sprobe.at("sample_rate"), "48000");
  EXPECT_NE(s.find("\n 1 "), std::string::npos) << s;     // one channel
  EXPECT_NE(s.find("48.0"), std::string::npos) << s;      // kHz
  EXPECT_NE(s.find(", 16 "), std::string::npos) << s;     // bits
  EXPECT_NE(s.find("00:00:02"), std::string::npos) << s;  // its length, cut to a frame
  EXPECT_EQ(duration, u"00:00:02");
  EXPECT_EQ(vGetVideoFileProperty(QelFromUTF8((dir / "none.mov").string()), duration, sound, picture), 0);

  const fs::path photo = dir / "Photo.jpg";
  ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i testsrc=size=1280x720 -frames:v 1 -y " +
                         mediatools::Quote(photo)).c_str()),
            0);
  std::u16string size;
  ASSERT_EQ(vGetImageFileResolution(QelFromUTF8(photo.string()), size), 1);
  EXPECT_EQ(QelToUTF8(size).rfind("1280 x 720", 0), 0u) << QelToUTF8(size);
}

}  // namespace
