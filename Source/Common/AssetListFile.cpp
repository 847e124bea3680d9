#include "AssetListFile.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "VdlXmlWrapper.h"
#include "os/FileTime.h"
#include "os/UserFolders.h"

namespace ORVGF {

namespace {

constexpr time_t kListLifetimeSeconds = 24 * 60 * 60;

// The content setter decodes entity references, so text is stored through
// the references of every character XML treats specially.
CQelStringW Escaped(const CQelStringW& path) {
  CQelStringW s = path;
  s.Replace(u"&", u"&amp;");
  s.Replace(u"<", u"&lt;");
  s.Replace(u">", u"&gt;");
  s.Replace(u"\"", u"&quot;");
  s.Replace(u"'", u"&apos;");
  return s;
}

// Two decimal numbers from the date-time's two 32-bit words, second first.
std::string NameFromNow() {
  plat::FileTime now = plat::CurrentFileTime();
  auto word = [&](int at) {
    return uint32_t(now.bytes[at]) | uint32_t(now.bytes[at + 1]) << 8 | uint32_t(now.bytes[at + 2]) << 16 |
           uint32_t(now.bytes[at + 3]) << 24;
  };
  char name[64];
  std::snprintf(name, sizeof name, "%ul_%ul.xml", unsigned(word(4)), unsigned(word(0)));
  return name;
}

void RemoveOldLists(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  time_t limit = std::time(nullptr) - kListLifetimeSeconds;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() < 5 || name.compare(name.size() - 4, 4, ".xml") != 0) continue;
    std::string path = folder + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < limit) ::unlink(path.c_str());
  }
  ::closedir(dir);
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

std::string AssetListFolder() {
  std::string runtime = plat::RuntimeFolder();
  if (runtime.empty()) return {};
  std::string folder = runtime + "/assets";
  return plat::EnsurePrivateFolder(folder) ? folder : std::string();
}

CQelStringW CreateXMLFile(std::vector<CQelStringW>& files, CQelStringW firstFile) {
  std::string folder = AssetListFolder();
  if (folder.empty()) return CQelStringW();
  RemoveOldLists(folder);

  CVdlXmlSave document;
  if (!document.Create()) return CQelStringW();
  CVdlXmlNode root = document.CreateRootNode(u"SelectedAssetList");
  CVdlXmlNode first = root.AddChild(u"FirstFile");
  if (!first.IsValid() || !first.SetContentValue(Escaped(firstFile))) return CQelStringW();
  for (const CQelStringW& file : files) {
    CVdlXmlNode entry = root.AddChild(u"FilePath");
    if (!entry.IsValid() || !entry.SetContentValue(Escaped(file))) return CQelStringW();
  }
  unsigned char* text = nullptr;
  int length = 0;
  XMLWrapper_Dump(document.GetDocument(), &text, &length, "UTF-8");
  if (!text || length <= 0) {
    XMLWrapper_FreeMemory(text);
    return CQelStringW();
  }

  std::string path;
  int fd = plat::CreateExclusiveFile(folder, NameFromNow(), &path);
  bool written = fd >= 0 && WriteAll(fd, text, size_t(length));
  if (fd >= 0 && ::close(fd) != 0) written = false;
  XMLWrapper_FreeMemory(text);
  if (!written) {
    if (fd >= 0) ::unlink(path.c_str());
    std::fprintf(stderr, "Could not write the asset list in %s\n", folder.c_str());
    return CQelStringW();
  }
  return CQelStringW(QelFromUTF8(path).c_str());
}

}  // namespace ORVGF
