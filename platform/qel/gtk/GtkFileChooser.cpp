// File and folder choosers: GtkFileChooserNative, which the desktop portal
// serves where one runs (a GTK dialog otherwise). Portals take only glob
// patterns, so each extension becomes a pattern that ignores case.
#include <cctype>
#include <string>

#include "GtkBackend.h"
#include "qel/QelFileChooser.h"

namespace qel::gtk {

namespace {

// ".jpg" -> "*.[jJ][pP][gG]"
std::string CaseFreePattern(const std::string& extension) {
  std::string pattern = "*";
  for (char c : extension) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      pattern += '[';
      pattern += char(std::tolower(u));
      pattern += char(std::toupper(u));
      pattern += ']';
    } else if (c == '*' || c == '?' || c == '[' || c == ']') {
      pattern += '[';
      pattern += c;
      pattern += ']';
    } else {
      pattern += c;
    }
  }
  return pattern;
}

GtkFileChooserAction ActionOf(FileChooserRequest::Action a) {
  switch (a) {
    case FileChooserRequest::kSave:
      return GTK_FILE_CHOOSER_ACTION_SAVE;
    case FileChooserRequest::kSelectFolder:
      return GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER;
    default:
      return GTK_FILE_CHOOSER_ACTION_OPEN;
  }
}

const char* DefaultTitle(FileChooserRequest::Action a) {
  switch (a) {
    case FileChooserRequest::kSave:
      return "Save";
    case FileChooserRequest::kSelectFolder:
      return "Choose a Folder";
    default:
      return "Open";
  }
}

}  // namespace

FileChooserResult GtkBackend::RunFileChooser(const FileChooserRequest& request) {
  FileChooserResult result;
  GtkWindowHost* parent = request.parent ? HostOf(request.parent) : nullptr;
  std::string title = request.title.empty() ? DefaultTitle(request.action) : ToU8(request.title);
  GtkFileChooserNative* native = gtk_file_chooser_native_new(
      title.c_str(), parent ? GTK_WINDOW(parent->Toplevel()) : nullptr, ActionOf(request.action), nullptr, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(native);
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(native), TRUE);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  if (!request.folder.empty()) gtk_file_chooser_set_current_folder(chooser, request.folder.c_str());

  std::vector<GtkFileFilter*> filters;
  if (request.action != FileChooserRequest::kSelectFolder) {
    for (const FileChooserFilter& f : request.filters) {
      GtkFileFilter* filter = gtk_file_filter_new();
      gtk_file_filter_set_name(filter, ToU8(f.name).c_str());
      for (const std::string& ext : f.extensions) gtk_file_filter_add_pattern(filter, CaseFreePattern(ext).c_str());
      if (f.extensions.empty()) gtk_file_filter_add_pattern(filter, "*");
      gtk_file_chooser_add_filter(chooser, filter);  // the chooser holds it
      filters.push_back(filter);
    }
    int32_t sel = request.selectedFilter;
    if (sel >= 0 && size_t(sel) < filters.size()) gtk_file_chooser_set_filter(chooser, filters[size_t(sel)]);
  }
  if (request.action == FileChooserRequest::kSave) {
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    if (!request.name.empty()) gtk_file_chooser_set_current_name(chooser, ToU8(request.name).c_str());
  }
  if (request.action == FileChooserRequest::kOpen) gtk_file_chooser_set_select_multiple(chooser, request.multiple);

  if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(native)) == GTK_RESPONSE_ACCEPT) {
    GSList* files = gtk_file_chooser_get_filenames(chooser);
    for (GSList* l = files; l; l = l->next) {
      result.paths.emplace_back(static_cast<char*>(l->data));
      g_free(l->data);
    }
    g_slist_free(files);
    result.chosen = !result.paths.empty();
    GtkFileFilter* used = gtk_file_chooser_get_filter(chooser);
    for (size_t i = 0; i < filters.size(); ++i) {
      if (filters[i] == used) result.filter = int32_t(i);
    }
    if (result.filter < 0 && !filters.empty()) result.filter = request.selectedFilter;
  }
  gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(native));
  g_object_unref(native);
  return result;
}

}  // namespace qel::gtk
