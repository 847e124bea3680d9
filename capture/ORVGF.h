#pragma once
// The capture plug-in's module-wide utilities: the handles its module object
// and panel store at start, element helpers, bundle-relative paths, files
// and folders, file types, file times, sizes and their texts, free space and
// frame-time arithmetic. Plain functions; everything runs on the main thread.
#include <cstdint>
#include <string>

#include "CQelStringW.h"
#include "ORVPubTools.h"
#include "PubQelmar.h"
#include "os/Bundle.h"
#include "qel/QelElement.h"

class CBaseModule;
class CBasePanel;

namespace ORVGF {

// --- module-wide handles ---
void vStoreModuleHandle(CBaseModule* module);
CBaseModule* vGetModuleHandle();
void vStoreModuleQelWin(WindowRef window);
WindowRef vGetModuleQelWin();
// The plug-in's bundle (shared with the common library's dialog base).
void vStoreModuleInst(const plat::Bundle* bundle);
const plat::Bundle* vGetModuleInst();
void vStoreResInst(const plat::Bundle* bundle);
const plat::Bundle* vGetResInst();
void vStoreQelmarUIRatio(double ratio);
double vGetQelmarUIRatio();
void vStorePanelHandle(CBasePanel* panel);
CBasePanel* vGetPanelHandle();
// Parent of message boxes and dialogs; the module window when none was stored.
void vStoreLastPopupWindow(WindowRef window);
WindowRef vGetLastPopupWindow();
// A layout of the module's "UI" folder through the module object; null
// without one.
PubQelmar::QelPanel* vLoadPanel(const WCHAR* name);
void vGetScreenSize(SIZE& size);
// Text `id` of the module's string table; empty when missing.
std::u16string vLoadResString(uint32_t id);
// A string-table text used as a format: the built-in text when the table's
// text asks for other conversions than `conversions` ("s", "d", ...).
std::u16string vLoadResFormat(uint32_t id, const char* conversions, const char16_t* builtIn);

// --- elements by name (deep); null containers and missing names do nothing ---
qel::Element* GetElementByName(QelObject container, const char* name);
int32_t SetCallBack(QelObject container, const char* name, QELCALLBACK callback, void* data);
int32_t ShowElement(QelObject container, const char* name, int32_t show);
int32_t EnableElement(QelObject container, const char* name, int32_t enable);

// --- paths (a null bundle: the main bundle) ---
// The folder that holds the bundle.
std::u16string GetModulePath(const plat::Bundle* bundle);
std::u16string GetExePath();
std::u16string GetModuleContentPath(const plat::Bundle* bundle);
// <folder holding the bundle>/UI/<name>; empty for an empty name.
std::u16string GetUIFile(const WCHAR* name, const plat::Bundle* bundle);
std::u16string PathAppend(const std::u16string& path, const std::u16string& name);

// --- files and folders ---
// Creates the folder and the missing ones above it; 1 when created, 0 when
// it already existed or could not be made (see CreatePathChecked).
int CreatePath(const std::u16string& path);
// true when the folder exists (made now or before).
bool CreatePathChecked(const std::u16string& path);
// An empty file (and the folders above it) when missing; 1 when created.
int CreateFile(const std::u16string& path);
int DeletePath(const std::u16string& path);
int DeleteFile(const std::u16string& path);

// --- file types: 1 picture (a format of the settings record), 2 movie ---
int vIsSupportFile(const std::u16string& path, int* type);
int vGetFileType(const std::u16string& path);

// --- ratios ---
double vFitInRatio(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight);
double vFitOutRatio(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight);

// --- times ---
FILETIME Max(const FILETIME& a, const FILETIME& b);
// The latest of the file's dates; 1, or 0 when it cannot be read.
int vGetFileModifyTime(const std::u16string& path, FILETIME& time);
// Local date and time in the user's locale.
std::u16string vFileTimeToString(const FILETIME& time);
std::u16string vTimeToString(int64_t seconds);
// 25 frames a second (PAL) instead of 30.
void vSetPAL(bool pal);
int64_t vTimeToFrameTime(int64_t ms);
int64_t vFrameTimeToFrameIndex(int64_t ms);

// --- sizes and texts ---
int vGetFileSize(const std::u16string& path, uint64_t& bytes);
std::u16string vFormatDigits(uint64_t number);
// Whole kilobytes rounded up, with group commas and the unit text 30.
std::u16string vFormatNumKB(int64_t bytes);
int vGetFileSizeText(const std::u16string& path, std::u16string& text);
// A picture file's full size, and as its size text ("640 x 480 (VGA)");
// 1, or 0 when it cannot be opened.
int vGetImageFileResolution(const std::u16string& path, SIZE& size);
int vGetImageFileResolution(const std::u16string& path, std::u16string& text);
// A movie's length, sound and picture texts for its property dialog, in
// the plug-in's words, times cut to whole frames; 1, or 0 when the movie
// cannot be opened.
int vGetVideoFileProperty(const std::u16string& path, std::u16string& duration, std::u16string& sound,
                          std::u16string& picture);
// 1 when the volume holding `path` has more than `bytes` + 50 MiB free; 0
// otherwise or when it cannot be asked.
int vIsEnoughSpace(const std::u16string& path, uint64_t bytes);
// The same rule on a known free-space figure.
int vIsEnoughSpaceFor(uint64_t freeBytes, uint64_t bytes);
inline constexpr uint64_t kSpareBytes = 52428800;

}  // namespace ORVGF
