#pragma once
// Reads and writes SQLite files with the sqlite3 command-line program: an
// independent judge of what the component stores.
#include <glib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsql {

struct Result {
  bool ok = false;
  std::string out;
  std::string err;
};

// Runs one SQL text against the file (argv, no shell).
inline Result Run(const std::filesystem::path& db, const std::string& sql, bool readOnly = true) {
  std::vector<std::string> args = {"sqlite3", "-batch", "-bail", "-separator", "|"};
  if (readOnly) args.push_back("-readonly");
  args.push_back(db.string());
  args.push_back(sql);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint status = 0;
  Result r;
  GError* error = nullptr;
  if (g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, &err, &status,
                   &error)) {
    r.ok = g_spawn_check_wait_status(status, nullptr);
  } else {
    g_error_free(error);
  }
  r.out = out ? out : "";
  r.err = err ? err : "";
  g_free(out);
  g_free(err);
  return r;
}

}  // namespace testsql
