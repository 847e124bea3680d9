// From the camera to the printer: the program with its staged modules, the
// stand-in camera and the fake print system. A photo taken, the capture
// album's Print, the 4 x 6 in layout, Print: the spool holds one PDF of one
// 4 x 6 in page whose picture is the photo; three photos with two copies
// each make six pages; Cancel while the pages print leaves no job. The edit
// album reaches the same dialog. Every step is a click through the X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "EmailTestUser.h"
#include "MediaTools.h"
#include "MyQelApp.h"
#include "PrintwellTestSupport.h"
#include "PrintwellTestUser.h"
#include "PrivateDisplay.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "os/ProcessTable.h"
#include "qel/QelAlbum.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;
using namespace printwelltest;

namespace {

// The printed photo against the photo as the cell shows it, in dB: the same
// picture measures about 25 (JPEG and two resamplings lose a little); the
// photo turned the other way or not turned measures below 5.
constexpr double kMinPsnr = 20.0;

std::vector<fs::path> Photos(const fs::path& folder) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".jpg") out.push_back(entry.path());
  std::sort(out.begin(), out.end());
  return out;
}

std::string Shell(const std::string& command) {
  int status = -1;
  std::string out = mediatools::Run(command + " 2>&1", &status);
  return status == 0 ? out : "(failed: " + out + ")";
}

// One field of pdfinfo's report.
std::string PdfField(const fs::path& pdf, const std::string& field) {
  const std::string report = Shell("pdfinfo " + mediatools::Quote(pdf));
  const size_t at = report.find(field + ":");
  if (at == std::string::npos) return "(no " + field + ")";
  const size_t value = report.find_first_not_of(' ', at + field.size() + 1);
  return report.substr(value, report.find('\n', value) - value);
}

// ImageMagick's PSNR of two pictures of one size (dB; 0 when it failed).
double Psnr(const fs::path& a, const fs::path& b) {
  int status = -1;
  const std::string out =
      mediatools::Run("compare -metric PSNR " + mediatools::Quote(a) + " " + mediatools::Quote(b) + " null: 2>&1", &status);
  try {
    return out.rfind("inf", 0) == 0 ? 100.0 : std::stod(out);
  } catch (...) {
    return 0.0;
  }
}

