// Shows a layout in a window and runs the loop: the quickest way to see the
// toolkit work. Ends with the window, or on SIGINT / SIGTERM.
#include <glib.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "qel/QelApp.h"
#include "qel/QelBackend.h"

namespace {

class DemoWindow : public CQelMainWind {
 public:
  void RegisterCallBacks() override { RegisterCallBack("butn_Click", QEL_EV_CLICK, &OnClick); }
  int32_t DidCreate() override {
    SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
    SetTitle(u"Toolkit demo");
    return 0;
  }

 private:
  static int32_t OnClick(QelObject, int32_t, QELLPARAM, void* data) {
    auto* self = static_cast<DemoWindow*>(data);
    ++self->clicks_;
    std::u16string text = u"Clicks: " + qel::ToU16(std::to_string(self->clicks_));
    Qel0Inter(self->GetElementByName("text_Count"), QEL_IF_TEXT, 27, 0,
              reinterpret_cast<QELLPARAM>(text.c_str()));
    return 0;
  }
  int clicks_ = 0;
};

class DemoApp : public CQelApp {
 public:
  int32_t InitInstance() override {
    Qel0InitCore();
    Qel0InitEngine();
    char exe[PATH_MAX];
    if (!realpath("/proc/self/exe", exe)) return 0;
    gchar* dir = g_path_get_dirname(exe);
    std::string layout = std::string("$M\\") + dir + "/UI/demo.aui";
    g_free(dir);
    if (!window_.Create(layout.c_str(), nullptr, nullptr)) {
      std::fprintf(stderr, "qel-demo: cannot load %s\n", layout.c_str());
      return 0;
    }
    SetQelMainWnd(&window_);
    window_.RepositionWindow(0);
    window_.ShowWindow(5);
    std::printf("qel-demo: window shown on the %s backend; Ctrl+C ends it\n",
                qel::IsHeadless() ? "headless" : "display");
    std::fflush(stdout);
    return 1;
  }

 private:
  DemoWindow window_;
};

DemoApp theApp;

}  // namespace

QEL_APP_MAIN()
