// Icons kept as PNG bytes, the bitmap row flip, and files' desktop icons.
#include "ORVIconHelper.h"

#include <gio/gio.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "PubQelmar.h"
#include "QelSizedRecords.h"
#include "img/ImageFile.h"
#include "os/Bundle.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

struct ORVIcon {
  uint32_t creator = 0, type = 0;
  std::vector<uint8_t> family;
  img::Bitmap pixels;
  img::Plane alpha;
};

namespace {

constexpr uint32_t kCreator = QelFourCC("ZYLS");
constexpr uint32_t kType = QelFourCC("VDLT");
constexpr int32_t kOpenWithSide = 16;
constexpr size_t kMaxIconFileBytes = 4u << 20;

std::mutex g_lock;
std::set<IconRef>& Registered() {
  static std::set<IconRef> icons;
  return icons;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size == 0 || size > kMaxIconFileBytes) return false;
  std::ifstream in(path, std::ios::binary);
  bytes.resize(size_t(size));
  return bool(in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size)));
}

// A 16 x 16 picture of a theme icon name: the icon themes of the data
// folders, Adwaita first, then hicolor.
std::string ThemeIconFile(const char* name) {
  namespace fs = std::filesystem;
  std::vector<std::string> dirs;
  if (const char* home = g_get_user_data_dir()) dirs.emplace_back(home);
  for (const gchar* const* d = g_get_system_data_dirs(); d && *d; ++d) dirs.emplace_back(*d);
  const std::string size = std::to_string(kOpenWithSide) + "x" + std::to_string(kOpenWithSide);
  for (const char* theme : {"Adwaita", "hicolor"}) {
    for (const std::string& dir : dirs) {
      fs::path base = fs::path(dir) / "icons" / theme / size;
      std::error_code ec;
      for (const fs::directory_entry& context : fs::directory_iterator(base, ec)) {
        fs::path file = context.path() / (std::string(name) + ".png");
        if (fs::is_regular_file(file, ec)) return file.string();
      }
    }
  }
  return {};
}

// The file of the icon GIO gives the path: a themed icon's first name that
// the themes have at 16 x 16, or a file icon's own file.
std::string DesktopIconFile(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_ICON, G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  std::string found;
  if (info) {
    GIcon* icon = g_file_info_get_icon(info);  // owned by the info
    if (icon && G_IS_THEMED_ICON(icon)) {
      for (const gchar* const* n = g_themed_icon_get_names(G_THEMED_ICON(icon)); n && *n && found.empty(); ++n)
        found = ThemeIconFile(*n);
    } else if (icon && G_IS_FILE_ICON(icon)) {
      if (char* p = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)))) {
        found = p;
        g_free(p);
      }
    }
    g_object_unref(info);
  }
  g_object_unref(file);
  return found;
}

}  // namespace

IconRef CORVIconHelper::LoadIcon(const unsigned char* data, uint32_t size) {
  if (!data || size == 0) return nullptr;
  img::Decoded picture;
  if (img::DecodeMemory(data, size, {}, picture) != img::Status::kOk) return nullptr;
  auto* icon = new (std::nothrow) ORVIcon;
  if (!icon) return nullptr;
  icon->creator = kCreator;
  icon->type = kType;
  icon->family.assign(data, data + size);
  icon->pixels = picture.pixels;
  icon->alpha = picture.alpha;
  std::lock_guard<std::mutex> hold(g_lock);
  Registered().insert(icon);
  return icon;
}

IconRef CORVIconHelper::LoadPicture(const unsigned char*, uint32_t) { return nullptr; }

IconRef CORVIconHelper::CreateIconFromFile(const FSRef* file) {
  std::vector<uint8_t> bytes;
  if (!file || file->path.empty() || !ReadBytes(file->path, bytes)) return nullptr;
  return LoadIcon(bytes.data(), uint32_t(bytes.size()));
}

IconRef CORVIconHelper::LoadIcon(const WCHAR* name, const plat::Bundle* bundle) {
  if (!name || !*name || !bundle) return nullptr;
  std::filesystem::path file = std::filesystem::path(bundle->ResourcesPath()) / QelToUTF8(name);
  if (!file.has_extension()) file += ".png";
  FSRef ref;
  if (FSPathMakeRef(file.c_str(), &ref, nullptr) != noErr) return nullptr;
  return CreateIconFromFile(&ref);
}

