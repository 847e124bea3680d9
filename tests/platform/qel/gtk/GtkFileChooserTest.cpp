// The file chooser on GTK (its own dialog, as no portal runs here): it
// starts in the asked folder with the asked filters, lists names ignoring
// case, and hands back what the user chose. Its rendering is saved to the
// build folder.
#include <filesystem>
#include <string>

#include "GtkTestSupport.h"
#include "TestEnvironment.h"
#include "qel/QelFileChooser.h"

namespace gtktest {
namespace {

namespace fs = std::filesystem;
using GtkFileChooserTest = GtkBackendTest;

GtkWidget* ChooserDialog() {
  GtkWidget* found = nullptr;
  GList* tops = gtk_window_list_toplevels();
  for (GList* l = tops; l; l = l->next) {
    if (GTK_IS_FILE_CHOOSER_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data))) found = GTK_WIDGET(l->data);
  }
  g_list_free(tops);
  return found;
}

bool Lists(GtkFileFilter* filter, const char* name) {
  GtkFileFilterInfo info{};
  info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
  info.display_name = name;
  return gtk_file_filter_filter(filter, &info);
}

struct Script {
  int ticks = 0;
  bool selected = false;
  fs::path pick;
  std::string startFolder;
  bool jpegListed = false, textListed = true;
  std::string shot;
};

gboolean Answer(gpointer data) {
  auto* s = static_cast<Script*>(data);
  GtkWidget* dialog = ChooserDialog();
  if (!dialog) return G_SOURCE_CONTINUE;
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  if (++s->ticks > 400) {  // 20 s: give up rather than hang
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    return G_SOURCE_REMOVE;
  }
  if (s->startFolder.empty()) {
    // The folder is set once the chooser has loaded it.
    char* folder = gtk_file_chooser_get_current_folder(chooser);
    s->startFolder = folder ? folder : "";
    g_free(folder);
    return G_SOURCE_CONTINUE;
  }
  if (!s->selected) {
    if (GtkFileFilter* filter = gtk_file_chooser_get_filter(chooser)) {
      s->jpegListed = Lists(filter, "HOLIDAY.JpEg");
      s->textListed = Lists(filter, "notes.jpeg.txt");
    }
    s->selected = gtk_file_chooser_select_filename(chooser, s->pick.c_str());
    return G_SOURCE_CONTINUE;
  }
  // The folder loads in the background: the choice holds once it is listed.
  char* now = gtk_file_chooser_get_filename(chooser);
  bool ready = now && s->pick == now;
  g_free(now);
  if (!ready || gtk_widget_get_realized(dialog) == FALSE) return G_SOURCE_CONTINUE;
  if (!s->shot.empty()) {
    gtk_container_check_resize(GTK_CONTAINER(dialog));
    int w = gtk_widget_get_allocated_width(dialog), h = gtk_widget_get_allocated_height(dialog);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(dialog, cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(surface, s->shot.c_str());
    cairo_surface_destroy(surface);
  }
  gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  return G_SOURCE_REMOVE;
}

TEST_F(GtkFileChooserTest, OpensInTheFolderWithFiltersAndAnswersTheChoice) {
  fs::path dir = fs::canonical(testenv::MakeTempDir("chooser"));
  testenv::WriteFile(dir / "HOLIDAY.JPEG", "not really a picture");
  testenv::WriteFile(dir / "notes.jpeg.txt", "text");
  Script script;
  script.pick = dir / "HOLIDAY.JPEG";
  if (!testenv::BuildDir().empty()) {
    fs::create_directories(testenv::BuildDir() / "screenshots");
    script.shot = (testenv::BuildDir() / "screenshots" / "file-chooser.png").string();
  }
  guint source = g_timeout_add(50, &Answer, &script);

  qel::FileChooserRequest r;
  r.title = u"Choose a Picture";
  r.folder = dir.string();
  r.filters = {{u"JPEG (*.JPG, *.JPEG)", {".JPG", ".JPEG"}}};
  qel::FileChooserResult result = qel::RunFileChooser(r);
  if (g_main_context_find_source_by_id(nullptr, source)) g_source_remove(source);

  EXPECT_EQ(script.startFolder, dir.string());
  EXPECT_TRUE(script.jpegListed);
  EXPECT_FALSE(script.textListed);
  ASSERT_TRUE(result.chosen);
  EXPECT_EQ(result.paths, std::vector<std::string>{script.pick.string()});
  EXPECT_EQ(result.filter, 0);
  EXPECT_FALSE(qel::FileChooserOpen());
}

}  // namespace
}  // namespace gtktest