class PrintEndToEnd : public ::testing::Test {
 protected:
  void Start() {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
    for (const char* tool : {"pdfinfo", "pdftoppm", "compare", "convert"})
      if (Shell(std::string("command -v ") + tool).rfind("(failed", 0) == 0) GTEST_SKIP() << tool << " is missing";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    work_ = testenv::MakeTempDir("print-e2e");
    spool_ = UsePrinters(work_);
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    Frame()->SetProcessTable(&processes_);
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
    ASSERT_TRUE(user_->WaitFor([this] {
      qel::Element* b = qel::Element::From(Frame()->GetElementByName("butn_active"));
      return b && b->EffectivelyVisible();
    }));
    ASSERT_TRUE(user_->Focus(Frame()));
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }
  CMyMainFrame* Frame() { return theApp.GetMainFrame(); }
  qel::Album* Album() {
    return dynamic_cast<qel::Album*>(qel::Element::From(Frame()->GetElementByName("albumtable")));
  }
  bool Click(CQelWindow* w, const char* element) { return emailtest::HandClick(*user_, w, element); }
  bool Enabled(CQelWindow* w, const char* element) {
    qel::Element* e = w ? qel::Element::From(w->GetElementByName(element)) : nullptr;
    return e && e->EffectivelyVisible() && e->EffectivelyEnabled();
  }
  // Selects the album's first `count` items (the first clicked, the others
  // with Control held); run from a script.
  void SelectFirst(int32_t count) {
    for (int32_t index = 0; index < count; ++index) {
      qel::Element* item = nullptr;
      ASSERT_TRUE(user_->WaitFor([&] { return (item = Album()->ItemPanel(index)) != nullptr; }));
      std::optional<POINT> at = user_->Where(Frame(), item);
      ASSERT_TRUE(at);
      ASSERT_TRUE(user_->MoveTo(POINT{at->x + 3, at->y + 2}));
      user_->Settle();
      if (index > 0) ASSERT_EQ(std::system("xdotool keydown ctrl"), 0);
      user_->Settle();
      const bool clicked = user_->ClickAt(*at);
      if (index > 0) ASSERT_EQ(std::system("xdotool keyup ctrl"), 0);
      ASSERT_TRUE(clicked);
      ASSERT_TRUE(user_->WaitFor([&] { return Album()->SelectedCount() == index + 1; }));
    }
  }
  // The album's Print, then the print dialog once it is up (from a script).
  CQelWindow* OpenPrint() {
    if (!user_->WaitFor([this] { return Enabled(Frame(), "butn_print"); })) return nullptr;
    if (!Click(Frame(), "butn_print")) return nullptr;
    CQelWindow* dialog = nullptr;
    if (!user_->WaitFor([&] { return (dialog = emailtest::ModalWith("prtc_Print")) != nullptr; })) return nullptr;
    return user_->Focus(dialog) ? dialog : nullptr;
  }
  bool Pick(CQelWindow* w, const char* combo, const std::string& label) {
    return printwelltest::Pick(*user_, w, combo, label);
  }
  bool Choose4x6(CQelWindow* w) {
    return Pick(w, "comb_Brand", "Photo Paper") && Pick(w, "comb_Template", "4 x 6 in borderless") &&
           user_->WaitFor([&] { return hl::Read(w, "comb_Paper").selection == ItemOf(w, "comb_Paper", u"4 x 6 in"); });
  }
  bool Closed() {
    return user_->WaitFor([] { return emailtest::ModalWith("prtc_Print") == nullptr; }, 60);
  }
  // The capture module from the home page, its camera showing a picture.
  void OpenCapture() {
    ASSERT_TRUE(Click(Frame(), "butn_active"));
    ASSERT_TRUE(user_->WaitFor([this] {
      qel::Element* b = qel::Element::From(Frame()->GetElementByName("butn_image"));
      return b && b->EffectivelyVisible() && b->EffectivelyEnabled() && !Frame()->Root()->FindByName("cata_Active", true);
    }, 30));
    user_->WaitFor([] { return false; }, 1);  // the stand-in camera's first frames
  }
  void TakePhotos(const fs::path& folder, size_t count) {
    for (size_t n = Photos(folder).size() + 1, end = n + count; n < end; ++n) {
      ASSERT_TRUE(Click(Frame(), "butn_image"));
      ASSERT_TRUE(user_->WaitFor([&] { return Photos(folder).size() == n && Album() && Album()->Count() == int32_t(n); }))
          << "photo " << n;
    }
  }

  fs::path work_, spool_;
  std::optional<testenv::XUser> user_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

TEST_F(PrintEndToEnd, PhotosFromTheCameraReachThePrinter) {
  Start();
  if (!user_) return;
  const fs::path folder = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";
  OpenCapture();
  TakePhotos(folder, 1);

  // One photo on one 4 x 6 in page.
  user_->Run([&] {
    SelectFirst(1);
    CQelWindow* dialog = OpenPrint();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose4x6(dialog));
    ASSERT_TRUE(Click(dialog, "butn_Print"));
    ASSERT_TRUE(Closed());
  });
  std::vector<fs::path> jobs = Jobs(spool_);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(PdfField(jobs[0], "Pages"), "1");
  EXPECT_EQ(PdfField(jobs[0], "Page size").rfind("288 x 432 pts", 0), 0u) << PdfField(jobs[0], "Page size");
  // The borderless cell is the whole page: the page at 72 dpi against the
  // landscape photo turned a quarter to the left into the portrait cell and
  // cut to fill it.
  const fs::path page = work_ / "page";
  Shell("pdftoppm -r 72 -singlefile -png " + mediatools::Quote(jobs[0]) + " " + mediatools::Quote(page));
  const fs::path photo = Photos(folder).front();
  const fs::path ref = work_ / "ref.png";
  Shell("convert " + mediatools::Quote(photo) + " -auto-orient -rotate -90 -resize 288x432^ -gravity center" +
        " -extent 288x432 " + mediatools::Quote(ref));
  const double psnr = Psnr(fs::path(page.string() + ".png"), ref);
  EXPECT_GT(psnr, kMinPsnr);

