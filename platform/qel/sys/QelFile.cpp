#include "qel/QelFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <string>

#include "qel/QelWideText.h"

struct QelFileRec {
  int fd = -1;
};

namespace {

std::string Utf8(const WCHAR* path) { return path ? QelToUTF8(path) : std::string(); }

QelFileRef Wrap(int fd) {
  if (fd < 0) return nullptr;
  auto* f = new (std::nothrow) QelFileRec{fd};
  if (!f) ::close(fd);
  return f;
}

bool WriteAll(int fd, const char* data, size_t bytes) {
  while (bytes > 0) {
    ssize_t n = ::write(fd, data, bytes);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    bytes -= size_t(n);
  }
  return true;
}

}  // namespace

QelFileRef QelFileCreateExt(const WCHAR* path, int32_t overwrite) {
  std::string p = Utf8(path);
  if (p.empty()) return nullptr;
  int flags = O_RDWR | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
  return Wrap(::open(p.c_str(), flags, 0644));
}

QelFileRef QelFileOpenExt(const WCHAR* path, int32_t writable) {
  std::string p = Utf8(path);
  if (p.empty()) return nullptr;
  struct stat st;
  if (::stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
  return Wrap(::open(p.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC));
}

int32_t QelFileCloseExt(QelFileRef file) {
  if (!file) return 0;
  int rc = ::close(file->fd);
  delete file;
  return rc == 0 ? 1 : 0;
}

int32_t QelFileReadExt(QelFileRef file, void* buffer, size_t bytes, size_t* read) {
  if (read) *read = 0;
  if (!file || (!buffer && bytes)) return 0;
  size_t done = 0;
  while (done < bytes) {
    ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 0;
    if (n == 0) break;
    done += size_t(n);
  }
  if (read) *read = done;
  return 1;
}

int32_t QelFileWriteExt(QelFileRef file, const void* buffer, size_t bytes) {
  if (!file || (!buffer && bytes)) return 0;
  return WriteAll(file->fd, static_cast<const char*>(buffer), bytes) ? 1 : 0;
}

int32_t QelFileSeekExt(QelFileRef file, int64_t offset, int32_t whence) {
  if (!file || whence < 0 || whence > 2) return 0;
  static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  return ::lseek(file->fd, off_t(offset), kWhence[whence]) < 0 ? 0 : 1;
}

int32_t QelFileGetFileSizeExt(QelFileRef file, int64_t* size) {
  struct stat st;
  if (!file || !size || ::fstat(file->fd, &st) != 0) return 0;
  *size = int64_t(st.st_size);
  return 1;
}

int32_t QelFileDeleteExt(const WCHAR* path) {
  std::string p = Utf8(path);
  return !p.empty() && ::unlink(p.c_str()) == 0 ? 1 : 0;
}

int32_t QelCopyFile(const WCHAR* source, const WCHAR* target, int32_t failIfExists) {
  std::string from = Utf8(source);
  std::string to = Utf8(target);
  if (from.empty() || to.empty()) return 0;
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return 0;
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return 0;
  }
  std::string temp = to + ".partXXXXXX";
  int out = ::mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) {
    ::close(in);
    return 0;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!WriteAll(out, buffer, size_t(n))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  ok = ok && ::fchmod(out, st.st_mode & 07777) == 0 && ::fsync(out) == 0;
  ok = (::close(out) == 0) && ok;
  if (ok) {
    // link() refuses an existing target atomically; rename() replaces it.
    if (failIfExists) {
      ok = ::link(temp.c_str(), to.c_str()) == 0;
    } else {
      ok = ::rename(temp.c_str(), to.c_str()) == 0;
    }
  }
  ::unlink(temp.c_str());  // gone already after a rename
  return ok ? 1 : 0;
}

int32_t QelFolderCreateExt(const WCHAR* path) {
  std::string p = Utf8(path);
  if (p.empty()) return 0;
  std::error_code ec;
  std::filesystem::create_directories(p, ec);
  return std::filesystem::is_directory(p, ec) ? 1 : 0;
}
