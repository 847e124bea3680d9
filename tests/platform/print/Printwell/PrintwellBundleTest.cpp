// The print dialog as the albums call it: the staged Printwell bundle loaded
// into the test on the headless backend, with a fake print system. Refused
// records, the printers, papers and layouts offered, a layout that brings
// its paper, copies and pages, closing without printing, and a machine
// without a printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "PrintwellTestSupport.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;
using namespace printwelltest;

namespace {

class PrintwellBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    dir_ = testenv::MakeTempDir("printwell");
    emailtest::MakePhoto(dir_ / "board.jpg", "640x480");
    emailtest::MakePhoto(dir_ / "page.jpg", "480x640");
  }
  std::vector<std::u16string> Items(CQelWindow* w, const char* name) {
    std::vector<std::u16string> out;
    if (qel::Element* e = hl::FindElement(w, name))
      for (const auto& item : e->Items()) out.push_back(item.text);
    return out;
  }
  std::u16string Shown(CQelWindow* w, const char* name) {
    qel::Element* e = hl::FindElement(w, name);
    return e && e->Selection() >= 0 ? e->Items()[size_t(e->Selection())].text : u"";
  }
  fs::path dir_;
};

TEST_F(PrintwellBundle, RefusedRecordsAndFilesAnswerFailure) {
  UsePrinters(dir_);
  const std::u16string path = QelFromUTF8((testenv::StageDir() / "Dunsellow.app/Contents/Printwell.bundle").string());
  QelLibraryRef library = QelLoadLibrary(path.c_str());
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<PFN_NuvoPrintDlg>(QelGetProcAddress(library, "NuvoPrintDlg"));
  ASSERT_NE(entry, nullptr);
  // Only the entry leaves the bundle.
  EXPECT_EQ(QelGetProcAddress(library, "PrintControlInit"), nullptr);
  NuvoDLGPARAM wrongSize;
  wrongSize.size = 4;
  NuvoDLGPARAM negative;
  negative.count = -1;
  NuvoDLGPARAM noItems;
  noItems.count = 2;
  for (NuvoDLGPARAM* bad : {static_cast<NuvoDLGPARAM*>(nullptr), &wrongSize, &negative, &noItems})
    EXPECT_EQ(entry(bad, nullptr), 5);
  QelFreeLibrary(library);
  // Nothing printable (no file, a folder, a file no picture): the album
  // hears failure, and tells the user itself.
  fs::create_directories(dir_ / "folder.jpg");
  testenv::WriteFile(dir_ / "notes.jpg", "not a picture");
  hl::AnswerNextModal("butn_Cancel");  // a dialog that should not come
  bool found = false;
  EXPECT_EQ(CallPrint({dir_ / "missing.jpg", dir_ / "folder.jpg", dir_ / "notes.jpg"}, &found), 5);
  EXPECT_TRUE(found);
  EXPECT_EQ(hl::PendingModalAnswers(), 1u);
  hl::ClearModalAnswers();
}

