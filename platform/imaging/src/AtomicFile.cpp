// Whole-or-absent file writes: a temporary file beside the target, fsync,
// rename. The temporary name starts with a dot so a half-written file never
// shows up in an album listing.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "AtomicWriter.h"
#include "img/ImageFile.h"

namespace img {

namespace {
std::atomic<int64_t> g_disk_full_after{-1};

// `before`: bytes of the file already written (the disk-full hook counts
// from the file's start).
bool WriteAll(int fd, const uint8_t* data, size_t size, uint64_t before) {
  int64_t limit = g_disk_full_after.load();
  if (limit >= 0) limit = limit > int64_t(before) ? limit - int64_t(before) : 0;
  size_t written = 0;
  while (written < size) {
    size_t chunk = std::min<size_t>(size - written, size_t(1) << 20);
    if (limit >= 0 && int64_t(written + chunk) > limit) {
      if (int64_t(written) < limit) {
        ssize_t n = ::write(fd, data + written, size_t(limit - int64_t(written)));
        (void)n;
      }
      errno = ENOSPC;
      return false;
    }
    ssize_t n = ::write(fd, data + written, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += size_t(n);
  }
  return true;
}

mode_t CurrentUmask() {
  // umask cannot be read without setting it; read it from /proc when possible.
  mode_t mask = 022;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[128];
    while (std::fgets(line, sizeof line, f)) {
      unsigned v = 0;
      if (std::sscanf(line, "Umask: %o", &v) == 1) {
        mask = mode_t(v);
        break;
      }
    }
    std::fclose(f);
  }
  return mask;
}
}  // namespace

void SimulateDiskFullAfter(int64_t bytes) { g_disk_full_after = bytes; }


namespace detail {

AtomicWriter::~AtomicWriter() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temp_.c_str());
  }
}

Status AtomicWriter::Open(const std::string& path) {
  if (fd_ >= 0 || path.empty() || path.back() == '/') return Status::kBadArgument;
  size_t slash = path.rfind('/');
  dir_ = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  temp_ = (slash == std::string::npos ? std::string() : dir_) + "." + base + ".XXXXXX";
  path_ = path;

  struct stat old {};
  bool had_target = ::stat(path.c_str(), &old) == 0;
  if (had_target && !S_ISREG(old.st_mode)) return Status::kWriteFailed;

  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) return Status::kWriteFailed;
  // Held until the file is renamed or removed: a sweep never takes a
  // temporary file whose writer is alive.
  (void)::flock(fd_, LOCK_EX | LOCK_NB);
  mode_t mode = had_target ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
  (void)::fchmod(fd_, mode);
  ok_ = true;
  written_ = flushed_ = 0;
  return Status::kOk;
}

bool AtomicWriter::Write(const uint8_t* data, size_t size) {
  if (fd_ < 0 || !ok_) return false;
  ok_ = WriteAll(fd_, data, size, written_);
  written_ += size;
  // The disk starts on what is written while the rest is still being made,
  // so the closing fsync has little left to wait for.
  constexpr uint64_t kEarly = uint64_t(1) << 20;
  if (ok_ && written_ - flushed_ >= kEarly) {
    (void)::sync_file_range(fd_, off64_t(flushed_), off64_t(written_ - flushed_), SYNC_FILE_RANGE_WRITE);
    flushed_ = written_;
  }
  return ok_;
}

Status AtomicWriter::Commit() {
  if (fd_ < 0) return Status::kWriteFailed;
  bool ok = ok_ && ::fsync(fd_) == 0;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok && ::rename(temp_.c_str(), path_.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temp_.c_str());
    return Status::kWriteFailed;
  }
  // Make the rename itself durable.
  int dfd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return Status::kOk;
}

}  // namespace detail

Status WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  detail::AtomicWriter file;
  Status s = file.Open(path);
  if (s != Status::kOk) return s;
  if (!file.Write(bytes.data(), bytes.size())) return Status::kWriteFailed;
  return file.Commit();
}

namespace {

// ".<name>.XXXXXX", as WriteFileAtomically names its temporary files.
bool IsTemporaryName(const char* name) {
  const size_t n = std::strlen(name);
  if (n < 1 + 1 + 7 || name[0] != '.' || name[n - 7] != '.') return false;
  for (size_t i = n - 6; i < n; ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return FormatForExtension(std::string(name + 1, n - 8)) != FileFormat::kUnknown;
}

}  // namespace

int32_t SweepTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int32_t removed = 0;
  const time_t now = std::time(nullptr);
  while (const dirent* e = ::readdir(dir)) {
    if (!IsTemporaryName(e->d_name)) continue;
    const std::string path = folder + "/" + e->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    // A living writer holds its file locked; one that has only just made it
    // may not have taken the lock yet, so young files wait for a later sweep.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kTemporaryGraceSeconds &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0) {
      ++removed;
    }
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

}  // namespace img
