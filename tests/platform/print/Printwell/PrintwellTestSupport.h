#pragma once
// What the print dialog's tests share: a fake print system written for the
// test (a photo printer with Letter and 4 x 6 in paper, or none at all), the
// album's call of the staged bundle, the jobs in the spool folder, photos,
// and choosing a layout by its names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "NuvoDlgParam.h"
#include "TestEnvironment.h"
#include "qel/QelElement.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace printwelltest {

namespace fs = std::filesystem;

// Writes the fixture into `dir` and names it (and its spool) in the
// environment; answers the spool folder.
inline fs::path UsePrinters(const fs::path& dir, bool withPrinter = true) {
  std::ofstream out(dir / "printers.xml");
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PrintFixture spool=\"spool\">\n";
  if (withPrinter) {
    out << "  <Printer name=\"Photo Jet\" makeAndModel=\"Acme PhotoJet 2\" default=\"1\" color=\"1\">\n"
           "    <Media id=\"na_letter_8.5x11in\" name=\"Letter\" width=\"21590\" height=\"27940\""
           " left=\"635\" right=\"635\" top=\"635\" bottom=\"635\"/>\n"
           "    <Media id=\"na_index-4x6_4x6in\" name=\"4 x 6 in\" width=\"10160\" height=\"15240\"/>\n"
           "  </Printer>\n";
  }
  out << "</PrintFixture>\n";
  out.close();
  const fs::path spool = dir / "spool";
  fs::create_directories(spool);
  ::setenv("DUNSELLOW_PRINT_FIXTURE", (dir / "printers.xml").c_str(), 1);
  ::setenv("DUNSELLOW_PRINT_SPOOL", spool.c_str(), 1);
  return spool;
}

// The PDF jobs in the spool, by name.
inline std::vector<fs::path> Jobs(const fs::path& spool) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(spool, ec))
    if (e.path().extension() == ".pdf") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

// The album's call: the staged bundle with these files.
inline int32_t CallPrint(const std::vector<fs::path>& files, bool* found = nullptr) {
  std::vector<std::u16string> paths;
  for (const fs::path& f : files) paths.push_back(QelFromUTF8(f.string()));
  bool there = false;
  const int32_t answer = CallBundleDialog(u"Printwell.bundle", "NuvoPrintDlg", paths, nullptr, true, nullptr, &there);
  if (found) *found = there;
  return answer;
}

// Index of the item of combo box `name` shown as `text`, or -1.
inline int32_t ItemOf(CQelWindow* w, const char* name, const std::u16string& text) {
  qel::Element* combo = qel::headless::FindElement(w, name);
  if (!combo) return -1;
  for (size_t i = 0; i < combo->Items().size(); ++i)
    if (combo->Items()[i].text == text) return int32_t(i);
  return -1;
}

// Index of the first item starting with `text`, or -1.
inline int32_t ItemStarting(CQelWindow* w, const char* name, const std::u16string& text) {
  qel::Element* combo = qel::headless::FindElement(w, name);
  if (!combo) return -1;
  for (size_t i = 0; i < combo->Items().size(); ++i)
    if (combo->Items()[i].text.rfind(text, 0) == 0) return int32_t(i);
  return -1;
}

// Chooses the layout by brand and name, as a user picks them from the lists.
inline bool ChooseLayout(CQelWindow* w, const std::u16string& brand, const std::u16string& name) {
  namespace hl = qel::headless;
  return hl::SelectItem(w, "comb_Brand", ItemOf(w, "comb_Brand", brand)) &&
         hl::SelectItem(w, "comb_Template", ItemOf(w, "comb_Template", name));
}

}  // namespace printwelltest
