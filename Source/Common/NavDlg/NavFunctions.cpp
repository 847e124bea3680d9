#include "NavFunctions.h"

#include <glib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "NavDialog.h"
#include "ORVWaitCursor.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;

int32_t Mac_GetFileByPath(const char* utf8Path, FSSpec* out) {
  if (!utf8Path || !*utf8Path || !out) return 0;
  std::error_code ec;
  fs::path path = fs::absolute(fs::path(utf8Path), ec);
  struct stat st;
  if (ec || ::stat(path.c_str(), &st) != 0) return 0;
  fs::path parent = fs::canonical(path.parent_path(), ec);
  if (ec) return 0;
  FSSpec spec;
  spec.volume = uint64_t(st.st_dev);
  spec.parent = parent.string();
  spec.name = path.filename().string();
  if (spec.name.empty()) return 0;  // a path ending in a separator names no item
  *out = spec;
  return 1;
}

int32_t Mac_GetFileByPath(const WCHAR* path, FSSpec* out) {
  if (!path) return 0;
  return Mac_GetFileByPath(QelToUTF8(path).c_str(), out);
}

int32_t Mac_GetPathByFile(const FSSpec* spec, char* out, size_t size) {
  if (!spec || !out || spec->name.empty() || spec->parent.empty()) return 0;
  std::string path = (fs::path(spec->parent) / spec->name).string();
  if (path.size() + 1 > size) return 0;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return 1;
}

bool Mac_CompareFSSpec(const FSSpec& a, const FSSpec& b) {
  return a.volume == b.volume && a.parent == b.parent && a.name == b.name;
}

int32_t Mac_GetCacheFolderPath(const FSRef* defaultFolder, FSRef* out) {
  if (!out) return 0;
  CNavDialog dialog;
  dialog.InitNavDialog(nullptr, nullptr, kNavDefaultFlags);
  dialog.RunNavDialog(NAV_FOLDER, defaultFolder);
  NavReplyRecord reply;
  int32_t chosen = dialog.GetNavReply(reply) ? CNavDialog::GetFSRefFromNavReply(reply, out) : 0;
  dialog.ReleaseNavDialog();
  return chosen;
}

void Mac_SendMouseEventToWindow(CQelWindow*) {}

void Mac_ProcessEvent(CQelWindow*) { g_main_context_iteration(nullptr, FALSE); }

void RGB2RGBColor(uint32_t packed, RGBColor* out) {
  if (!out) return;
  out->red = uint16_t((packed & 0xffu) * 256u);
  out->green = uint16_t(((packed >> 8) & 0xffu) * 256u);
  out->blue = uint16_t(((packed >> 16) & 0xffu) * 256u);
}

uint32_t RGBColor2RGB(const RGBColor& color) {
  return uint32_t(color.red >> 8) | (uint32_t(color.green >> 8) << 8) | (uint32_t(color.blue >> 8) << 16);
}

void NavFitInRect(Rect* rect, int32_t width, int32_t height, bool enlarge) {
  if (!rect || width <= 0 || height <= 0) return;
  const double boxW = double(rect->right - rect->left), boxH = double(rect->bottom - rect->top);
  double scale = std::min(boxW / width, boxH / height);
  if (!enlarge) scale = std::min(scale, 1.0);
  const auto w = int32_t(width * scale), h = int32_t(height * scale);
  const int32_t left = rect->left + int32_t((boxW - w) / 2), top = rect->top + int32_t((boxH - h) / 2);
  *rect = Rect{top, left, top + h, left + w};
}

int32_t NavGetPicturePath(CQelWindow* parent, CQelStringW& path) {
  static const tagNavFormat kJpeg[] = {{u"JPEG (*.JPG, *.JPEG)", u".JPG|.JPEG"}};
  CNavDialog dialog;
  dialog.ResetNavFormat(kJpeg, 1, 0);
  FSRef location;
  std::string current = path.ToUTF8();
  if (!current.empty()) location.path = current;
  dialog.InitNavDialog(parent, nullptr, kNavAllowPreviews | kNavAllowStationery | kNavDontAddTranslateItems);
  dialog.RunNavDialog(NAV_OPEN, current.empty() ? nullptr : &location);
  Mac_SendMouseEventToWindow(parent);
  NavReplyRecord reply;
  if (dialog.GetNavReply(reply) && reply.validRecord) {
    CORVWaitCursor wait;
    FSRef first;
    if (CNavDialog::GetFSRefFromNavReply(reply, &first)) path = CQelStringW(QelFromUTF8(first.path).c_str());
  }
  dialog.ReleaseNavDialog();
  return 1;
}
