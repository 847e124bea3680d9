#include "GlobalFun.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "qel/QelBackend.h"
#include "qel/QelCore.h"
#include "qel/QelInput.h"
#include "qel/QelLayout.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

QelObject g_pAuiRes = nullptr;  // "VistrelRes.aui"; main thread only
std::atomic<int> g_beeps{0};

// Extensions of the pictures the image library reads, with their dot.
constexpr const char16_t* kPictureExtensions[] = {u".jpg", u".jpeg", u".jpe", u".png", u".bmp"};

// True when `format` has exactly two integer conversions and no other
// conversion (literal "%%" aside): anything else would read arguments that
// were never passed.
bool HasTwoIntegerConversions(const WCHAR* format) {
  int integers = 0;
  for (const WCHAR* p = format; *p; ++p) {
    if (*p != u'%') continue;
    ++p;
    if (*p == u'%') continue;
    if (*p == u'l') ++p;
    if (*p != u'd' && *p != u'u') return false;
    ++integers;
  }
  return integers == 2;
}

}  // namespace

void CGlobalFun::LoadResourceObject(const std::string& bundleContents) {
  FreeResource();
  g_pAuiRes = QelCreateAUI((bundleContents + "/UI/VistrelRes.aui").c_str());
}

void CGlobalFun::FreeResource() {
  if (g_pAuiRes) Qel0Release(g_pAuiRes);
  g_pAuiRes = nullptr;
}

void CGlobalFun::LoadQelmarString(uint32_t id, WCHAR* buffer, int32_t length) {
  if (!g_pAuiRes || !buffer || length <= 0) return;
  auto text = reinterpret_cast<const WCHAR*>(Qel0Inter(g_pAuiRes, QEL_IF_AUI, 2, static_cast<QELWPARAM>(id), 0));
  if (!text) return;
  size_t n = std::min<size_t>(qel_wcslen(text), size_t(length) - 1);
  std::memcpy(buffer, text, n * sizeof(WCHAR));
  buffer[n] = 0;
}

std::u16string CGlobalFun::FormatTwoIntegers(uint32_t id, const WCHAR* fallback, int32_t a, int32_t b) {
  std::vector<WCHAR> format(1024, 0);
  LoadQelmarString(id, format.data(), static_cast<int32_t>(format.size()));
  const WCHAR* use = (format[0] && HasTwoIntegerConversions(format.data())) ? format.data() : fallback;
  std::vector<WCHAR> out(1024, 0);
  qel_swprintf(out.data(), out.size(), use, a, b);
  return std::u16string(out.data());
}

int32_t CGlobalFun::RegisterTool(const void* panel, int32_t toolClass) {
  QelObject tool = Qel0CreateObj(static_cast<uint32_t>(toolClass));
  if (!tool) return 0;
  auto answer = static_cast<int32_t>(Qel0Inter(tool, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(panel),
                                               reinterpret_cast<QELLPARAM>(ADDEleEnd)));
  Qel0Release(tool);
  return answer;
}

void CGlobalFun::SetImageCtrlBackground(PubQelmar::QelElement* imageControl) {
  if (!imageControl || Qel0GetType(imageControl) != QEL_KIND_IMAGECTRL) return;
  constexpr int32_t kSide = 128;
  std::vector<uint8_t> black(size_t(kSide) * kSide * 3, 0);
  struct {
    int32_t nType;
    void* pData;
    SRect32 rect;
    int32_t nDepth;
    int32_t nRowBytes;
    int32_t reserved[3];
  } buffer{1, black.data(), {0, 0, kSide, kSide}, 24, kSide * 3, {0, 0, 0}};
  Qel0Inter(imageControl, QEL_IF_IMAGECTRL, 31, 0, reinterpret_cast<QELLPARAM>(&buffer));
}

int32_t CGlobalFun::IsFileExist(const WCHAR* path) { return path && QelPathFileExists(path) ? 1 : 0; }

int32_t CGlobalFun::IsSupportedImageFile(const WCHAR* path) {
  if (!path) return 0;
  const WCHAR* ext = QelPathFindExtension(path);
  for (const char16_t* known : kPictureExtensions) {
    if (qel_wcscmpi(ext, known) == 0) return 1;
  }
  return 0;
}

int32_t CGlobalFun::IsSupportImage(const WCHAR*) { return 1; }

void CGlobalFun::GetImageSize(const WCHAR* path, int32_t& width, int32_t& height) {
  width = height = 0;
  SIZE size{0, 0};
  if (!path || !GetPictureReader()->ReadSize(path, size)) return;
  width = size.cx;
  height = size.cy;
}

PubImage::QelPicture* CGlobalFun::OpenImgFileThumb(const WCHAR* path, SIZE& si, ImgAbortProc fAbort, void* pExtra,
                                                   int32_t, int32_t, SIZE* fullSize) {
  if (!path) return nullptr;
  return GetPictureReader()->OpenThumb(path, si, fAbort, pExtra, fullSize);
}

void CGlobalFun::GetScreenSize(SIZE& size) {
  SRect32 r = qel::CurrentBackend().ScreenBounds();
  size = SIZE{r.right, r.bottom};
}

void CGlobalFun::GetScreenWorkArea(SIZE& size) {
  SRect32 r = qel::CurrentBackend().WorkArea();
  size = SIZE{r.right - r.left, r.bottom - r.top};
}

void CGlobalFun::GetScreenWorkArea(SRect32& area) { area = qel::CurrentBackend().WorkArea(); }

void CGlobalFun::MessageBeep() {
  ++g_beeps;
  qel::CurrentBackend().Beep();
}

int CGlobalFun::BeepCount() { return g_beeps.load(); }

int32_t CGlobalFun::IsKeyDown(uint32_t key) {
  // 256 is the Command key of the original keyboard, Control here.
  if (key == 256) return (qel::input::Modifiers() & qel::PointerInput::kControl) ? 1 : 0;
  return 0;
}
