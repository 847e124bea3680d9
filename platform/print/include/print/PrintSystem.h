#pragma once
// Printers, their papers and job delivery. Backends: CUPS (the desktop's
// print queues, or given IPP addresses), and a fake print system read from
// a fixture file that keeps every job as a PDF in a spool folder.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace print {

// Lengths in 1/100 mm, as IPP and CUPS give them.
struct Media {
  std::string id;    // PWG media name ("na_letter_8.5x11in")
  std::string name;  // shown to the user ("Letter")
  int32_t width = 0, height = 0;
  int32_t left = 0, right = 0, top = 0, bottom = 0;  // margins the printer cannot print on
};

struct Printer {
  std::string name;  // queue name (or name/instance)
  std::string makeAndModel;
  bool isDefault = false;
  bool color = true;
  bool toFile = false;  // the "Print to File (PDF)" destination
};

struct JobRequest {
  std::string printer;
  std::string pdfPath;  // the finished document
  std::string title;
  int32_t copies = 1;
  std::string mediaId;
  bool color = true;
};

struct JobResult {
  bool ok = false;
  int32_t jobId = 0;
  std::string error;
};

// The destination that writes the PDF to a file the user chooses; always
// offered, so that printing works on a machine without a printer.
inline constexpr char kPrintToFileName[] = "Print to File (PDF)";

class PrintSystem {
 public:
  virtual ~PrintSystem();
  virtual std::vector<Printer> Printers() = 0;
  // The printer's papers; empty when it reports none.
  virtual std::vector<Media> MediaOf(const std::string& printer) = 0;
  virtual JobResult Submit(const JobRequest& job) = 0;
};

// Papers offered without a printer and by the file destination: Letter,
// Legal, A4, A5, 4 x 6 in, 5 x 7 in, 8 x 10 in, 10 x 15 cm.
std::vector<Media> BuiltinMedia();
// The paper of this PWG name or size, made when not found; custom sizes
// are named "custom_<w>x<h>in".
Media CustomMedia(double widthInches, double heightInches, const std::string& name);

// The print system in use: the fake one when DUNSELLOW_PRINT_FIXTURE names
// a fixture file or the toolkit runs headless (without a fixture it has no
// printers), else CUPS.
std::shared_ptr<PrintSystem> CurrentSystem();
void SetCurrentSystem(std::shared_ptr<PrintSystem> system);

// CUPS. With addresses ("ipp://host:port/ipp/print") only those are
// offered; otherwise the local and network queues, asked for at most one
// second so that a slow network printer never holds the caller up.
std::shared_ptr<PrintSystem> MakeCupsSystem(std::vector<std::string> addresses = {});
// The fake print system of a fixture file; null when it cannot be read.
// Jobs go to the fixture's spool folder (DUNSELLOW_PRINT_SPOOL overrides)
// as "<n>-<title>.pdf" with "<n>-<title>.txt" beside it (printer, copies,
// media, colour).
std::shared_ptr<PrintSystem> MakeFakeSystem(const std::string& fixturePath);

}  // namespace print
