#include "TimeStamp.h"

#include <cstdio>

#include "ORVGF.h"
#include "ORVImageTools.h"
#include "ORVPubTools.h"
#include "qel/QelWideText.h"

namespace {

CTimeStamp* g_stamp = nullptr;
bool g_missingLogged = false;

// The panel keeps the stamp for the life of the bundle; the bundle can be
// unloaded and loaded again, so its pictures go with it.
struct StampOwner {
  ~StampOwner() { delete g_stamp; }
} g_stampOwner;

}  // namespace

CTimeStamp::CTimeStamp() {
  delete g_stamp;
  g_stamp = this;
  Init();
}

CTimeStamp::~CTimeStamp() {
  UnInit();
  if (g_stamp == this) g_stamp = nullptr;
}

CTimeStamp* CTimeStamp::GetPtr() { return g_stamp; }

int32_t CTimeStamp::Init() {
  UnInit();
  for (int n = 0; n <= 10; ++n) {
    const std::u16string name = QelFromUTF8(std::to_string(n) + ".png");
    const std::u16string path = ORVGF::GetUIFile(name.c_str(), ORVGF::vGetModuleInst());
    PubImage::QelPicture* picture = path.empty() ? nullptr : ORVGF::OpenImageFile(path.c_str(), 1, nullptr, nullptr, 0);
    SIZE size{0, 0};
    if (!picture || picture->GetSize(&size) != 0 || size.cx <= 0 || size.cy <= 0) {
      if (picture) picture->Release();
      if (!g_missingLogged) {
        std::fprintf(stderr, "capture: the stamp picture %s cannot be read; photos are not stamped\n",
                     QelToUTF8(path).c_str());
        g_missingLogged = true;
      }
      UnInit();
      return 0;
    }
    m_digits[size_t(n)] = picture;
    m_sizes[size_t(n)] = size;
  }
  m_bLoaded = true;
  return 1;
}

void CTimeStamp::UnInit() {
  for (auto& p : m_digits) {
    if (p) p->Release();
    p = nullptr;
  }
  m_sizes.fill(SIZE{0, 0});
  m_bLoaded = false;
}

void CTimeStamp::DateIndexes(int32_t year, int32_t month, int32_t day, int32_t* i) {
  i[0] = month / 10;
  i[1] = month % 10;
  i[2] = 10;
  i[3] = day / 10;
  i[4] = day % 10;
  i[5] = 10;
  i[6] = year / 1000 % 10;
  i[7] = year / 100 % 10;
  i[8] = year / 10 % 10;
  i[9] = year % 10;
}

void CTimeStamp::GetSystemTime(int32_t* indexes, int32_t count) {
  if (!indexes || count < 10) return;
  FILETIME today;
  CORVPubTools::CurrentDate(&today);
  uint32_t year = 0, month = 0, day = 0;
  CORVPubTools::GetDateFromFileTime(&today, year, month, day);
  DateIndexes(int32_t(year), int32_t(month), int32_t(day), indexes);
}

double CTimeStamp::WidthFraction(int32_t width) {
  if (width <= 319) return 0.618;
  if (width <= 639) return 0.582;
  return 0.382;
}

int32_t CTimeStamp::AddTimeStamp(PubImage::QelPicture* picture, double widthFraction, double rightMargin,
                                 double bottomMargin) {
  int32_t indexes[10];
  GetSystemTime(indexes, 10);
  return AddTimeStampFor(picture, indexes, widthFraction, rightMargin, bottomMargin);
}

int32_t CTimeStamp::AddTimeStampFor(PubImage::QelPicture* picture, const int32_t* indexes, double widthFraction,
                                    double rightMargin, double bottomMargin) {
  if (!picture || !indexes || !m_bLoaded) return 0;
  SIZE size{0, 0};
  if (picture->GetSize(&size) != 0 || size.cx <= 0 || size.cy <= 0) return 0;
  int32_t x = int32_t((1.0 - rightMargin) * size.cx);
  const int32_t baseline = int32_t((1.0 - bottomMargin) * size.cy);
  int64_t sumWidth = 0;
  for (int i = 0; i < 10; ++i) sumWidth += m_sizes[size_t(indexes[i])].cx;
  if (sumWidth <= 0) return 0;
  const double scale = size.cx * widthFraction / double(sumWidth);
  for (int i = 9; i >= 0; --i) {
    const int32_t n = indexes[i];
    if (n < 0 || n > 10) return 0;
    PubImage::QelLayer* source = m_digits[size_t(n)]->GetActiveLayer();
    PubImage::QelLayer* digit = source ? ORVGF::Resample(source, scale, scale) : nullptr;
    if (!digit) continue;
    _QELRECT r{};
    digit->GetRect(&r);
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    x -= int32_t(0.838 * m_sizes[size_t(n)].cx * scale);
    _QELRECT placed{x, baseline - h, x + w, baseline};
    digit->SetRect(&placed);
    picture->InsertLayer(picture->GetLayerCount() + 1, digit);
    digit->Release();
  }
  // One layer again: the photo with the stamp drawn in.
  PubImage::QelLayer* merged = picture->MergeLayers();
  if (!merged) return 0;
  while (picture->GetLayerCount() > 0) {
    PubImage::QelLayer* old = picture->GetLayer(1);
    picture->RemoveLayer(1);
    if (old) old->Release();
  }
  picture->InsertLayer(1, merged);
  merged->Release();
  return 1;
}
