#pragma once
// The fake printers of printers.xml in a folder of the test's own, and
// small helpers to run the PDF tools.
#include <filesystem>
#include <memory>
#include <string>

#include "CPrintManager.h"
#include "TestEnvironment.h"
#include "print/PrintSystem.h"

namespace printtest {

struct Printers {
  std::filesystem::path dir;    // holds the fixture
  std::filesystem::path spool;  // where jobs land
  std::shared_ptr<print::PrintSystem> system;
};

Printers MakePrinters();
// Output of a shell command (stdout), empty when it failed.
std::string Run(const std::string& command);
bool HaveTool(const char* name);
std::u16string W(const std::string& utf8);
std::string LabelsFolder();
// One field of pdfinfo's report ("Pages", "Page size", "Title").
std::string PdfInfo(const std::filesystem::path& pdf, const std::string& field);

}  // namespace printtest
