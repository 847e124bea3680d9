#include "PrintFixture.h"

#include <cstdio>
#include <sstream>

#include "MediaTools.h"
#include "qel/QelWideText.h"

namespace printtest {

Printers MakePrinters() {
  Printers p;
  p.dir = testenv::MakeTempDir("printers");
  std::filesystem::copy_file(testenv::SourceDir() / "tests/ZylPrintManager_Mac/Manager/printers.xml",
                             p.dir / "printers.xml");
  p.spool = p.dir / "spool";
  p.system = print::MakeFakeSystem((p.dir / "printers.xml").string());
  return p;
}

std::string Run(const std::string& command) {
  int status = -1;
  std::string out = mediatools::Run(command, &status);
  return status == 0 ? out : std::string();
}

bool HaveTool(const char* name) { return !Run(std::string("command -v ") + name).empty(); }

std::u16string W(const std::string& utf8) { return QelFromUTF8(utf8); }

std::string LabelsFolder() { return (testenv::SourceDir() / "ZylPrintManager_Mac/Labels").string(); }

std::string PdfInfo(const std::filesystem::path& pdf, const std::string& field) {
  std::istringstream lines(Run("pdfinfo " + mediatools::Quote(pdf)));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(field + ":", 0) != 0) continue;
    size_t value = line.find_first_not_of(' ', field.size() + 1);
    return value == std::string::npos ? "" : line.substr(value);
  }
  return "(no " + field + ")";
}

}  // namespace printtest
