// GTK's print dialog (page set-up embedded, no copies: the print layout
// control sets those) and page set-up dialog, mapped onto our printer and
// paper lists.
#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>

#include <cmath>

#include "GtkPrintDialogs.h"
#include "QelGtk.h"
#include "print/PrintSystem.h"

namespace print {
namespace {

GtkWindow* ParentOf(WindowRef parent) {
  CQelWindow* w = parent ? CQelWindow::FetchQelWindow(parent) : nullptr;
  GtkWidget* native = w ? qel::gtk::NativeWindow(w) : nullptr;
  return native ? GTK_WINDOW(native) : nullptr;
}

GtkPageSetup* SetupFor(const PrintDialogState& state) {
  GtkPageSetup* setup = gtk_page_setup_new();
  if (state.paper >= 0 && size_t(state.paper) < state.paperSizesMm.size()) {
    auto [w, h] = state.paperSizesMm[size_t(state.paper)];
    const std::string& name = state.papers[size_t(state.paper)];
    GtkPaperSize* size = gtk_paper_size_new_custom(name.c_str(), name.c_str(), w, h, GTK_UNIT_MM);
    gtk_page_setup_set_paper_size(setup, size);
    gtk_paper_size_free(size);
  }
  gtk_page_setup_set_orientation(setup, state.portrait ? GTK_PAGE_ORIENTATION_PORTRAIT : GTK_PAGE_ORIENTATION_LANDSCAPE);
  return setup;
}

void TakeSetup(GtkPageSetup* setup, PrintDialogState& state) {
  GtkPageOrientation o = gtk_page_setup_get_orientation(setup);
  state.portrait = o == GTK_PAGE_ORIENTATION_PORTRAIT || o == GTK_PAGE_ORIENTATION_REVERSE_PORTRAIT;
  double w = gtk_page_setup_get_paper_width(setup, GTK_UNIT_MM);
  double h = gtk_page_setup_get_paper_height(setup, GTK_UNIT_MM);
  if (!state.portrait) std::swap(w, h);
  for (size_t i = 0; i < state.paperSizesMm.size(); ++i) {
    if (std::fabs(state.paperSizesMm[i].first - w) < 1.0 && std::fabs(state.paperSizesMm[i].second - h) < 1.0) {
      state.paper = int(i);
      state.paperName = state.papers[i];
      return;
    }
  }
  state.customWidthInches = w / 25.4;
  state.customHeightInches = h / 25.4;
}

}  // namespace

bool RunGtkPrintDialog(WindowRef parent, PrintDialogState& state) {
  GtkWidget* dialog = gtk_print_unix_dialog_new("Print", ParentOf(parent));
  GtkPrintUnixDialog* pd = GTK_PRINT_UNIX_DIALOG(dialog);
  gtk_print_unix_dialog_set_embed_page_setup(pd, TRUE);
  gtk_print_unix_dialog_set_manual_capabilities(
      pd, GtkPrintCapabilities(GTK_PRINT_CAPABILITY_PAGE_SET | GTK_PRINT_CAPABILITY_GENERATE_PDF));
  GtkPrintSettings* settings = gtk_print_settings_new();
  if (state.printer >= 0 && size_t(state.printer) < state.printers.size()) {
    const std::string& name = state.printers[size_t(state.printer)];
    // GTK's own file destination stands for ours.
    gtk_print_settings_set_printer(settings, name == kPrintToFileName ? "Print to File" : name.c_str());
  }
  gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
  if (!state.outputFile.empty()) {
    gchar* uri = g_filename_to_uri(state.outputFile.c_str(), nullptr, nullptr);
    if (uri) gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri);
    g_free(uri);
  }
  gtk_print_unix_dialog_set_settings(pd, settings);
  g_object_unref(settings);
  GtkPageSetup* setup = SetupFor(state);
  gtk_print_unix_dialog_set_page_setup(pd, setup);
  g_object_unref(setup);

  bool accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
  if (accepted) {
    GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(pd);
    GtkPrintSettings* chosen = gtk_print_unix_dialog_get_settings(pd);
    std::string name = printer ? gtk_printer_get_name(printer) : "";
    if (printer && gtk_printer_is_virtual(printer)) {
      name = kPrintToFileName;
      const gchar* uri = gtk_print_settings_get(chosen, GTK_PRINT_SETTINGS_OUTPUT_URI);
      gchar* file = uri ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
      state.outputFile = file ? file : "";
      g_free(file);
    }
    int index = -1;
    for (size_t i = 0; i < state.printers.size(); ++i)
      if (state.printers[i] == name) index = int(i);
    accepted = index >= 0;
    if (accepted) {
      state.printer = index;
      state.firstPage = 1;
      state.lastPage = 0xFFFFFFFFu;
      if (gtk_print_settings_get_print_pages(chosen) == GTK_PRINT_PAGES_RANGES) {
        gint n = 0;
        GtkPageRange* ranges = gtk_print_settings_get_page_ranges(chosen, &n);
        if (n > 0) {
          state.firstPage = uint32_t(ranges[0].start + 1);
          state.lastPage = uint32_t(ranges[0].end + 1);
        }
        g_free(ranges);
      }
      TakeSetup(gtk_print_unix_dialog_get_page_setup(pd), state);
    }
    g_object_unref(chosen);
  }
  gtk_widget_destroy(dialog);
  return accepted;
}

bool RunGtkPageSetupDialog(WindowRef parent, PrintDialogState& state) {
  GtkWidget* dialog = gtk_page_setup_unix_dialog_new("Page Setup", ParentOf(parent));
  GtkPageSetup* setup = SetupFor(state);
  gtk_page_setup_unix_dialog_set_page_setup(GTK_PAGE_SETUP_UNIX_DIALOG(dialog), setup);
  g_object_unref(setup);
  bool accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
  if (accepted) TakeSetup(gtk_page_setup_unix_dialog_get_page_setup(GTK_PAGE_SETUP_UNIX_DIALOG(dialog)), state);
  gtk_widget_destroy(dialog);
  return accepted;
}

}  // namespace print