  // Three photos, two copies each: six pages in one job.
  TakePhotos(folder, 2);
  user_->Run([&] {
    SelectFirst(3);
    CQelWindow* dialog = OpenPrint();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose4x6(dialog));
    ASSERT_TRUE(Click(dialog, "butn_CopiesMore"));
    ASSERT_TRUE(user_->WaitFor([&] { return hl::Read(dialog, "view_PageNum").text == u"Page 1 of 6"; }));
    ASSERT_TRUE(Click(dialog, "butn_Print"));
    ASSERT_TRUE(Closed());
  });
  jobs = Jobs(spool_);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(PdfField(jobs[1], "Pages"), "6");

  // Cancel while the pages print: no job, and the dialog stays for another go.
  user_->Run([&] {
    SelectFirst(3);
    CQelWindow* dialog = OpenPrint();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose4x6(dialog));
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(Click(dialog, "butn_CopiesMore"));
    ASSERT_TRUE(user_->WaitFor([&] { return hl::Read(dialog, "view_Copies").text == u"41"; }));
    ASSERT_TRUE(Click(dialog, "butn_Print"));
    ASSERT_TRUE(user_->WaitFor([&] { return hl::Read(dialog, "hscl_Progress").visible; }));
    ASSERT_TRUE(Click(dialog, "butn_Cancel"));
    ASSERT_TRUE(user_->WaitFor([&] { return !hl::Read(dialog, "hscl_Progress").visible; }, 60));
    EXPECT_TRUE(user_->WaitFor([&] { return hl::Read(dialog, "butn_Print").enabled; }));
    ASSERT_TRUE(Click(dialog, "butn_Cancel"));
    ASSERT_TRUE(Closed());
  });
  EXPECT_EQ(Jobs(spool_).size(), 2u);
}

TEST_F(PrintEndToEnd, TheEditAlbumPrintsToo) {
  // A photo in the capture folder, which the edit album lists.
  const fs::path folder = testenv::Root() / "home/Documents/Document Camera Media/Capture";
  fs::create_directories(folder);
  emailtest::MakePhoto(folder / "desk.jpg", "640x480");
  Start();
  if (!user_) return;
  // The second module button of the home page.
  qel::Element* edit = nullptr;
  user_->OnMain([&] {
    int seen = 0;
    std::function<void(qel::Element*)> walk = [&](qel::Element* e) {
      if (e->Name() == "butn_active" && ++seen == 2) edit = e;
      for (qel::Element* c : e->Children()) walk(c);
    };
    if (qel::Element* row = qel::Element::From(Frame()->GetElementByName("cata_Butn"))) walk(row);
  });
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(user_->Click(Frame(), edit));
  ASSERT_TRUE(user_->WaitFor([this] { return Album() && Album()->Count() == 1 && !Frame()->LaunchInProgress(); }, 30));
  user_->Run([&] {
    SelectFirst(1);
    CQelWindow* dialog = OpenPrint();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose4x6(dialog));
    ASSERT_TRUE(Click(dialog, "butn_Print"));
    ASSERT_TRUE(Closed());
  });
  const std::vector<fs::path> jobs = Jobs(spool_);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(PdfField(jobs[0], "Pages"), "1");
}

}  // namespace
