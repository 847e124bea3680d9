#include "ImgFunc.h"

#include <cstdio>

#include "ORVImageTools.h"
#include "qel/QelFileChooser.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

// {0, quality} as the record's options point at them.
constexpr int32_t kJpegQuality90[2] = {0, 90};

struct SaveFormat {
  const char16_t* name;
  std::vector<std::string> extensions;
  int32_t fileType;
};
const SaveFormat kSaveFormats[] = {
    {u"JPEG (*.jpg)", {".jpg", ".jpeg"}, 1},
    {u"BMP (*.bmp)", {".bmp"}, 2},
};

}  // namespace

PubImage::QelPicture* OpenImgFile(const WCHAR* path, int32_t, void*, void*, int32_t) {
  return ORVGF::OpenImageFile(path, 1, nullptr, nullptr, 0);
}

PubImage::QelPicture* CropPictureByRect(PubImage::QelPicture* picture, const SRect32* rect) {
  if (!picture || !rect) return nullptr;
  SIZE size{0, 0};
  if (picture->GetSize(&size) != 0) return nullptr;
  _QELRECT r{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, size.cx),
             std::min(rect->bottom, size.cy)};
  if (r.right <= r.left || r.bottom <= r.top) return nullptr;
  PubImage::QelLayer* merged = picture->MergeLayers();
  if (!merged) return nullptr;
  IMGCLYR_CROPRESIZE crop{r, {1, 1}, {1, 1}, 1};
  PubImage::QelLayer* part = merged->CropResize(nullptr, &crop);
  merged->Release();
  if (!part) return nullptr;
  // A copy keeps the picture's resolution and file details for saving.
  auto* out = static_cast<PubImage::QelPicture*>(picture->Copy());
  if (!out) {
    part->Release();
    return nullptr;
  }
  while (out->GetLayerCount() > 0) {
    PubImage::QelLayer* l = out->GetLayer(1);
    out->RemoveLayer(1);
    if (l) l->Release();
  }
  SIZE cut{r.right - r.left, r.bottom - r.top};
  out->SetSize(&cut);
  out->InsertLayer(0, part);
  part->Release();
  return out;
}

int32_t SaveImgFile(PubImage::QelPicture* picture, const WCHAR* path, tagOutputOption* option) {
  if (!picture || !path || !*path) return -1;
  tagOutputOption plain{};
  plain.nStructSize = int32_t(sizeof plain);
  if (!option) option = &plain;
  if (option->nStructSize != int32_t(sizeof *option)) return -1;
  Qel0FSRef ref = Qel0FSRCreateWithPath(path);
  if (!ref) return -1;
  int32_t r = picture->Save(option, ref);
  Qel0FSRRelease(ref);
  return r == 0 ? 0 : -1;
}

int32_t GetOpenSaveFileName(WindowRef parent, int32_t, WCHAR* name, int32_t capacity, int32_t, const WCHAR* ext,
                            const WCHAR* folder, uint64_t, tagOutputOption* option, PubImage::QelPicture*) {
  if (!name || capacity <= 0) return 0;
  qel::FileChooserRequest request;
  request.action = qel::FileChooserRequest::kSave;
  request.parent = static_cast<CQelWindow*>(parent);
  request.folder = folder ? QelToUTF8(folder) : std::string();
  const std::u16string extension = ext ? ext : u"";
  request.selectedFilter =
      qel::NameHasExtension(QelToUTF8(extension), kSaveFormats[1].extensions) ? 1 : 0;
  request.name = std::u16string(name) + (extension.empty() || extension[0] == u'.' ? u"" : u".") + extension;
  for (const SaveFormat& f : kSaveFormats) request.filters.push_back({f.name, f.extensions});
  qel::FileChooserResult result = qel::RunFileChooser(request);
  if (!result.chosen || result.paths.empty()) return 0;
  std::string path = result.paths[0];
  // The name's own extension when it is one of ours, else the format's.
  int32_t format = -1;
  for (int32_t i = 0; i < 2; ++i) {
    if (qel::NameHasExtension(path, kSaveFormats[i].extensions)) format = i;
  }
  if (format < 0) {
    format = result.filter == 1 ? 1 : 0;
    path += kSaveFormats[format].extensions[0];
  }
  std::u16string chosen = QelFromUTF8(path);
  if (chosen.size() + 1 > size_t(capacity)) {
    std::fprintf(stderr, "edit: the chosen path is too long: %s\n", path.c_str());
    return 0;
  }
  std::copy(chosen.begin(), chosen.end(), name);
  name[chosen.size()] = 0;
  if (option) {
    option->nFileType = kSaveFormats[format].fileType;
    option->options = option->nFileType == 1 ? kJpegQuality90 : nullptr;
  }
  return 1;
}

void SplitPath(const std::u16string& path, std::u16string* folder, std::u16string* name, std::u16string* ext) {
  size_t slash = path.rfind(u'/');
  size_t start = slash == std::u16string::npos ? 0 : slash + 1;
  size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos || dot < start || dot == start) dot = path.size();
  if (folder) *folder = path.substr(0, start);
  if (name) *name = path.substr(start, dot - start);
  if (ext) *ext = path.substr(dot);
}
