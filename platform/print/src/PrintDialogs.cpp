#include "print/PrintDialogs.h"

#include <deque>
#include <mutex>

#include "GtkPrintDialogs.h"
#include "qel/QelBackend.h"

namespace print {
namespace {

std::mutex g_mutex;
std::deque<headless::DialogAnswer> g_print_answers, g_setup_answers;
int g_shown = 0;

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return int(i);
  return -1;
}

// A scripted answer applied to the state; unknown names are refused like a
// cancel, so a test cannot pass on a choice the dialog would not offer.
bool Apply(std::deque<headless::DialogAnswer>& queue, PrintDialogState& state, bool printDialog) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ++g_shown;
  if (queue.empty()) return false;
  headless::DialogAnswer a = queue.front();
  queue.pop_front();
  if (!a.accept) return false;
  const int printer = state.printer;
  if (printDialog && !a.printer.empty()) {
    int i = IndexOf(state.printers, a.printer);
    if (i < 0) return false;
    state.printer = i;
  }
  if (!a.paper.empty()) {
    int i = IndexOf(state.papers, a.paper);
    // Another printer's papers are not in the list: its name is checked then.
    if (i < 0 && state.printer == printer) return false;
    state.paper = i;
    state.paperName = a.paper;
  }
  if (a.orientation) state.portrait = a.orientation == 1;
  if (printDialog) {
    state.firstPage = a.firstPage;
    state.lastPage = a.lastPage;
    if (!a.outputFile.empty()) state.outputFile = a.outputFile;
  }
  return true;
}

}  // namespace

bool RunPrintDialog(WindowRef parent, PrintDialogState& state) {
#ifdef DUNSELLOW_PRINT_GTK
  if (!qel::IsHeadless()) return RunGtkPrintDialog(parent, state);
#endif
  return Apply(g_print_answers, state, true);
}

bool RunPageSetupDialog(WindowRef parent, PrintDialogState& state) {
#ifdef DUNSELLOW_PRINT_GTK
  if (!qel::IsHeadless()) return RunGtkPageSetupDialog(parent, state);
#endif
  return Apply(g_setup_answers, state, false);
}

namespace headless {

void AnswerNextPrintDialog(const DialogAnswer& answer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_print_answers.push_back(answer);
}

void AnswerNextPageSetup(const DialogAnswer& answer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_setup_answers.push_back(answer);
}

int DialogsShown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_shown;
}

}  // namespace headless
}  // namespace print
