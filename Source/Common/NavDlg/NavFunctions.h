#pragma once
// File-system, colour and geometry helpers of the file dialogs, and the two
// choices the Options dialog asks for: a JPEG picture and a folder.
#include <cstdint>
#include <string>

#include "CQelStringW.h"
#include "FSRefHelper.h"
#include "QDRect.h"
#include "qel/QelTypes.h"

class CQelWindow;

// An item named by its volume, its folder and its name.
struct FSSpec {
  uint64_t volume = 0;
  std::string parent;  // UTF-8, resolved
  std::string name;    // UTF-8
};

// 1 with the item's specification when the path names an existing item.
int32_t Mac_GetFileByPath(const char* utf8Path, FSSpec* out);
int32_t Mac_GetFileByPath(const WCHAR* path, FSSpec* out);
// The item's path (UTF-8) into a buffer of `size` bytes: 1, or 0 when the
// specification is empty or the path does not fit.
int32_t Mac_GetPathByFile(const FSSpec* spec, char* out, size_t size);
// Same volume, same folder and the same name. Names compare exactly: two
// names that differ in case are two files here.
bool Mac_CompareFSSpec(const FSSpec& a, const FSSpec& b);

// Runs a folder chooser starting in `defaultFolder` (null: the chooser's
// own), over the window in front. 1 with the chosen folder in `out`.
int32_t Mac_GetCacheFolderPath(const FSRef* defaultFolder, FSRef* out);

// Brings a window's hover state up to date after a dialog closed: the
// pointer's next move does that here, so nothing is sent.
void Mac_SendMouseEventToWindow(CQelWindow* window);
// Handles one pending event without waiting.
void Mac_ProcessEvent(CQelWindow* window);

// 16-bit colour components from a packed colour (red in bits 0-7) and back.
struct RGBColor {
  uint16_t red = 0, green = 0, blue = 0;
};
void RGB2RGBColor(uint32_t packed, RGBColor* out);
uint32_t RGBColor2RGB(const RGBColor& color);

// Fits width x height into the rectangle keeping the aspect (never larger
// unless `enlarge`), centred; the rectangle is overwritten.
void NavFitInRect(Rect* rect, int32_t width, int32_t height, bool enlarge);

// The Options dialog's picture choice: an open dialog over `parent` for
// JPEG files, starting where `path` is. The first chosen file replaces
// `path`; an unchanged path means nothing was chosen. Always 1.
int32_t NavGetPicturePath(CQelWindow* parent, CQelStringW& path);