TEST_F(PrintwellBundle, LayoutBringsItsPaperAndCopiesMakePages) {
  const fs::path spool = UsePrinters(dir_);
  bool checked = false;
  hl::AnswerNextModalBy([&](CQelWindow* w) {
    EXPECT_EQ(Items(w, "comb_Printer"), (std::vector<std::u16string>{u"Photo Jet", u"Print to File (PDF)"}));
    EXPECT_EQ(Shown(w, "comb_Printer"), u"Photo Jet");
    EXPECT_FALSE(hl::Read(w, "view_NoPrinter").visible);
    EXPECT_EQ(Items(w, "comb_Paper"), (std::vector<std::u16string>{u"Letter", u"4 x 6 in"}));
    const std::vector<std::u16string> brands = Items(w, "comb_Brand");
    EXPECT_NE(std::find(brands.begin(), brands.end(), u"Photo Paper"), brands.end());
    // A photo-paper layout switches to its paper; one photo per page.
    ASSERT_TRUE(ChooseLayout(w, u"Photo Paper", u"4 x 6 in borderless"));
    EXPECT_EQ(Shown(w, "comb_Paper"), u"4 x 6 in");
    EXPECT_EQ(hl::Read(w, "view_PageNum").text, u"Page 1 of 2");
    // Three copies of each: six pages, more than the strip shows at once.
    ASSERT_TRUE(hl::Click(w, "butn_CopiesMore"));
    ASSERT_TRUE(hl::Click(w, "butn_CopiesMore"));
    EXPECT_EQ(hl::Read(w, "view_Copies").text, u"3");
    EXPECT_EQ(hl::Read(w, "view_PageNum").text, u"Page 1 of 6");
    EXPECT_FALSE(hl::Read(w, "butn_PagePrev").enabled);
    ASSERT_TRUE(hl::Click(w, "butn_PageNext"));
    EXPECT_TRUE(hl::Read(w, "butn_PagePrev").enabled);
    ASSERT_TRUE(hl::Click(w, "butn_CopiesLess"));
    ASSERT_TRUE(hl::Click(w, "butn_CopiesLess"));
    EXPECT_EQ(hl::Read(w, "view_PageNum").text, u"Page 1 of 2");
    EXPECT_FALSE(hl::Read(w, "butn_CopiesLess").enabled);
    // A generic layout fits the paper in use, and follows it when it changes.
    ASSERT_TRUE(hl::SelectItem(w, "comb_Brand", ItemOf(w, "comb_Brand", u"Generic")));
    EXPECT_EQ(Shown(w, "comb_Paper"), u"4 x 6 in");
    ASSERT_TRUE(hl::SelectItem(w, "comb_Template", ItemStarting(w, "comb_Template", u"Photo 4 x 6 in")));
    ASSERT_TRUE(hl::SelectItem(w, "comb_Paper", ItemOf(w, "comb_Paper", u"Letter")));
    EXPECT_EQ(Shown(w, "comb_Template"), u"Photo 4 x 6 in (2) - Letter");
    EXPECT_EQ(hl::Read(w, "view_PageNum").text, u"Page 1 of 1");
    checked = true;
  }, "butn_Cancel");
  EXPECT_EQ(CallPrint({dir_ / "board.jpg", dir_ / "page.jpg"}), 0);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(Jobs(spool).empty());
}

TEST_F(PrintwellBundle, WithoutAPrinterItSaysSoAndPrintsToAFile) {
  const fs::path spool = UsePrinters(dir_, false);
  const fs::path pdf = dir_ / "out" / "Photos";  // the chooser's name, without its extension
  fs::create_directories(pdf.parent_path());
  bool checked = false;
  hl::AnswerNextModalBy([&](CQelWindow* w) {
    EXPECT_TRUE(hl::Read(w, "view_NoPrinter").visible);
    EXPECT_EQ(Items(w, "comb_Printer"), (std::vector<std::u16string>{u"Print to File (PDF)"}));
    // The layouts are there all the same, and the photo is laid out.
    EXPECT_FALSE(Items(w, "comb_Template").empty());
    EXPECT_EQ(hl::Read(w, "view_PageNum").text, u"Page 1 of 1");
    // Print asks where the file goes; given up, nothing is written and
    // the dialog stays.
    hl::CancelNextFileChooser();
    EXPECT_TRUE(hl::Click(w, "butn_Print"));
    EXPECT_TRUE(hl::Read(w, "butn_Print").visible);
    hl::AnswerNextFileChooser({pdf.string()});
    checked = hl::Click(w, "butn_Print");
  });
  EXPECT_EQ(CallPrint({dir_ / "board.jpg"}), 1);
  EXPECT_TRUE(checked);
  const std::vector<qel::FileChooserRequest> asked = hl::FileChooserRequests();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].action, qel::FileChooserRequest::kSave);
  EXPECT_TRUE(fs::exists(pdf.string() + ".pdf"));
  EXPECT_TRUE(Jobs(spool).empty());
}

}  // namespace
