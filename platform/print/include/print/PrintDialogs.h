#pragma once
// The print and page set-up dialogs: GTK's own dialogs on a display; in
// headless runs, answers scripted by tests (none scripted: cancelled).
// Copies are not asked for here: the print layout control sets them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "qel/QelTypes.h"

namespace print {

struct PrintDialogState {
  std::vector<std::string> printers;  // names; the file destination among them
  int printer = -1;                   // index into printers
  std::vector<std::string> papers;    // names of the current printer's papers
  std::vector<std::pair<double, double>> paperSizesMm;  // width, height of each
  int paper = -1;
  // The paper chosen by name: a dialog that switched printers may name one
  // of the new printer's papers.
  std::string paperName;
  bool portrait = true;
  uint32_t firstPage = 1, lastPage = 0xFFFFFFFFu;
  std::string outputFile;  // chosen for the file destination
  // Set by a dialog whose user picked a paper size not in `papers`.
  double customWidthInches = 0, customHeightInches = 0;
};

// True when the user accepted; state then holds the choices.
bool RunPrintDialog(WindowRef parent, PrintDialogState& state);
bool RunPageSetupDialog(WindowRef parent, PrintDialogState& state);

namespace headless {

struct DialogAnswer {
  bool accept = true;
  std::string printer;  // empty: keep
  std::string paper;    // empty: keep
  int orientation = 0;  // 0 keep, 1 portrait, 2 landscape
  uint32_t firstPage = 1, lastPage = 0xFFFFFFFFu;
  std::string outputFile;
};
// The next print (or page set-up) dialog answers so.
void AnswerNextPrintDialog(const DialogAnswer& answer);
void AnswerNextPageSetup(const DialogAnswer& answer);
// Dialogs shown so far in this process.
int DialogsShown();

}  // namespace headless
}  // namespace print
