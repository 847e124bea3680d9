#include "os/Trash.h"

#include <gio/gio.h>

namespace plat {

std::vector<TrashOutcome> MoveToTrash(const std::vector<std::string>& paths) {
  std::vector<TrashOutcome> out;
  out.reserve(paths.size());
  for (const auto& p : paths) {
    TrashOutcome o;
    o.path = p;
    if (p.empty() || p[0] != '/') {
      o.error = "not an absolute path";
    } else {
      GFile* file = g_file_new_for_path(p.c_str());
      GError* error = nullptr;
      o.moved = g_file_trash(file, nullptr, &error);
      if (!o.moved) o.error = error ? error->message : "cannot move to the Trash";
      g_clear_error(&error);
      g_object_unref(file);
    }
    out.push_back(std::move(o));
  }
  return out;
}

bool AllMoved(const std::vector<TrashOutcome>& outcomes) {
  for (const auto& o : outcomes)
    if (!o.moved) return false;
  return true;
}

}  // namespace plat
