// File and folder choosers: the backend shows them; the toolkit counts one
// that is up as a modal window in front.
#include <glib.h>

#include <atomic>

#include "qel/QelBackend.h"
#include "qel/QelFileChooser.h"

namespace qel {

namespace {
std::atomic<int> g_open{0};
}

bool NameHasExtension(std::string_view name, const std::vector<std::string>& extensions) {
  for (const std::string& ext : extensions) {
    if (ext.empty() || ext.size() > name.size()) continue;
    if (g_ascii_strncasecmp(name.data() + (name.size() - ext.size()), ext.data(), ext.size()) == 0) return true;
  }
  return false;
}

FileChooserResult RunFileChooser(const FileChooserRequest& request) {
  ++g_open;
  FileChooserResult result = CurrentBackend().RunFileChooser(request);
  --g_open;
  if (!result.chosen) result.paths.clear();
  if (result.chosen && result.paths.empty()) result.chosen = false;
  return result;
}

bool FileChooserOpen() { return g_open.load() > 0; }

}  // namespace qel
