// Paths, files, folders and file types.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "CaptureSettingData.h"
#include "ORVGF.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace ORVGF {

namespace {

fs::path Native(const std::u16string& path) { return fs::path(QelToUTF8(path)); }

std::u16string Wide(const fs::path& path) { return QelFromUTF8(path.string()); }

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  }
  return text;
}

}  // namespace

std::u16string GetModulePath(const plat::Bundle* bundle) {
  std::optional<plat::Bundle> main;
  if (!bundle) {
    main = plat::Bundle::Main();
    if (!main) return {};
    bundle = &*main;
  }
  return Wide(fs::path(bundle->path()).parent_path());
}

std::u16string GetExePath() { return GetModulePath(nullptr); }

std::u16string GetModuleContentPath(const plat::Bundle* bundle) {
  std::optional<plat::Bundle> main;
  if (!bundle) {
    main = plat::Bundle::Main();
    if (!main) return {};
    bundle = &*main;
  }
  return QelFromUTF8(bundle->ContentsPath());
}

std::u16string GetUIFile(const WCHAR* name, const plat::Bundle* bundle) {
  if (!name || !*name) return {};
  std::u16string folder = GetModulePath(bundle);
  if (folder.empty()) return {};
  return PathAppend(PathAppend(folder, u"UI"), name);
}

std::u16string PathAppend(const std::u16string& path, const std::u16string& name) {
  if (path.empty()) return name;
  if (name.empty()) return path;
  std::u16string out = path;
  if (out.back() != u'/') out += u'/';
  out += name.front() == u'/' ? name.substr(1) : name;
  return out;
}

bool CreatePathChecked(const std::u16string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(Native(path), ec);
  return fs::is_directory(Native(path), ec);
}

int CreatePath(const std::u16string& path) {
  if (path.empty()) return 0;
  std::error_code ec;
  return fs::create_directories(Native(path), ec) ? 1 : 0;
}

int CreateFile(const std::u16string& path) {
  std::error_code ec;
  const fs::path p = Native(path);
  if (path.empty() || fs::exists(p, ec)) return 0;
  if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
  std::ofstream out(p, std::ios::binary);
  return out.good() ? 1 : 0;
}

int DeletePath(const std::u16string& path) {
  std::error_code ec;
  const fs::path p = Native(path);
  if (path.empty() || !fs::is_directory(p, ec)) return 0;
  return fs::remove_all(p, ec) > 0 && !ec ? 1 : 0;
}

int DeleteFile(const std::u16string& path) {
  std::error_code ec;
  const fs::path p = Native(path);
  if (path.empty() || !fs::is_regular_file(p, ec)) return 0;
  return fs::remove(p, ec) ? 1 : 0;
}

int vGetFileType(const std::u16string& path) {
  const size_t dot = path.find_last_of(u'.');
  const size_t slash = path.find_last_of(u'/');
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return 0;
  const std::u16string ext = Upper(path.substr(dot + 1));
  if (ext.empty()) return 0;
  const CaptureSettingData& record = CaptureSettings();
  for (int32_t i = 0; i < record.imageFormatCount && i < kMaxListItems; ++i) {
    if (!record.imageFormats[size_t(i)].empty() && Upper(record.imageFormats[size_t(i)]) == ext) return 1;
  }
  return ext == u"MOV" ? 2 : 0;
}

int vIsSupportFile(const std::u16string& path, int* type) {
  std::error_code ec;
  if (path.empty() || !fs::exists(Native(path), ec)) return 0;
  const int t = vGetFileType(path);
  if (type) *type = t;
  return t != 0 ? 1 : 0;
}

double vFitInRatio(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight) {
  return std::min(double(dstWidth) / srcWidth, double(dstHeight) / srcHeight);
}

double vFitOutRatio(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight) {
  return std::max(double(dstWidth) / srcWidth, double(dstHeight) / srcHeight);
}

}  // namespace ORVGF
