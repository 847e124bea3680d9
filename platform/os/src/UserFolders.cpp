#include "os/UserFolders.h"

#include <glib.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

bool EnsurePrivateFolder(const std::string& path) {
  if (path.empty()) {
    errno = EINVAL;
    return false;
  }
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  // Open without following a link, then check what was opened.
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())) {
    ok = false;
    errno = EPERM;
  }
  if (ok && (st.st_mode & 077) != 0) ok = ::fchmod(fd, 0700) == 0;
  int saved = errno;
  ::close(fd);
  errno = saved;
  return ok;
}

std::string RuntimeFolder() {
  std::string path;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime == '/') {
    path = std::string(runtime) + "/dunsellow";
  } else {
    path = std::string(g_get_tmp_dir()) + "/dunsellow-" + std::to_string(::geteuid());
  }
  return EnsurePrivateFolder(path) ? path : std::string();
}

std::string TemporaryItemsFolder() {
  std::string base = RuntimeFolder();
  if (base.empty()) return {};
  std::string path = base + "/TemporaryItems";
  return EnsurePrivateFolder(path) ? path : std::string();
}

std::string MakePrivateTempFolder(const std::string& prefix) {
  std::string base = TemporaryItemsFolder();
  if (base.empty() || prefix.find('/') != std::string::npos) return {};
  std::string tmpl = base + "/" + prefix + "XXXXXX";
  if (!::mkdtemp(tmpl.data())) return {};
  return tmpl;
}

int CreateExclusiveFile(const std::string& folder, const std::string& name, std::string* pathOut) {
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
    errno = EINVAL;
    return -1;
  }
  size_t dot = name.rfind('.');
  std::string stem = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
  std::string ext = (dot == std::string::npos || dot == 0) ? std::string() : name.substr(dot);
  for (int n = 0; n < 10000; ++n) {
    std::string path = folder + "/" + (n == 0 ? name : stem + "_" + std::to_string(n) + ext);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      if (pathOut) *pathOut = path;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

namespace {

std::string SpecialFolder(GUserDirectory which, const char* fallbackName) {
  const char* dir = g_get_user_special_dir(which);
  std::string home = g_get_home_dir();
  // GLib answers the home folder itself when the entry is missing or disabled.
  std::string path = (dir && *dir && home != dir) ? dir : home + "/" + fallbackName;
  if (g_mkdir_with_parents(path.c_str(), 0700) != 0) return {};
  return path;
}

}  // namespace

std::string DocumentsFolder() { return SpecialFolder(G_USER_DIRECTORY_DOCUMENTS, "Documents"); }
std::string PicturesFolder() { return SpecialFolder(G_USER_DIRECTORY_PICTURES, "Pictures"); }

}  // namespace plat
