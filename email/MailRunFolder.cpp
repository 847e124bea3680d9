#include "MailRunFolder.h"

#include <glib.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "os/UserFolders.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolderCount = 99;
constexpr auto kStaleAfter = std::chrono::hours(24);

bool IsRunFolderName(const std::string& name) {
  if (name.empty() || name.size() > 2) return false;
  for (char c : name) {
    if (c < '0' || c > '9') return false;
  }
  return name.size() == 1 || name[0] != '0';
}

void RemoveStaleFolders(const fs::path& base) {
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (const fs::directory_entry& entry : fs::directory_iterator(base, ec)) {
    if (!IsRunFolderName(entry.path().filename().string())) continue;
    std::error_code timeError;
    const auto written = fs::last_write_time(entry.path(), timeError);
    if (!timeError && now - written > kStaleAfter) fs::remove_all(entry.path(), timeError);
  }
}

std::u16string AsFolder(const fs::path& folder) { return QelFromUTF8(folder.string() + "/"); }

}  // namespace

std::string MailWorkingFolder() {
  const std::string cache = g_get_user_cache_dir();
  std::error_code ec;
  fs::create_directories(cache, ec);
  const std::string app = cache + "/dunsellow";
  const std::string working = app + "/ORVSendmail";
  if (!plat::EnsurePrivateFolder(app) || !plat::EnsurePrivateFolder(working)) return std::string();
  return working;
}

int32_t GetSaveFilePath(std::u16string* out) {
  if (!out) return 0;
  const std::string working = MailWorkingFolder();
  if (working.empty()) return 0;
  const fs::path base(working);
  RemoveStaleFolders(base);
  for (int n = 0; n < kFolderCount; ++n) {
    const fs::path candidate = base / std::to_string(n);
    if (::mkdir(candidate.c_str(), 0700) == 0) {
      *out = AsFolder(candidate);
      return 1;
    }
    if (errno != EEXIST) return 0;
  }
  // Every number is taken: the folder written longest ago goes.
  fs::path oldest;
  fs::file_time_type oldestTime = fs::file_time_type::max();
  for (int n = 0; n < kFolderCount; ++n) {
    const fs::path candidate = base / std::to_string(n);
    std::error_code ec;
    const auto written = fs::last_write_time(candidate, ec);
    if (!ec && written < oldestTime) {
      oldestTime = written;
      oldest = candidate;
    }
  }
  std::error_code ec;
  if (oldest.empty() || fs::remove_all(oldest, ec) == static_cast<std::uintmax_t>(-1) || ec) return 0;
  if (::mkdir(oldest.c_str(), 0700) != 0) return 0;
  *out = AsFolder(oldest);
  return 1;
}
