#include "FSRefHelper.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <vector>

#include "qel/QelWideText.h"

namespace {

bool Stat(const FSRef* ref, struct stat* st) {
  return ref && !ref->path.empty() && ::stat(ref->path.c_str(), st) == 0;
}

std::string ParentPath(const std::string& path) {
  std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? std::string("/") : parent;
}

bool IsImmutable(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL);
  ::close(fd);
  return immutable;
}

bool IsLocked(const std::string& path, const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || IsImmutable(path);
}

void FillInfo(const std::string& path, const struct stat& st, FSCatalogInfo* info) {
  *info = FSCatalogInfo();
  if (S_ISDIR(st.st_mode)) info->nodeFlags |= kFSNodeIsDirectoryMask;
  if (IsLocked(path, st)) info->nodeFlags |= kFSNodeLockedMask;
  info->permissionsMode = st.st_mode;
  plat::FileDates dates;
  if (!plat::GetFileDates(path, &dates)) dates = plat::FileDatesFromStat(st);
  info->createDate = dates.creation;
  info->contentModDate = dates.contentModification;
  info->attributeModDate = dates.attributeModification;
  info->dataLogicalSize = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
}

}  // namespace

OSErr FSPathMakeRef(const char* utf8Path, FSRef* ref, bool* isDirectory) {
  if (!utf8Path || !*utf8Path || !ref) return paramErr;
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(utf8Path, ec);
  if (ec) return paramErr;
  std::string path = absolute.lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return fnfErr;
  ref->path = path;
  if (isDirectory) *isDirectory = S_ISDIR(st.st_mode);
  return noErr;
}

bool FSRefIsValid(const FSRef* ref) {
  struct stat st;
  return ref && !ref->path.empty() && ::lstat(ref->path.c_str(), &st) == 0;
}

bool FSRefIsVolume(const FSRef* ref) {
  struct stat st, parent;
  if (!Stat(ref, &st) || ::stat(ParentPath(ref->path).c_str(), &parent) != 0) return false;
  return st.st_dev != parent.st_dev || st.st_ino == parent.st_ino;
}

OSErr FSRefIsDirectory(const FSRef* ref, bool* out) {
  struct stat st;
  if (out && Stat(ref, &st)) *out = S_ISDIR(st.st_mode);
  return noErr;
}

OSErr FSRefGetParentRef(const FSRef* ref, FSRef* parent) {
  if (!ref || !parent) return paramErr;
  if (!FSRefIsValid(ref)) return fnfErr;
  parent->path = FSRefIsVolume(ref) ? std::string() : ParentPath(ref->path);
  return noErr;
}

OSErr FSRefIsWritable(const FSRef* ref, bool* out) {
  if (!ref || !out) return paramErr;
  struct stat st;
  if (!Stat(ref, &st)) return fnfErr;
  if (st.st_mode & S_IWUSR) *out = true;
  return noErr;
}

OSErr FSGetForkSizes(const FSRef* ref, uint64_t* dataSize, uint64_t* resourceSize) {
  struct stat st;
  if (dataSize && Stat(ref, &st)) *dataSize = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
  if (resourceSize) *resourceSize = 0;
  return noErr;
}

OSErr FSGetVRefNum(const FSRef* ref, int16_t* volume) {
  if (!ref || !volume) return paramErr;
  struct stat st;
  if (!Stat(ref, &st)) return fnfErr;
  static std::mutex mutex;
  static std::vector<dev_t> devices;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = std::find(devices.begin(), devices.end(), st.st_dev);
  if (it == devices.end()) {
    if (devices.size() >= 32000) return ioErr;
    it = devices.insert(devices.end(), st.st_dev);
  }
  *volume = int16_t(-1 - (it - devices.begin()));
  return noErr;
}

OSErr FSRefGetDate(const FSRef* ref, UTCDateTime* create, UTCDateTime* contentModify, UTCDateTime* attributeModify,
                   UTCDateTime* backup) {
  if (!ref) return paramErr;
  plat::FileDates dates;
  if (ref->path.empty() || !plat::GetFileDates(ref->path, &dates)) return fnfErr;
  if (create) *create = dates.creation;
  if (contentModify) *contentModify = dates.contentModification;
  if (attributeModify) *attributeModify = dates.attributeModification;
  if (backup) *backup = dates.backup;
  return noErr;
}

OSErr FSRefGetName(const FSRef* ref, HFSUniStr255* name, uint32_t* textEncoding) {
  if (!ref || !name) return paramErr;
  if (!FSRefIsValid(ref)) return fnfErr;
  std::string leaf = ref->path == "/" ? "/" : std::filesystem::path(ref->path).filename().string();
  std::u16string wide = QelFromUTF8(leaf);
  if (wide.size() > 255) return paramErr;  // never cut a name short
  *name = HFSUniStr255();
  std::copy(wide.begin(), wide.end(), name->unicode);
  name->length = uint16_t(wide.size());
  if (textEncoding) *textEncoding = kTextEncodingUTF8;
  return noErr;
}

OSErr FSRefLock(const FSRef* ref, bool lock) {
  if (!ref) return paramErr;
  struct stat st;
  if (!Stat(ref, &st)) return fnfErr;
  bool locked = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  if (locked == lock) return noErr;
  mode_t mode = st.st_mode & 07777;
  mode = lock ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  return ::chmod(ref->path.c_str(), mode) == 0 ? noErr : permErr;
}

OSErr FSRefIsVisiable(const FSRef* ref, bool* out) {
  if (!ref || !out) return paramErr;
  if (!FSRefIsValid(ref)) return fnfErr;
  *out = true;
  std::string leaf = std::filesystem::path(ref->path).filename().string();
  if (!leaf.empty() && leaf[0] == '.') *out = false;
  return noErr;
}

OSErr FSRefCheckLock(const FSRef* ref) {
  struct stat st;
  if (!Stat(ref, &st)) return ref ? fnfErr : paramErr;
  if (IsLocked(ref->path, st)) return fLckdErr;
  struct statvfs vfs;
  if (::statvfs(ref->path.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return vLckdErr;
  return noErr;
}

OSErr FSEnumDirectoryFile(const FSRef* directory, uint32_t whichInfo, FSEnumDirectoryProc callback, void* user) {
  if (!directory || directory->path.empty()) return paramErr;
  DIR* dir = ::opendir(directory->path.c_str());
  if (!dir) return fnfErr;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());  // a stable order, as the catalogue gave

  constexpr size_t kBatch = 10;
  std::string base = directory->path == "/" ? std::string() : directory->path;
  OSErr result = noErr;
  for (size_t first = 0; result == noErr; first += kBatch) {
    size_t count = std::min(kBatch, names.size() - std::min(first, names.size()));
    std::vector<FSRef> refs(count);
    std::vector<FSCatalogInfo> infos(count);
    for (size_t i = 0; i < count; ++i) {
      refs[i].path = base + "/" + names[first + i];
      struct stat st;
      if (whichInfo != kFSCatInfoNone && ::lstat(refs[i].path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) ::stat(refs[i].path.c_str(), &st);  // a link reads as what it names
        FillInfo(refs[i].path, st, &infos[i]);
      }
    }
    if (first + count >= names.size()) result = errFSNoMoreItems;
    if (count > 0 && callback && !callback(count, refs.data(), infos.data(), user)) break;
  }
  return result;
}
