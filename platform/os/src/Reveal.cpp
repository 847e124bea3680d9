#include "os/Reveal.h"

#include <filesystem>

#include <gio/gio.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace plat {

namespace {

std::mutex g_mutex;
std::vector<std::string> g_calls;

bool Headless() {
  const char* b = std::getenv("QEL_BACKEND");
  return b && std::strcmp(b, "headless") == 0;
}

void Record(const std::string& call) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_calls.push_back(call);
}

bool Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && path[0] == '/' && ::stat(path.c_str(), &st) == 0;
}

bool LaunchDefault(const std::string& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (!uri) return false;
  GError* error = nullptr;
  bool ok = g_app_info_launch_default_for_uri(uri, nullptr, &error);
  g_clear_error(&error);
  g_free(uri);
  return ok;
}

bool ShowItemsOverDBus(const std::string& path) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  g_clear_error(&error);
  if (!bus) return false;
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  bool ok = false;
  if (uri) {
    const gchar* uris[] = {uri, nullptr};
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
        "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 3000, nullptr, &error);
    ok = reply != nullptr;
    if (reply) g_variant_unref(reply);
    g_clear_error(&error);
    g_free(uri);
  }
  g_object_unref(bus);
  return ok;
}

}  // namespace

int RevealInFileManager(const std::string& path) {
  if (!Exists(path)) return -1;
  if (Headless()) {
    Record("reveal " + path);
    return 0;
  }
  if (ShowItemsOverDBus(path)) return 0;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return LaunchDefault(folder.empty() ? std::string("/") : folder.string()) ? 0 : -1;
}

int OpenWithDefaultHandler(const std::string& path) {
  if (!Exists(path)) return -1;
  if (Headless()) {
    Record("open " + path);
    return 0;
  }
  return LaunchDefault(path) ? 0 : -1;
}

std::vector<std::string> HeadlessDesktopCalls() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_calls;
}

void ClearHeadlessDesktopCalls() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_calls.clear();
}

}  // namespace plat
