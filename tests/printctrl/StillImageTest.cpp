// Pages written as picture files: names, sizes, formats, what the page shows,
// and that nothing of the user's is overwritten or left half-written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "ControlHost.h"
#include "MediaTools.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "img/Tint.h"
#include "qel/QelElement.h"

namespace fs = std::filesystem;

namespace {

struct StillImageTest : pctest::ElementHost {
  void SetUp() override {
    ElementHost::SetUp();
    out = dir / "out";
    fs::create_directories(out);
  }
  // Ten photos, one copy each: three pages of four cells (the last with two).
  void ThreePages() {
    Attach();
    for (int i = 0; i < 10; ++i) ASSERT_EQ(AddPhoto(Photo("p" + std::to_string(i) + ".png", Solid(i))), 1);
    ASSERT_EQ(project->GetPageCount(), 3);
  }
  static img::Bitmap Solid(int i) {
    img::Bitmap b = img::Bitmap::Create(60, 40);
    img::FillColour(b, uint8_t(20 * i), uint8_t(200 - 10 * i), 90);
    return b;
  }
  intptr_t Still(const std::string& name, const char16_t* type = u"jpg", int32_t res = 72, int32_t quality = 90,
                 int32_t flags = 0, int32_t first = 1, int32_t last = 0) {
    path = qel::ToU16((out / name).string());
    return Print(tagDOPRINTINFO{PRTC_PRINT_STILL, first, last, flags, path.c_str(), type, res, quality});
  }
  std::set<std::string> Files() const {
    std::set<std::string> s;
    for (auto& e : fs::directory_iterator(out)) s.insert(e.path().filename().string());
    return s;
  }
  static std::string Identify(const fs::path& p, const char* format) {
    int status = -1;
    std::string r = mediatools::Run("identify -format '" + std::string(format) + "' " + mediatools::Quote(p), &status);
    return status == 0 ? r : "(failed)";
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path out;
  std::u16string path;
};

// Three pages to "p.jpg": p.jpg, p_1.jpg, p_2.jpg, each the paper (6 x 8
// inches) at the asked resolution.
TEST_F(StillImageTest, ThreePagesGiveNumberedFilesOfThePaperSize) {
  ThreePages();
  ASSERT_EQ(Still("p.jpg"), 1);
  EXPECT_EQ(Files(), (std::set<std::string>{"p.jpg", "p_1.jpg", "p_2.jpg"}));
  for (const char* f : {"p.jpg", "p_1.jpg", "p_2.jpg"}) EXPECT_EQ(Identify(out / f, "%w %h %m"), "432 576 JPEG") << f;
  EXPECT_EQ(Data(PRTC_PRINT_START), std::vector<intptr_t>{2});
  EXPECT_EQ(Data(PRTC_PROGRESS).front(), 0);
  EXPECT_EQ(Data(PRTC_PROGRESS).back(), 100);
  EXPECT_EQ(Codes().back(), PRTC_PRINT_END);
  // What a page shows: the photos in their cells on white paper (the
  // second page's first cell holds the fifth photo).
  img::Decoded decoded;
  ASSERT_EQ(img::DecodeFile((out / "p_1.jpg").string(), img::DecodeOptions{}, decoded), img::Status::kOk);
  const img::Bitmap& page = decoded.pixels;
  const uint8_t* centre = page.row(144) + 3 * 108;  // cell (10, 10, 290, 390) at 72 / 100
  const img::Bitmap want = Solid(4);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(centre[c], want.row(0)[c], 12) << c;
  const uint8_t* paper = page.row(2) + 3 * 2;
  for (int c = 0; c < 3; ++c) EXPECT_GT(paper[c], 240);
}

TEST_F(StillImageTest, ExistingFilesAreNotOverwrittenUnasked) {
  ThreePages();
  { std::ofstream(out / "p.jpg") << "mine"; }
  { std::ofstream(out / "p_1.jpg") << "mine too"; }
  // The first name is taken: nothing is written, the host is told.
  EXPECT_EQ(Still("p.jpg"), 0);
  EXPECT_EQ(ErrorCodes(), std::vector<int32_t>{PRTC_ERR_FILE_EXISTS});
  EXPECT_TRUE(Data(PRTC_PRINT_START).empty());
  EXPECT_EQ(Read(out / "p.jpg"), "mine");
  EXPECT_EQ(Files(), (std::set<std::string>{"p.jpg", "p_1.jpg"}));
  // Asked to replace: the first file is replaced, the other pages take free names.
  ASSERT_EQ(Still("p.jpg", u"jpg", 72, 90, PRTC_STILL_REPLACE), 1);
  EXPECT_EQ(Identify(out / "p.jpg", "%w %h"), "432 576");
  EXPECT_EQ(Read(out / "p_1.jpg"), "mine too");
  EXPECT_EQ(Files(), (std::set<std::string>{"p.jpg", "p_1.jpg", "p_2.jpg", "p_3.jpg"}));
}

// A cancel removes what this run wrote, and only that.
TEST_F(StillImageTest, CancelRemovesOnlyThisRunsFiles) {
  ThreePages();
  { std::ofstream(out / "p_1.jpg") << "mine"; }
  onNotify = [&](int32_t code, intptr_t data) {
    if (code == PRTC_PROGRESS && data >= 50) *cancel = 1;
  };
  EXPECT_EQ(Still("p.jpg"), 0);
  EXPECT_EQ(Files(), std::set<std::string>{"p_1.jpg"});  // no temporary file either
  EXPECT_EQ(Read(out / "p_1.jpg"), "mine");
  EXPECT_TRUE(Data(PRTC_PRINT_END).empty());
}

TEST_F(StillImageTest, FormatsQualityAndRefusals) {
  ThreePages();
  struct Case {
    const char* name;
    const char16_t* type;
    int32_t quality;
    const char* want;  // identify's "%m %Q"
  } cases[] = {
      {"a.jpg", u"JPG", 121, "JPEG 80"},
      {"b.jpeg", u"jpeg", 50, "JPEG 50"},
      {"c.png", u"png", 50, "PNG"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Still(c.name, c.type, 72, c.quality, 0, 1, 1), 1) << c.name;
    const std::string got = Identify(out / c.name, "%m %Q");
    EXPECT_EQ(got.substr(0, std::string(c.want).size()), c.want) << c.name;
  }
  // Resolution is in the file and sets the size.
  ASSERT_EQ(Still("d.jpg", u"jpg", 150, 90, 0, 2, 2), 1);
  EXPECT_EQ(Identify(out / "d.jpg", "%w %h"), "900 1200");
  // Refused: nothing written, nothing sent.
  const auto before = Files();
  auto refused = [&](intptr_t r, const char* what) {
    EXPECT_EQ(r, 0) << what;
    EXPECT_TRUE(got.empty()) << what;
  };
  refused(Still("e.jpg", u"jpg", 71), "71 dpi");
  refused(Still("e.jpg", u"jpg", 601), "601 dpi");
  refused(Still("e.jpg", nullptr), "no type");
  refused(Print(tagDOPRINTINFO{PRTC_PRINT_STILL, 1, 0, 0, u"", u"jpg", 72, 90}), "empty path");
  refused(Print(tagDOPRINTINFO{PRTC_PRINT_STILL, 1, 0, 0, nullptr, u"jpg", 72, 90}), "no path");
  refused(Still("e.jpg", u"jpg", 72, 90, 0, 4, 0), "first page past the end");
  EXPECT_EQ(Files(), before);
}

// A file that cannot be written stops the run: reported, and nothing of it left.
TEST_F(StillImageTest, UnwritableFilesAreReported) {
  ThreePages();
  EXPECT_EQ(Still("missing/p.jpg"), 0);
  EXPECT_EQ(ErrorCodes(), std::vector<int32_t>{PRTC_ERR_FILE_NOT_SAVED});
  EXPECT_TRUE(Data(PRTC_PRINT_END).empty());
  // A name whose format no saver knows.
  EXPECT_EQ(Still("p.xyz", u"xyz"), 0);
  EXPECT_EQ(ErrorCodes(), std::vector<int32_t>{PRTC_ERR_FILE_NOT_SAVED});
  EXPECT_TRUE(Files().empty());
}

// No pictures in the range: nothing to write.
TEST_F(StillImageTest, EmptyProjectWritesNothing) {
  Attach();
  EXPECT_EQ(Still("p.jpg"), 0);
  EXPECT_TRUE(got.empty());
  EXPECT_TRUE(Files().empty());
}

}  // namespace
