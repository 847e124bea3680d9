#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <cstdio>

#include "qel/QelApp.h"
#include "qel/QelLayout.h"

namespace {
CQelApp* g_app = nullptr;

gboolean OnSignal(gpointer) {
  if (g_app) g_app->Quit(0);
  return G_SOURCE_CONTINUE;
}
}  // namespace

CQelApp::CQelApp() {
  if (!g_app) g_app = this;
}

CQelApp::~CQelApp() {
  if (g_app == this) g_app = nullptr;
}

CQelApp* CQelApp::GetApp() { return g_app; }

int32_t CQelApp::InitInstance() { return 1; }

int32_t CQelApp::ExitInstance() { return code_; }

int32_t CQelApp::Run() {
  if (quit_) return code_;
  loop_ = g_main_loop_new(g_main_context_default(), FALSE);
  g_main_loop_run(loop_);
  g_main_loop_unref(loop_);
  loop_ = nullptr;
  return code_;
}

void CQelApp::Quit(int32_t code) {
  quit_ = true;
  code_ = code;
  // End modal loops first: each returns into the loop below it.
  for (CQelWindow* w : QelWindows()) {
    if (auto* m = dynamic_cast<CQelModalWnd*>(w); m && m->InModal()) m->EndModal(CQelModalWnd::kResultCancel);
  }
  if (loop_) g_main_loop_quit(loop_);
}

QelObject CQelApp::CreateAUI(const WCHAR* path) { return QelCreateAUIW(path); }

QelObject CQelApp::CreateAUI(const char* path) { return QelCreateAUI(path); }

int QelAppMain(int argc, char** argv) {
  CQelApp* app = CQelApp::GetApp();
  if (!app) {
    std::fprintf(stderr, "qel: no application object\n");
    return 1;
  }
  app->argc = argc;
  app->argv = argv;
  guint sigint = g_unix_signal_add(SIGINT, OnSignal, nullptr);
  guint sigterm = g_unix_signal_add(SIGTERM, OnSignal, nullptr);
  int code = 1;
  if (app->InitInstance() != 0) {
    app->Run();
    code = app->ExitInstance();
  } else {
    app->ExitInstance();
  }
  g_source_remove(sigint);
  g_source_remove(sigterm);
  return code;
}