uint32_t CORVIconHelper::SaveIcon(IconRef icon, unsigned char** out) {
  if (!icon || !out) return 0;
  std::lock_guard<std::mutex> hold(g_lock);
  if (!Registered().count(icon) || icon->family.empty()) return 0;
  auto* copy = new (std::nothrow) unsigned char[icon->family.size()];
  if (!copy) return 0;
  std::memcpy(copy, icon->family.data(), icon->family.size());
  *out = copy;
  return uint32_t(icon->family.size());
}

int CORVIconHelper::DestroyIcon(IconRef icon) {
  if (!icon) return 0;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!Registered().erase(icon)) return 0;
  }
  delete icon;
  return 1;
}

SIZE CORVIconHelper::IconSize(IconRef icon) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!icon || !Registered().count(icon)) return SIZE{0, 0};
  return SIZE{icon->pixels.width(), icon->pixels.height()};
}

int CORVIconHelper::ReverseBitmap(unsigned char* rows, int32_t rowBytes, int32_t rowCount) {
  if (!rows || rowBytes < 0 || rowCount < 0) {
    std::fprintf(stderr, "ReverseBitmap: no bitmap to flip\n");
    return 0;
  }
  if (rowBytes == 0 || rowCount < 2) return 1;
  std::unique_ptr<unsigned char[]> scratch(new (std::nothrow) unsigned char[size_t(rowBytes)]);
  if (!scratch) return 0;
  const size_t stride = size_t(rowBytes);
  unsigned char* top = rows;
  unsigned char* bottom = rows + stride * size_t(rowCount - 1);
  while (top < bottom) {
    std::memcpy(scratch.get(), top, stride);
    std::memcpy(top, bottom, stride);
    std::memcpy(bottom, scratch.get(), stride);
    top += stride;
    bottom -= stride;
  }
  return 1;
}

void CORVIconHelper::ExtractOpenWithIcon(const WCHAR* path, QelObject element) {
  if (!path || !*path || !element) return;
  std::string iconFile = DesktopIconFile(QelToUTF8(path));
  if (iconFile.empty()) return;
  img::Decoded icon;
  if (img::DecodeFile(iconFile, {}, icon) != img::Status::kOk || icon.pixels.width() != kOpenWithSide ||
      icon.pixels.height() != kOpenWithSide) {
    return;
  }
  uint8_t colour[kOpenWithSide * 3 * kOpenWithSide];
  uint8_t mask[kOpenWithSide * kOpenWithSide];
  for (int32_t y = 0; y < kOpenWithSide; ++y) {
    std::memcpy(colour + y * kOpenWithSide * 3, icon.pixels.row(y), kOpenWithSide * 3);
    for (int32_t x = 0; x < kOpenWithSide; ++x)
      mask[y * kOpenWithSide + x] = icon.alpha.empty() ? 255 : icon.alpha.row(y)[x];
  }
  auto* e = reinterpret_cast<PubQelmar::QelElement*>(element);
  PubQelmar::QelLayerSet* set = e->GetLayersetByIndex(0);
  PubQelmar::QelLayer* layer = set ? set->GetLayer(0) : nullptr;
  if (!layer) return;
  SETLAYERDATA image;
  image.dwFlag = 0;
  image.nWidth = image.nHeight = kOpenWithSide;
  image.nRowBytes = kOpenWithSide * 3;
  image.nBitCount = 24;
  image.pBits = colour;
  _LayerPropertyInfo colourProperty;
  colourProperty.nProperty = 115;
  colourProperty.pData = &image;
  if (layer->SetLayerProperty(&colourProperty) != 0) return;
  SETLAYERDATA alpha;
  alpha.dwFlag = 1;
  alpha.nWidth = alpha.nHeight = kOpenWithSide;
  alpha.nRowBytes = kOpenWithSide;
  alpha.nBitCount = 8;
  alpha.pBits = mask;
  _LayerPropertyInfo maskProperty;
  maskProperty.nProperty = 115;
  maskProperty.pData = &alpha;
  layer->SetLayerProperty(&maskProperty);
}
